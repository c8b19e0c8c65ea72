// BVLIST's window under Wine: real files, keys sent as window messages, what it shows read back
// from its rows, its status bar and the clipboard.
#include <gtest/gtest.h>

#include "platform/utf.h"
#include "support/form_fixture.h"
#include "viewer/viewer_window.h"

using namespace bivane;
using namespace bivane::test;
using namespace bivane::viewer;

namespace {

enum { kOffset, kPercent, kEncoding, kSize, kMode };

void WriteBytes(const std::string& path, const std::string& bytes) {
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::string NumberedLines(int count) {
    std::string text;
    char line[32];
    for (int i = 1; i <= count; ++i) {
        std::snprintf(line, sizeof line, "line %05d\r\n", i);
        text += line;
    }
    return text;
}

// Holds the keys down in this thread's keyboard state for the length of a scope.
class KeysDown {
public:
    explicit KeysDown(std::initializer_list<int> keys) {
        GetKeyboardState(old_);
        BYTE now[256];
        std::copy(old_, old_ + 256, now);
        for (const int k : keys) now[k] = 0x80;
        SetKeyboardState(now);
    }
    ~KeysDown() { SetKeyboardState(old_); }
    KeysDown(const KeysDown&) = delete;
    KeysDown& operator=(const KeysDown&) = delete;

private:
    BYTE old_[256];
};

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard busy)";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = Narrow(p);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

class Viewer : public ::testing::Test {
protected:
    void TearDown() override {
        modals.VerifyDone();
        viewer.reset();
        PumpMessages();
    }
    void Open(const std::string& path) {
        viewer = ViewerWindow::Open(path, SW_SHOW);
        ASSERT_TRUE(viewer);
        PumpMessages();
    }
    void Key(WPARAM vk, HWND to = nullptr) {
        SendMessageW(to ? to : viewer->Handle(), WM_KEYDOWN, vk, 1);
        PumpMessages();
    }
    HWND FindEdit() const { return FindWindowExW(viewer->Handle(), nullptr, L"Edit", nullptr); }
    // Types the text into the find bar (F7) and presses Enter there; the search runs to its end.
    void Find(const std::string& text) {
        Key(VK_F7);
        ASSERT_TRUE(viewer->FindBarShown());
        SetWindowTextW(FindEdit(), Widen(text).c_str());
        Key(VK_RETURN, FindEdit());
        for (int i = 0; i < 10000 && viewer->Searching(); ++i) PumpMessages();
    }

    TempDir tmp;
    ScriptedModals modals;
    std::unique_ptr<ViewerWindow> viewer;
};

}  // namespace

