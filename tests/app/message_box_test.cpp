// The program's message boxes as the platform shows them: no scripted answers here, a real box
// is found on this thread while its modal loop runs, measured, and closed with a real click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/report_window.h"
#include "platform/clipboard.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"
#include "platform/win.h"

namespace bivane::test {
namespace {

// What a shown box held, read from its windows.
struct SeenBox {
    bool found = false;
    std::wstring caption, text;
    RECT window{}, textClient{};
    SIZE textNeeds{};     // the widest line and all lines' height, in the control's font
    int captionNeeds = 0; // the caption text's width in the caption font, with its buttons
    int okOffCentre = 0;  // how far the OK button's centre is from the box's
};

SeenBox g_seen;

BOOL CALLBACK FindBox(HWND w, LPARAM found) {
    wchar_t cls[32] = {};
    GetClassNameW(w, cls, 32);
    if (std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
        *reinterpret_cast<HWND*>(found) = w;
        return FALSE;
    }
    return TRUE;
}

// The box's text: the static control that is not its icon.
HWND TextOf(HWND box) {
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        if (_wcsicmp(cls, L"Static") == 0 && (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return c;
    }
    return nullptr;
}

std::wstring WindowText(HWND w) {
    std::wstring s(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(w, s.data(), static_cast<int>(s.size()))));
    return s;
}

void Measure(HWND box) {
    g_seen.found = true;
    g_seen.caption = WindowText(box);
    GetWindowRect(box, &g_seen.window);
    HWND text = TextOf(box);
    if (!text) return;
    g_seen.text = WindowText(text);
    GetClientRect(text, &g_seen.textClient);
    HDC dc = GetDC(text);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    size_t from = 0;
    for (;;) {
        const size_t end = g_seen.text.find(L"\r\n", from);
        const std::wstring line = g_seen.text.substr(from, end == std::wstring::npos ? end : end - from);
        SIZE ext{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &ext);
        g_seen.textNeeds.cx = std::max(g_seen.textNeeds.cx, ext.cx);
        // A break at the very end starts no line that is drawn.
        if (!(line.empty() && end == std::wstring::npos)) g_seen.textNeeds.cy += tm.tmHeight;
        if (end == std::wstring::npos) break;
        from = end + 2;
    }
    SelectObject(dc, old);
    ReleaseDC(text, dc);

    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    HFONT captionFont = CreateFontIndirectW(&ncm.lfCaptionFont);
    HDC screen = GetDC(nullptr);
    old = SelectObject(screen, captionFont);
    SIZE ext{};
    GetTextExtentPoint32W(screen, g_seen.caption.c_str(), static_cast<int>(g_seen.caption.size()), &ext);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    DeleteObject(captionFont);
    // The close button and the frame share the caption with the text.
    g_seen.captionNeeds = ext.cx + GetSystemMetrics(SM_CXSIZE) + 2 * GetSystemMetrics(SM_CXDLGFRAME);
}

// Runs inside the box's modal loop: measures the box once it is up, then clicks its OK button.
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    KillTimer(nullptr, timer);
    Measure(box);
    HWND ok = GetDlgItem(box, IDOK);
    RECT b{}, client{};
    GetWindowRect(ok, &b);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&b), 2);
    GetClientRect(box, &client);
    g_seen.okOffCentre = std::abs((b.left + b.right) / 2 - client.right / 2);
    if (ok) PostMessageW(ok, BM_CLICK, 0, 0);
    else PostMessageW(box, WM_COMMAND, IDOK, 0);
}

SeenBox Show(BoxKind kind, const std::string& text) {
    g_seen = SeenBox{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerBox);
    const int answer = ShowBox(nullptr, kind, text, BoxButtons::Ok);
    KillTimer(nullptr, timer);
    EXPECT_EQ(answer, IDOK);
    return g_seen;
}

}  // namespace

