#include "viewer/viewer_window.h"

#include <algorithm>
#include <exception>

#include <windowsx.h>

#include "controls/controls.h"
#include "platform/code_pages.h"
#include "platform/dpi.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"
#include "viewer/viewer_parts.h"

namespace bivane::viewer {

namespace {

// A scroll bar's range and where its thumb is being dragged.
SCROLLINFO TrackedScroll(HWND bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS | SIF_RANGE;
    GetScrollInfo(bar, SB_CTL, &si);
    return si;
}

const wchar_t kClass[] = L"BvlistWindow";
constexpr int kWheelLines = 3;

// Moves and shows a child only when it changes: under Wine each move or show costs a round trip
// to the server, even one to where the child already is, and the bar comes and goes on each search.
void Place(HWND child, int x, int y, int width, int height) {
    const RECT r = ChildRect(child);
    if (r.left != x || r.top != y || r.right - r.left != width || r.bottom - r.top != height) {
        MoveTo(child, x, y, width, height);
    }
}

void Show(HWND child, bool visible) {
    if (IsShown(child) != visible) SetVisible(child, visible);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CaseFold PlatformFold(unsigned codePage) {
    CaseFold f;
    f.variants = CaseVariants;
    f.ansi = [codePage](char32_t c) { return InCodePage(c, codePage); };
    return f;
}

AnsiTable CodePageTable(unsigned codePage) { return CodePageUnits(codePage); }

std::unique_ptr<ViewerWindow> ViewerWindow::Open(const std::string& path, int show) {
    std::unique_ptr<FileSource> src;
    try {
        src = std::make_unique<FileSource>(path);
    } catch (const OpenError& e) {
        ShowBox(nullptr, BoxKind::Error, e.message, BoxButtons::Ok);
        return nullptr;
    }
    std::unique_ptr<ViewerWindow> w(new ViewerWindow(path, std::move(src)));
    if (!w->Create(show)) {
        ShowBox(nullptr, BoxKind::Error, "Cannot make the viewer's window.", BoxButtons::Ok);
        return nullptr;
    }
    return w;
}

ViewerWindow::ViewerWindow(std::string path, std::unique_ptr<FileSource> src)
    : path_(std::move(path)), src_(std::move(src)), codePage_(GetACP()), choices_(EncodingChoices(GetACP(), GetOEMCP())) {
    ansi_ = CodePageTable(codePage_);
    headBytes_ = src_->Read(0, head_, sizeof head_);
    detected_ = Detect(head_, headBytes_);
    encoding_ = detected_.encoding;
    origin_ = detected_.bom;
    hex_ = detected_.binary;
    knownSize_ = src_->Size();
    top_ = hex_ ? 0 : origin_;
}

ViewerWindow::~ViewerWindow() {
    job_.reset();  // their threads end before the window and the file go
    stopping_.clear();
    if (hwnd_) {
        OnClosed = nullptr;
        DestroyWindow(hwnd_);
    }
}

bool ViewerWindow::Create(int show) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = AppInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
        wc.hIcon = LoadIconW(AppInstance(), MAKEINTRESOURCEW(1));
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc) != 0;
    }();
    if (!registered) return false;
    const std::wstring title = Widen("BVLIST - " + NameOf(path_));
    // Made for the primary screen's DPI; one on another monitor is told its own (WM_DPICHANGED).
    dpi_ = SystemDpi();
    hwnd_ = CreateWindowExW(0, kClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                            CW_USEDEFAULT, Scaled(760, dpi_), Scaled(560, dpi_), nullptr, nullptr, AppInstance(), this);
    if (!hwnd_) return false;
    dpi_ = WindowDpi(hwnd_);
    CreateChildren();
    SetDpi(dpi_);
    ShowWindow(hwnd_, show);
    OnSize();
    UpdateWindow(hwnd_);
    // A file another program changes is shown as it is now within this time even with no key.
    SetTimer(hwnd_, kSizeTimer, kSizeMs, nullptr);
    return true;
}

// A fixed font for text and hex; the status line and the bar take Bivane's dialog font. All of
// them, and the page's figures, for dpi.
void ViewerWindow::SetDpi(int dpi) {
    dpi_ = dpi;
    statusFor_ = {};  // its font's height is the status line's
    font_.reset(CreateFontW(-Scaled(12, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                            L"Courier New"));
    for (HWND child : {status_, barLabel_, barEdit_}) {
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont(dpi)), FALSE);
    }
    WindowDC dc(hwnd_);
    ScopedSelect font(dc.get(), font_.get());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    charW_ = std::max<int>(tm.tmAveCharWidth, 1);
    lineH_ = std::max<int>(tm.tmHeight, 1);
}