TEST_F(Viewer, ShowsTheFileAndMovesByLinePageAndToBothEnds) {
    WriteBytes(tmp / "lines.txt", NumberedLines(10000));
    Open(tmp / "lines.txt");
    wchar_t title[100];
    GetWindowTextW(viewer->Handle(), title, 100);
    EXPECT_EQ(Narrow(title), "BVLIST - lines.txt");
    std::vector<std::string> rows = viewer->Rows();
    ASSERT_GT(rows.size(), 10u);
    const std::size_t page = rows.size();
    EXPECT_EQ(rows[0], "line 00001");
    EXPECT_EQ(viewer->StatusPart(kSize), "120000 bytes");
    EXPECT_EQ(viewer->StatusPart(kEncoding).rfind("ANSI ", 0), 0u) << viewer->StatusPart(kEncoding);
    EXPECT_EQ(viewer->StatusPart(kMode), "Text, wrapped");

    Key(VK_END);
    rows = viewer->Rows();
    EXPECT_EQ(rows.back(), "line 10000");
    EXPECT_EQ(rows.size(), page);
    EXPECT_EQ(viewer->StatusPart(kPercent), "100%");
    Key(VK_DOWN);  // nothing below the last page
    EXPECT_EQ(viewer->Rows().back(), "line 10000");
    Key(VK_UP);
    EXPECT_EQ(viewer->Rows().back(), "line 09999");

    Key(VK_HOME);
    EXPECT_EQ(viewer->Top(), 0);
    Key(VK_NEXT);
    EXPECT_EQ(viewer->Rows()[0], "line " + std::string(5 - std::to_string(page + 1).size(), '0') + std::to_string(page + 1));
    EXPECT_EQ(viewer->StatusPart(kOffset), "Offset " + std::to_string(page * 12));
    Key(VK_DOWN);
    Key(VK_PRIOR);
    EXPECT_EQ(viewer->Rows()[0], "line 00002");
    Key(VK_F7);  // with the find bar open its edit has the keys, but the page still scrolls
    Key(VK_DOWN, FindEdit());
    EXPECT_EQ(viewer->Rows()[0], "line 00003");
    Key(VK_ESCAPE, FindEdit());
    Key(VK_UP);
    SendMessageW(viewer->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(viewer->Rows()[0], "line 00005");
}

TEST_F(Viewer, BinaryOpensInHexAndEachKeyTogglesKeepingThePlace) {
    std::string bytes;
    for (int i = 0; i < 4096; ++i) bytes += static_cast<char>(i % 256);
    WriteBytes(tmp / "data.bin", bytes);
    Open(tmp / "data.bin");
    EXPECT_TRUE(viewer->HexMode());
    EXPECT_EQ(viewer->Rows()[0], "00000000  00 01 02 03 04 05 06 07  08 09 0A 0B 0C 0D 0E 0F  ................");
    EXPECT_EQ(viewer->StatusPart(kMode), "Hex");
    Key(VK_END);
    EXPECT_EQ(viewer->Rows().back().substr(0, 10), "00000FF0  ");
    Key(VK_HOME);
    Key(VK_NEXT);
    const std::int64_t top = viewer->Top();
    Key('H');
    EXPECT_FALSE(viewer->HexMode());
    EXPECT_LE(viewer->Top(), top);
    EXPECT_GT(viewer->Top(), top - 300);  // the text row that held the top byte
    Key('H');
    EXPECT_TRUE(viewer->HexMode());
    EXPECT_EQ(viewer->Top() % 16, 0);

    // Text wraps at the window's width; W shows each line whole, the arrows scroll it sideways.
    WriteBytes(tmp / "long.txt", std::string(500, 'x') + "\r\nshort\r\n");
    Open(tmp / "long.txt");
    ASSERT_GT(viewer->Rows().size(), 3u);
    EXPECT_EQ(viewer->Rows()[1], viewer->Rows()[0]);  // wrapped
    Key('W');
    EXPECT_EQ(viewer->Rows(), (std::vector<std::string>{std::string(500, 'x'), "short"}));
    Key(VK_RIGHT);
    EXPECT_EQ(viewer->Rows()[1], "hort");
}

TEST_F(Viewer, FindsForwardAndBackIgnoringCaseAndCopiesTheMatch) {
    WriteBytes(tmp / "find.txt", NumberedLines(3000) + "the Needle here\r\n" + NumberedLines(10) + "a NEEDLE again\r\n");
    Open(tmp / "find.txt");
    Find("needle");
    ASSERT_TRUE(viewer->Selection().Found());
    const std::int64_t first = 3000 * 12 + 4;
    EXPECT_EQ(viewer->Selection().at, first);
    EXPECT_EQ(viewer->Selection().length, 6u);
    EXPECT_EQ(viewer->StatusPart(kMode), "Found at offset " + std::to_string(first));
    const std::vector<std::string> rows = viewer->Rows();
    EXPECT_NE(std::find(rows.begin(), rows.end(), "the Needle here"), rows.end());

    Key(VK_F3);
    for (int i = 0; i < 100 && viewer->Searching(); ++i) PumpMessages();
    const std::int64_t second = 3000 * 12 + 17 + 10 * 12 + 2;
    EXPECT_EQ(viewer->Selection().at, second);
    {
        KeysDown ctrl({VK_CONTROL});
        Key('C');
    }
    EXPECT_EQ(ClipboardText(), "NEEDLE");
    Key(VK_F3);
    for (int i = 0; i < 100 && viewer->Searching(); ++i) PumpMessages();
    EXPECT_EQ(viewer->StatusPart(kMode), "Not found: needle");
    EXPECT_EQ(viewer->Selection().at, second);
    {
        KeysDown shift({VK_SHIFT});
        Key(VK_F3);
        for (int i = 0; i < 100 && viewer->Searching(); ++i) PumpMessages();
    }
    EXPECT_EQ(viewer->Selection().at, first);

    // In UTF-16, through the platform's case mapping.
    const std::u16string text = u"\uFEFFeine Gr\u00FC\u00DFe";
    WriteBytes(tmp / "utf16.txt", std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    Open(tmp / "utf16.txt");
    EXPECT_EQ(viewer->StatusPart(kEncoding), "UTF-16 LE");
    Find("GR\xC3\x9C\xC3\x9F" "E");
    EXPECT_EQ(viewer->Selection().at, 12);
    EXPECT_EQ(viewer->Selection().length, 10u);
}

// A long \\?\ path and a name with blanks; a drag of the mouse selects what Ctrl+C copies.
TEST_F(Viewer, OpensALongPathAndCopiesWhatTheMouseSelected) {
    std::string dir = "\\\\?\\" + tmp.Path();
    for (int i = 0; i < 6; ++i) {
        dir += "\\" + std::string(50, static_cast<char>('a' + i));
        ASSERT_TRUE(CreateDirectoryW(Widen(dir).c_str(), nullptr));
    }
    const std::string path = dir + "\\my notes.txt";
    ASSERT_GT(path.size(), 300u);
    WriteBytes(path, "first line\r\nsecond line\r\n");
    Open(path);
    wchar_t title[100];
    GetWindowTextW(viewer->Handle(), title, 100);
    EXPECT_EQ(Narrow(title), "BVLIST - my notes.txt");
    EXPECT_EQ(viewer->Rows(), (std::vector<std::string>{"first line", "second line"}));

    const SIZE cell = viewer->CellSize();
    const int y = cell.cy + cell.cy / 2;  // the second row
    SendMessageW(viewer->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, y));
    SendMessageW(viewer->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6 * cell.cx + 1, y));
    SendMessageW(viewer->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(6 * cell.cx + 1, y));
    EXPECT_EQ(viewer->Selection().at, 12);
    EXPECT_EQ(viewer->Selection().length, 6u);
    {
        KeysDown ctrl({VK_CONTROL});
        Key('C');
    }
    EXPECT_EQ(ClipboardText(), "second");
    viewer.reset();
    DeleteFileW(Widen(path).c_str());
    for (int i = 0; i < 6; ++i) {
        RemoveDirectoryW(Widen(dir).c_str());
        dir.resize(dir.rfind('\\'));
    }
}

