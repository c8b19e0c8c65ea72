// Finding text: case, each encoding, unit alignment, block boundaries, ranges.
#include <gtest/gtest.h>

#include "rules/viewer_source.h"
#include "viewer/search_rules.h"

using namespace bivane::viewer;
using bivane::viewer::test::StringSource;
using bivane::viewer::test::Utf16;

TEST(ViewerSearch, IgnoresCaseInTheFilesOwnEncoding) {
    struct Case {
        std::string file;
        Encoding encoding;
        int origin;
        std::string needle;
        std::int64_t at;
        std::size_t length;
    };
    const Case cases[] = {
        {"say HeLLo there", Encoding::Ansi, 0, "hello", 4, 5},
        {"na\xC3\xAFve NA\xC3\xAFVE", Encoding::Utf8, 0, "NA\xC3\xAFve", 0, 6},
        {"x caf\xE9!", Encoding::Ansi, 0, "CAF\xC3\xA9", 2, 4},  // the needle comes as UTF-8
        {"price 5\x80", Encoding::Ansi, 0, "\xE2\x82\xAC", -1, 0},  // no euro sign in Latin-1
        {Utf16(u"ab Find me", true), Encoding::Utf16Le, 2, "FIND", 8, 8},
        {Utf16(u"ab Find me", false), Encoding::Utf16Be, 2, "find ME", 8, 14},
        {Utf16(u"x\U0001F600y", true), Encoding::Utf16Le, 2, "\xF0\x9F\x98\x80Y", 4, 6},
        // "\u4100\u0042" in LE is 00 41 42 00: the bytes of "A" (41 00) sit across two units.
        {Utf16(u"\u4100\u0042", true), Encoding::Utf16Le, 2, "A", -1, 0},
        {"abc", Encoding::Ansi, 0, "", -1, 0},
        {"abc", Encoding::Ansi, 0, "abcd", -1, 0},
    };
    for (const Case& c : cases) {
        StringSource src(c.file);
        const Pattern p = MakePattern(c.needle, c.encoding, c.origin, AsciiFold());
        const Match m = FindForward(src, p, 0, src.Size());
        EXPECT_EQ(m.at, c.at) << c.needle;
        EXPECT_EQ(m.length, c.length) << c.needle;
        const Match back = FindBackward(src, p, src.Size(), 0);
        if (c.at >= 0) {
            EXPECT_GE(back.at, c.at) << c.needle;
        }
        EXPECT_EQ(back.Found(), m.Found()) << c.needle;
    }
}

TEST(ViewerSearch, MatchesAcrossEveryBlockBoundary) {
    std::string text(200, '.');
    for (const std::size_t at : {3u, 61u, 62u, 150u, 194u}) text.replace(at, 6, "needle");
    // The one at 62 overwrites the one at 61 but its first letter: "nneedle".
    StringSource src(text);
    const Pattern p = MakePattern("NEEDLE", Encoding::Ansi, 0, AsciiFold());
    for (const std::size_t block : {1u, 2u, 3u, 5u, 7u, 16u, 64u, 1000u}) {
        std::vector<std::int64_t> forward, backward;
        for (std::int64_t from = 0;;) {
            const Match m = FindForward(src, p, from, src.Size(), block);
            if (!m.Found()) break;
            forward.push_back(m.at);
            from = m.at + 1;
        }
        for (std::int64_t from = src.Size();;) {
            const Match m = FindBackward(src, p, from, 0, block);
            if (!m.Found()) break;
            backward.insert(backward.begin(), m.at);
            from = m.at;
        }
        EXPECT_EQ(forward, (std::vector<std::int64_t>{3, 62, 150, 194})) << "block " << block;
        EXPECT_EQ(backward, forward) << "block " << block;
    }
}

TEST(ViewerSearch, KeepsToItsRangeAndToWhatCanBeRead) {
    StringSource src("..ab..ab..");
    const Pattern p = MakePattern("ab", Encoding::Ansi, 0, AsciiFold());
    EXPECT_EQ(FindForward(src, p, 0, 2).at, -1);   // a match starting at the range's end is outside
    EXPECT_EQ(FindForward(src, p, 0, 3).at, 2);    // one starting inside may end beyond it
    EXPECT_EQ(FindForward(src, p, 3, 10).at, 6);
    EXPECT_EQ(FindBackward(src, p, 6, 0).at, 2);
    EXPECT_EQ(FindBackward(src, p, 10, 7).at, -1);
    StringSource shrunk("..ab", 1 << 30);
    EXPECT_EQ(FindForward(shrunk, p, 0, shrunk.Size(), 2).at, 2);
    EXPECT_EQ(FindForward(shrunk, p, 3, shrunk.Size(), 2).at, -1);
    EXPECT_EQ(FindBackward(shrunk, p, shrunk.Size(), 0, 1 << 20).at, 2);
}
