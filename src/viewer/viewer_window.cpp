#include "viewer/viewer_window.h"

#include <algorithm>
#include <exception>

#include <windowsx.h>

#include "controls/controls.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

namespace bivane::viewer {

namespace {

const wchar_t kClass[] = L"BvlistWindow";
constexpr UINT kSearchStep = WM_APP + 1;
constexpr int kWheelLines = 3;
constexpr std::size_t kMaxCopy = 16 << 20;  // the clipboard takes at most this much of a selection
enum StatusParts { kOffset, kPercent, kEncoding, kSize, kMode };

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The platform's case mappings, and the ANSI code page without best-fit guesses (a guessed
// character would find text that is not there).
CaseFold PlatformFold() {
    CaseFold f;
    f.variants = [](char32_t c) {
        std::u32string v(1, c);
        if (c < 0x10000) {
            wchar_t up = static_cast<wchar_t>(c), low = static_cast<wchar_t>(c);
            CharUpperBuffW(&up, 1);
            CharLowerBuffW(&low, 1);
            v += static_cast<char32_t>(up);
            v += static_cast<char32_t>(low);
        }
        return v;
    };
    f.ansi = [](char32_t c) {
        std::u16string u;
        AppendUtf16(u, c);
        char out[8];
        BOOL guessed = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(u.data()),
                                          static_cast<int>(u.size()), out, sizeof out, nullptr, &guessed);
        return n > 0 && !guessed ? std::string(out, static_cast<std::size_t>(n)) : std::string();
    };
    return f;
}

AnsiTable SystemAnsiTable() {
    AnsiTable t{};
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        wchar_t w = 0xFFFD;
        if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &c, 1, &w, 1) != 1) w = 0xFFFD;
        t[static_cast<std::size_t>(b)] = static_cast<char16_t>(w);
    }
    return t;
}

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// The clipboard, open for the length of a scope.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != 0) {}
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};

// Global memory for the clipboard, freed unless the clipboard took it.
class GlobalBlock {
public:
    explicit GlobalBlock(std::size_t bytes) : h_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~GlobalBlock() {
        if (h_) GlobalFree(h_);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL get() const { return h_; }
    void release() { h_ = nullptr; }

private:
    HGLOBAL h_;
};

}  // namespace

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
    : path_(std::move(path)), src_(std::move(src)), ansi_(SystemAnsiTable()), codePage_(GetACP()) {
    std::uint8_t head[4096];
    const std::size_t n = src_->Read(0, head, sizeof head);
    detected_ = Detect(head, n);
    hex_ = detected_.binary;
    knownSize_ = src_->Size();
    top_ = hex_ ? 0 : detected_.bom;
    // A fixed font for text and hex; the status line and the find bar take Bivane's dialog font.
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New"));
}

