// The viewer's text rules: encodings, display lines, walking back, hex rows.
#include <gtest/gtest.h>

#include "rules/viewer_source.h"
#include "viewer/text_rules.h"

using namespace bivane::viewer;
using bivane::viewer::test::StringSource;
using bivane::viewer::test::Utf16;

namespace {

std::string Utf8Of(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                    static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

TextLayout LayoutFor(const std::string& bytes, int width, bool wrap) {
    const Detected d = Detect(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    TextLayout l;
    l.encoding = d.encoding;
    l.origin = d.bom;
    l.width = width;
    l.wrap = wrap;
    return l;
}

// Every display line from the origin: its start and its text in UTF-8.
std::vector<std::pair<std::int64_t, std::string>> Lines(ByteSource& src, const TextLayout& l) {
    std::vector<std::pair<std::int64_t, std::string>> out;
    for (std::int64_t pos = l.origin; pos < src.Size();) {
        const DisplayLine line = LayoutLine(src, pos, l);
        EXPECT_GT(line.next, pos);
        if (line.next <= pos) break;
        out.emplace_back(pos, Utf8Of(line.text));
        pos = line.next;
    }
    return out;
}

std::vector<std::string> Texts(const std::vector<std::pair<std::int64_t, std::string>>& lines) {
    std::vector<std::string> t;
    for (const auto& l : lines) t.push_back(l.second);
    return t;
}

}  // namespace

TEST(ViewerDetect, BomThenNulThenValidUtf8ElseAnsi) {
    struct Case {
        std::string bytes;
        Encoding encoding;
        int bom;
        bool binary;
    };
    const Case cases[] = {
        {"", Encoding::Ansi, 0, false},
        {"plain ascii\r\n", Encoding::Ansi, 0, false},
        {"caf\xC3\xA9", Encoding::Utf8, 0, false},
        {"\xEF\xBB\xBFx", Encoding::Utf8, 3, false},
        {"\xFF\xFEx\0", Encoding::Utf16Le, 2, false},
        {"\xFE\xFF\0x", Encoding::Utf16Be, 2, false},
        {std::string("a\0b", 3), Encoding::Ansi, 0, true},
        {"caf\xE9 au lait", Encoding::Ansi, 0, false},      // Latin-1 é is not UTF-8
        {"ab\xC3\xA9\xE2\x82", Encoding::Utf8, 0, false},   // the sample ends inside a character
        {"\xC3(", Encoding::Ansi, 0, false},
        {"\xC0\xAF", Encoding::Ansi, 0, false},             // overlong
        {"\xED\xA0\x80", Encoding::Ansi, 0, false},         // a surrogate
    };
    for (const Case& c : cases) {
        const Detected d = Detect(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(d.encoding, c.encoding) << c.bytes;
        EXPECT_EQ(d.bom, c.bom) << c.bytes;
        EXPECT_EQ(d.binary, c.binary) << c.bytes;
    }
    EXPECT_EQ(EncodingName(Encoding::Ansi, 0, 1252), "ANSI 1252");
    EXPECT_EQ(EncodingName(Encoding::Utf8, 3, 1252), "UTF-8 BOM");
}

TEST(ViewerLayout, LineEndsTabsWrappingAndEncodings) {
    struct Case {
        std::string bytes;
        int width;
        bool wrap;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\nb\r\nc\rd", 80, true, {"a", "b", "c", "d"}},
        {"a\n", 80, true, {"a"}},                 // no empty line after the last line end
        {"\n\n", 80, true, {"", ""}},
        {"\r\n\r\n\r", 80, true, {"", "", ""}},
        {"a\tb", 80, true, {"a       b"}},
        {"abcdefgh\tx", 80, true, {"abcdefgh        x"}},
        {"hello world foo", 8, true, {"hello ", "world ", "foo"}},
        {"abcdefghij", 4, true, {"abcd", "efgh", "ij"}},
        {"abcd\nef", 4, true, {"abcd", "ef"}},    // a line end after a full line is that line's
        {"abcd\r\nef", 4, true, {"abcd", "ef"}},
        {"abc\tdef", 5, true, {"abc  ", "def"}},  // a tab stops at the width
        {"abcdefghij", 4, false, {"abcd"}},      // unwrapped: one row, of which a screen is laid out
        {"a\x01" "b\x7F", 80, true, {"a\xC2\xB7" "b\xC2\xB7"}},
        {"\xC3\xA9\tx\n\xF0\x9F\x98\x80", 80, true, {"\xC3\xA9       x", "\xF0\x9F\x98\x80"}},
        {"\xC3\xA9\xC3\xA9\xC3\xA9", 2, true, {"\xC3\xA9\xC3\xA9", "\xC3\xA9"}},  // columns, not bytes
        {"caf\xE9", 80, true, {"caf\xC3\xA9"}},                                  // ANSI (Latin-1 here)
        {Utf16(u"ab\r\ncd\n\u00E9\tz", true), 80, true, {"ab", "cd", "\xC3\xA9       z"}},
        {Utf16(u"ab\rc\U0001F600d", false), 3, true, {"ab", "c\xF0\x9F\x98\x80" "d"}},
        {"\xEF\xBB\xBFone\ntwo", 80, true, {"one", "two"}},  // the BOM is not shown
    };
    for (const Case& c : cases) {
        StringSource src(c.bytes);
        EXPECT_EQ(Texts(Lines(src, LayoutFor(c.bytes, c.width, c.wrap))), c.lines) << c.bytes;
    }
}

TEST(ViewerLayout, EachShownUnitKnowsItsByteAndTheLineItsEnds) {
    const std::string text = "a\tb\xC3\xA9\r\nz";
    StringSource src(text);
    const DisplayLine l = LayoutLine(src, 0, LayoutFor(text, 80, true));
    EXPECT_EQ(l.at, (std::vector<std::uint32_t>{0, 1, 1, 1, 1, 1, 1, 1, 2, 3}));
    EXPECT_EQ(l.end, 5);
    EXPECT_EQ(l.next, 7);
    EXPECT_EQ(LayoutLine(src, 7, LayoutFor(text, 80, true)).end, 8);
}

// Walking back must meet the same line starts as walking forward, in every layout.
TEST(ViewerLayout, LineStartBeforeRetracesTheForwardWalk) {
    const std::string texts[] = {
        "one\ntwo\r\nthree\rfour\n\n\r\n\rlast",
        "a long line that wraps at word boundaries several times over\nshort\n",
        "nospacesatallinthislinewhichwrapsatthewidth\r\n\r\nx",
        "\t\tindented\ttabs\tacross\tthe\twidth\n",
        Utf16(u"utf sixteen\r\nwith \u00E9 and line ends\r\n\r\nend", true),
        Utf16(u"big endian text that wraps around\nok", false),
        "\xEF\xBB\xBF" "bom line\nsecond line, rather longer than the width\n",
        "abcdefghi\r\n0123456789\n\x01\x02\x03\x04\x05\xE9\xE9\xE9\xE9\r\nend",  // rows full to a line end
        "xxxxxxxxxx\xC3\xA9xxxxxxxxxxxxxxxxxxx\r\nyy",
    };
    for (const std::string& text : texts) {
        for (const int width : {5, 9, 80}) {
            for (const bool wrap : {true, false}) {
                StringSource src(text);
                const TextLayout l = LayoutFor(text, width, wrap);
                const auto lines = Lines(src, l);
                ASSERT_FALSE(lines.empty());
                for (std::size_t i = 1; i < lines.size(); ++i) {
                    EXPECT_EQ(LineStartBefore(src, lines[i].first, l), lines[i - 1].first) << text << " w" << width;
                    EXPECT_EQ(LineStartBefore(src, lines[i].first + 1, l), lines[i].first) << text << " w" << width;
                }
                EXPECT_EQ(LineStartBefore(src, l.origin, l), l.origin);
                for (const int rows : {1, 3, 100}) {
                    const std::size_t first = lines.size() > static_cast<std::size_t>(rows) ? lines.size() - static_cast<std::size_t>(rows) : 0;
                    EXPECT_EQ(LastPageStart(src, rows, l), lines[first].first) << text << " rows " << rows;
                }
            }
        }
    }
}

TEST(ViewerLayout, AFileWithoutLineEndsAndAFileThatShrankStayQuick) {
    const std::string flat(300 * 1024, 'x');
    StringSource src(flat);
    const TextLayout l = LayoutFor(flat, 100, true);
    const std::int64_t top = LastPageStart(src, 40, l);
    EXPECT_GE(top, static_cast<std::int64_t>(flat.size()) - kMaxLineScan);
    EXPECT_LT(top, static_cast<std::int64_t>(flat.size()));
    EXPECT_LT(src.reads, 2000);  // one walk over the last 64 KB, not one per row
    // Unwrapped, the whole file is one line, of which only a screen's columns are laid out.
    const TextLayout unwrapped = LayoutFor(flat, 100, false);
    const DisplayLine whole = LayoutLine(src, 0, unwrapped);
    EXPECT_EQ(whole.next, static_cast<std::int64_t>(flat.size()));
    EXPECT_EQ(whole.text.size(), 100u);

    // Claims 1 GB, holds 100 bytes: every walk ends where the bytes end.
    StringSource shrunk(std::string(100, 'y'), 1 << 30);
    EXPECT_EQ(LayoutLine(shrunk, 0, unwrapped).next, 100);
    EXPECT_EQ(LayoutLine(shrunk, 100, unwrapped).next, 100);
    EXPECT_GE(LastPageStart(shrunk, 10, l), 0);
    EXPECT_LE(LineStartBefore(shrunk, 1 << 30, l), 1 << 30);
}

TEST(ViewerHex, RowsColumnsAndTheBytesUnderThem) {
    const std::uint8_t bytes[] = {'H', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd', '!', 0x00, 0xFF, 0x7F};
    EXPECT_EQ(HexRow(0x10, bytes, 16, 8),
              "00000010  48 65 6C 6C 6F 2C 20 77  6F 72 6C 64 21 00 FF 7F  Hello, world!...");
    EXPECT_EQ(HexRow(0x123456780, bytes, 3, 9), "123456780  48 65 6C" + std::string(42, ' ') + "Hel");
    EXPECT_EQ(HexOffsetDigits(0), 8);
    EXPECT_EQ(HexOffsetDigits(std::int64_t{1} << 32), 8);
    EXPECT_EQ(HexOffsetDigits((std::int64_t{1} << 32) + 1), 9);
    EXPECT_EQ(HexOffsetDigits(5LL << 30), 9);
    for (const int digits : {8, 9}) {
        for (int k = 0; k < kHexPerRow; ++k) {
            EXPECT_EQ(HexByteAt(HexColumn(k, digits), digits), k);
            EXPECT_EQ(HexByteAt(HexColumn(k, digits) + 1, digits), k);
            EXPECT_EQ(HexByteAt(HexCharColumn(k, digits), digits), k);
        }
        EXPECT_EQ(HexByteAt(HexColumn(8, digits) - 1, digits), -1);  // the gap after the eighth byte
        EXPECT_EQ(HexByteAt(0, digits), -1);                         // the offset
    }
}

TEST(ViewerText, ClipboardTextAndPercent) {
    const std::string le = Utf16(u"h\u00E9\U0001F600", true).substr(2);
    const AnsiTable latin1 = Latin1Table();
    EXPECT_EQ(DecodeText(reinterpret_cast<const std::uint8_t*>(le.data()), le.size(), Encoding::Utf16Le, latin1),
              u"h\u00E9\U0001F600");
    const std::string bad = "a\xFF\r\n";
    EXPECT_EQ(DecodeText(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size(), Encoding::Utf8, latin1),
              u"a\uFFFD\r\n");
    EXPECT_EQ(Percent(0, 0), 100);
    EXPECT_EQ(Percent(50, 200), 25);
    EXPECT_EQ(Percent(5LL << 30, 5LL << 30), 100);
}
