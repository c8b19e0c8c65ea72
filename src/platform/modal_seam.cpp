#include "platform/modal_seam.h"

#include <algorithm>

#include "platform/handles.h"
#include "platform/utf.h"

namespace bivane {

const char* const kAppTitle = "Bivane for Windows 95";

namespace {
ModalHandler* g_handler = nullptr;


// Wine sizes a box by its text and buttons alone, so a short text leaves too little room for the
// caption ("Infor...tion"). Room for the caption's text, an icon and two buttons beside it, which
// covers the window managers that draw captions themselves too.
int CaptionRoom(HWND box) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) return 0;
    AutoGdiObject font(CreateFontIndirectW(&ncm.lfCaptionFont));
    wchar_t caption[256] = {};
    const int length = GetWindowTextW(box, caption, 256);
    WindowDC dc(box);
    ScopedSelect select(dc.get(), font.get());
    SIZE extent{};
    GetTextExtentPoint32W(dc.get(), caption, length, &extent);
    return extent.cx + GetSystemMetrics(SM_CXSMICON) + 2 * GetSystemMetrics(SM_CXSIZE) +
           4 * GetSystemMetrics(SM_CXDLGFRAME);
}

// Widens the box, about its centre, when its caption needs more room; the buttons stay centred.
void FitCaption(HWND box) {
    RECT r{};
    GetWindowRect(box, &r);
    const int grow = CaptionRoom(box) - (r.right - r.left);
    if (grow <= 0) return;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        if (lstrcmpiW(cls, L"Button") != 0) continue;
        RECT b{};
        GetWindowRect(c, &b);
        MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&b), 2);
        SetWindowPos(c, nullptr, b.left + grow / 2, b.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(box, nullptr, std::max(0L, r.left - grow / 2), r.top, r.right - r.left + grow, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Sees the box of this thread once it has laid itself out (its WM_INITDIALOG has returned).
LRESULT CALLBACK BoxLaidOut(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == WM_INITDIALOG) {
        wchar_t cls[16] = {};
        GetClassNameW(m->hwnd, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0) FitCaption(m->hwnd);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

class ScopedBoxHook {
public:
    ScopedBoxHook() : hook_(SetWindowsHookExW(WH_CALLWNDPROCRET, BoxLaidOut, nullptr, GetCurrentThreadId())) {}
    ~ScopedBoxHook() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    ScopedBoxHook(const ScopedBoxHook&) = delete;
    ScopedBoxHook& operator=(const ScopedBoxHook&) = delete;

private:
    HHOOK hook_;
};
}  // namespace

std::wstring WithDrawnLineBreaks(const std::string& text) {
    std::wstring wide = Widen(text);
    std::wstring out;
    out.reserve(wide.size() + wide.size() / 8);
    for (size_t i = 0; i < wide.size(); ++i) {
        out += wide[i];
        if (wide[i] == L'\r' && (i + 1 == wide.size() || wide[i + 1] != L'\n')) out += L'\n';
    }
    return out;
}

void SetModalHandler(ModalHandler* handler) { g_handler = handler; }
ModalHandler* CurrentModalHandler() { return g_handler; }

std::string BoxCaption(BoxKind kind) {
    switch (kind) {
        case BoxKind::Information: return "Information";
        case BoxKind::Warning: return "Warning";
        case BoxKind::Error: return "Error";
        case BoxKind::AppError: break;
    }
    return kAppTitle;
}

int ShowBox(HWND owner, BoxKind kind, const std::string& text, BoxButtons buttons) {
    BoxRequest req{kind, BoxCaption(kind), text, buttons};
    UINT flags = 0;
    switch (kind) {
        case BoxKind::Information: flags = MB_ICONINFORMATION; break;
        case BoxKind::Warning: flags = MB_ICONWARNING; break;
        case BoxKind::Error:
        case BoxKind::AppError: flags = MB_ICONERROR; break;
    }
    switch (buttons) {
        case BoxButtons::Ok: flags |= MB_OK; break;
        case BoxButtons::OkCancel: flags |= MB_OKCANCEL; break;
        case BoxButtons::YesNo: flags |= MB_YESNO; break;
        case BoxButtons::YesNoDefaultNo: flags |= MB_YESNO | MB_DEFBUTTON2; break;
    }
    if (g_handler) return g_handler->Box(req);
    // The handler above sees the texts as written; only the platform's box gets its line breaks.
    ScopedBoxHook fit;
    return MessageBoxW(owner, WithDrawnLineBreaks(req.text).c_str(), Widen(req.caption).c_str(), flags);
}

}  // namespace bivane
