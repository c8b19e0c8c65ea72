#include "viewer/text_rules.h"

#include <algorithm>
#include <cstdio>

#include "viewer/scan_rules.h"

namespace bivane::viewer {

namespace {

constexpr char16_t kShownControl = u'\u00B7';

// Reads a source through a small window, so a line costs a few reads however it is walked.
class Reader {
public:
    // chunk: how much one read fetches, to fit what the caller will likely walk.
    explicit Reader(ByteSource& src, std::size_t chunk = kBuf)
        : src_(src), size_(src.Size()), chunk_(std::clamp<std::size_t>(chunk, 16, kBuf)) {}
    std::int64_t Size() const { return size_; }
    // Bytes available at off (up to the window's end); 0 means the end of what can be read.
    std::size_t At(std::int64_t off, const std::uint8_t*& p) {
        // Walking backwards, the window ends at off; otherwise it starts there.
        if (off < base_) {
            Fill(std::max<std::int64_t>(0, off - static_cast<std::int64_t>(kBuf) + 8));
        } else if (off + 4 > base_ + static_cast<std::int64_t>(len_)) {
            Fill(off);
        }
        const std::int64_t rel = off - base_;
        if (rel < 0 || rel >= static_cast<std::int64_t>(len_)) return 0;
        p = buf_.data() + rel;
        return len_ - static_cast<std::size_t>(rel);
    }
    bool AtEnd(std::int64_t off) {
        const std::uint8_t* p = nullptr;
        return off >= size_ || At(off, p) == 0;
    }
    Char CharAt(std::int64_t off, Encoding e, const AnsiTable& ansi) {
        const std::uint8_t* p = nullptr;
        const std::size_t n = At(off, p);
        return NextChar(p, n, e, ansi);
    }

private:
    void Fill(std::int64_t off) {
        const std::int64_t left = std::max<std::int64_t>(0, size_ - off);
        const std::size_t want = off < base_ ? kBuf : chunk_;
        base_ = off;
        len_ = left == 0 ? 0 : src_.Read(off, buf_.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(want))));
    }
    static constexpr std::size_t kBuf = 4096;
    ByteSource& src_;
    std::int64_t size_;
    std::size_t chunk_;
    std::array<std::uint8_t, kBuf> buf_;  // not cleared: only what was read is looked at, and a row makes one
    std::int64_t base_ = 0;
    std::size_t len_ = 0;
};

const AnsiTable& AnsiOf(const TextLayout& l) {
    static const AnsiTable latin1 = Latin1Table();
    return l.ansi ? *l.ansi : latin1;
}

bool IsUtf8Tail(std::uint8_t b) { return (b & 0xC0) == 0x80; }