ViewerWindow::~ViewerWindow() {
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
    hwnd_ = CreateWindowExW(0, kClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                            CW_USEDEFAULT, CW_USEDEFAULT, 760, 560, nullptr, nullptr, AppInstance(), this);
    if (!hwnd_) return false;
    status_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                              nullptr, AppInstance(), nullptr);
    SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
    // A scroll bar control of its own: changing the window's own scroll bar repaints the whole
    // frame, which under Wine costs more than the page.
    scroll_ = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, hwnd_, nullptr,
                              AppInstance(), nullptr);
    findLabel_ = CreateChild(hwnd_, L"STATIC", "Find:", SS_RIGHT | SS_CENTERIMAGE, 0, 0, 0, 0);
    findEdit_ = CreateChild(hwnd_, L"EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 0, 0, 0, 0);
    SetWindowSubclass(findEdit_, FindEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    {
        WindowDC dc(hwnd_);
        ScopedSelect font(dc.get(), font_.get());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc.get(), &tm);
        charW_ = std::max<int>(tm.tmAveCharWidth, 1);
        lineH_ = std::max<int>(tm.tmHeight, 1);
    }
    ShowWindow(hwnd_, show);
    SendMessageW(hwnd_, WM_SIZE, 0, 0);
    UpdateWindow(hwnd_);
    return true;
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

LRESULT CALLBACK ViewerWindow::FindEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<ViewerWindow*>(ref);
    try {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        if (msg == WM_KEYDOWN && wp == VK_RETURN) {
            self->StartSearch(!shift);
            return 0;
        }
        if (msg == WM_KEYDOWN && wp == VK_F3) {
            self->StartSearch(!shift);
            return 0;
        }
        // The page scrolls while the find bar has the keys; the edit keeps the rest.
        if (msg == WM_KEYDOWN && (wp == VK_UP || wp == VK_DOWN || wp == VK_PRIOR || wp == VK_NEXT)) {
            self->OnKey(wp);
            return 0;
        }
        if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
            if (self->search_.active) {
                self->StopSearch("Search stopped");
            } else {
                self->ShowFindBar(false);
            }
            return 0;
        }
        if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, FindEditProc, 1);
        // Enter and Escape would beep in a one-line edit.
        if (msg == WM_CHAR && (wp == L'\r' || wp == 0x1B)) return 0;
    } catch (...) {
        ShowBox(self->hwnd_, BoxKind::Error, "The viewer failed.", BoxButtons::Ok);
        return 0;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

LRESULT ViewerWindow::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE: {
            SendMessageW(status_, WM_SIZE, 0, 0);
            const RECT c = ClientRect(hwnd_);
            const int w = c.right;
            int parts[kParts] = {w * 30 / 100, w * 40 / 100, w * 55 / 100, w * 72 / 100, -1};
            SendMessageW(status_, SB_SETPARTS, kParts, reinterpret_cast<LPARAM>(parts));
            const RECT s = ChildRect(status_);
            const int barH = lineH_ + 10;
            const int scrollW = GetSystemMetrics(SM_CXVSCROLL);
            MoveTo(scroll_, w - scrollW, 0, scrollW, s.top);
            MoveTo(findLabel_, 0, s.top - barH, 48, barH);
            MoveTo(findEdit_, 52, s.top - barH + 2, std::max(w - 60 - scrollW, 10), barH - 4);
            Changed(true);
            return 0;
        }
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_KEYDOWN:
            if (OnKey(wp)) return 0;
            break;
        case WM_CHAR: return 0;  // letters are commands here
        case WM_MOUSEWHEEL: {
            const int notches = GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
            if (notches > 0) LinesUp(notches * kWheelLines);
            if (notches < 0) LinesDown(-notches * kWheelLines);
            return 0;
        }
        case WM_VSCROLL: {
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
                    SCROLLINFO si{};
                    si.cbSize = sizeof si;
                    si.fMask = SIF_TRACKPOS | SIF_RANGE;
                    GetScrollInfo(scroll_, SB_CTL, &si);
                    const double at = si.nMax > 0 ? static_cast<double>(si.nTrackPos) / si.nMax : 0;
                    ScrollTo(RowStartAt(static_cast<std::int64_t>(at * static_cast<double>(src_->Size()))));
                    break;
                }
                default: break;
            }
            return 0;
        }
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd_);
            const std::int64_t at = HitTest(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            if (at < 0) return 0;
            anchor_ = at;
            sel_ = {at, hex_ ? 1u : 0u};
            SetCapture(hwnd_);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        }
        case WM_MOUSEMOVE:
            if (GetCapture() == hwnd_ && anchor_ >= 0) {
                const std::int64_t at = HitTest(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
                if (at < 0) return 0;
                const std::int64_t lo = std::min(anchor_, at), hi = std::max(anchor_, at) + (hex_ ? 1 : 0);
                sel_ = {lo, static_cast<std::size_t>(std::min(hi, src_->Size()) - lo)};
                InvalidateRect(hwnd_, nullptr, FALSE);
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd_) ReleaseCapture();
            return 0;
        case kSearchStep: SearchStep(); return 0;
        case WM_DESTROY: {
            hwnd_ = nullptr;
            if (OnClosed) OnClosed();
            return 0;
        }
        default: break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool ViewerWindow::OnKey(WPARAM vk) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    const int rows = RowsOnPage();
    switch (vk) {
        case VK_UP: LinesUp(1); return true;
        case VK_DOWN: LinesDown(1); return true;
        case VK_PRIOR: LinesUp(rows); return true;
        case VK_NEXT: LinesDown(rows); return true;
        case VK_HOME: ScrollTo(0); return true;
        case VK_END: ScrollTo(LastTop()); return true;
        case VK_LEFT:
        case VK_RIGHT:
            if (hex_ || wrap_) return true;
            hscroll_ = std::max(0, hscroll_ + (vk == VK_LEFT ? -1 : 1) * (ctrl ? 8 : 1));
            Changed(false);
            return true;
        case VK_F7: ShowFindBar(true); return true;
        case VK_F3:
            if (needle_.empty()) {
                ShowFindBar(true);
            } else {
                StartSearch(!shift);
            }
            return true;
        case VK_ESCAPE:
            if (search_.active) {
                StopSearch("Search stopped");
            } else if (FindBarShown()) {
                ShowFindBar(false);
            } else {
                DestroyWindow(hwnd_);
            }
            return true;
        default: break;
    }
    if (ctrl && vk == 'F') ShowFindBar(true);
    if (ctrl && vk == 'C') CopySelection();
    if (ctrl) return true;
    if (vk == 'Q') {
        DestroyWindow(hwnd_);
    } else if (vk == 'H') {  // hex and text: the row that holds the top byte stays on top
        const std::int64_t keep = top_;
        hex_ = !hex_;
        Changed(true);
        ScrollTo(RowStartAt(keep));
    } else if (vk == 'W' && !hex_) {
        wrap_ = !wrap_;
        hscroll_ = 0;
        Changed(true);
        ScrollTo(RowStartAt(top_));
    }
    return true;
}