TEST_F(Viewer, ABigSearchShowsItsProgressAndEscapeStopsIt) {
    WriteBytes(tmp / "big.txt", std::string(3 << 20, '.') + "target");
    Open(tmp / "big.txt");
    viewer->SetSearchSlice(64 << 10);
    Key(VK_F7);
    SetWindowTextW(FindEdit(), L"target");
    SendMessageW(FindEdit(), WM_KEYDOWN, VK_RETURN, 1);  // then a few of the 48 slices the file takes
    MSG msg;
    for (int i = 0; i < 3 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageW(&msg);
    ASSERT_TRUE(viewer->Searching());
    EXPECT_EQ(viewer->StatusPart(kMode).rfind("Searching ", 0), 0u) << viewer->StatusPart(kMode);
    Key(VK_ESCAPE, FindEdit());
    EXPECT_FALSE(viewer->Searching());
    EXPECT_EQ(viewer->StatusPart(kMode), "Search stopped");
    EXPECT_FALSE(viewer->Selection().Found());
    EXPECT_FALSE(viewer->Closed());

    Key(VK_RETURN, FindEdit());
    for (int i = 0; i < 1000 && viewer->Searching(); ++i) PumpMessages();
    EXPECT_EQ(viewer->Selection().at, 3 << 20);
    Key(VK_ESCAPE);  // on the page too, Escape hides the find bar before it closes anything
    EXPECT_FALSE(viewer->FindBarShown());
    EXPECT_FALSE(viewer->Closed());
    bool closed = false;
    viewer->OnClosed = [&] { closed = true; };
    Key(VK_ESCAPE);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(viewer->Closed());
}

TEST_F(Viewer, AFileThatCannotBeOpenedIsExplainedAndOneThatShrinksDoesNotHang) {
    const std::string missing = tmp / "vanished.txt";
    modals.ExpectBox("Cannot open \"" + missing + "\":\nThe file does not exist: it may have been moved or deleted.",
                     IDOK, "Error");
    EXPECT_FALSE(ViewerWindow::Open(missing, SW_SHOW));
    MakeDir(tmp / "folder");
    modals.ExpectBox("Cannot open \"" + (tmp / "folder") + "\":\nIt is a folder, not a file.", IDOK, "Error");
    EXPECT_FALSE(ViewerWindow::Open(tmp / "folder", SW_SHOW));
    WriteBytes(tmp / "locked.txt", "secret");
    {
        AutoCloseHandle lock(CreateFileW(Widen(tmp / "locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        modals.ExpectBox("Cannot open \"" + (tmp / "locked.txt") +
                             "\":\nAnother program has the file open and does not let others read it.",
                         IDOK, "Error");
        EXPECT_FALSE(ViewerWindow::Open(tmp / "locked.txt", SW_SHOW));
    }
    modals.VerifyDone();

    // Shown, then cut to a few bytes and deleted by someone else: the rest reads as the end.
    WriteBytes(tmp / "shrinks.txt", NumberedLines(100000));
    Open(tmp / "shrinks.txt");
    {
        AutoCloseHandle other(CreateFileW(Widen(tmp / "shrinks.txt").c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                          0, nullptr));
        ASSERT_TRUE(other);
        LARGE_INTEGER at{};
        at.QuadPart = 24;
        ASSERT_TRUE(SetFilePointerEx(other.get(), at, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(other.get()));
    }
    ASSERT_TRUE(DeleteFileW(Widen(tmp / "shrinks.txt").c_str()));
    Key(VK_END);
    Key(VK_NEXT);
    Key(VK_UP);
    EXPECT_EQ(viewer->Rows(), (std::vector<std::string>{"line 00001", "line 00002"}));
    EXPECT_EQ(viewer->StatusPart(kSize), "24 bytes");
    Key('H');
    EXPECT_EQ(viewer->Rows().size(), 2u);
    Find("line 00050");
    EXPECT_EQ(viewer->StatusPart(kMode), "Not found: line 00050");
    Key('Q');
    EXPECT_TRUE(viewer->Closed());
}
