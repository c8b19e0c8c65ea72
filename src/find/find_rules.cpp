#include "find/find_rules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>

#include "core/wtf8.h"
#include "viewer/scan_rules.h"

namespace bivane::find {

namespace {

using viewer::ByteSource;
using viewer::Encoding;

std::u16string Upper(std::u16string s, const UpperTable& upper) {
    for (char16_t& c : s) c = upper[c];
    return s;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The masks of a list separated by ";", each trimmed of the blanks around it.
std::vector<std::u16string> SplitMasks(std::string_view list, const UpperTable& upper) {
    std::vector<std::u16string> out;
    while (true) {
        const std::size_t semi = list.find(';');
        const std::string_view one = Trim(list.substr(0, semi));
        if (!one.empty()) out.push_back(Upper(Wtf8ToUtf16(one), upper));
        if (semi == std::string_view::npos) break;
        list.remove_prefix(semi + 1);
    }
    return out;
}

// A source that holds one window of the file in memory, so every pattern scans the block read once.
class HeldBlock : public ByteSource {
public:
    explicit HeldBlock(ByteSource& file) : file_(file), size_(file.Size()) {}
    std::int64_t Size() const override { return size_; }
    // Holds [from, from + n) as far as the file gives it; how much it holds. The buffer is not
    // cleared first: a small file costs its own bytes, not a block's.
    std::size_t Hold(std::int64_t from, std::size_t n) {
        n = static_cast<std::size_t>(std::max<std::int64_t>(0, std::min<std::int64_t>(static_cast<std::int64_t>(n), size_ - from)));
        if (n > capacity_) {
            bytes_.reset(new std::uint8_t[n]);
            capacity_ = n;
        }
        from_ = from;
        held_ = n == 0 ? 0 : file_.Read(from, bytes_.get(), n);
        return held_;
    }
    const std::uint8_t* Data() const { return bytes_.get(); }
    std::size_t Read(std::int64_t offset, void* buffer, std::size_t count) override {
        if (offset >= from_ && offset - from_ <= static_cast<std::int64_t>(held_)) {
            const auto skip = static_cast<std::size_t>(offset - from_);
            const std::size_t n = std::min(count, held_ - skip);
            if (n == count || from_ + static_cast<std::int64_t>(held_) >= size_) {
                if (n > 0) std::memcpy(buffer, bytes_.get() + skip, n);
                return n;
            }
        }
        return file_.Read(offset, buffer, count);
    }

private:
    ByteSource& file_;
    std::int64_t size_;
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::size_t capacity_ = 0, held_ = 0;
    std::int64_t from_ = 0;
};

}  // namespace

UpperTable AsciiUpperTable() {
    UpperTable t(65536);
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<char16_t>(i >= 'a' && i <= 'z' ? i - 32 : i);
    return t;
}

namespace {

bool MaskMatchesAsIs(std::u16string_view mask, std::u16string_view name, bool addDot, const UpperTable& upper) {
    const std::size_t n = name.size() + (addDot ? 1 : 0);
    auto at = [&](std::size_t i) { return i < name.size() ? upper[name[i]] : u'.'; };
    // Greedy with one step back to the last star: linear in practice, never exponential.
    std::size_t m = 0, i = 0, star = std::u16string_view::npos, resume = 0;
    while (i < n) {
        if (m < mask.size() && (mask[m] == u'?' || mask[m] == at(i))) {
            ++m;
            ++i;
        } else if (m < mask.size() && mask[m] == u'*') {
            star = m++;
            resume = i;
        } else if (star != std::u16string_view::npos) {
            m = star + 1;
            i = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*') ++m;
    return m == mask.size();
}

}  // namespace

bool MaskMatches(std::u16string_view mask, std::u16string_view name, const UpperTable& upper) {
    if (MaskMatchesAsIs(mask, name, false, upper)) return true;
    // A dotless name is also matched as name + ".".
    return name.find(u'.') == std::u16string_view::npos && MaskMatchesAsIs(mask, name, true, upper);
}

bool NameMasks::Matches(std::u16string_view name, const UpperTable& upper) const {
    auto any = [&](const std::vector<std::u16string>& masks) {
        return std::any_of(masks.begin(), masks.end(),
                           [&](const std::u16string& m) { return MaskMatches(m, name, upper); });
    };
    return (take.empty() || any(take)) && !any(leave);
}

NameMasks ParseMasks(std::string_view text, const UpperTable& upper) {
    NameMasks m;
    const std::size_t bar = text.find('|');
    m.take = SplitMasks(text.substr(0, bar), upper);
    if (bar != std::string_view::npos) m.leave = SplitMasks(text.substr(bar + 1), upper);
    return m;
}

std::optional<std::int64_t> ParseSize(std::string_view text) {
    text = Trim(text);
    std::size_t i = 0;
    double value = 0, scale = 1;
    bool digits = false, dot = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (dot) scale /= 10;
            value = value * 10 + (c - '0');
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    value *= scale;
    std::string unit(Trim(text.substr(i)));
    for (char& c : unit) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const struct {
        const char* name;
        double factor;
    } kUnits[] = {{"", 1},           {"b", 1},           {"k", 1024.0},     {"kb", 1024.0},
                  {"m", 1048576.0}, {"mb", 1048576.0}, {"g", 1073741824.0}, {"gb", 1073741824.0},
                  {"t", 1099511627776.0}, {"tb", 1099511627776.0}};
    for (const auto& u : kUnits) {
        if (unit != u.name) continue;
        const double bytes = std::floor(value * u.factor);
        if (bytes > 9.0e18) return std::nullopt;
        return static_cast<std::int64_t>(bytes);
    }
    return std::nullopt;
}

std::optional<Day> ParseDay(std::string_view text) {
    text = Trim(text);
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    auto number = [&](std::size_t from, std::size_t len) {
        int v = 0;
        for (std::size_t i = from; i < from + len; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const Day d{number(0, 4), number(5, 2), number(8, 2)};
    if (d.year < 1601 || d.month < 1 || d.month > 12 || d.day < 1) return std::nullopt;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
    if (d.day > kDays[d.month - 1] + (d.month == 2 && leap ? 1 : 0)) return std::nullopt;
    return d;
}

bool SizeDate::Passes(std::int64_t size, std::int64_t date, bool isFolder) const {
    if (!isFolder && minSize >= 0 && size < minSize) return false;
    if (!isFolder && maxSize >= 0 && size > maxSize) return false;
    return date >= after && date < before;
}

TextPlatform AsciiTextPlatform() {
    TextPlatform p;
    p.fold = [](unsigned) { return viewer::AsciiFold(); };
    p.table = [](unsigned) { return viewer::Latin1Table(); };
    p.isWordChar = [](char32_t c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 0xC0 && c != 0xFEFF);
    };
    return p;
}

TextSearch::TextSearch(const TextQuery& q, const TextPlatform& platform) : query_(q), platform_(platform) {
    if (q.text.empty()) return;
    auto add = [&](Encoding e, unsigned codePage, bool detected) {
        viewer::CaseFold fold = platform_.fold(codePage);
        if (q.matchCase) fold.variants = [](char32_t c) { return std::u32string(1, c); };
        Form f{viewer::MakePattern(q.text, e, 0, fold), e, platform_.table(codePage), detected};
        if (f.pattern.Empty()) return;
        // The same bytes in two encodings (plain ASCII in UTF-8 and a code page) are scanned once.
        const bool same = std::any_of(forms_.begin(), forms_.end(), [&](const Form& o) {
            return !detected && !o.detected && o.pattern.chars == f.pattern.chars && o.pattern.unit == f.pattern.unit;
        });
        if (!same) forms_.push_back(std::move(f));
    };
    switch (q.encodings) {
        case TextEncodings::Utf8: add(Encoding::Utf8, 0, false); break;
        case TextEncodings::Utf16Le: add(Encoding::Utf16Le, 0, false); break;
        case TextEncodings::Utf16Be: add(Encoding::Utf16Be, 0, false); break;
        case TextEncodings::CodePage: add(Encoding::Ansi, q.codePage, false); break;
        case TextEncodings::All:
            add(Encoding::Utf8, 0, false);
            add(Encoding::Utf16Le, 0, false);
            add(Encoding::Utf16Be, 0, false);
            add(Encoding::Ansi, platform_.ansiCodePage, false);
            add(Encoding::Ansi, platform_.oemCodePage, false);
            break;
        case TextEncodings::Detected:
            add(Encoding::Utf8, 0, true);
            add(Encoding::Utf16Le, 0, true);
            add(Encoding::Utf16Be, 0, true);
            add(Encoding::Ansi, platform_.ansiCodePage, true);
            break;
    }
}

bool TextSearch::WholeWordAt(ByteSource& src, const Form& f, std::int64_t at, std::size_t length) const {
    const int unit = viewer::UnitSize(f.encoding);
    std::uint8_t b[8];
    // The character before: UTF-8 steps back over continuation bytes to its lead byte.
    if (at > 0) {
        const std::int64_t low = std::max<std::int64_t>(0, at - 4);
        const auto want = static_cast<std::size_t>(at - low);
        if (src.Read(low, b, want) == want && want >= static_cast<std::size_t>(unit)) {
            std::size_t lead = want - static_cast<std::size_t>(unit);
            if (f.encoding == Encoding::Utf8) {
                while (lead > 0 && (b[lead] & 0xC0) == 0x80) --lead;
            }
            if (platform_.isWordChar(viewer::NextChar(b + lead, want - lead, f.encoding, f.table).cp)) return false;
        }
    }
    const std::size_t got = src.Read(at + static_cast<std::int64_t>(length), b, 4);
    if (got == 0) return true;
    return !platform_.isWordChar(viewer::NextChar(b, got, f.encoding, f.table).cp);
}

std::string TextSearch::LineAt(ByteSource& src, const Form& f, std::int64_t at) const {
    constexpr std::int64_t kBack = 4096;
    std::int64_t start = viewer::TextLineStartFast(src, f.encoding, 0, at + 1, std::max<std::int64_t>(0, at - kBack));
    if (start == 0) {  // not the byte-order mark
        std::uint8_t head[4];
        start = viewer::BomFor(f.encoding, head, src.Read(0, head, sizeof head));
    }
    std::vector<std::uint8_t> bytes(kLineChars * 4);
    bytes.resize(src.Read(start, bytes.data(), bytes.size()));
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size();) {
        const viewer::Char c = viewer::NextChar(bytes.data() + i, bytes.size() - i, f.encoding, f.table);
        if (c.cp == '\r' || c.cp == '\n') break;
        viewer::AppendUtf16(text, c.cp < 0x20 ? U' ' : c.cp);
        i += static_cast<std::size_t>(c.len);
        if (text.size() >= kLineChars) break;
    }
    return Utf16ToWtf8(text);
}

TextHit TextSearch::FindIn(ByteSource& file, const std::atomic<bool>* stop, std::size_t block) const {
    if (forms_.empty()) return {};
    std::size_t longest = 1;
    for (const Form& f : forms_) longest = std::max(longest, f.pattern.maxBytes);
    constexpr std::size_t kMostBom = 4;
    HeldBlock held(file);
    std::size_t got = held.Hold(0, block + longest + kMostBom);
    // "As detected" keeps the one form the file's first bytes choose.
    std::vector<const Form*> forms;
    std::int64_t origin = 0;
    if (query_.encodings == TextEncodings::Detected) {
        const viewer::Detected d = viewer::Detect(held.Data(), std::min<std::size_t>(got, 4096));
        origin = d.bom;
        for (const Form& f : forms_) {
            if (f.encoding == d.encoding) forms.push_back(&f);
        }
    } else {
        for (const Form& f : forms_) forms.push_back(&f);
    }
    const std::int64_t size = file.Size();
    for (std::int64_t start = origin; start < size; start += static_cast<std::int64_t>(block)) {
        if (stop && stop->load(std::memory_order_relaxed)) return {};
        if (start != origin) got = held.Hold(start, block + longest - 1);
        const std::int64_t end = std::min(start + static_cast<std::int64_t>(block), size);
        TextHit best;
        for (const Form* f : forms) {
            for (std::int64_t from = start; from < end;) {
                const viewer::Match m = viewer::FindForward(held, f->pattern, from, end, block + longest);
                if (!m.Found() || (best.Found() && m.at >= best.at)) break;
                if (!query_.wholeWords || WholeWordAt(held, *f, m.at, m.length)) {
                    best.at = m.at;
                    best.length = m.length;
                    best.line = LineAt(file, *f, m.at);
                    break;
                }
                from = m.at + 1;
            }
        }
        if (best.Found()) return best;
        if (static_cast<std::int64_t>(got) < std::min<std::int64_t>(static_cast<std::int64_t>(block), size - start)) break;
    }
    return {};
}

}  // namespace bivane::find
