#include "viewer/scan_rules.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bivane::viewer {

namespace {

constexpr std::size_t kScanBlock = 1 << 20;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

#if defined(__SSE2__)
// A mask of the 16 bytes at p that are one of the set's (at most four) values.
unsigned MaskOf16(const std::uint8_t* p, const ByteSet& set) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hit = _mm_setzero_si128();
    for (int j = 0; j < set.Count(); ++j) {
        hit = _mm_or_si128(hit, _mm_cmpeq_epi8(b, _mm_set1_epi8(static_cast<char>(set.Few()[static_cast<std::size_t>(j)]))));
    }
    return static_cast<unsigned>(_mm_movemask_epi8(hit));
}
#endif

const ByteSet& LineEndBytes() {
    static const ByteSet ends{'\n', '\r'};
    return ends;
}

// Where a CR or LF unit found with its low byte at k starts in the buffer; kNone when the byte
// is not one (the other byte of a UTF-16 unit is not 0, or it is not on a unit).
std::size_t UnitOf(const std::uint8_t* p, std::size_t k, std::size_t got, Encoding e, std::int64_t base,
                   std::int64_t origin) {
    if (UnitSize(e) == 1) return k;
    const bool little = e == Encoding::Utf16Le;
    if (!little && k == 0) return kNone;
    const std::size_t u = little ? k : k - 1;
    if (u + 1 >= got || ((base + static_cast<std::int64_t>(u) - origin) & 1) != 0) return kNone;
    return p[little ? u + 1 : u] == 0 ? u : kNone;
}

bool IsCrUnit(const std::uint8_t* p, std::size_t u, Encoding e) {
    return p[e == Encoding::Utf16Be ? u + 1 : u] == '\r';
}

// The first CR or LF unit of the buffer (its byte 0 at file offset base) starting in
// [from, limit); kNone when none.
std::size_t LineEndIn(const std::uint8_t* p, std::size_t from, std::size_t limit, std::size_t got, Encoding e,
                      std::int64_t base, std::int64_t origin) {
    for (std::size_t i = from; i < got;) {
        const std::size_t k = i + FindAnyOf(p + i, got - i, LineEndBytes());
        if (k >= got) return kNone;
        const std::size_t u = UnitOf(p, k, got, e, base, origin);
        if (u != kNone && u >= from) return u < limit ? u : kNone;
        i = k + 1;
    }
    return kNone;
}

// Where the line after the line end at u starts: after its LF when it is a CR LF.
std::size_t AfterLineEnd(const std::uint8_t* p, std::size_t u, std::size_t got, Encoding e) {
    const auto unit = static_cast<std::size_t>(UnitSize(e));
    const std::size_t after = u + unit;
    if (!IsCrUnit(p, u, e) || after + unit > got) return after;
    const bool lf = unit == 1 ? p[after] == '\n'
                              : (e == Encoding::Utf16Le ? p[after] == '\n' && p[after + 1] == 0
                                                        : p[after] == 0 && p[after + 1] == '\n');
    return lf ? after + unit : after;
}

std::size_t ReadInto(ByteSource& src, std::int64_t at, std::vector<std::uint8_t>& buf, std::size_t n) {
    buf.resize(n);
    return n == 0 ? 0 : src.Read(at, buf.data(), n);
}

}  // namespace

ByteSet::ByteSet(std::initializer_list<std::uint8_t> values) {
    for (const std::uint8_t b : values) Add(b);
}

void ByteSet::Add(std::uint8_t b) {
    if (has_[b]) return;
    has_[b] = true;
    if (count_ < 4) few_[static_cast<std::size_t>(count_)] = b;
    ++count_;
}

std::size_t FindAnyOf(const std::uint8_t* p, std::size_t n, const ByteSet& set) {
    std::size_t i = 0;
#if defined(__SSE2__)
    if (set.Count() <= 4) {
        for (; i + 16 <= n; i += 16) {
            if (const unsigned mask = MaskOf16(p + i, set)) return i + static_cast<std::size_t>(__builtin_ctz(mask));
        }
    }
#endif
    for (; i < n; ++i) {
        if (set.Has(p[i])) return i;
    }
    return n;
}