// Each of the program's line breaks is one the platform draws: every line is measured and the
// box's text control holds the widest line and every line's height, whatever the box's kind.
TEST(RealBox, EveryLineOfTheTextAndTheCaptionFitTheRealBox) {
    ASSERT_EQ(CurrentModalHandler(), nullptr) << "a real box, not a scripted one";
    struct Case {
        BoxKind kind;
        std::string text;
        std::wstring shown;
        std::wstring caption;
    };
    const std::vector<Case> cases = {
        {BoxKind::Information, "1 newer file(s) found on left.\r", L"1 newer file(s) found on left.\r\n",
         L"Information"},
        {BoxKind::Information, "1 newer file(s) found on left.\r2 newer file(s) found on right.",
         L"1 newer file(s) found on left.\r\n2 newer file(s) found on right.", L"Information"},
        {BoxKind::Information, "Thank you for using\rof Bivane for Windows 95\rfrom Harlenby Software.",
         L"Thank you for using\r\nof Bivane for Windows 95\r\nfrom Harlenby Software.", L"Information"},
        {BoxKind::Warning, "Cannot find directory", L"Cannot find directory", L"Warning"},
        {BoxKind::Error, "Check disk in drive D:\r\rDrive D: is not ready.",
         L"Check disk in drive D:\r\n\r\nDrive D: is not ready.", L"Error"},
        {BoxKind::AppError, "Disk full.", L"Disk full.", L"Bivane for Windows 95"},
        {BoxKind::Error, "Failure reading file\r\r\nC:\\x", L"Failure reading file\r\n\r\nC:\\x", L"Error"},
    };
    for (const Case& c : cases) {
        const SeenBox seen = Show(c.kind, c.text);
        ASSERT_TRUE(seen.found) << Narrow(c.shown);
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_EQ(seen.text, c.shown);
        const int width = seen.textClient.right - seen.textClient.left;
        const int height = seen.textClient.bottom - seen.textClient.top;
        EXPECT_GE(width, seen.textNeeds.cx) << Narrow(c.shown);
        EXPECT_GE(height, seen.textNeeds.cy) << Narrow(c.shown);
        EXPECT_GE(seen.window.right - seen.window.left, seen.captionNeeds) << Narrow(c.caption);
        // Wine centres buttons in the window's width, frame and all: 3 pixels off the client's.
        EXPECT_LE(seen.okOffCentre, 4) << "a widened box keeps its button in the middle";
    }
}

}  // namespace bivane::test

namespace bivane::test {
namespace {

struct SeenReport {
    std::wstring caption, text;
    std::string clipboard;
};
SeenReport g_report;

// Runs inside the report's modal loop: reads it, presses "Copy to clipboard", then OK.
void CALLBACK AnswerReport(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND w = FindWindowW(L"ReportWindow", nullptr);
    if (!w || !IsWindowVisible(w)) return;
    KillTimer(nullptr, timer);
    g_report.caption = WindowText(w);
    g_report.text = WindowText(GetDlgItem(w, 1000));
    SendMessageW(GetDlgItem(w, 1001), BM_CLICK, 0, 0);
    g_report.clipboard = ClipboardText(w);
    PostMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
}

}  // namespace

// A report names every entry however many (a message box cut the list after a few), in a text
// longer than an edit control holds by default, and "Copy to clipboard" takes it whole.
TEST(RealReport, EveryEntryShownAndCopiedWhole) {
    ASSERT_EQ(CurrentModalHandler(), nullptr) << "a real window, not a scripted one";
    std::string text = "3000 of the 3000 files were not copied:";
    std::wstring shown = L"3000 of the 3000 files were not copied:";
    for (int i = 0; i < 3000; ++i) {
        const std::string line = "C:\\Some\\Folder\\file number " + std::to_string(i) + ".txt";
        text += "\r" + line;
        shown += L"\r\n" + Widen(line);
    }
    g_report = SeenReport{};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerReport);
    ShowReport(nullptr, BoxKind::Warning, text);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_report.caption, L"Warning");
    EXPECT_EQ(g_report.text.size(), shown.size());
    EXPECT_TRUE(g_report.text == shown) << "the report's text differs from what the command said";
    EXPECT_EQ(g_report.clipboard, Narrow(shown));
}

}  // namespace bivane::test
