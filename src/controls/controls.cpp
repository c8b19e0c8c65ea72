#include "controls/controls.h"

#include <vector>

#include "controls/share_rules.h"
#include "core/dpi.h"
#include "platform/utf.h"

namespace bivane {

HINSTANCE AppInstance() { return GetModuleHandleW(nullptr); }

HFONT UiFontVariant(int dpi, bool bold, bool italic) {
    struct Made {
        int dpi;
        bool bold, italic;
        AutoGdiObject font;
    };
    static std::vector<Made> made;  // a handful at most: one per DPI the windows were shown at
    for (const Made& m : made) {
        if (m.dpi == dpi && m.bold == bold && m.italic == italic) return static_cast<HFONT>(m.font.get());
    }
    // The bitmap font has a few sizes only; its TrueType twin, with the same widths, has all (and
    // only a TrueType face is taken, so that no bitmap face of the same name stands in for it).
    const bool designed = dpi == kBaseDpi;
    AutoGdiObject font(CreateFontW(-Scaled(11, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                                   DEFAULT_CHARSET, designed ? OUT_DEFAULT_PRECIS : OUT_TT_ONLY_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                   designed ? L"MS Sans Serif" : L"Microsoft Sans Serif"));
    made.push_back(Made{dpi, bold, italic, std::move(font)});
    return static_cast<HFONT>(made.back().font.get());
}

HFONT UiFont(int dpi) { return UiFontVariant(dpi, false, false); }

HFONT FontOf(HWND control) {
    HFONT font = control ? reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)) : nullptr;
    return font ? font : UiFont(kBaseDpi);
}

int TextWidthIn(HWND control, std::string_view text) {
    WindowDC dc(control);
    ScopedSelect f(dc.get(), FontOf(control));
    const std::wstring w = Widen(text);
    SIZE sz{};
    GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &sz);
    return sz.cx;
}

AutoGdiObject LoadBitmapFor(const wchar_t* name, int dpi) {
    AutoGdiObject designed(LoadImageW(AppInstance(), name, IMAGE_BITMAP, 0, 0, 0));
    BITMAP b{};
    if (dpi == kBaseDpi || !designed || !GetObjectW(designed.get(), sizeof b, &b)) return designed;
    WindowDC screen(nullptr);
    AutoDeleteDC from(CreateCompatibleDC(screen.get()));
    AutoDeleteDC to(CreateCompatibleDC(screen.get()));
    const int w = Scaled(b.bmWidth, dpi), h = Scaled(b.bmHeight, dpi);
    AutoGdiObject scaled(CreateCompatibleBitmap(screen.get(), w, h));
    if (!from || !to || !scaled) return designed;  // out of GDI objects: the small picture still shows
    ScopedSelect src(from.get(), designed.get());
    ScopedSelect dst(to.get(), scaled.get());
    // COLORONCOLOR takes whole source pixels: no blending, so no blur and the mask colour stays exact.
    SetStretchBltMode(to.get(), COLORONCOLOR);
    StretchBlt(to.get(), 0, 0, w, h, from.get(), 0, 0, b.bmWidth, b.bmHeight, SRCCOPY);
    return scaled;
}

HWND CreateChild(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int x,
                 int y, int w, int h, int id, DWORD exStyle) {
    HWND c = CreateWindowExW(exStyle, cls, Widen(text).c_str(), WS_CHILD | WS_CLIPSIBLINGS | style,
                             x, y, w, h, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance(),
                             nullptr);
    // A child takes its parent's font, which follows the parent's DPI.
    HFONT font = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : UiFont(kBaseDpi)), FALSE);
    return c;
}