std::size_t FindPairOf(const std::uint8_t* p, std::size_t n, std::size_t avail, const ByteSet& a, const ByteSet& b,
                       std::size_t distance) {
    std::size_t i = 0;
#if defined(__SSE2__)
    if (a.Count() <= 4 && b.Count() <= 4) {
        for (; i + 16 <= n && i + distance + 16 <= avail; i += 16) {
            if (const unsigned mask = MaskOf16(p + i, a) & MaskOf16(p + i + distance, b)) {
                return i + static_cast<std::size_t>(__builtin_ctz(mask));
            }
        }
    }
#endif
    for (; i < n; ++i) {
        if (a.Has(p[i]) && (i + distance >= avail || b.Has(p[i + distance]))) return i;
    }
    return n;
}

std::size_t FindLastAnyOf(const std::uint8_t* p, std::size_t n, const ByteSet& set) {
    std::size_t end = n;
#if defined(__SSE2__)
    if (set.Count() <= 4) {
        for (; end >= 16; end -= 16) {
            if (const unsigned mask = MaskOf16(p + end - 16, set)) {
                return end - 16 + static_cast<std::size_t>(31 - __builtin_clz(mask));
            }
        }
    }
#endif
    while (end-- > 0) {
        if (set.Has(p[end])) return end;
    }
    return n;
}

LineEnd NextLineEnd(ByteSource& src, Encoding e, std::int64_t origin, std::int64_t from, std::int64_t to) {
    const auto unit = static_cast<std::size_t>(UnitSize(e));
    std::vector<std::uint8_t> buf;
    std::int64_t base = from;
    while (base < to) {
        const auto span = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(kScanBlock), to - base));
        // Two units more: the LF after a CR on the last unit, and the other byte of a BE unit.
        const std::size_t got = ReadInto(src, base, buf, span + 2 * unit);
        const std::size_t limit = std::min(span, got);
        const std::size_t u = LineEndIn(buf.data(), 0, limit, got, e, base, origin);
        if (u != kNone) {
            return {base + static_cast<std::int64_t>(u),
                    base + static_cast<std::int64_t>(AfterLineEnd(buf.data(), u, got, e)), 0};
        }
        if (got < span) return {-1, -1, base + static_cast<std::int64_t>(got)};  // the rest cannot be read
        base += static_cast<std::int64_t>(span);
    }
    return {-1, -1, std::max(from, to)};
}

std::int64_t TextLineStartFast(ByteSource& src, Encoding e, std::int64_t origin, std::int64_t pos,
                               std::int64_t floor) {
    const auto unit = static_cast<std::size_t>(UnitSize(e));
    std::vector<std::uint8_t> buf;
    for (std::int64_t end = pos; end > floor;) {
        const std::int64_t start = std::max(floor, end - static_cast<std::int64_t>(kScanBlock));
        const auto span = static_cast<std::size_t>(end - start);
        const std::size_t got = ReadInto(src, start, buf, span + 2 * unit);
        for (std::size_t n = std::min(got, span + unit); n > 0;) {
            const std::size_t k = FindLastAnyOf(buf.data(), n, LineEndBytes());
            if (k >= n) break;
            n = k;
            const std::size_t u = UnitOf(buf.data(), k, got, e, start, origin);
            if (u == kNone || u >= span) continue;
            const std::size_t after = AfterLineEnd(buf.data(), u, got, e);
            // The CR of a CR LF does not end a line: its LF does, unless it is at pos - 1 or later.
            if (after > u + unit || start + static_cast<std::int64_t>(u + unit) >= pos) continue;
            return start + static_cast<std::int64_t>(after);
        }
        end = start;
    }
    return floor;
}

bool WalkLines(ByteSource& src, Encoding e, std::int64_t origin, LineWalk& walk, std::int64_t to) {
    const auto unit = static_cast<std::size_t>(UnitSize(e));
    std::vector<std::uint8_t> buf;
    while (walk.pos < to) {
        const std::int64_t base = walk.pos;
        const auto span = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(kScanBlock), to - base));
        const std::size_t got = ReadInto(src, base, buf, span + 2 * unit);
        const std::size_t limit = std::min(span, got);
        for (std::size_t i = 0; i < limit;) {
            const std::size_t u = LineEndIn(buf.data(), i, limit, got, e, base, origin);
            if (u == kNone) break;
            i = AfterLineEnd(buf.data(), u, got, e);
            walk.pos = base + static_cast<std::int64_t>(i);
            if (--walk.linesLeft <= 0) return true;
        }
        if (got < span) {  // the rest cannot be read: the walk ends here
            walk.pos = to;
            return false;
        }
        walk.pos = std::max(walk.pos, base + static_cast<std::int64_t>(span));
    }
    return false;
}

}  // namespace bivane::viewer
