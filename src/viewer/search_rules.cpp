#include "viewer/search_rules.h"

#include <algorithm>
#include <cstring>

namespace bivane::viewer {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Encode(char32_t cp, Encoding e, const CaseFold& fold) {
    std::string out;
    switch (e) {
        case Encoding::Ansi: return fold.ansi(cp);
        case Encoding::Utf8: AppendUtf8(out, cp); return out;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            std::u16string u;
            AppendUtf16(u, cp);
            for (const char16_t c : u) {
                const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
                out += e == Encoding::Utf16Le ? lo : hi;
                out += e == Encoding::Utf16Le ? hi : lo;
            }
            return out;
        }
    }
    return out;
}

// The length of the match of p at buf[i], 0 when none.
std::size_t MatchAt(const Pattern& p, const std::uint8_t* buf, std::size_t n, std::size_t i) {
    std::size_t j = i;
    for (const auto& forms : p.chars) {
        bool hit = false;
        for (const std::string& f : forms) {
            if (j + f.size() <= n && std::memcmp(buf + j, f.data(), f.size()) == 0) {
                j += f.size();
                hit = true;
                break;
            }
        }
        if (!hit) return 0;
    }
    return j - i;
}

bool Aligned(const Pattern& p, std::int64_t at) { return (at - p.origin) % p.unit == 0; }

// Reads [from, from + n) as far as it can be read.
std::size_t ReadBlock(ByteSource& src, std::int64_t from, std::vector<std::uint8_t>& buf, std::size_t n) {
    buf.resize(n);
    const std::size_t got = n == 0 ? 0 : src.Read(from, buf.data(), n);
    buf.resize(got);
    return got;
}

// The byte sets a match is looked for by (see Pattern).
void SetStarts(Pattern& p) {
    for (const std::string& f : p.chars[0]) p.first.Add(static_cast<std::uint8_t>(f[0]));
    p.secondAt = p.chars[0][0].size();
    bool sameLength = true;
    for (const std::string& f : p.chars[0]) sameLength = sameLength && f.size() == p.secondAt;
    if (p.chars.size() > 1 && sameLength) {
        for (const std::string& f : p.chars[1]) p.second.Add(static_cast<std::uint8_t>(f[0]));
    } else {
        for (int b = 0; b < 256; ++b) p.second.Add(static_cast<std::uint8_t>(b));
    }
}

}  // namespace

CaseFold AsciiFold() {
    CaseFold f;
    f.variants = [](char32_t c) {
        std::u32string v(1, c);
        if (c >= U'a' && c <= U'z') v += static_cast<char32_t>(c - 32);
        if (c >= U'A' && c <= U'Z') v += static_cast<char32_t>(c + 32);
        return v;
    };
    f.ansi = [](char32_t c) { return c < 0x100 ? std::string(1, static_cast<char>(c)) : std::string(); };
    return f;
}

Pattern MakePattern(std::string_view needleUtf8, Encoding e, std::int64_t origin, const CaseFold& fold) {
    Pattern p;
    p.unit = UnitSize(e);
    p.origin = origin;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(needleUtf8.data());
    for (std::size_t i = 0; i < needleUtf8.size();) {
        const Char c = NextChar(bytes + i, needleUtf8.size() - i, Encoding::Utf8, Latin1Table());
        if (c.cp == 0xFFFD && !(needleUtf8.substr(i, 3) == "\xEF\xBF\xBD")) return {};
        std::vector<std::string> forms;
        std::size_t longest = 0;
        for (const char32_t v : fold.variants(c.cp)) {
            std::string f = Encode(v, e, fold);
            if (f.empty() || std::find(forms.begin(), forms.end(), f) != forms.end()) continue;
            longest = std::max(longest, f.size());
            forms.push_back(std::move(f));
        }
        if (forms.empty()) return {};
        p.maxBytes += longest;
        p.chars.push_back(std::move(forms));
        i += static_cast<std::size_t>(c.len);
    }
    if (!p.Empty()) SetStarts(p);
    return p;
}

Match FindForward(ByteSource& src, const Pattern& p, std::int64_t from, std::int64_t to, std::size_t block) {
    if (p.Empty()) return {};
    to = std::min(to, src.Size());
    block = std::max<std::size_t>(block, 1);
    // Kept between calls: a buffer allocated afresh each time costs its page faults again.
    thread_local std::vector<std::uint8_t> buf;
    for (std::int64_t start = std::max<std::int64_t>(from, 0); start < to;) {
        const auto span = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(block), to - start));
        const std::size_t got = ReadBlock(src, start, buf, span + p.maxBytes - 1);
        const std::size_t limit = std::min(span, got);
        for (std::size_t i = 0; i < limit; ++i) {
            i += FindPairOf(buf.data() + i, limit - i, got - i, p.first, p.second, p.secondAt);
            if (i >= limit) break;
            const std::int64_t at = start + static_cast<std::int64_t>(i);
            if (!Aligned(p, at)) continue;
            if (const std::size_t len = MatchAt(p, buf.data(), got, i)) return {at, len};
        }
        if (got < span) break;  // the rest cannot be read
        start += static_cast<std::int64_t>(span);
    }
    return {};
}

Match FindBackward(ByteSource& src, const Pattern& p, std::int64_t from, std::int64_t to, std::size_t block) {
    if (p.Empty()) return {};
    from = std::min(from, src.Size());
    to = std::max<std::int64_t>(to, 0);
    block = std::max<std::size_t>(block, 1);
    // Kept between calls: a buffer allocated afresh each time costs its page faults again.
    thread_local std::vector<std::uint8_t> buf;
    for (std::int64_t end = from; end > to;) {
        const std::int64_t start = std::max(to, end - static_cast<std::int64_t>(block));
        const auto span = static_cast<std::size_t>(end - start);
        const std::size_t got = ReadBlock(src, start, buf, span + p.maxBytes - 1);
        for (std::size_t i = std::min(span, got); i-- > 0;) {
            const std::int64_t at = start + static_cast<std::int64_t>(i);
            if (!p.first.Has(buf[i]) || !Aligned(p, at)) continue;
            if (const std::size_t len = MatchAt(p, buf.data(), got, i)) return {at, len};
        }
        end = start;
    }
    return {};
}

}  // namespace bivane::viewer
