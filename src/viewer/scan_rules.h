// Fast scans over the bytes of a file: the next (or last) of a few byte values, and the line
// ends of a file's encoding found a block at a time. Searching, going to a line and laying out
// lines of any length all walk the file through these, at close to the speed of reading it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "viewer/text_rules.h"

namespace bivane::viewer {

// A set of byte values, looked for four at a time with SIMD when it has at most four.
class ByteSet {
public:
    ByteSet() = default;
    ByteSet(std::initializer_list<std::uint8_t> values);
    void Add(std::uint8_t b);
    bool Has(std::uint8_t b) const { return has_[b]; }
    int Count() const { return count_; }
    const std::array<std::uint8_t, 4>& Few() const { return few_; }

private:
    std::array<bool, 256> has_{};
    std::array<std::uint8_t, 4> few_{};
    int count_ = 0;
};

// Whether scans may use 32-byte registers where the processor has them (on by default; the tests
// run both ways).
void AllowWideSimd(bool allow);

// The index of the first byte of p[0, n) in the set; n when none.
std::size_t FindAnyOf(const std::uint8_t* p, std::size_t n, const ByteSet& set);
// The first index i of p[0, n) with p[i] in a and p[i + distance] in b, the second looked at only
// where i + distance < avail (the bytes readable at p); n when none.
std::size_t FindPairOf(const std::uint8_t* p, std::size_t n, std::size_t avail, const ByteSet& a, const ByteSet& b,
                       std::size_t distance);
// The index of the last byte of p[0, n) in the set; n when none.
std::size_t FindLastAnyOf(const std::uint8_t* p, std::size_t n, const ByteSet& set);

// A line end found: where its CR or LF starts and where the next line starts (after a CR LF).
struct LineEnd {
    std::int64_t at = -1;  // -1: none
    std::int64_t next = -1;
    std::int64_t readTo = 0;  // with none: where the scan stopped (the end, or what can be read)
};

// The first line end starting in [from, to) in the encoding (units counted from origin).
LineEnd NextLineEnd(ByteSource& src, Encoding e, std::int64_t origin, std::int64_t from, std::int64_t to);
// The start of the text line holding pos - 1: just after the last line end that ends below pos
// (the CR of a CR LF whose LF is at pos - 1 or later does not end a line there), else floor.
std::int64_t TextLineStartFast(ByteSource& src, Encoding e, std::int64_t origin, std::int64_t pos,
                               std::int64_t floor);

// Going to a line: walks line ends from pos up to `to`, counting down linesLeft. True when the
// count reached 0; pos is then the start of that line. Else pos is where the walk stopped (`to`,
// or earlier when the file cannot be read further), to go on from there.
struct LineWalk {
    std::int64_t pos = 0;
    std::int64_t linesLeft = 0;
};
bool WalkLines(ByteSource& src, Encoding e, std::int64_t origin, LineWalk& walk, std::int64_t to);

}  // namespace bivane::viewer
