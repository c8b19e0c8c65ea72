// BVLIST's window under Wine: real files, keys sent as window messages, what it shows read back
// from its rows, its status bar and the clipboard.
#include <gtest/gtest.h>

#include <functional>

#include "core/dpi.h"
#include "controls/controls.h"
#include "platform/utf.h"
#include "support/form_fixture.h"
#include "viewer/viewer_window.h"

#include <winioctl.h>  // after windows.h

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

// Writes the bytes over the file's as another program would while the viewer has it open.
void Rewrite(const std::string& path, const std::string& bytes) {
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(f);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_TRUE(SetEndOfFile(f.get()));
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

// Pumps the window's messages until done() holds or the seconds have passed; says which.
template <class Done>
bool PumpUntil(Done done, double seconds = 20) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (!done()) {
        if (GetTickCount64() > until) return false;
        PumpMessages();
        Sleep(1);
    }
    return true;
}

double SecondsOf(const std::function<void()>& fn) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    fn();
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

// A file of the size that holds no data (sparse): gigabytes read as zeros, at once, but for a
// tail written at its end.
void WriteSparse(const std::string& path, std::int64_t bytes, const std::string& tail = "") {
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(f);
    DWORD ignored = 0;
    DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = bytes - static_cast<std::int64_t>(tail.size());
    ASSERT_TRUE(SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(WriteFile(f.get(), tail.data(), static_cast<DWORD>(tail.size()), &ignored, nullptr));
    ASSERT_TRUE(SetEndOfFile(f.get()));
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
    void CtrlKey(WPARAM vk) {
        KeysDown ctrl({VK_CONTROL});
        Key(vk);
    }
    HWND FindEdit() const { return FindWindowExW(viewer->Handle(), nullptr, L"Edit", nullptr); }
    // Types the text into the bar and presses Enter there (leaving what it started running).
    void EnterInBar(const std::string& text) {
        SetWindowTextW(FindEdit(), Widen(text).c_str());
        Key(VK_RETURN, FindEdit());
    }
    // Types the text into the find bar (F7) and presses Enter there; the search runs to its end.
    void Find(const std::string& text) {
        Key(VK_F7);
        ASSERT_TRUE(viewer->FindBarShown());
        EnterInBar(text);
        ASSERT_TRUE(PumpUntil([&] { return !viewer->Searching(); }));
    }
    // F3 (or Shift+F3) and the search to its end.
    void FindAgain(bool forward = true) {
        {
            KeysDown shift(forward ? std::initializer_list<int>{} : std::initializer_list<int>{VK_SHIFT});
            Key(VK_F3);
        }
        ASSERT_TRUE(PumpUntil([&] { return !viewer->Searching(); }));
    }
    // Ctrl+G, the text and Enter; a line count runs to its end.
    void GoTo(const std::string& text) {
        CtrlKey('G');
        ASSERT_TRUE(viewer->BarShown());
        EnterInBar(text);
        ASSERT_TRUE(PumpUntil([&] { return !viewer->CountingLines(); }));
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

    SendMessageW(viewer->Handle(), WM_KEYDOWN, VK_END, 1);
    // Its thumb goes to the bottom, and the status line's parts change: both are painted with the page.
    const HWND status = FindWindowExW(viewer->Handle(), nullptr, STATUSCLASSNAMEW, nullptr);
    EXPECT_TRUE(GetUpdateRect(FindWindowExW(viewer->Handle(), nullptr, L"ScrollBar", nullptr), nullptr, FALSE));
    EXPECT_TRUE(GetUpdateRect(status, nullptr, FALSE));
    PumpMessages();
    EXPECT_FALSE(GetUpdateRect(status, nullptr, FALSE));
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
    EXPECT_EQ(viewer->StatusPart(kEncoding), "Binary");
    Key(VK_END);
    EXPECT_EQ(viewer->StatusPart(kOffset), "Offset 0x" + viewer->Rows()[0].substr(0, 8));  // as the rows: hex
    EXPECT_EQ(viewer->Rows().back().substr(0, 10), "00000FF0  ");
    Key(VK_HOME);
    Key(VK_NEXT);
    const std::int64_t top = viewer->Top();
    Key(VK_F4);  // F4 is H
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
    const std::size_t columns = viewer->Rows()[0].size();
    Key(VK_F2);  // F2 is W
    EXPECT_EQ(viewer->Rows(), (std::vector<std::string>{std::string(columns, 'x'), "short"}));
    Key(VK_RIGHT);
    EXPECT_EQ(viewer->Rows()[1], "hort");
    Key(VK_END);  // no End of line: the page's end, sideways where it was
    EXPECT_EQ(viewer->Rows()[1], "hort");
    Key('W');
    EXPECT_EQ(viewer->Rows()[0], std::string(columns, 'x'));
    // F10 (a system key) closes, as Q and Escape do, from the page and from the find bar.
    for (const bool inBar : {false, true}) {
        Open(tmp / "long.txt");
        if (inBar) Key(VK_F7);
        SendMessageW(inBar ? FindEdit() : viewer->Handle(), WM_SYSKEYDOWN, VK_F10, 1);
        EXPECT_TRUE(viewer->Closed()) << inBar;
    }
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

    FindAgain();
    const std::int64_t second = 3000 * 12 + 17 + 10 * 12 + 2;
    EXPECT_EQ(viewer->Selection().at, second);
    {
        KeysDown ctrl({VK_CONTROL});
        Key('C');
    }
    EXPECT_EQ(ClipboardText(), "NEEDLE");
    FindAgain();
    EXPECT_EQ(viewer->StatusPart(kMode), "Not found: needle");
    EXPECT_EQ(viewer->Selection().at, second);
    FindAgain(false);
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

// A search runs beside the window: the page scrolls and keys act at once, and Escape ends it
// within 0.2 s, then only hides the bar, then closes.
TEST_F(Viewer, EscapeStopsASearchOfABigSparseFileAtOnceAndTheWindowStaysLive) {
    WriteSparse(tmp / "sparse.bin", (std::int64_t{5} << 30) + 4, "tail");  // read past 4 GB
    Open(tmp / "sparse.bin");
    ASSERT_TRUE(viewer->HexMode());
    Key(VK_END);
    EXPECT_EQ(viewer->Rows().back(), "140000000  74 61 69 6C" + std::string(39, ' ') + "tail");
    Key(VK_HOME);
    Key(VK_F7);
    EnterInBar("target");
    ASSERT_TRUE(PumpUntil([&] { return viewer->StatusPart(kMode).rfind("Searching ", 0) == 0; }, 2));
    ASSERT_TRUE(viewer->Searching());
    Key(VK_NEXT, FindEdit());
    EXPECT_GT(viewer->Top(), 0);  // scrolled while searching
    Key('H');
    EXPECT_FALSE(viewer->HexMode());  // acted at once, not after the search
    Key('H');
    ASSERT_TRUE(viewer->Searching());
    // Stopped at once, and its thread gone within 0.2 s.
    EXPECT_LT(SecondsOf([&] { Key(VK_ESCAPE, FindEdit()); }), 0.05);
    EXPECT_FALSE(viewer->Searching());
    EXPECT_TRUE(PumpUntil([&] { return viewer->JobThreadsDone(); }, 0.2));
    EXPECT_EQ(viewer->StatusPart(kMode), "Search stopped");
    EXPECT_FALSE(viewer->Selection().Found());
    EXPECT_TRUE(viewer->FindBarShown());  // the Escape that stopped the search did nothing else
    PumpMessages();
    EXPECT_EQ(viewer->StatusPart(kMode), "Search stopped");  // nothing of it comes after

    // Counting lines to go to one stops the same way (the zeros read as UTF-8 have no line end).
    SendMessageW(viewer->Handle(), WM_COMMAND, ViewerWindow::kEncodingCommand + 1, 0);
    CtrlKey('G');
    EnterInBar("5");
    ASSERT_TRUE(PumpUntil([&] { return viewer->StatusPart(kMode).rfind("Counting lines ", 0) == 0; }, 2));
    EXPECT_LT(SecondsOf([&] { Key(VK_ESCAPE); }), 0.05);
    EXPECT_FALSE(viewer->CountingLines());
    EXPECT_TRUE(PumpUntil([&] { return viewer->JobThreadsDone(); }, 0.2));
    EXPECT_EQ(viewer->StatusPart(kMode), "Go to stopped");
    // Another encoding chosen stops a count made for the old one: its answer would be wrong.
    CtrlKey('G');
    EnterInBar("5");
    ASSERT_TRUE(viewer->CountingLines());
    SendMessageW(viewer->Handle(), WM_COMMAND, ViewerWindow::kEncodingCommand + 2, 0);
    EXPECT_FALSE(viewer->CountingLines());
    EXPECT_TRUE(PumpUntil([&] { return viewer->JobThreadsDone(); }, 0.2));
    EXPECT_EQ(viewer->StatusPart(kMode).find("Line"), std::string::npos);
    Key(VK_ESCAPE);
    EXPECT_FALSE(viewer->BarShown());
    EXPECT_FALSE(viewer->Closed());
    bool closed = false;
    viewer->OnClosed = [&] { closed = true; };
    Key(VK_ESCAPE);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(viewer->Closed());
}

// F3 goes on from the last match while its page is shown, else from the page shown.
TEST_F(Viewer, FindAgainSearchesFromThePageShownOnceItMoved) {
    WriteBytes(tmp / "marks.txt", "mark one\r\nmark two\r\n" + NumberedLines(600) + "mark three\r\n" +
                                      NumberedLines(600) + "mark four\r\n");
    const std::int64_t two = 10, three = 20 + 600 * 12, four = three + 12 + 600 * 12;
    Open(tmp / "marks.txt");
    Find("MARK");
    EXPECT_EQ(viewer->Selection().at, 0);
    FindAgain();  // the page did not move: the next match
    EXPECT_EQ(viewer->Selection().at, two);
    for (int i = 0; i < 5; ++i) Key(VK_NEXT);
    const std::int64_t paged = viewer->Top();
    ASSERT_GT(paged, two);
    FindAgain();
    EXPECT_EQ(viewer->Selection().at, three);
    Key(VK_HOME);
    FindAgain();
    EXPECT_EQ(viewer->Selection().at, 0);
    Key(VK_END);
    FindAgain(false);  // backward from the end of the page shown
    EXPECT_EQ(viewer->Selection().at, four);
    FindAgain(false);
    EXPECT_EQ(viewer->Selection().at, three);
}

TEST_F(Viewer, GoesToALineAnOffsetInDecimalOrHexAndAPercent) {
    WriteBytes(tmp / "lines.txt", NumberedLines(10000));
    Open(tmp / "lines.txt");
    struct Case {
        const char* typed;
        std::int64_t top;  // -1: stays where it was
        const char* mode;
    };
    const Case cases[] = {
        {"2500", 2499 * 12, "Line 2500 at offset 29988"},
        {"@1200", 1200, "At offset 1200"},
        {"0x4B0", 1200, "At offset 1200"},
        {" 4b0H ", 1200, "At offset 1200"},
        {"@1205", 1200, "At offset 1205"},  // the line that holds it
        {"50%", 60000, "At offset 60000"},
        {"1", 0, "Line 1 at offset 0"},
        {"10000", -1, "Line 10000 at offset 119988"},  // on the last page
        {"10001", -1, "The file has fewer lines than that"},
        {"ten", -1, "Go to: a line, @offset, 0x1F00 or 1F00h, or 50%"},
        {"120%", -1, "Go to: a line, @offset, 0x1F00 or 1F00h, or 50%"},
    };
    for (const Case& c : cases) {
        Key(VK_NEXT);  // somewhere else first
        const std::int64_t before = viewer->Top();
        GoTo(c.typed);
        EXPECT_EQ(viewer->StatusPart(kMode), c.mode) << c.typed;
        EXPECT_EQ(viewer->Top(), c.top >= 0 ? c.top : viewer->Top()) << c.typed;
        if (std::string(c.mode).rfind("Go to", 0) == 0 || std::string(c.mode).rfind("The file", 0) == 0) {
            EXPECT_EQ(viewer->Top(), before) << c.typed;
            EXPECT_TRUE(viewer->BarShown()) << c.typed;  // to type it again
            Key(VK_ESCAPE, FindEdit());
        } else {
            EXPECT_FALSE(viewer->BarShown()) << c.typed;
        }
    }
    Key(VK_END);
    GoTo("10000");
    EXPECT_EQ(viewer->Rows().back(), "line 10000");
    // In hex a plain number is an offset.
    Key('H');
    GoTo("100");
    EXPECT_EQ(viewer->Top(), 96);
}

// Each entry of the encoding menu shows the same bytes its way, and names itself in the status.
TEST_F(Viewer, EachEncodingChosenByHandDecodesTheTextAndIsNamed) {
    const std::string bytes = "\xC4\xE5\xED\xFC\x8E";
    WriteBytes(tmp / "words.txt", bytes);
    Open(tmp / "words.txt");
    const auto system = [&](UINT cp) {
        wchar_t w[16] = {};
        const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), w, 16);
        return Narrow(std::wstring(w, static_cast<std::size_t>(n)));
    };
    struct Case {
        std::string menu, status, row;
    };
    const Case cases[] = {
        {"As detected", "ANSI " + std::to_string(GetACP()), system(CP_ACP)},
        {"UTF-8", "UTF-8", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"UTF-16 LE", "UTF-16 LE", "\xEE\x97\x84\xEF\xB3\xAD\xEF\xBF\xBD"},
        {"UTF-16 BE", "UTF-16 BE", "\xEC\x93\xA5\xEE\xB7\xBC\xEF\xBF\xBD"},
        {"ANSI (system, " + std::to_string(GetACP()) + ")", "ANSI " + std::to_string(GetACP()), system(CP_ACP)},
        {"OEM (system, " + std::to_string(GetOEMCP()) + ")", "OEM " + std::to_string(GetOEMCP()), system(CP_OEMCP)},
        {"Windows-1252 (Western)", "Windows-1252", "\xC3\x84\xC3\xA5\xC3\xAD\xC3\xBC\xC5\xBD"},
        {"Windows-1250 (Central European)", "Windows-1250", "\xC3\x84\xC4\xBA\xC3\xAD\xC3\xBC\xC5\xBD"},
        {"Windows-1251 (Cyrillic)", "Windows-1251", "\xD0\x94\xD0\xB5\xD0\xBD\xD1\x8C\xD0\x8B"},
        {"KOI8-R (Cyrillic)", "KOI8-R", "\xD0\xB4\xD0\x95\xD0\x9C\xD0\xAD\xE2\x96\x8C"},
        {"DOS 866 (Cyrillic)", "DOS 866", "\xE2\x94\x80\xD1\x85\xD1\x8D\xE2\x84\x96\xD0\x9E"},
    };
    const std::vector<std::string> menu = viewer->EncodingMenuTexts();
    ASSERT_EQ(menu.size(), std::size(cases));
    for (std::size_t i = 0; i < menu.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(menu[i], c.menu);
        SendMessageW(viewer->Handle(), WM_COMMAND, ViewerWindow::kEncodingCommand + i, 0);
        EXPECT_EQ(viewer->EncodingChosen(), static_cast<int>(i));
        EXPECT_EQ(viewer->StatusPart(kEncoding), c.status) << c.menu;
        ASSERT_FALSE(viewer->Rows().empty()) << c.menu;
        EXPECT_EQ(viewer->Rows()[0], c.row) << c.menu;
    }
    // Found in the encoding chosen, ignoring case: "ДЕНЬ" as Windows-1251 bytes.
    SendMessageW(viewer->Handle(), WM_COMMAND, ViewerWindow::kEncodingCommand + 8, 0);
    Find("\xD0\x94\xD0\x95\xD0\x9D\xD0\xAC");
    EXPECT_EQ(viewer->Selection().at, 0);
    EXPECT_EQ(viewer->Selection().length, 4u);

    // A binary file chosen as text shows as text; a BOM of the encoding chosen is not shown.
    WriteBytes(tmp / "bom.txt", std::string("\xEF\xBB\xBFok\0", 6));
    Open(tmp / "bom.txt");
    EXPECT_EQ(viewer->StatusPart(kEncoding), "UTF-8 BOM");
    SendMessageW(viewer->Handle(), WM_COMMAND, ViewerWindow::kEncodingCommand + 6, 0);
    EXPECT_EQ(viewer->Rows()[0], "\xC3\xAF\xC2\xBB\xC2\xBFok\xC2\xB7");
    SendMessageW(viewer->Handle(), WM_COMMAND, ViewerWindow::kEncodingCommand + 1, 0);
    EXPECT_EQ(viewer->Rows()[0], "ok\xC2\xB7");
}

// One line of 100 MB, unwrapped: a page to the right costs a page, and End keeps the column.
TEST_F(Viewer, ASingleLineOf100MbScrollsSideways) {
    std::string line;
    for (int i = 0; line.size() < (std::size_t{100} << 20); ++i) line += "0123456789";
    WriteBytes(tmp / "one-line.txt", line);
    line.clear();
    line.shrink_to_fit();
    Open(tmp / "one-line.txt");
    Key('W');
    std::vector<std::string> rows = viewer->Rows();
    ASSERT_EQ(rows.size(), 1u);
    const std::size_t columns = rows[0].size();
    ASSERT_GT(columns, 20u);
    EXPECT_EQ(rows[0].substr(0, 12), "012345678901");
    HWND bar = FindWindowExW(viewer->Handle(), nullptr, L"ScrollBar", nullptr);
    bar = FindWindowExW(viewer->Handle(), bar, L"ScrollBar", nullptr);  // the second: sideways
    ASSERT_TRUE(bar && IsWindowVisible(bar));
    const auto rightByPages = [&](int pages) {
        KeysDown ctrl({VK_CONTROL});
        for (int i = 0; i < pages; ++i) Key(VK_RIGHT);
    };
    const double page = SecondsOf([&] { rightByPages(1); });
    EXPECT_EQ(viewer->Columns(), static_cast<std::int64_t>(columns));
    EXPECT_EQ(viewer->Rows()[0][0], static_cast<char>('0' + columns % 10));
    rightByPages(200);
    const std::int64_t at = viewer->Columns();
    EXPECT_EQ(at, static_cast<std::int64_t>(columns) * 201);
    const auto digit = [&](std::int64_t k) { return static_cast<char>('0' + (at + k) % 10); };
    EXPECT_EQ(viewer->Rows()[0].substr(0, 3), (std::string{digit(0), digit(1), digit(2)}));
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS | SIF_RANGE;
    GetScrollInfo(bar, SB_CTL, &si);
    EXPECT_EQ(si.nPos, at);
    EXPECT_GE(si.nMax, (100 << 20) - 1);
    const double farPage = SecondsOf([&] { rightByPages(1); });
    EXPECT_LT(farPage, page * 4 + 0.05);  // far along the line, a page costs what the first did
    Key(VK_END);
    EXPECT_EQ(viewer->Columns(), at + static_cast<std::int64_t>(columns));
    SendMessageW(viewer->Handle(), WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_FALSE(GetUpdateRect(bar, nullptr, FALSE));  // its thumb moved by no pixel: not repainted
    PumpMessages();
    EXPECT_EQ(viewer->Columns(), at + static_cast<std::int64_t>(columns) - 1);
}

// F follows a log another program appends to; a move up stops following. Not followed, a file
// cut short or grown shows as it is now on the next key, or soon with none.
TEST_F(Viewer, FollowShowsWhatAnotherProgramAppendsAndAChangedSizeShowsWithoutIt) {
    const std::string log = tmp / "app.log";
    WriteBytes(log, NumberedLines(200));
    Open(log);
    viewer->SetFollowInterval(50);
    Key('F');
    EXPECT_TRUE(viewer->Following());
    EXPECT_EQ(viewer->Rows().back(), "line 00200");
    EXPECT_EQ(viewer->StatusPart(kMode), "Text, wrapped, following");
    for (const char* text : {"appended one", "appended two"}) {
        std::wstring command = L"cmd.exe /c echo " + Widen(text) + L">>\"" + Widen(log) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   nullptr, &si, &pi));
        AutoKernelHandle process(pi.hProcess), thread(pi.hThread);
        ASSERT_EQ(WaitForSingleObject(process.get(), 20000), WAIT_OBJECT_0);
        EXPECT_TRUE(PumpUntil([&] { return viewer->Rows().back() == text; }, 5)) << viewer->Rows().back();
    }
    EXPECT_TRUE(viewer->Following());
    Key(VK_UP);
    EXPECT_FALSE(viewer->Following());
    EXPECT_EQ(viewer->StatusPart(kMode), "Text, wrapped");
    Rewrite(log, NumberedLines(100));
    Key(VK_END);
    EXPECT_EQ(viewer->Rows().back(), "line 00100");
    EXPECT_EQ(viewer->StatusPart(kSize), "1200 bytes");
    Rewrite(log, NumberedLines(300));
    EXPECT_TRUE(PumpUntil([&] { return viewer->StatusPart(kSize) == "3600 bytes"; }, 5)) << viewer->StatusPart(kSize);
    Key(VK_END);
    EXPECT_EQ(viewer->Rows().back(), "line 00300");
    EXPECT_FALSE(viewer->Following());
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
    Rewrite(tmp / "shrinks.txt", NumberedLines(2));
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

// At 125%, 150% and 200% (the WM_DPICHANGED a move to such a monitor sends): the page's font, the
// rows that fit, the status line's font and the find bar scale; back at 96 all is as it was.
TEST_F(Viewer, FollowsAChangeOfDpiAndComesBackTo96Exactly) {
    WriteBytes(tmp / "lines.txt", NumberedLines(1000));
    Open(tmp / "lines.txt");
    const SIZE cell96 = viewer->CellSize();
    RECT outer{};
    GetWindowRect(viewer->Handle(), &outer);
    const int outerW = outer.right - outer.left, outerH = outer.bottom - outer.top;
    Key(VK_F7);
    const std::size_t rows96 = viewer->Rows().size();
    for (int dpi : {120, 144, 192, 96}) {
        SCOPED_TRACE(dpi);
        RECT suggested{outer.left, outer.top, outer.left + Scaled(outerW, dpi), outer.top + Scaled(outerH, dpi)};
        SendMessageW(viewer->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        PumpMessages();
        EXPECT_EQ(viewer->Dpi(), dpi);
        // The fixed font's cell grows with the scale (its size rounds to whole pixels).
        EXPECT_NEAR(viewer->CellSize().cy, Scaled(cell96.cy, dpi), 2);
        EXPECT_NEAR(viewer->CellSize().cx, Scaled(cell96.cx, dpi), 1);
        LOGFONTW lf{};
        GetObjectW(FontOf(FindEdit()), sizeof lf, &lf);
        EXPECT_EQ(lf.lfHeight, -Scaled(11, dpi));
        const RECT edit = ChildRect(FindEdit());
        EXPECT_EQ(edit.left, Scaled(64, dpi));
        EXPECT_GE(edit.bottom - edit.top, viewer->CellSize().cy);  // the typed text whole in the bar
        EXPECT_EQ(viewer->Rows()[0], "line 00001");
    }
    EXPECT_EQ(viewer->CellSize().cy, cell96.cy);
    EXPECT_EQ(viewer->CellSize().cx, cell96.cx);
    EXPECT_EQ(viewer->Rows().size(), rows96);
}