TextLayout ViewerWindow::Layout() const {
    TextLayout l;
    l.encoding = detected_.encoding;
    l.origin = detected_.bom;
    l.width = ColumnsOnPage();
    l.wrap = wrap_;
    l.ansi = &ansi_;
    return l;
}

RECT ViewerWindow::TextArea() const {
    RECT r = ClientRect(hwnd_);
    r.right = ChildRect(scroll_).left;
    r.bottom = ChildRect(FindBarShown() ? findLabel_ : status_).top;
    return r;
}

int ViewerWindow::RowsOnPage() const {
    const RECT r = TextArea();
    return std::max(1, static_cast<int>(r.bottom - r.top) / lineH_);
}

int ViewerWindow::ColumnsOnPage() const { return std::max(8, static_cast<int>(TextArea().right) / charW_); }

bool ViewerWindow::FindBarShown() const { return findEdit_ && IsShown(findEdit_); }

const std::vector<DisplayLine>& ViewerWindow::Page() {
    CheckSize();
    if (pageValid_) return page_;
    page_.clear();
    const int rows = RowsOnPage();
    const std::int64_t size = src_->Size();
    if (hex_) {
        const int digits = HexOffsetDigits(size);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(rows) * kHexPerRow);
        const std::size_t got = src_->Read(top_, bytes.data(), bytes.size());
        for (std::size_t i = 0; i < got; i += kHexPerRow) {
            DisplayLine line;
            line.start = top_ + static_cast<std::int64_t>(i);
            const std::size_t n = std::min<std::size_t>(kHexPerRow, got - i);
            line.end = line.next = line.start + static_cast<std::int64_t>(n);
            for (const char c : HexRow(line.start, bytes.data() + i, n, digits)) line.text += static_cast<char16_t>(c);
            page_.push_back(std::move(line));
        }
    } else {
        const TextLayout l = Layout();
        for (std::int64_t pos = top_; static_cast<int>(page_.size()) < rows && pos < size;) {
            DisplayLine line = LayoutLine(*src_, pos, l);
            if (line.next <= pos) break;  // nothing more can be read
            pos = line.next;
            page_.push_back(std::move(line));
        }
    }
    pageValid_ = true;
    return page_;
}