std::uint16_t Unit16(const std::uint8_t* p, Encoding e) {
    return e == Encoding::Utf16Le ? static_cast<std::uint16_t>(p[0] | p[1] << 8)
                                  : static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

// The byte length of the UTF-8 sequence at p, 0 when invalid, -1 when cut off by the end.
int Utf8Length(const std::uint8_t* p, std::size_t n, char32_t& cp) {
    const std::uint8_t b = p[0];
    int len;
    char32_t min;
    if (b < 0x80) { cp = b; return 1; }
    if (b >= 0xC2 && b <= 0xDF) { len = 2; cp = b & 0x1F; min = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { len = 3; cp = b & 0x0F; min = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { len = 4; cp = b & 0x07; min = 0x10000; }
    else return 0;
    for (int i = 1; i < len; ++i) {
        if (static_cast<std::size_t>(i) >= n) return -1;
        if (!IsUtf8Tail(p[i])) return 0;
        cp = cp << 6 | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool IsBreak(char32_t cp) { return cp == U'\n' || cp == U'\r'; }

}  // namespace

Detected Detect(const std::uint8_t* p, std::size_t n) {
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return {Encoding::Utf8, 3, false};
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return {Encoding::Utf16Le, 2, false};
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return {Encoding::Utf16Be, 2, false};
    if (std::find(p, p + n, 0) != p + n) return {Encoding::Ansi, 0, true};
    bool multi = false;
    for (std::size_t i = 0; i < n;) {
        char32_t cp = 0;
        const int len = Utf8Length(p + i, n - i, cp);
        if (len < 0) break;  // cut off by the sample's end
        if (len == 0) return {Encoding::Ansi, 0, false};
        multi = multi || len > 1;
        i += static_cast<std::size_t>(len);
    }
    return {multi ? Encoding::Utf8 : Encoding::Ansi, 0, false};
}

std::string EncodingName(Encoding e, int bom, unsigned ansiCodePage) {
    switch (e) {
        case Encoding::Utf8: return bom ? "UTF-8 BOM" : "UTF-8";
        case Encoding::Utf16Le: return "UTF-16 LE";
        case Encoding::Utf16Be: return "UTF-16 BE";
        case Encoding::Ansi: break;
    }
    return "ANSI " + std::to_string(ansiCodePage);
}

std::vector<EncodingChoice> EncodingChoices(unsigned ansiCodePage, unsigned oemCodePage) {
    const std::string ansi = std::to_string(ansiCodePage), oem = std::to_string(oemCodePage);
    return {
        {"UTF-8", "UTF-8", Encoding::Utf8, 0},
        {"UTF-16 LE", "UTF-16 LE", Encoding::Utf16Le, 0},
        {"UTF-16 BE", "UTF-16 BE", Encoding::Utf16Be, 0},
        {"ANSI " + ansi, "ANSI (system, " + ansi + ")", Encoding::Ansi, ansiCodePage},
        {"OEM " + oem, "OEM (system, " + oem + ")", Encoding::Ansi, oemCodePage},
        {"Windows-1252", "Windows-1252 (Western)", Encoding::Ansi, 1252},
        {"Windows-1250", "Windows-1250 (Central European)", Encoding::Ansi, 1250},
        {"Windows-1251", "Windows-1251 (Cyrillic)", Encoding::Ansi, 1251},
        {"KOI8-R", "KOI8-R (Cyrillic)", Encoding::Ansi, 20866},
        {"DOS 866", "DOS 866 (Cyrillic)", Encoding::Ansi, 866},
    };
}

int BomFor(Encoding e, const std::uint8_t* p, std::size_t n) {
    const Detected d = Detect(p, n);
    return d.bom > 0 && d.encoding == e ? d.bom : 0;
}

LongLines::Line* LongLines::Starting(std::int64_t start) {
    for (Line& l : lines_) {
        if (l.start == start) return &l;
    }
    return nullptr;
}

LongLines::Line* LongLines::Holding(std::int64_t pos) {
    for (Line& l : lines_) {
        if (l.start <= pos && pos < l.next) return &l;
    }
    return nullptr;
}

LongLines::Line& LongLines::Add(std::int64_t start, std::int64_t end, std::int64_t next) {
    constexpr std::size_t kKept = 64;  // more than a page of them
    if (lines_.size() >= kKept) lines_.erase(lines_.begin());
    lines_.push_back({start, end, next, {}});
    return lines_.back();
}

AnsiTable Latin1Table() {
    AnsiTable t{};
    for (int i = 0; i < 256; ++i) t[static_cast<std::size_t>(i)] = static_cast<char16_t>(i);
    return t;
}

int UnitSize(Encoding e) { return e == Encoding::Utf16Le || e == Encoding::Utf16Be ? 2 : 1; }

Char NextChar(const std::uint8_t* p, std::size_t n, Encoding e, const AnsiTable& ansi) {
    if (n == 0) return {0xFFFD, 1};
    switch (e) {
        case Encoding::Ansi: return {ansi[p[0]], 1};
        case Encoding::Utf8: {
            char32_t cp = 0;
            const int len = Utf8Length(p, n, cp);
            return len > 0 ? Char{cp, len} : Char{0xFFFD, 1};
        }
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            if (n < 2) return {0xFFFD, static_cast<int>(n)};
            const std::uint16_t u = Unit16(p, e);
            if (u >= 0xD800 && u <= 0xDBFF && n >= 4) {
                const std::uint16_t lo = Unit16(p + 2, e);
                if (lo >= 0xDC00 && lo <= 0xDFFF) return {0x10000 + ((u - 0xD800u) << 10) + (lo - 0xDC00u), 4};
            }
            if (u >= 0xD800 && u <= 0xDFFF) return {0xFFFD, 2};
            return {u, 2};
        }
    }
    return {0xFFFD, 1};
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

std::u16string DecodeText(const std::uint8_t* p, std::size_t n, Encoding e, const AnsiTable& ansi) {
    std::u16string out;
    for (std::size_t i = 0; i < n;) {
        const Char c = NextChar(p + i, n - i, e, ansi);
        AppendUtf16(out, c.cp);
        i += static_cast<std::size_t>(c.len);
    }
    return out;
}

namespace {

// Whether the row at p (n bytes readable) is cols one-byte characters, none a blank, tab or line
// end, and no line end follows: then it ends cols bytes on, as the full walk would find.
bool PlainFullRow(const std::uint8_t* p, std::size_t n, std::size_t cols, Encoding e, const AnsiTable& ansi) {
    if (n <= cols || (e != Encoding::Ansi && e != Encoding::Utf8)) return false;
    const auto shown = [&](std::uint8_t b) -> char32_t { return e == Encoding::Ansi ? ansi[b] : b; };
    for (std::size_t i = 0; i < cols; ++i) {
        const char32_t c = shown(p[i]);
        if ((e == Encoding::Utf8 && p[i] >= 0x80) || c == U' ' || c == U'\t' || IsBreak(c)) return false;
    }
    return !IsBreak(shown(p[cols]));
}

// withText false: only where the line ends, for walking over rows (a long line's last page
// walks hundreds of them).
DisplayLine LayoutWrapped(ByteSource& src, std::int64_t start, const TextLayout& l, bool withText = true) {
    const int maxCols = std::max(l.width, 1);
    Reader r(src, static_cast<std::size_t>(maxCols) * 4 + 8);
    const AnsiTable& ansi = AnsiOf(l);
    DisplayLine out;
    out.start = out.shown = start;
    const std::uint8_t* head = nullptr;
    // At first: it sets head (an argument beside it could be read before or after the call).
    const std::size_t headBytes = withText ? 0 : r.At(start, head);
    if (!withText && PlainFullRow(head, headBytes, static_cast<std::size_t>(maxCols), l.encoding, ansi)) {
        out.end = out.next = out.shownEnd = start + maxCols;
        return out;
    }
    const int tab = std::max(l.tab, 1);
    int col = 0;
    // Where the line may be cut for a word wrap: the text and offset after the last blank.
    std::size_t cutText = 0;
    std::int64_t cutAt = -1;
    std::int64_t pos = start;
    while (!r.AtEnd(pos)) {
        const Char c = r.CharAt(pos, l.encoding, ansi);
        if (IsBreak(c.cp)) {
            out.end = pos;
            pos += c.len;
            if (c.cp == U'\r' && !r.AtEnd(pos) && r.CharAt(pos, l.encoding, ansi).cp == U'\n') {
                pos += UnitSize(l.encoding);
            }
            out.next = pos;
            out.shownEnd = out.end;
            return out;
        }
        const int w = c.cp == U'\t' ? std::min(tab - col % tab, maxCols - col) : 1;
        if (col + w > maxCols || w == 0) {
            if (cutAt > start) {
                out.text.resize(cutText);
                out.at.resize(cutText);
                pos = cutAt;
            }
            break;
        }
        if (withText) {
            const auto rel = static_cast<std::uint32_t>(pos - start);
            if (c.cp == U'\t') {
                out.text.append(static_cast<std::size_t>(w), u' ');
            } else if (c.cp < 0x20 || c.cp == 0x7F) {
                out.text += kShownControl;
            } else {
                AppendUtf16(out.text, c.cp);
            }
            out.at.resize(out.text.size(), rel);
        }
        col += w;
        pos += c.len;
        if (c.cp == U' ' || c.cp == U'\t') {
            cutText = out.text.size();
            cutAt = pos;
        }
    }
    out.end = out.next = out.shownEnd = pos;
    return out;
}


// The byte where column skip starts (or the tab across it), walking from the line's nearest mark
// and leaving marks on the way, so the walk is one screen's whatever the line's length.
std::int64_t WalkToColumn(Reader& r, const DisplayLine& line, const TextLayout& l, LongLines::Line* known,
                          std::int64_t& col) {
    const AnsiTable& ansi = AnsiOf(l);
    const int tab = std::max(l.tab, 1);
    std::int64_t pos = line.start;
    col = 0;
    if (known) {
        for (const auto& [markCol, markAt] : known->marks) {
            if (markCol > l.skipColumns) break;
            col = markCol;
            pos = markAt;
        }
    }
    while (col < l.skipColumns && pos < line.end && !r.AtEnd(pos)) {
        const Char c = r.CharAt(pos, l.encoding, ansi);
        const std::int64_t w = c.cp == U'\t' ? tab - col % tab : 1;
        if (col + w > l.skipColumns) break;
        col += w;
        pos += c.len;
        if (known && col >= (known->marks.empty() ? 0 : known->marks.back().first) + kMarkColumns) {
            known->marks.emplace_back(col, pos);
        }
    }
    return pos;
}

// The line's ends: from what is known of it, else found (and kept when the line is long).
LongLines::Line* FindLineEnds(ByteSource& src, DisplayLine& out, const TextLayout& l) {
    LongLines::Line* known = l.longLines ? l.longLines->Starting(out.start) : nullptr;
    if (known) {
        out.end = known->end;
        out.next = known->next;
        return known;
    }
    const LineEnd e = NextLineEnd(src, l.encoding, l.origin, out.start, src.Size());
    out.end = e.at >= 0 ? e.at : e.readTo;
    out.next = e.at >= 0 ? e.next : e.readTo;
    if (l.longLines && out.next - out.start > kLongLine) known = &l.longLines->Add(out.start, out.end, out.next);
    return known;
}

DisplayLine LayoutUnwrapped(ByteSource& src, std::int64_t start, const TextLayout& l) {
    DisplayLine out;
    out.start = start;
    LongLines::Line* known = FindLineEnds(src, out, l);
    const int width = std::max(l.width, 1);
    Reader r(src, l.skipColumns > 0 ? 4096 : static_cast<std::size_t>(width) * 4 + 8);  // a walk reads ahead
    const AnsiTable& ansi = AnsiOf(l);
    const int tab = std::max(l.tab, 1);
    std::int64_t col = 0;
    std::int64_t pos = WalkToColumn(r, out, l, known, col);
    out.shown = pos;
    for (std::int64_t shown = 0; pos < out.end && shown < width && !r.AtEnd(pos);) {
        const Char c = r.CharAt(pos, l.encoding, ansi);
        const std::int64_t w = c.cp == U'\t' ? tab - col % tab : 1;
        const std::int64_t visible = std::min(col + w - std::max(col, l.skipColumns), width - shown);
        if (c.cp == U'\t') {
            out.text.append(static_cast<std::size_t>(visible), u' ');
        } else if (c.cp < 0x20 || c.cp == 0x7F) {
            out.text += kShownControl;
        } else {
            AppendUtf16(out.text, c.cp);
        }
        out.at.resize(out.text.size(), static_cast<std::uint32_t>(pos - out.shown));
        col += w;
        shown += visible;
        pos += c.len;
    }
    out.shownEnd = pos;
    return out;
}

}  // namespace

DisplayLine LayoutLine(ByteSource& src, std::int64_t start, const TextLayout& l) {
    return l.wrap ? LayoutWrapped(src, start, l) : LayoutUnwrapped(src, start, l);
}

namespace {

// The start of the text line (after a line end) that holds pos - 1: back to the end of the last
// line end that ends below pos (one in the middle of a CR LF does not count), or, wrapped,
// kMaxLineScan bytes back, whichever comes first.
std::int64_t TextLineStart(ByteSource& src, std::int64_t pos, const TextLayout& l) {
    if (!l.wrap) {
        if (l.longLines) {
            if (const LongLines::Line* known = l.longLines->Holding(pos - 1)) return known->start;
        }
        return TextLineStartFast(src, l.encoding, l.origin, pos, l.origin);
    }
    return TextLineStartFast(src, l.encoding, l.origin, pos, std::max(l.origin, pos - kMaxLineScan));
}

// Where the display line starting at start ends, without laying out its text.
std::int64_t NextLineStart(ByteSource& src, std::int64_t start, const TextLayout& l) {
    if (l.wrap) return LayoutWrapped(src, start, l, false).next;
    DisplayLine line;
    line.start = start;
    FindLineEnds(src, line, l);
    return line.next;
}

// The display line starts from from (a text line's start) up to, not including, pos.
std::vector<std::int64_t> StartsBelow(ByteSource& src, std::int64_t from, std::int64_t pos, const TextLayout& l) {
    std::vector<std::int64_t> starts;
    for (std::int64_t s = from; s < pos;) {
        starts.push_back(s);
        const std::int64_t next = NextLineStart(src, s, l);
        if (next <= s) break;
        s = next;
    }
    return starts;
}

}  // namespace

std::int64_t LineStartBefore(ByteSource& src, std::int64_t pos, const TextLayout& l) {
    if (pos <= l.origin) return l.origin;
    const std::int64_t from = TextLineStart(src, pos, l);
    const std::vector<std::int64_t> starts = StartsBelow(src, from, pos, l);
    return starts.empty() ? from : starts.back();
}

std::int64_t LastPageStart(ByteSource& src, int rows, const TextLayout& l) {
    rows = std::max(rows, 1);
    // Text line by text line from the end, each laid out once. A file ending in a line end has
    // no empty last line to show.
    std::vector<std::int64_t> starts;  // the last display lines' starts, in order
    for (std::int64_t end = src.Size(); end > l.origin && static_cast<int>(starts.size()) < rows;) {
        const std::int64_t from = TextLineStart(src, end, l);
        std::vector<std::int64_t> line = StartsBelow(src, from, end, l);
        if (line.empty()) break;
        starts.insert(starts.begin(), line.begin(), line.end());
        end = from;
    }
    if (starts.empty()) return l.origin;
    return starts[starts.size() > static_cast<std::size_t>(rows) ? starts.size() - static_cast<std::size_t>(rows) : 0];
}

int HexOffsetDigits(std::int64_t size) {
    int digits = 8;
    while (digits < 16 && size > 0 && ((size - 1) >> (4 * digits)) > 0) ++digits;
    return digits;
}

std::string HexRow(std::int64_t offset, const std::uint8_t* p, std::size_t n, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s(static_cast<std::size_t>(HexCharColumn(kHexPerRow - 1, digits) + 1), ' ');
    for (int d = digits - 1; d >= 0; --d) {
        s[static_cast<std::size_t>(digits - 1 - d)] = kHex[(offset >> (4 * d)) & 0xF];
    }
    s.resize(static_cast<std::size_t>(HexCharColumn(0, digits) + static_cast<int>(std::min<std::size_t>(n, kHexPerRow))));
    for (std::size_t i = 0; i < n && i < kHexPerRow; ++i) {
        const int k = static_cast<int>(i);
        s[static_cast<std::size_t>(HexColumn(k, digits))] = kHex[p[i] >> 4];
        s[static_cast<std::size_t>(HexColumn(k, digits) + 1)] = kHex[p[i] & 0xF];
        s[static_cast<std::size_t>(HexCharColumn(k, digits))] = p[i] >= 0x20 && p[i] < 0x7F ? static_cast<char>(p[i]) : '.';
    }
    return s;
}

int HexColumn(int index, int digits) { return digits + 2 + index * 3 + (index >= 8 ? 1 : 0); }
int HexCharColumn(int index, int digits) { return HexColumn(kHexPerRow - 1, digits) + 4 + index; }

int HexByteAt(int column, int digits) {
    for (int k = 0; k < kHexPerRow; ++k) {
        if (column == HexColumn(k, digits) || column == HexColumn(k, digits) + 1) return k;
        if (column == HexCharColumn(k, digits)) return k;
    }
    return -1;
}

int Percent(std::int64_t pos, std::int64_t size) {
    if (size <= 0 || pos >= size) return 100;
    return static_cast<int>(std::max<std::int64_t>(0, pos) * 100 / size);
}

}  // namespace bivane::viewer
