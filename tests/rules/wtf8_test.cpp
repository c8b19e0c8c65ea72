#include "core/wtf8.h"

#include <gtest/gtest.h>

using namespace bivane;

// Every 16-bit name survives the trip to 8 bits and back, lone surrogates included; valid UTF-16
// gives plain UTF-8.
TEST(Wtf8, NamesSurviveTheRoundTrip) {
    const std::u16string names[] = {
        u"plain.txt", u"Été à Paris.txt", u"日本語", u"Emoji \U0001F600", u"",
        std::u16string(u"lone \xD800 high"), std::u16string(u"lone \xDC00 low"),
        std::u16string(u"\xDBFF\xDBFF reversed \xDC00\xD800"), std::u16string(1, u'\xDFFF'),
    };
    for (const std::u16string& n : names) EXPECT_EQ(Wtf8ToUtf16(Utf16ToWtf8(n)), n);
    EXPECT_EQ(Utf16ToWtf8(u"Été \U0001F600"), "\xC3\x89t\xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(Utf16ToWtf8(std::u16string(1, u'\xD800')), "\xED\xA0\x80");
    // Two names that differ only in their lone surrogate stay two names.
    EXPECT_NE(Utf16ToWtf8(std::u16string(1, u'\xD800')), Utf16ToWtf8(std::u16string(1, u'\xD801')));
}

TEST(Wtf8, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Wtf8ToUtf16("a\xFF" "b"), u"a\xFFFD" "b");
    EXPECT_EQ(Wtf8ToUtf16("\xC0\xAF"), u"\xFFFD\xFFFD");       // overlong
    EXPECT_EQ(Wtf8ToUtf16("\xE2\x82"), u"\xFFFD\xFFFD");       // cut short
    EXPECT_EQ(Wtf8ToUtf16("\xF4\x90\x80\x80"), u"\xFFFD");     // beyond U+10FFFF
}