void ViewerWindow::CreateChildren() {
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                              nullptr, AppInstance(), nullptr);
    // Subclassed through its window procedure, not SetWindowSubclass: that finds its data as a
    // window property on every message, a round trip to the Wine server each time.
    SetWindowLongPtrW(status_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    statusBaseProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(status_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ViewerWindow::StatusProc)));
    // Scroll bar controls of their own: changing the window's own scroll bars repaints the whole
    // frame, which under Wine costs more than the page.
    scroll_ = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, hwnd_, nullptr,
                              AppInstance(), nullptr);
    hscroll_ = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | SBS_HORZ, 0, 0, 0, 0, hwnd_, nullptr, AppInstance(),
                               nullptr);
    barLabel_ = CreateChild(hwnd_, L"STATIC", "Find:", SS_RIGHT | SS_CENTERIMAGE, 0, 0, 0, 0);
    barEdit_ = CreateChild(hwnd_, L"EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 0, 0, 0, 0);
    SetWindowSubclass(barEdit_, BarEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK ViewerWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        SetWindowLongPtrW(h, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self || !self->hwnd_) return DefWindowProcW(h, msg, wp, lp);
    // Nothing thrown may cross into the system's code.
    try {
        return self->Dispatch(msg, wp, lp);
    } catch (const std::exception& e) {
        ShowBox(h, BoxKind::Error, std::string("The viewer failed: ") + e.what(), BoxButtons::Ok);
    } catch (...) {
        ShowBox(h, BoxKind::Error, "The viewer failed.", BoxButtons::Ok);
    }
    return 0;
}

LRESULT CALLBACK ViewerWindow::BarEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<ViewerWindow*>(ref);
    try {
        if (msg == WM_KEYDOWN && self->OnBarKey(wp)) return 0;
        // F10 closes from the bar too; the edit would hand it to the system menu.
        if (msg == WM_SYSKEYDOWN && wp == VK_F10) {
            self->Close();
            return 0;
        }
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, BarEditProc, 1);
        // Enter and Escape would beep in a one-line edit.
        if (msg == WM_CHAR && (wp == L'\r' || wp == 0x1B)) return 0;
    } catch (...) {
        ShowBox(self->hwnd_, BoxKind::Error, "The viewer failed.", BoxButtons::Ok);
        return 0;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

// The status bar paints itself at once for each text set: while the viewer sets its texts, that
// paint is left for later (the bar stays invalid), so the changed parts are painted once, with the
// page.
LRESULT CALLBACK ViewerWindow::StatusProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    const auto* self = reinterpret_cast<const ViewerWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (msg == WM_PAINT && wp == 0 && self->holdStatusPaint_) return 0;
    return CallWindowProcW(self->statusBaseProc_, h, msg, wp, lp);
}

// The bar's edit keeps the keys for typing; Enter, F3, Escape and the page's scrolling keys act.
bool ViewerWindow::OnBarKey(WPARAM vk) {
    NoticeFileSize();
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (vk) {
        case VK_RETURN: OnBarEnter(shift); return true;
        case VK_F3: StartSearch(!shift); return true;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT: OnKey(vk); return true;
        case VK_ESCAPE:
            if (job_) {
                StopJob(Searching() ? "Search stopped" : "Go to stopped");
            } else {
                ShowBar(false);
            }
            return true;
        default: return false;
    }
}

LRESULT ViewerWindow::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE: OnSize(); return 0;
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_KEYDOWN:
            if (OnKey(wp)) return 0;
            break;
        case WM_SYSKEYDOWN:  // F10 arrives as a system key
            if (wp == VK_F10) {
                Close();
                return 0;
            }
            break;
        case WM_CHAR: return 0;  // letters are commands here
        case WM_MOUSEWHEEL: {
            NoticeFileSize();
            const int notches = GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
            if (notches > 0) LinesUp(notches * kWheelLines);
            if (notches < 0) LinesDown(-notches * kWheelLines);
            return 0;
        }
        case WM_VSCROLL: OnVScroll(wp); return 0;
        case WM_HSCROLL: OnHScroll(wp); return 0;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: OnMouse(msg, lp); return 0;
        case WM_COMMAND:
            if (LOWORD(wp) >= kEncodingCommand && LOWORD(wp) < kEncodingCommand + 1 + choices_.size()) {
                ChooseEncoding(LOWORD(wp) - static_cast<int>(kEncodingCommand));
                return 0;
            }
            break;
        case WM_TIMER: OnTimer(wp); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(UiFont(dpi_));
        case WM_DPICHANGED:
            SetDpi(HIWORD(wp));
            MoveToSuggested(hwnd_, *reinterpret_cast<const RECT*>(lp));
            OnSize();  // also when the suggested size is the same
            InvalidateRect(hwnd_, nullptr, TRUE);
            return 0;
        case kJobDone: OnJobDone(wp); return 0;
        case WM_DESTROY: OnClose(); return 0;
        default: break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void ViewerWindow::OnClose() {
    job_.reset();
    stopping_.clear();
    hwnd_ = nullptr;
    if (OnClosed) OnClosed();
}