// A file that shrank while shown: what was worked out from its old size goes.
void ViewerWindow::CheckSize() {
    if (src_->Size() == knownSize_) return;
    knownSize_ = src_->Size();
    lastTop_ = -1;
    pageValid_ = false;
    sel_ = {};
    if (top_ >= knownSize_) top_ = RowStartAt(knownSize_);
    UpdateStatus();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

std::int64_t ViewerWindow::LastTop() {
    CheckSize();
    if (lastTop_ >= 0) return lastTop_;
    const std::int64_t size = src_->Size();
    const int rows = RowsOnPage();
    if (hex_) {
        const std::int64_t lastRow = size > 0 ? (size - 1) / kHexPerRow * kHexPerRow : 0;
        lastTop_ = std::max<std::int64_t>(0, lastRow - static_cast<std::int64_t>(rows - 1) * kHexPerRow);
    } else {
        lastTop_ = LastPageStart(*src_, rows, Layout());
    }
    return lastTop_;
}

std::int64_t ViewerWindow::RowStartAt(std::int64_t pos) {
    pos = std::clamp<std::int64_t>(pos, 0, std::max<std::int64_t>(src_->Size() - 1, 0));
    if (hex_) return pos / kHexPerRow * kHexPerRow;
    return LineStartBefore(*src_, pos + 1, Layout());
}

void ViewerWindow::ScrollTo(std::int64_t top) {
    top = std::clamp<std::int64_t>(top, hex_ ? 0 : detected_.bom, std::max<std::int64_t>(LastTop(), 0));
    if (top == top_) return;
    top_ = top;
    Changed(false);
}

void ViewerWindow::LinesDown(int n) {
    std::int64_t top = top_;
    const std::int64_t last = LastTop();
    for (int i = 0; i < n && top < last; ++i) {
        top = hex_ ? top + kHexPerRow : LayoutLine(*src_, top, Layout()).next;
    }
    ScrollTo(top);
}

void ViewerWindow::LinesUp(int n) {
    std::int64_t top = top_;
    for (int i = 0; i < n && top > (hex_ ? 0 : detected_.bom); ++i) {
        top = hex_ ? top - kHexPerRow : LineStartBefore(*src_, top, Layout());
    }
    ScrollTo(top);
}

void ViewerWindow::Changed(bool layout) {
    if (layout) lastTop_ = -1;
    pageValid_ = false;
    UpdateStatus();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// Only what changed is sent: under Wine each status text and scroll bar change costs about a
// millisecond, more than laying out and painting a page.
void ViewerWindow::UpdateStatus() {
    const std::vector<DisplayLine>& page = Page();
    const std::int64_t size = src_->Size();
    const std::int64_t bottom = page.empty() ? top_ : page.back().next;
    if (!search_.active) mode_ = hex_ ? "Hex" : wrap_ ? "Text, wrapped" : "Text, not wrapped";
    const std::string texts[kParts] = {"Offset " + std::to_string(top_), std::to_string(Percent(bottom, size)) + "%",
                                       EncodingName(detected_.encoding, detected_.bom, codePage_),
                                       std::to_string(size) + " bytes", mode_};
    for (int part = 0; part < kParts; ++part) SetStatusPart(part, texts[part]);
    // The scroll bar in 10,000 steps: positions of a 5 GB file do not fit its 32-bit range.
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    si.nMax = 10000;
    si.nPage = size > 0 ? static_cast<UINT>(std::max<std::int64_t>(1, (bottom - top_) * 10000 / size)) : 10001;
    si.nPos = size > 0 ? static_cast<int>(static_cast<double>(top_) / static_cast<double>(size) * 10000) : 0;
    if (si.nPage != scrollShown_.nPage || si.nPos != scrollShown_.nPos) {
        scrollShown_ = si;
        SetScrollInfo(scroll_, SB_CTL, &si, TRUE);
    }
}

void ViewerWindow::SetStatusPart(int part, const std::string& text) {
    if (statusShown_[part] == text) return;
    statusShown_[part] = text;
    SendMessageW(status_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void ViewerWindow::SetModeText(const std::string& text) {
    mode_ = text;
    SetStatusPart(kMode, text);
}

std::string ViewerWindow::StatusPart(int part) const {
    const auto n = LOWORD(SendMessageW(status_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(status_, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n);
    return Narrow(text);
}

std::vector<std::string> ViewerWindow::Rows() {
    std::vector<std::string> rows;
    for (const DisplayLine& line : Page()) {
        const std::u16string shown = !hex_ && !wrap_ ? line.text.substr(std::min<std::size_t>(hscroll_, line.text.size()))
                                                     : line.text;
        rows.push_back(Narrow(std::wstring(W(shown))));
    }
    return rows;
}

void ViewerWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    const RECT area = TextArea();
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    {
        ScopedSelect font(dc, font_.get());
        int y = 0;
        for (const DisplayLine& line : Page()) {
            PaintRow(dc, line, y);
            y += lineH_;
        }
    }
    EndPaint(hwnd_, &ps);
}

// One row: its text, then the selected characters over it in the selection's colours.
void ViewerWindow::PaintRow(HDC dc, const DisplayLine& line, int y) {
    const int skip = !hex_ && !wrap_ ? hscroll_ : 0;
    if (static_cast<int>(line.text.size()) <= skip) return;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    TextOutW(dc, 0, y, W(line.text) + skip, static_cast<int>(line.text.size()) - skip);
    if (!sel_.Found()) return;
    const std::int64_t selEnd = sel_.at + static_cast<std::int64_t>(sel_.length);
    if (selEnd <= line.start || sel_.at >= line.next) return;
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    const auto mark = [&](int column, int count) {
        if (column - skip < 0) return;
        TextOutW(dc, (column - skip) * charW_, y, W(line.text) + column, count);
    };
    if (hex_) {
        const int digits = HexOffsetDigits(src_->Size());
        for (std::int64_t at = std::max(sel_.at, line.start); at < std::min(selEnd, line.end); ++at) {
            const int k = static_cast<int>(at - line.start);
            mark(HexColumn(k, digits), 2);
            mark(HexCharColumn(k, digits), 1);
        }
        return;
    }
    for (std::size_t i = 0; i < line.text.size(); ++i) {
        const std::int64_t at = line.start + line.at[i];
        if (at >= sel_.at && at < selEnd) mark(static_cast<int>(i), 1);
    }
}

std::int64_t ViewerWindow::HitTest(int x, int y) {
    const std::vector<DisplayLine>& page = Page();
    if (page.empty() || y < 0) return -1;
    const DisplayLine& line = page[std::min<std::size_t>(static_cast<std::size_t>(y / lineH_), page.size() - 1)];
    if (hex_) {
        const int k = HexByteAt(std::max(x, 0) / charW_, HexOffsetDigits(src_->Size()));
        return k < 0 ? -1 : std::min(line.start + k, std::max<std::int64_t>(line.end - 1, line.start));
    }
    // Text: the boundary nearest the pointer, in the row's own characters.
    const std::size_t col = static_cast<std::size_t>(std::max(0, (x + charW_ / 2) / charW_ + (wrap_ ? 0 : hscroll_)));
    return col < line.at.size() ? line.start + line.at[col] : line.end;
}

void ViewerWindow::CopySelection() {
    if (!sel_.Found() || sel_.length == 0) return;
    std::vector<std::uint8_t> bytes(std::min(sel_.length, kMaxCopy));
    bytes.resize(src_->Read(sel_.at, bytes.data(), bytes.size()));
    const std::u16string text = DecodeText(bytes.data(), bytes.size(), detected_.encoding, ansi_);
    OpenClipboardScope clip(hwnd_);
    if (!clip.IsOpen()) return;
    GlobalBlock mem((text.size() + 1) * sizeof(char16_t));
    if (!mem.get()) return;
    if (void* p = GlobalLock(mem.get())) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<char16_t*>(p));
        GlobalUnlock(mem.get());
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, mem.get())) mem.release();
    }
}

void ViewerWindow::ShowFindBar(bool show) {
    SetVisible(findLabel_, show);
    SetVisible(findEdit_, show);
    Changed(true);
    if (show) {
        SendMessageW(findEdit_, EM_SETSEL, 0, -1);
        SetFocus(findEdit_);
    } else {
        SetFocus(hwnd_);
    }
}

void ViewerWindow::StartSearch(bool forward) {
    if (FindBarShown()) needle_ = WindowText(findEdit_);
    if (needle_.empty()) return;
    search_ = {};
    search_.pattern = MakePattern(needle_, detected_.encoding, detected_.bom, PlatformFold());
    if (search_.pattern.Empty()) {
        SetModeText("Not found: " + needle_);
        return;
    }
    search_.active = true;
    search_.forward = forward;
    const int unit = UnitSize(detected_.encoding);
    if (sel_.Found()) {
        search_.pos = forward ? sel_.at + unit : sel_.at;
    } else {
        search_.pos = forward ? top_ : top_ + 1;
    }
    PostMessageW(hwnd_, kSearchStep, 0, 0);
}

// A slice of the file per message, so the window stays alive, shows progress and hears Escape.
void ViewerWindow::SearchStep() {
    if (!search_.active) return;
    const std::int64_t size = src_->Size();
    Match m;
    bool done;
    if (search_.forward) {
        const std::int64_t to = std::min(size, search_.pos + slice_);
        m = FindForward(*src_, search_.pattern, search_.pos, to);
        search_.pos = to;
        done = to >= size;
    } else {
        const std::int64_t to = std::max<std::int64_t>(0, search_.pos - slice_);
        m = FindBackward(*src_, search_.pattern, search_.pos, to);
        search_.pos = to;
        done = to <= 0;
    }
    if (m.Found()) {
        search_.active = false;
        sel_ = m;
        const auto& page = Page();
        const std::int64_t bottom = page.empty() ? top_ : page.back().next;
        if (m.at < top_ || m.at >= bottom) {
            const std::int64_t row = RowStartAt(m.at);
            top_ = std::min(row, LastTop());
        }
        Changed(false);
        SetModeText("Found at offset " + std::to_string(m.at));
        return;
    }
    if (done) {
        StopSearch("Not found: " + needle_);
        MessageBeep(MB_OK);
        return;
    }
    const std::int64_t covered = search_.forward ? search_.pos : size - search_.pos;
    SetModeText("Searching " + std::to_string(Percent(covered, size)) + "% (Esc stops)");
    PostMessageW(hwnd_, kSearchStep, 0, 0);
}

void ViewerWindow::StopSearch(const std::string& why) {
    search_.active = false;
    SetModeText(why);
}

}  // namespace bivane::viewer
