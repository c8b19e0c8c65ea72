// The fast scans under searching, going to a line and unwrapped lines, each against the plain
// byte-by-byte answer; what Go to takes; and a line of any length laid out a screen at a time.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "rules/viewer_source.h"
#include "viewer/goto_rules.h"
#include "viewer/scan_rules.h"
#include "viewer/search_rules.h"

using namespace bivane::viewer;
using bivane::viewer::test::StringSource;

namespace {

// Bytes from a small alphabet, so every value of it turns up often, at every alignment.
std::string RandomBytes(std::mt19937& rng, std::size_t n, const std::string& alphabet) {
    std::string s(n, ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
}

const auto* U8(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// The line ends of text the slow way: (where the CR or LF starts, where the next line starts).
std::vector<std::pair<std::int64_t, std::int64_t>> NaiveLineEnds(const std::string& s, Encoding e, std::int64_t origin) {
    const int unit = UnitSize(e);
    const auto at = [&](std::size_t i) -> int {
        if (i + static_cast<std::size_t>(unit) > s.size()) return -1;
        if (unit == 1) return static_cast<std::uint8_t>(s[i]);
        const int lo = static_cast<std::uint8_t>(s[e == Encoding::Utf16Le ? i : i + 1]);
        const int hi = static_cast<std::uint8_t>(s[e == Encoding::Utf16Le ? i + 1 : i]);
        return hi << 8 | lo;
    };
    std::vector<std::pair<std::int64_t, std::int64_t>> ends;
    for (std::size_t i = static_cast<std::size_t>(origin); i + static_cast<std::size_t>(unit) <= s.size();) {
        const int c = at(i);
        std::size_t next = i + static_cast<std::size_t>(unit);
        if (c == '\r' && at(next) == '\n') next += static_cast<std::size_t>(unit);
        if (c == '\r' || c == '\n') ends.emplace_back(static_cast<std::int64_t>(i), static_cast<std::int64_t>(next));
        i = next;
    }
    return ends;
}

}  // namespace

TEST(ViewerScan, FindsBytesAsAPlainLoopDoesWithAndWithoutSimd) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        AllowWideSimd(round % 2 == 0);  // 32-byte registers where the processor has them, and 16
        const std::string buf = RandomBytes(rng, rng() % 300, "abcdefgh");  // several 64-byte rounds
        ByteSet a, b;
        for (unsigned i = 0, n = 1 + static_cast<unsigned>(rng() % 6); i < n; ++i) a.Add(static_cast<std::uint8_t>('a' + rng() % 8));
        for (unsigned i = 0, n = 1 + static_cast<unsigned>(rng() % 6); i < n; ++i) b.Add(static_cast<std::uint8_t>('a' + rng() % 8));
        const std::size_t distance = rng() % 4, n = buf.size();
        std::size_t first = n, last = n, pair = n;
        for (std::size_t i = 0; i < n; ++i) {
            if (a.Has(U8(buf)[i]) && first == n) first = i;
            if (a.Has(U8(buf)[i])) last = i;
            if (pair == n && a.Has(U8(buf)[i]) && (i + distance >= n || b.Has(U8(buf)[i + distance]))) pair = i;
        }
        EXPECT_EQ(FindAnyOf(U8(buf), n, a), first) << buf;
        EXPECT_EQ(FindLastAnyOf(U8(buf), n, a), last) << buf;
        EXPECT_EQ(FindPairOf(U8(buf), n, n, a, b, distance), pair) << buf;
    }
    AllowWideSimd(true);
}

// Line ends in each encoding, over blocks of a megabyte: next, back to a line's start, walking.
TEST(ViewerScan, LineEndsMatchThePlainWalkInEveryEncodingAcrossBlocks) {
    std::mt19937 rng(11);
    const std::tuple<Encoding, std::int64_t, bool> encodings[] = {  // wide: 32-byte registers if any
        {Encoding::Ansi, 0, true}, {Encoding::Utf8, 3, true},      {Encoding::Utf16Le, 2, true},
        {Encoding::Utf16Be, 2, true}, {Encoding::Ansi, 0, false}, {Encoding::Utf8, 3, false}};
    for (const auto& [e, origin, wide] : encodings) {
        AllowWideSimd(wide);
        // Mostly long runs, a few line ends of each kind, some at the megabyte boundary.
        std::string s = RandomBytes(rng, (1 << 20) + 300, std::string(60, 'x') + std::string("\r\n\0\r", 4));
        s.replace((1 << 20) - 1, 2, "\r\n");
        s.replace(0, static_cast<std::size_t>(origin), static_cast<std::size_t>(origin), '\xFE');
        StringSource src(s);
        const auto ends = NaiveLineEnds(s, e, origin);
        ASSERT_GT(ends.size(), 100u);
        LineEnd found = NextLineEnd(src, e, origin, origin, src.Size());
        for (std::size_t k = 0; k < ends.size(); ++k) {
            ASSERT_EQ(std::make_pair(found.at, found.next), ends[k]) << static_cast<int>(e) << " #" << k;
            // The start of the line holding the last unit before the next line end.
            EXPECT_EQ(TextLineStartFast(src, e, origin, found.next, origin), k == 0 ? origin : ends[k - 1].second);
            found = NextLineEnd(src, e, origin, found.next, src.Size());
        }
        EXPECT_EQ(found.at, -1);
        EXPECT_EQ(found.readTo, src.Size());
        // In short steps and in one, so line ends are counted across 4 KB rounds and the megabyte.
        for (const std::int64_t line : {std::int64_t{2}, std::int64_t{77}, static_cast<std::int64_t>(ends.size())}) {
            for (const std::int64_t step : {std::int64_t{4099}, src.Size()}) {
                LineWalk walk{origin, line - 1};
                bool reached = false;
                while (!reached && walk.pos < src.Size()) reached = WalkLines(src, e, origin, walk, std::min(src.Size(), walk.pos + step));
                EXPECT_TRUE(reached);
                EXPECT_EQ(walk.pos, ends[static_cast<std::size_t>(line - 2)].second) << line << " by " << step;
            }
        }
        LineWalk past{origin, static_cast<std::int64_t>(ends.size()) + 1};
        EXPECT_FALSE(WalkLines(src, e, origin, past, src.Size()));
    }
    AllowWideSimd(true);
}

