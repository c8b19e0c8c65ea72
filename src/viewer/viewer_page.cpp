// The page: which rows are shown, moving through the file, the status line and painting.
#include <algorithm>

#include "controls/controls.h"
#include "platform/clipboard.h"
#include "platform/utf.h"
#include "viewer/viewer_parts.h"
#include "viewer/viewer_window.h"

namespace bivane::viewer {

namespace {

constexpr std::size_t kMaxCopy = 16 << 20;  // the clipboard takes at most this much of a selection

// What a scroll bar shows, as the system lays it out: its place, its thumb and whether it and its
// arrows can be used.
bool SameLook(const SCROLLBARINFO& a, const SCROLLBARINFO& b) {
    return EqualRect(&a.rcScrollBar, &b.rcScrollBar) && a.dxyLineButton == b.dxyLineButton &&
           a.xyThumbTop == b.xyThumbTop && a.xyThumbBottom == b.xyThumbBottom && a.rgstate[0] == b.rgstate[0] &&
           a.rgstate[1] == b.rgstate[1] && a.rgstate[5] == b.rgstate[5];
}

// Sets a bar's range and position, and repaints it (with the page) only when its thumb moved on
// screen: under Wine a themed bar's repaint is some twenty transparent blits with round trips to
// the server for each, and a step through a big file seldom moves the thumb by a pixel.
void SetBar(HWND bar, const SCROLLINFO& si) {
    SCROLLBARINFO before{}, after{};
    before.cbSize = after.cbSize = sizeof before;
    const bool known = GetScrollBarInfo(bar, OBJID_CLIENT, &before) != 0;
    SetScrollInfo(bar, SB_CTL, &si, FALSE);
    if (!known || !GetScrollBarInfo(bar, OBJID_CLIENT, &after) || !SameLook(before, after)) {
        InvalidateRect(bar, nullptr, FALSE);
    }
}

std::string HexOffset(std::int64_t offset, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s = "0x";
    for (int d = digits - 1; d >= 0; --d) s += kHex[(offset >> (4 * d)) & 0xF];
    return s;
}

}  // namespace

TextLayout ViewerWindow::Layout() {
    TextLayout l;
    l.encoding = encoding_;
    l.origin = origin_;
    l.width = ColumnsOnPage();
    l.wrap = wrap_;
    l.ansi = &ansi_;
    l.skipColumns = hcol_;
    l.longLines = &longLines_;
    return l;
}

RECT ViewerWindow::TextArea() const {
    RECT r = ClientRect(hwnd_);
    r.right = ChildRect(scroll_).left;
    r.bottom = ChildRect(IsShown(hscroll_) ? hscroll_ : BarShown() ? barLabel_ : status_).top;
    return r;
}

int ViewerWindow::RowsOnPage() const {
    const RECT r = TextArea();
    return std::max(1, static_cast<int>(r.bottom - r.top) / lineH_);
}

int ViewerWindow::ColumnsOnPage() const { return std::max(8, static_cast<int>(TextArea().right) / charW_); }

bool ViewerWindow::BarShown() const { return barEdit_ && IsShown(barEdit_); }

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
            line.start = line.shown = top_ + static_cast<std::int64_t>(i);
            const std::size_t n = std::min<std::size_t>(kHexPerRow, got - i);
            line.end = line.next = line.shownEnd = line.start + static_cast<std::int64_t>(n);
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

// A file that shrank or grew while shown: what was worked out from its old size goes.
void ViewerWindow::CheckSize() {
    if (src_->Size() == knownSize_) return;
    knownSize_ = src_->Size();
    lastTop_ = -1;
    pageValid_ = false;
    longLines_.Clear();
    if (sel_.at + static_cast<std::int64_t>(sel_.length) > knownSize_) sel_ = {};
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

std::int64_t ViewerWindow::PageBottom() {
    const std::vector<DisplayLine>& page = Page();
    return page.empty() ? top_ : page.back().next;
}

// Every move of the page goes through here; one that leaves the end stops following the file.
void ViewerWindow::ScrollTo(std::int64_t top) {
    const std::int64_t last = std::max<std::int64_t>(LastTop(), 0);
    top = std::clamp<std::int64_t>(top, hex_ ? 0 : origin_, last);
    if (following_ && top < last) SetFollowing(false);
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
    for (int i = 0; i < n && top > (hex_ ? 0 : origin_); ++i) {
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

std::string ViewerWindow::EncodingShown() const {
    if (encodingChosen_ > 0) return choices_[static_cast<std::size_t>(encodingChosen_ - 1)].name;
    if (detected_.binary) return "Binary";
    return EncodingName(encoding_, origin_, codePage_);
}

// Only what changed is sent, and the status line and the bars are painted with the page, once,
// however often they change in between: under Wine each repaint of them costs a millisecond or
// two, more than laying out and painting a page.
void ViewerWindow::UpdateStatus() {
    const std::int64_t size = src_->Size();
    const std::int64_t bottom = PageBottom();
    if (!job_) {
        mode_ = hex_ ? "Hex" : wrap_ ? "Text, wrapped" : "Text, not wrapped";
        if (following_) mode_ += ", following";
    }
    const std::string offset = hex_ ? HexOffset(top_, HexOffsetDigits(size)) : std::to_string(top_);
    const std::string texts[kParts] = {"Offset " + offset, std::to_string(Percent(bottom, size)) + "%",
                                       EncodingShown(), std::to_string(size) + " bytes", mode_};
    SetStatusParts(texts);
    UpdateScrollBars(bottom);
}

void ViewerWindow::UpdateScrollBars(std::int64_t bottom) {
    const std::int64_t size = src_->Size();
    // The scroll bar in 10,000 steps: positions of a 5 GB file do not fit its 32-bit range.
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    si.nMax = 10000;
    si.nPage = size > 0 ? static_cast<UINT>(std::max<std::int64_t>(1, (bottom - top_) * 10000 / size)) : 10001;
    si.nPos = size > 0 ? static_cast<int>(static_cast<double>(top_) / static_cast<double>(size) * 10000) : 0;
    if (si.nPage != scrollShown_.nPage || si.nPos != scrollShown_.nPos) {
        scrollShown_ = si;
        SetBar(scroll_, si);
    }
    if (hex_ || wrap_) return;
    // Sideways: as wide as the page's longest line, counted in units (exact but for tabs and
    // characters of two units), without reading the lines.
    std::int64_t widest = 0;
    for (const DisplayLine& line : Page()) widest = std::max(widest, (line.end - line.start) / UnitSize(encoding_));
    widest = std::max(widest, hcol_ + ColumnsOnPage());
    hscale_ = widest / (1 << 30) + 1;
    SCROLLINFO hs{};
    hs.cbSize = sizeof hs;
    hs.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    hs.nMax = static_cast<int>(widest / hscale_);
    hs.nPage = static_cast<UINT>(ColumnsOnPage() / hscale_ + 1);
    hs.nPos = static_cast<int>(hcol_ / hscale_);
    if (hs.nMax != hscrollShown_.nMax || hs.nPage != hscrollShown_.nPage || hs.nPos != hscrollShown_.nPos) {
        hscrollShown_ = hs;
        SetBar(hscroll_, hs);
    }
}

// The texts of the parts given (an empty one stays). Each text set invalidates its part alone;
// the status bar would paint at once for each (each paint a few round trips to the Wine server),
// so that paint is held and the parts are painted together, with the page.
void ViewerWindow::SetStatusParts(const std::string (&texts)[kParts]) {
    struct Hold {
        bool& held;
        explicit Hold(bool& flag) : held(flag) { held = true; }
        ~Hold() { held = false; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    } hold(holdStatusPaint_);
    for (int part = 0; part < kParts; ++part) {
        if (texts[part].empty() || statusShown_[part] == texts[part]) continue;
        statusShown_[part] = texts[part];
        SendMessageW(status_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(Widen(texts[part]).c_str()));
    }
}

void ViewerWindow::SetModeText(const std::string& text) {
    mode_ = text;
    std::string texts[kParts];
    texts[kMode] = text;
    SetStatusParts(texts);
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
    for (const DisplayLine& line : Page()) rows.push_back(Narrow(std::wstring(W(line.text))));
    return rows;
}

void ViewerWindow::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    const RECT area = TextArea();
    FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    // Below the page: the bar's row, around its controls (the children clip themselves out).
    RECT below = ClientRect(hwnd_);
    below.top = area.bottom;
    FillRect(dc, &below, GetSysColorBrush(COLOR_BTNFACE));
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
    if (line.text.empty()) return;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    TextOutW(dc, 0, y, W(line.text), static_cast<int>(line.text.size()));
    if (!sel_.Found()) return;
    const std::int64_t selEnd = sel_.at + static_cast<std::int64_t>(sel_.length);
    if (selEnd <= line.start || sel_.at >= line.next) return;
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    const auto mark = [&](int column, int count) { TextOutW(dc, column * charW_, y, W(line.text) + column, count); };
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
        const std::int64_t at = line.shown + line.at[i];
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
    const auto col = static_cast<std::size_t>(std::max(0, (x + charW_ / 2) / charW_));
    return col < line.at.size() ? line.shown + line.at[col] : line.shownEnd;
}

void ViewerWindow::CopySelection() {
    if (!sel_.Found() || sel_.length == 0) return;
    std::vector<std::uint8_t> bytes(std::min(sel_.length, kMaxCopy));
    bytes.resize(src_->Read(sel_.at, bytes.data(), bytes.size()));
    const std::u16string text = DecodeText(bytes.data(), bytes.size(), encoding_, ansi_);
    (void)PutTextOnClipboard(hwnd_, text);
}

}  // namespace bivane::viewer