void ViewerWindow::OnSize() {
    const RECT c = ClientRect(hwnd_);
    const int w = c.right;
    // The status line follows the window's size and its font only.
    if (c.right != statusFor_.cx || c.bottom != statusFor_.cy) {
        statusFor_ = {c.right, c.bottom};
        SendMessageW(status_, WM_SIZE, 0, 0);
        int parts[kParts] = {w * 26 / 100, w * 36 / 100, w * 54 / 100, w * 71 / 100, -1};
        SendMessageW(status_, SB_SETPARTS, kParts, reinterpret_cast<LPARAM>(parts));
    }
    const RECT s = ChildRect(status_);
    auto px = [this](int designed) { return Scaled(designed, dpi_); };
    const int barH = lineH_ + px(10);
    const int scrollW = MetricForDpi(SM_CXVSCROLL, dpi_), scrollH = MetricForDpi(SM_CYHSCROLL, dpi_);
    const int barTop = s.top - (BarShown() ? barH : 0);
    const bool sideways = !hex_ && !wrap_;
    Show(hscroll_, sideways);
    Place(scroll_, w - scrollW, 0, scrollW, barTop - (sideways ? scrollH : 0));
    Place(hscroll_, 0, barTop - scrollH, w - scrollW, scrollH);
    Place(barLabel_, 0, s.top - barH, px(60), barH);
    Place(barEdit_, px(64), s.top - barH + px(2), std::max(w - px(72) - scrollW, px(10)), barH - px(4));
    Changed(true);
}

void ViewerWindow::OnVScroll(WPARAM wp) {
    NoticeFileSize();
    const int rows = RowsOnPage();
    switch (LOWORD(wp)) {
        case SB_LINEUP: LinesUp(1); break;
        case SB_LINEDOWN: LinesDown(1); break;
        case SB_PAGEUP: LinesUp(rows); break;
        case SB_PAGEDOWN: LinesDown(rows); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(LastTop()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            const SCROLLINFO si = TrackedScroll(scroll_);
            const double at = si.nMax > 0 ? static_cast<double>(si.nTrackPos) / si.nMax : 0;
            ScrollTo(RowStartAt(static_cast<std::int64_t>(at * static_cast<double>(src_->Size()))));
            break;
        }
        default: break;
    }
}

// The sideways bar counts columns in its 32-bit range, scaled for lines longer than that.
void ViewerWindow::OnHScroll(WPARAM wp) {
    const std::int64_t page = ColumnsOnPage();
    switch (LOWORD(wp)) {
        case SB_LINELEFT: ScrollSideways(-1); break;
        case SB_LINERIGHT: ScrollSideways(1); break;
        case SB_PAGELEFT: ScrollSideways(-page); break;
        case SB_PAGERIGHT: ScrollSideways(page); break;
        case SB_LEFT: ScrollSideways(-hcol_); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            ScrollSideways(static_cast<std::int64_t>(TrackedScroll(hscroll_).nTrackPos) * hscale_ - hcol_);
            break;
        }
        default: break;
    }
}

bool ViewerWindow::OnMouse(UINT msg, LPARAM lp) {
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    if (msg == WM_LBUTTONUP) {
        if (GetCapture() == hwnd_) ReleaseCapture();
        return true;
    }
    if (msg == WM_LBUTTONDOWN) SetFocus(hwnd_);
    if (msg == WM_MOUSEMOVE && (GetCapture() != hwnd_ || anchor_ < 0)) return true;
    const std::int64_t at = HitTest(x, y);
    if (at < 0) return true;
    if (msg == WM_LBUTTONDOWN) {
        anchor_ = at;
        sel_ = {at, hex_ ? 1u : 0u};
        SetCapture(hwnd_);
    } else {
        const std::int64_t lo = std::min(anchor_, at), hi = std::max(anchor_, at) + (hex_ ? 1 : 0);
        sel_ = {lo, static_cast<std::size_t>(std::min(hi, src_->Size()) - lo)};
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

void ViewerWindow::OnTimer(WPARAM id) {
    if (id == kProgressTimer) ShowJobProgress();
    if (id == kFollowTimer) FollowTick();
    if (id == kSizeTimer) NoticeFileSize();
}

}  // namespace bivane::viewer
