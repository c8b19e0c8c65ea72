#include "viewer/scan_rules.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define BIVANE_WIDE_SIMD 1
#endif

namespace bivane::viewer {

namespace {

// Scans start with a small block, which the file source serves from the blocks it keeps (most
// lines are short), and double it up to kScanBlock, read straight from the file. A quarter of a
// megabyte is still in the processor's cache when it is scanned after the read; a megabyte is not.
constexpr std::size_t kFirstBlock = 4096;
constexpr std::size_t kScanBlock = 256 << 10;

std::size_t Grown(std::size_t block) { return std::min(block * 2, kScanBlock); }
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

#if defined(__SSE2__)
// A set of at most four bytes as SIMD compares; two that differ in one bit (a letter's two
// cases) as a single compare after setting that bit in every byte.
class SimdSet {
public:
    explicit SimdSet(const ByteSet& set) : n_(std::max(set.Count(), 1)) {
        const auto& few = set.Few();
        const unsigned diff = static_cast<unsigned>(few[0] ^ few[1]);
        if (n_ == 2 && (diff & (diff - 1)) == 0) {
            fold_ = _mm_set1_epi8(static_cast<char>(diff));
            v_[0] = _mm_set1_epi8(static_cast<char>(few[0] | few[1]));
            n_ = 1;
            return;
        }
        fold_ = _mm_setzero_si128();
        for (std::size_t j = 0; j < 4; ++j) v_[j] = _mm_set1_epi8(static_cast<char>(few[j < static_cast<std::size_t>(n_) ? j : 0]));
    }
    // A mask of the 16 bytes at p that are in the set.
    unsigned Mask(const std::uint8_t* p) const {
        const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), fold_);
        __m128i hit = _mm_cmpeq_epi8(b, v_[0]);
        if (n_ > 1) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(b, v_[1]));
        if (n_ > 2) hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(b, v_[2]), _mm_cmpeq_epi8(b, v_[3])));
        return static_cast<unsigned>(_mm_movemask_epi8(hit));
    }
    // One compare does (a byte, or a letter's two cases): the set's bytes at p as 0xFF.
    bool Single() const { return n_ == 1; }
    // Of a single set: the bits set in every byte before the compare, and the value compared to.
    std::uint8_t FoldBits() const { return static_cast<std::uint8_t>(_mm_cvtsi128_si32(fold_)); }
    std::uint8_t Value() const { return static_cast<std::uint8_t>(_mm_cvtsi128_si32(v_[0])); }
    __m128i SingleHits(const std::uint8_t* p) const {
        return _mm_cmpeq_epi8(_mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), fold_), v_[0]);
    }

private:
    __m128i v_[4];
    __m128i fold_;
    int n_;
};
#endif

#if defined(BIVANE_WIDE_SIMD)
bool wideAllowed = true;

// 32-byte registers where the processor and the system have them: half the instructions per byte
// of the 16-byte loops, which matters once the file's bytes come from the cache.
bool Wide() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has && wideAllowed;
}

// The first 64-byte round from 0 with a byte of the first set whose byte distance on is of the
// second (each set one compare after its fold bits are set); where the rounds stopped.
__attribute__((target("avx2"))) std::size_t PairRoundsWide(const std::uint8_t* p, std::size_t n, std::size_t avail,
                                                          std::size_t distance, std::uint8_t foldA, std::uint8_t a,
                                                          std::uint8_t foldB, std::uint8_t b) {
    const __m256i fa = _mm256_set1_epi8(static_cast<char>(foldA)), va = _mm256_set1_epi8(static_cast<char>(a));
    const __m256i fb = _mm256_set1_epi8(static_cast<char>(foldB)), vb = _mm256_set1_epi8(static_cast<char>(b));
    std::size_t i = 0;
    for (; i + 64 <= n && i + distance + 64 <= avail; i += 64) {
        const auto* q = reinterpret_cast<const __m256i*>(p + i);
        const auto* r = reinterpret_cast<const __m256i*>(p + i + distance);
        const __m256i h0 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(q), fa), va),
                                            _mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(r), fb), vb));
        const __m256i h1 = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(q + 1), fa), va),
                                            _mm256_cmpeq_epi8(_mm256_or_si256(_mm256_loadu_si256(r + 1), fb), vb));
        if (_mm256_movemask_epi8(_mm256_or_si256(h0, h1)) != 0) break;
    }
    return i;
}

// SkipCountedLines in rounds of 255 32-byte steps.
__attribute__((target("avx2"))) std::size_t SkipCountedLinesWide(const std::uint8_t* p, std::size_t i,
                                                                std::size_t limit, std::size_t got,
                                                                std::int64_t& linesLeft) {
    constexpr std::size_t kRound = 255 * 32;
    const __m256i lf = _mm256_set1_epi8('\n'), cr = _mm256_set1_epi8('\r'), zero = _mm256_setzero_si256();
    while (i + kRound <= limit && i + kRound + 1 <= got) {
        __m256i counts = zero;
        for (std::size_t k = i; k < i + kRound; k += 32) {
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k));
            const __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + k + 1));
            const __m256i lone = _mm256_andnot_si256(_mm256_cmpeq_epi8(after, lf), _mm256_cmpeq_epi8(b, cr));
            counts = _mm256_sub_epi8(counts, _mm256_or_si256(_mm256_cmpeq_epi8(b, lf), lone));
        }
        const __m256i sums = _mm256_sad_epu8(counts, zero);
        const std::int64_t count = _mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
                                   _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3);
        if (count >= linesLeft) break;
        linesLeft -= count;
        i += kRound;
    }
    return i;
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

