// Finding files: masks, sizes and days, and text in each encoding across block boundaries.
#include <gtest/gtest.h>

#include "core/wtf8.h"
#include "find/find_rules.h"
#include "rules/viewer_source.h"

using namespace bivane;
using namespace bivane::find;
using bivane::viewer::test::StringSource;
using bivane::viewer::test::Utf16;

TEST(FindMasks, TakeAndLeaveNamesIgnoringCase) {
    const UpperTable upper = AsciiUpperTable();
    struct Case {
        const char* masks;
        const char* name;
        bool taken;
    };
    const Case cases[] = {
        {"*.cpp;*.h", "main.CPP", true},   {"*.cpp;*.h", "main.hpp", false},
        {" *.cpp ; *.h ", "x.h", true},    {"", "anything", true},
        {"*.*", "Makefile", true},         {"*.", "Makefile", true},
        {"*.", "a.txt", false},            {"*.txt", "a.txt.", false},
        {"*.txt", "a.txt ", false},        {"*.*", "trailing.", true},
        {"a?c", "abc", true},              {"a?c", "ac", false},
        {"*.* | *.obj;*.tmp", "x.OBJ", false}, {"*.* | *.obj;*.tmp", "x.cpp", true},
        {"| *.tmp", "x.cpp", true},        {"| *.tmp", "x.tmp", false},
        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        {"*.log", ".log", true},           {"\xC3\xA9*", "\xC3\xA9t\xC3\xA9", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseMasks(c.masks, upper).Matches(Wtf8ToUtf16(c.name), upper), c.taken) << c.masks << " / " << c.name;
    }
}

TEST(FindFilters, SizesDaysAndLimits) {
    EXPECT_EQ(ParseSize("1500"), 1500);
    EXPECT_EQ(ParseSize(" 10k"), 10240);
    EXPECT_EQ(ParseSize("2.5 MB"), 2621440);
    EXPECT_EQ(ParseSize("1 gb"), 1073741824);
    for (const char* bad : {"", "MB", "1 parsec", "-1", "99999999999 TB"}) EXPECT_FALSE(ParseSize(bad)) << bad;
    EXPECT_TRUE(ParseDay("2024-02-29"));
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-1-01", "yesterday", "1600-01-01"}) {
        EXPECT_FALSE(ParseDay(bad)) << bad;
    }
    SizeDate f;
    f.minSize = 10;
    f.maxSize = 20;
    f.after = 100;
    f.before = 200;
    EXPECT_TRUE(f.Passes(10, 100, false));
    EXPECT_TRUE(f.Passes(20, 199, false));
    EXPECT_FALSE(f.Passes(9, 150, false));
    EXPECT_FALSE(f.Passes(21, 150, false));
    EXPECT_FALSE(f.Passes(15, 200, false));
    EXPECT_TRUE(f.Passes(0, 150, true));  // a folder has no size of its own
}

namespace {

TextHit Find(const std::string& file, TextQuery q, std::size_t block = 1 << 20) {
    StringSource src(file);
    return TextSearch(q, AsciiTextPlatform()).FindIn(src, nullptr, block);
}

}  // namespace

TEST(FindText, EncodingsCaseWordsAndLines) {
    struct Case {
        std::string file;
        const char* text;
        TextEncodings encodings;
        bool matchCase, wholeWords;
        std::int64_t at;
        const char* line;
    };
    const std::string le = Utf16(u"first\r\nthe Needle here", true);
    const std::string be = Utf16(u"x needle", false);
    const Case cases[] = {
        {"one\ntwo Needle\nthree", "needle", TextEncodings::Detected, false, false, 8, "two Needle"},
        {"one\ntwo Needle\nthree", "needle", TextEncodings::Detected, true, false, -1, ""},
        {"needles and a needle", "needle", TextEncodings::Utf8, false, true, 14, "needles and a needle"},
        {"_needle needle_ xneedle", "needle", TextEncodings::Utf8, false, true, -1, ""},
        {"caf\xC3\xA9s caf\xC3\xA9", "CAF\xC3\xA9", TextEncodings::Utf8, false, true, 7, "caf\xC3\xA9s caf\xC3\xA9"},
        {le, "NEEDLE", TextEncodings::Detected, false, false, 2 + 11 * 2, "the Needle here"},
        {le, "needle", TextEncodings::Utf8, false, false, -1, ""},
        {le, "needle", TextEncodings::All, false, true, 2 + 11 * 2, "the Needle here"},
        {be, "NEEDLE", TextEncodings::Utf16Be, false, false, 2 + 2 * 2, "x needle"},
        {be, "NEEDLE", TextEncodings::All, false, false, 2 + 2 * 2, "x needle"},
        {std::string("\0\x01" "bin needle\0", 13), "needle", TextEncodings::Detected, false, false, 6, "  bin needle "},
        {"caf\xE9 au lait", "CAF\xC3\xA9", TextEncodings::CodePage, false, false, 0, "caf\xC3\xA9 au lait"},
        {"tab\there", "tab here", TextEncodings::Utf8, false, false, -1, ""},
    };
    for (const Case& c : cases) {
        TextQuery q;
        q.text = c.text;
        q.encodings = c.encodings;
        q.matchCase = c.matchCase;
        q.wholeWords = c.wholeWords;
        const TextHit hit = Find(c.file, q);
        EXPECT_EQ(hit.at, c.at) << c.text << " in " << static_cast<int>(c.encodings);
        if (hit.Found()) {
            EXPECT_EQ(hit.line, c.line) << c.text;
        }
    }
}

TEST(FindText, EveryBlockBoundaryInEveryEncoding) {
    // The needle at every offset of a short file, found with blocks of every small size.
    for (const bool wide : {false, true}) {
        for (std::size_t pos = 0; pos < 24; ++pos) {
            std::u16string text(30, u'.');
            text.replace(pos, 6, u"NEEDLE");
            const std::string file = wide ? Utf16(text, true) : Utf16ToWtf8(text);
            for (const std::size_t block : {1u, 2u, 3u, 5u, 8u, 13u, 64u}) {
                TextQuery q;
                q.text = "needle";
                q.wholeWords = true;
                q.encodings = TextEncodings::All;
                const std::int64_t want = wide ? 2 + 2 * static_cast<std::int64_t>(pos) : static_cast<std::int64_t>(pos);
                EXPECT_EQ(Find(file, q, block).at, want) << pos << " block " << block << (wide ? " wide" : "");
            }
        }
    }
}

TEST(FindText, StopsBetweenBlocksAndRefusesTextNoEncodingHolds) {
    std::atomic<bool> stop{true};
    StringSource src(std::string(100, 'x') + "needle");
    TextQuery q;
    q.text = "needle";
    const TextSearch s(q, AsciiTextPlatform());
    EXPECT_FALSE(s.FindIn(src, &stop, 16).Found());
    EXPECT_TRUE(s.FindIn(src, nullptr, 16).Found());
    q.text = "\xE2\x82\xAC";  // no euro sign in Latin-1
    q.encodings = TextEncodings::CodePage;
    EXPECT_FALSE(TextSearch(q, AsciiTextPlatform()).Valid());
}