TEST(ViewerScan, SearchFindsWhatAPlainComparisonFinds) {
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        const std::string text = RandomBytes(rng, 300 + rng() % 300, "aAbBnN \xC3\xA9");
        const std::string needle = RandomBytes(rng, 1 + rng() % 3, "abn");
        StringSource src(text);
        const Pattern p = MakePattern(needle, Encoding::Ansi, 0, AsciiFold());
        std::int64_t expected = -1;
        for (std::size_t i = 0; expected < 0 && i + needle.size() <= text.size(); ++i) {
            bool same = true;
            for (std::size_t j = 0; j < needle.size(); ++j) same = same && (text[i + j] | 0x20) == needle[j];
            if (same) expected = static_cast<std::int64_t>(i);
        }
        EXPECT_EQ(FindForward(src, p, 0, src.Size(), 64).at, expected) << text << " / " << needle;
    }
}

TEST(ViewerGoTo, LinesOffsetsInDecimalAndHexAndPercents) {
    using Kind = GoToTarget::Kind;
    struct Case {
        const char* text;
        bool hex;
        Kind kind;
        std::int64_t value;
    };
    const Case cases[] = {
        {"1234", false, Kind::Line, 1234},       {"1234", true, Kind::Offset, 1234},
        {" @1234 ", false, Kind::Offset, 1234},  {"0x4D2", false, Kind::Offset, 0x4D2},
        {"0X4d2", true, Kind::Offset, 0x4D2},    {"4D2h", false, Kind::Offset, 0x4D2},
        {"ffH", false, Kind::Offset, 255},       {"50%", false, Kind::Percent, 50},
        {"100 %", false, Kind::Percent, 100},    {"0%", false, Kind::Percent, 0},
        {"0", true, Kind::Offset, 0},            {"0", false, Kind::Invalid, 0},  // there is no line 0
        {"101%", false, Kind::Invalid, 0},       {"-5", false, Kind::Invalid, 0},
        {"0x", false, Kind::Invalid, 0},         {"h", false, Kind::Invalid, 0},
        {"12g", false, Kind::Invalid, 0},        {"", false, Kind::Invalid, 0},
        {"9223372036854775807", false, Kind::Line, INT64_MAX},
        {"9223372036854775808", false, Kind::Invalid, 0},
        {"0x8000000000000000", false, Kind::Invalid, 0},
    };
    for (const Case& c : cases) {
        const GoToTarget t = ParseGoTo(c.text, c.hex);
        EXPECT_EQ(t.kind, c.kind) << c.text;
        EXPECT_EQ(t.value, c.value) << c.text;
    }
    EXPECT_EQ(PercentOffset(50, 1000), 500);
    EXPECT_EQ(PercentOffset(100, 1000), 1000);
    EXPECT_EQ(PercentOffset(33, 101), 33);
    EXPECT_EQ(PercentOffset(50, INT64_MAX), INT64_MAX / 2);  // no overflow
    EXPECT_EQ(PercentOffset(10, 0), 0);
}

// Unwrapped, the columns past skipColumns are what the whole line would show from there, tabs
// cut at the edge included; a long line's marks keep each screen's walk short.
TEST(ViewerLayout, AnUnwrappedLineShowsTheColumnsScrolledToAtTheCostOfAScreen) {
    std::string line;
    for (int i = 0; line.size() < 300000; ++i) line += (i % 7 == 0 ? "\t" : "") + std::to_string(i % 10);
    line += "\r\nnext";
    StringSource src(line);
    LongLines longLines;
    TextLayout l;
    l.wrap = false;
    l.width = 50;
    l.longLines = &longLines;
    std::u16string whole;  // the line expanded the slow way
    for (const char c : line.substr(0, line.find('\r'))) {
        if (c == '\t') {
            whole.append(8 - whole.size() % 8, u' ');
        } else {
            whole += static_cast<char16_t>(c);
        }
    }
    for (const std::int64_t skip : {0, 1, 5, 6, 7, 8, 13, 20000, 40000, 123457, 299990, 400000}) {
        l.skipColumns = skip;
        src.reads = 0;
        const DisplayLine d = LayoutLine(src, 0, l);
        const auto from = static_cast<std::size_t>(std::min<std::int64_t>(skip, static_cast<std::int64_t>(whole.size())));
        EXPECT_EQ(d.text, whole.substr(from, 50)) << skip;
        EXPECT_EQ(d.end, static_cast<std::int64_t>(line.find('\r')));
        EXPECT_EQ(d.next, d.end + 2);
        ASSERT_NE(longLines.Starting(0), nullptr);
        EXPECT_EQ(LineStartBefore(src, d.next - 1, l), 0);
        EXPECT_EQ(LineStartBefore(src, d.next, l), 0);
    }
    // Back near a mark: a screen's reads, not the line's.
    l.skipColumns = 299000;
    src.reads = 0;
    LayoutLine(src, 0, l);
    EXPECT_LT(src.reads, 12);
    EXPECT_EQ(LastPageStart(src, 5, l), 0);
}