// Line ends (LF, and CR not followed by LF) of one-byte encodings counted 4 KB at a time from i
// while fewer than linesLeft: returns where the count stopped, linesLeft lowered by what it
// passed. The exact walk goes on from there, through the 4 KB that holds the line.
std::size_t SkipCountedLines(const std::uint8_t* p, std::size_t i, std::size_t limit, std::size_t got,
                             std::int64_t& linesLeft) {
#if defined(BIVANE_WIDE_SIMD)
    if (Wide()) i = SkipCountedLinesWide(p, i, limit, got, linesLeft);
#endif
#if defined(__SSE2__)
    constexpr std::size_t kRound = 255 * 16;  // a byte counter's worth of 16-byte steps
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    while (i + kRound <= limit && i + kRound + 1 <= got) {
        // Each byte lane counts its line ends (a compare is -1 per hit), summed once a round:
        // no branch per line, so short lines cost what long ones do.
        __m128i counts = zero;
        for (std::size_t k = i; k < i + kRound; k += 16) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
            const __m128i lone = _mm_andnot_si128(_mm_cmpeq_epi8(after, lf), _mm_cmpeq_epi8(b, cr));
            counts = _mm_sub_epi8(counts, _mm_or_si128(_mm_cmpeq_epi8(b, lf), lone));
        }
        const __m128i sums = _mm_sad_epu8(counts, zero);
        const std::int64_t count = _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
        if (count >= linesLeft) break;
        linesLeft -= count;
        i += kRound;
    }
#else
    (void)p, (void)limit, (void)got, (void)linesLeft;
#endif
    return i;
}

std::size_t ReadInto(ByteSource& src, std::int64_t at, std::vector<std::uint8_t>& buf, std::size_t n) {
    buf.resize(n);
    return n == 0 ? 0 : src.Read(at, buf.data(), n);
}

}  // namespace

void AllowWideSimd(bool allow) {
#if defined(BIVANE_WIDE_SIMD)
    wideAllowed = allow;
#else
    (void)allow;
#endif
}

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
        const SimdSet simd(set);
        for (; i + 16 <= n; i += 16) {
            if (const unsigned mask = simd.Mask(p + i)) return i + static_cast<std::size_t>(__builtin_ctz(mask));
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
        const SimdSet first(a), second(b);
        if (first.Single() && second.Single()) {
            // 64 bytes a round with one branch: most text has no candidate for long stretches.
            // A round with one stops here; the loop below finds it.
#if defined(BIVANE_WIDE_SIMD)
            if (Wide()) {
                i = PairRoundsWide(p, n, avail, distance, first.FoldBits(), first.Value(), second.FoldBits(),
                                   second.Value());
            }
#endif
            for (; i + 64 <= n && i + distance + 64 <= avail; i += 64) {
                const std::uint8_t* q = p + i;
                const __m128i h0 = _mm_and_si128(first.SingleHits(q), second.SingleHits(q + distance));
                const __m128i h1 = _mm_and_si128(first.SingleHits(q + 16), second.SingleHits(q + distance + 16));
                const __m128i h2 = _mm_and_si128(first.SingleHits(q + 32), second.SingleHits(q + distance + 32));
                const __m128i h3 = _mm_and_si128(first.SingleHits(q + 48), second.SingleHits(q + distance + 48));
                if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3))) != 0) break;
            }
        }
        for (; i + 16 <= n && i + distance + 16 <= avail; i += 16) {
            if (const unsigned mask = first.Mask(p + i) & second.Mask(p + i + distance)) {
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
        const SimdSet simd(set);
        for (; end >= 16; end -= 16) {
            if (const unsigned mask = simd.Mask(p + end - 16)) {
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
    for (std::size_t block = kFirstBlock; base < to; block = Grown(block)) {
        const auto span = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(block), to - base));
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
    std::size_t block = kFirstBlock;
    for (std::int64_t end = pos; end > floor; block = Grown(block)) {
        const std::int64_t start = std::max(floor, end - static_cast<std::int64_t>(block));
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
    thread_local std::vector<std::uint8_t> buf;  // kept: a fresh buffer costs its page faults again
    while (walk.pos < to) {
        const std::int64_t base = walk.pos;
        const auto span = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(kScanBlock), to - base));
        const std::size_t got = ReadInto(src, base, buf, span + 2 * unit);
        const std::size_t limit = std::min(span, got);
        for (std::size_t i = 0; i < limit;) {
            if (unit == 1) i = SkipCountedLines(buf.data(), i, limit, got, walk.linesLeft);
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
