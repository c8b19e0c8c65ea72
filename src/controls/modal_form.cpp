#include "controls/modal_form.h"

#include <algorithm>

#include "controls/controls.h"
#include "platform/dpi.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

namespace bivane {

ModalForm::ModalForm(const wchar_t* className, const std::string& caption, int clientW, int clientH,
                     DWORD style)
    : clientW_(clientW), clientH_(clientH) {
    WNDCLASSW wc{};
    if (!GetClassInfoW(AppInstance(), className, &wc)) {
        wc.lpfnWndProc = &ModalForm::Proc;
        wc.hInstance = AppInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = className;
        wc.cbWndExtra = DLGWINDOWEXTRA;  // lets DefDlgProc keep its state
        RegisterClassW(&wc);
    }
    // Made for the primary screen's DPI, centred on it; a dialog on another monitor is told its DPI.
    dpi_ = SystemDpi();
    const SIZE outer = OuterSizeForDpi(Scaled(clientW, dpi_), Scaled(clientH, dpi_), style, WS_EX_DLGMODALFRAME, dpi_);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - outer.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - outer.cy) / 2;
    hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, className,
                            Widen(caption).c_str(), style, x, y, outer.cx, outer.cy, nullptr, nullptr,
                            AppInstance(), this);
    if (WindowDpi(hwnd_) != dpi_) ApplyDpi(WindowDpi(hwnd_));
}

namespace {

// What a label, button or box needs for its text in its font beside its mark or inside its edges;
// 0 for controls whose text is the user's or is shortened on purpose.
int TextNeed(HWND c, int dpi) {
    wchar_t cls[16] = {};
    GetClassNameW(c, cls, 16);
    const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
    std::string text;
    for (char ch : WindowText(c)) {
        if (ch != '&') text += ch;
    }
    if (text.empty()) return 0;
    if (lstrcmpiW(cls, L"Button") == 0) {
        const LONG_PTR kind = style & BS_TYPEMASK;
        const bool mark = kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON || kind == BS_AUTOCHECKBOX;
        return TextWidthIn(c, text) + (mark ? Scaled(13 + 4, dpi) : Scaled(2 * 3, dpi));
    }
    const bool plainLabel = lstrcmpiW(cls, L"Static") == 0 && (style & SS_PATHELLIPSIS) != SS_PATHELLIPSIS &&
                            (style & SS_TYPEMASK) != SS_OWNERDRAW;
    return plainLabel ? TextWidthIn(c, text) : 0;
}

}  // namespace

void ModalForm::Place(const Placed& p) {
    SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(dpi_)), FALSE);
    const int x = Scaled(p.designed.left, dpi_);
    int w = Scaled(p.designed.right, dpi_);
    // The designed widths fit the designed font; a scalable face that stands in for it at another
    // DPI may be a little wider: a text grows its control, within the dialog.
    if (dpi_ != kBaseDpi) w = std::max(w, std::min(TextNeed(p.control, dpi_), Scaled(clientW_, dpi_) - x));
    MoveTo(p.control, x, Scaled(p.designed.top, dpi_), w, Scaled(p.designed.bottom, dpi_));
}

void ModalForm::ApplyDpi(int dpi) {
    dpi_ = dpi;
    for (const Placed& p : placed_) Place(p);
    DpiChanged();
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    const SIZE outer = OuterSizeForDpi(Scaled(clientW_, dpi), Scaled(clientH_, dpi), style, exStyle, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

ModalForm::~ModalForm() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

std::string ModalForm::ClassName() const {
    wchar_t buf[64] = {};
    GetClassNameW(hwnd_, buf, 64);
    return Narrow(buf);
}

std::string ModalForm::Caption() const { return WindowText(hwnd_); }
void ModalForm::SetCaption(const std::string& caption) { SetWindowTextUtf8(hwnd_, caption); }

HWND ModalForm::AddControl(const wchar_t* cls, const std::string& text, DWORD style, int x, int y,
                           int w, int h, int id, DWORD exStyle) {
    HWND c = CreateChild(hwnd_, cls, text, WS_VISIBLE | style, Scaled(x, dpi_), Scaled(y, dpi_), Scaled(w, dpi_),
                         Scaled(h, dpi_), id, exStyle);
    placed_.push_back(Placed{c, RECT{x, y, w, h}});
    Place(placed_.back());
    return c;
}

int ModalForm::ShowModal(HWND owner) {
    if (ModalHandler* h = CurrentModalHandler()) return h->Dialog(*this);
    return RunModalLoop(owner);
}

int ModalForm::RunModalLoop(HWND owner) {
    running_ = true;
    result_ = 0;
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    FormActivate();
    MSG msg;
    while (running_) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            // The main window went meanwhile (closed while a window of its own showed this one):
            // the loop outside ends too, or a process without a window would stay.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    running_ = false;
    return result_;
}

void ModalForm::EndModal(int result) {
    result_ = result;
    running_ = false;
    PostMessageW(hwnd_, WM_NULL, 0, 0);  // wake the loop
}

void ModalForm::ShowModeless() {
    ShowWindow(hwnd_, SW_SHOWNA);
    UpdateWindow(hwnd_);
}

void ModalForm::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void ModalForm::Click(int id) { SendMessageW(GetDlgItem(hwnd_, id), BM_CLICK, 0, 0); }

LRESULT CALLBACK ModalForm::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<ModalForm*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self) {
        LRESULT result = 0;
        if (self->OnMessage(msg, wp, lp, result)) return result;
        switch (msg) {
            case WM_COMMAND:
                self->OnCommand(LOWORD(wp), HIWORD(wp));
                return 0;
            case WM_CLOSE:
                if (self->running_) self->EndModal(IDCANCEL);
                return 0;
            case WM_GETFONT:
                return reinterpret_cast<LRESULT>(UiFont(self->dpi_));
            case WM_DPICHANGED: {
                // The suggested place, and the size the dialog's own layout gives at the new DPI.
                const RECT* r = reinterpret_cast<const RECT*>(lp);
                SetWindowPos(h, nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                self->ApplyDpi(HIWORD(wp));
                return 0;
            }
            default: break;
        }
    }
    return DefDlgProcW(h, msg, wp, lp);
}

}  // namespace bivane