std::string WindowText(HWND w) {
    const int n = GetWindowTextLengthW(w);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(w, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return Narrow(s);
}

void SetWindowTextUtf8(HWND w, const std::string& text) { SetWindowTextW(w, Widen(text).c_str()); }

void MoveTo(HWND w, int x, int y, int width, int height) {
    SetWindowPos(w, nullptr, x, y, width < 0 ? 0 : width, height < 0 ? 0 : height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveBy(HWND w, int x, int y) {
    SetWindowPos(w, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

RECT ClientRect(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return r;
}

RECT ChildRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void SetVisible(HWND w, bool visible) { ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE); }

bool IsShown(HWND w) { return (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0; }

void AddListColumns(HWND list, const ListColumn* columns, int count) {
    for (int i = 0; i < count; ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        c.pszText = const_cast<wchar_t*>(columns[i].title);
        c.cx = columns[i].width;
        c.fmt = columns[i].format;
        c.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&c));
    }
}

void AnswerCellText(LPARAM lp, int rows, const std::function<std::wstring(int row, int column)>& text, std::wstring& holder) {
    auto* di = reinterpret_cast<NMLVDISPINFOW*>(lp);
    if (!(di->item.mask & LVIF_TEXT) || di->item.iItem < 0 || di->item.iItem >= rows) return;
    try {
        holder = text(di->item.iItem, di->item.iSubItem);
    } catch (...) {
        holder.clear();
    }
    lstrcpynW(di->item.pszText, holder.c_str(), di->item.cchTextMax);
}

// ---- Panel

void Panel::Create(HWND parent, const std::string& caption, int x, int y, int w, int h, bool bevel) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Panel::Proc;
        // The caption is centred: a new size moves all of it, so all of it is painted again.
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.hInstance = AppInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = L"BivanePanel";
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    caption_ = caption;
    bevel_ = bevel;
    hwnd_ = CreateWindowExW(0, L"BivanePanel", Widen(caption).c_str(),
                            WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y, w, h, parent,
                            nullptr, AppInstance(), this);
}

void Panel::SetCaption(const std::string& text) {
    caption_ = text;
    SetWindowTextW(hwnd_, Widen(text).c_str());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Panel::SetFont(HFONT font) {
    font_ = font;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Panel::SetColors(COLORREF back, COLORREF text) {
    back_ = back;
    text_ = text;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Panel::Repaint() {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK Panel::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Panel*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r = ClientRect(h);
            AutoGdiObject brush(CreateSolidBrush(self->back_));
            FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
            if (self->bevel_) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
            if (self->OnPaint) {
                self->OnPaint(dc, r);
            } else {
                ScopedSelect font(dc, self->font_ ? self->font_ : UiFont(kBaseDpi));
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, self->text_);
                std::wstring t = Widen(self->caption_);
                DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &r,
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            }
            EndPaint(h, &ps);
            return 0;
        }
        case WM_LBUTTONUP:
            if (self && self->OnClick) self->OnClick();
            return 0;
        case WM_SETFONT:
            if (self) self->SetFont(reinterpret_cast<HFONT>(wp));
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(self ? self->font_ : nullptr);
        case WM_COMMAND:
        case WM_NOTIFY:
            // Buttons on a panel (the splash panel's) report to the main window.
            return SendMessageW(GetParent(h), msg, wp, lp);
        default: break;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

// ---- StatusBar

namespace {
constexpr int kPanelPadding = 14;  // the panel's edges and a little air on each side
}  // namespace

void StatusBar::Create(HWND parent, int panels) {
    panels_ = panels;
    hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                            WS_CHILD | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN | CCS_NORESIZE |
                                CCS_NODIVIDER,
                            0, 0, 100, 19, parent, nullptr, AppInstance(), nullptr);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(parent)), FALSE);
}

void StatusBar::SetPanelsWidth(int width) {
    width_ = width;
    Share();
}

void StatusBar::Share() {
    if (width_ <= 0) return;
    std::vector<int> needs;
    for (int i = 0; i < panels_; ++i) needs.push_back(TextWidthIn(hwnd_, texts_[i]) + kPanelPadding);
    const std::vector<int> widths = ShareByNeed(width_, needs);
    int edges[3];
    int edge = 0;
    for (int i = 0; i < panels_; ++i) edges[i] = edge += widths[static_cast<size_t>(i)];
    SendMessageW(hwnd_, SB_SETPARTS, static_cast<WPARAM>(panels_), reinterpret_cast<LPARAM>(edges));
    for (int i = 0; i < panels_; ++i) Show(i);  // a part made anew has no text
}

void StatusBar::Show(int panel) {
    // A leading tab centres the text in its panel.
    const std::wstring w = L"\t" + Widen(texts_[panel]);
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(w.c_str()));
}

int StatusBar::PanelWidth(int panel) const {
    RECT r{};
    SendMessageW(hwnd_, SB_GETRECT, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(&r));
    return r.right - r.left;
}

void StatusBar::SetText(int panel, const std::string& text) {
    const bool changed = texts_[panel] != text;
    texts_[panel] = text;
    if (changed && width_ > 0) {
        Share();
    } else {
        Show(panel);
    }
}

std::string StatusBar::Text(int panel) const { return texts_[panel]; }

// ---- Hints

void Hints::Create(HWND owner) {
    owner_ = owner;
    hwnd_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                            nullptr, AppInstance(), nullptr);
}

void Hints::Add(HWND control, const std::string& hint) {
    std::wstring text = Widen(hint);
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text.data();
    SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Hints::Set(HWND control, const std::string& hint) {
    std::wstring text = Widen(hint);
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text.data();
    SendMessageW(hwnd_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

std::string Hints::Get(HWND control) const {
    wchar_t buf[256] = {};
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = buf;
    SendMessageW(hwnd_, TTM_GETTEXTW, 255, reinterpret_cast<LPARAM>(&ti));
    return Narrow(buf);
}

}  // namespace bivane
