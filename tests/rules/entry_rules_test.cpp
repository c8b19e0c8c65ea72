#include "panes/entry_rules.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace bivane;

TEST(EntryCaption, LowersAsciiThenRaisesAsciiFirstLetter) {
    EXPECT_EQ(FileCaption("README.TXT"), "Readme.txt");
    EXPECT_EQ(FileCaption("_SETUP.LOG"), "_setup.log");
    EXPECT_EQ(FileCaption("PROGRAM.EXE"), "Program.exe");
    EXPECT_EQ(FileCaption(""), "");
    // UTF-8 bytes are neither lowered nor raised: "ÉCOLE.TXT" and "élan".
    EXPECT_EQ(FileCaption("\xC3\x89" "COLE.TXT"), "\xC3\x89" "cole.txt");
    EXPECT_EQ(FileCaption("\xC3\xA9LAN"), "\xC3\xA9lan");
}

TEST(EntryCaption, ExtensionStartsAtLastDotAfterAnySeparator) {
    EXPECT_EQ(Extension("A.txt"), ".txt");
    EXPECT_EQ(Extension("Archive.tar.gz"), ".gz");
    EXPECT_EQ(Extension("Readme"), "");
    EXPECT_EQ(Extension("Name."), ".");
    EXPECT_EQ(Extension("dir.x\\file"), "");
    EXPECT_EQ(Extension("a.b:c"), "");
    EXPECT_EQ(Extension("c:x.bat"), ".bat");
}

TEST(EntryCaption, ProgramImageForThreeExtensionsIgnoringAsciiCase) {
    EXPECT_EQ(UntaggedImage("Program.exe"), kImageProgram);
    EXPECT_EQ(UntaggedImage("Setup.BAT"), kImageProgram);
    EXPECT_EQ(UntaggedImage("Mode.Com"), kImageProgram);
    EXPECT_EQ(UntaggedImage(".exe"), kImageProgram);
    EXPECT_EQ(UntaggedImage("Program.exe.txt"), kImageFile);
    EXPECT_EQ(UntaggedImage("exe"), kImageFile);
    EXPECT_EQ(UntaggedImage("Prog.exe2"), kImageFile);
}

TEST(EntryDate, TwelveHourClockWithTwoDigitFields) {
    const LocaleFacts us;
    EXPECT_EQ(DateText({1992, 6, 19, 14, 5}, us), "06/19/92 02:05pm");
    EXPECT_EQ(DateText({2000, 1, 1, 0, 0}, us), "01/01/00 12:00am");
    EXPECT_EQ(DateText({2026, 12, 31, 12, 0}, us), "12/31/26 12:00pm");
    EXPECT_EQ(DateText({1999, 7, 4, 11, 59}, us), "07/04/99 11:59am");
    EXPECT_EQ(DateText({1999, 7, 4, 23, 59}, us), "07/04/99 11:59pm");
    LocaleFacts de;
    de.dateSep = ".";
    de.timeSep = "-";
    EXPECT_EQ(DateText({1992, 6, 19, 14, 5}, de), "06.19.92 02-05pm");
}

TEST(EntryDate, MinuteStampIsMonotonicAcrossCenturiesAndLeapDays) {
    EXPECT_EQ(MinuteStamp({1970, 1, 1, 0, 0}), 0);
    EXPECT_EQ(MinuteStamp({1970, 1, 2, 1, 1}), 1440 + 61);
    EXPECT_EQ(MinuteStamp({2000, 1, 1, 0, 0}) - MinuteStamp({1999, 12, 31, 23, 59}), 1);
    EXPECT_EQ(MinuteStamp({2024, 3, 1, 0, 0}) - MinuteStamp({2024, 2, 28, 0, 0}), 2 * 1440);
    EXPECT_EQ(MinuteStamp({2023, 3, 1, 0, 0}) - MinuteStamp({2023, 2, 28, 0, 0}), 1440);
    EXPECT_LT(MinuteStamp({1999, 12, 31, 23, 59}), MinuteStamp({2026, 1, 1, 0, 0}));
    EXPECT_LT(MinuteStamp({1960, 5, 5, 5, 5}), 0);
}

TEST(EntryFigures, FreeTextMatchesPrintfWithLocaleSeparator) {
    const LocaleFacts us;
    EXPECT_EQ(FreeText(12345000, us), "Free:   12.345mb");
    EXPECT_EQ(FreeText(-1, us), "Free:   -0.000mb");
    EXPECT_EQ(FreeText(0, us), "Free:    0.000mb");
    LocaleFacts de;
    de.decimalSep = ",";
    EXPECT_EQ(FreeText(12345000, de), "Free:   12,345mb");
    for (std::int64_t bytes : {std::int64_t{1}, std::int64_t{499}, std::int64_t{500}, std::int64_t{1500},
                               std::int64_t{2147483647}, std::int64_t{123456789012}, std::int64_t{-5000000000}}) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "Free: %8.3fmb", static_cast<double>(bytes) * 0.000001);
        EXPECT_EQ(FreeText(bytes, us), expected) << bytes;
    }
}

TEST(EntryFigures, DirTotalTruncatesThousandsInSixtyFourBits) {
    EXPECT_EQ(DirTotalText(999), "Dir: 0k");
    EXPECT_EQ(DirTotalText(12999), "Dir: 12k");
    EXPECT_EQ(DirTotalText(5000000000), "Dir: 5000000k");
    EXPECT_EQ(FilesText(1), "1 Files");
    EXPECT_EQ(FilesText(0), "0 Files");
}

TEST(EntryHelpers, IsDirEntryNeedsThreeCharactersAndABracket) {
    EXPECT_TRUE(IsDirEntry("<a>"));
    EXPECT_TRUE(IsDirEntry("[parent]"));
    EXPECT_TRUE(IsDirEntry("[notes].txt"));
    EXPECT_TRUE(IsDirEntry("<ab"));
    EXPECT_FALSE(IsDirEntry("<>"));
    EXPECT_FALSE(IsDirEntry("[a"));
    EXPECT_FALSE(IsDirEntry("a<b>"));
    EXPECT_FALSE(IsDirEntry(""));
}

TEST(EntryHelpers, StripDirBracketsRemovesEachOnlyWhenPresent) {
    EXPECT_EQ(StripDirBrackets("<Program Files>"), "Program Files");
    EXPECT_EQ(StripDirBrackets("<abc"), "abc");
    EXPECT_EQ(StripDirBrackets("abc>"), "abc");
    EXPECT_EQ(StripDirBrackets("<>"), "");
    EXPECT_EQ(StripDirBrackets("<"), "");
    EXPECT_EQ(StripDirBrackets("[parent]"), "[parent]");
}

TEST(EntryHelpers, AsciiCaseFoldingLeavesOtherBytesAlone) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase("Data.txt", "DATA.TXT"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("Data.txt", "Data.txt "));
    EXPECT_FALSE(EqualsIgnoreAsciiCase("\xC3\xA9", "\xC3\x89"));  // é and É
    EXPECT_EQ(AsciiUpper("abz{\xC3\xA9}"), "ABZ{\xC3\xA9}");
}

TEST(EntryHelpers, JoinAddsNoSeparatorToThreeCharacterDirectory) {
    EXPECT_EQ(JoinPathRootAware("C:\\", "x.txt"), "C:\\x.txt");
    EXPECT_EQ(JoinPathRootAware("C:\\DIR", "x.txt"), "C:\\DIR\\x.txt");
    EXPECT_EQ(JoinPathRootAware("Z:\\tmp\\", "x"), "Z:\\tmp\\\\x");
}

// The path parts every floor cuts paths with; "deep" is past MAX_PATH, as a side may show now.
TEST(PathParts, RootFileNameAndDirectoryOfEachKindOfPath) {
    const std::string deep = "C:\\" + std::string(300, 'd') + "\\x.txt";
    struct Case {
        std::string path;
        bool drive;
        size_t root;
        std::string dir, name;
    } cases[] = {
        {"C:\\", true, 3, "C:\\", ""},
        {"C:", true, 2, "C:", ""},
        {"C:\\A", true, 3, "C:\\", "A"},
        {"C:\\A\\b.txt", true, 3, "C:\\A", "b.txt"},
        {"C:b.txt", true, 2, "C:", "b.txt"},
        {"\\\\srv\\share\\d\\f", false, 12, "\\\\srv\\share\\d", "f"},
        {"\\\\srv\\share\\", false, 12, "\\\\srv\\share\\", ""},
        {"rel\\f", false, 0, "rel", "f"},
        {"f", false, 0, "", "f"},
        {deep, true, 3, deep.substr(0, deep.size() - 6), "x.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasDriveLetter(c.path), c.drive) << c.path;
        EXPECT_EQ(RootLength(c.path), c.root) << c.path;
        EXPECT_EQ(DirectoryPart(c.path), c.dir) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    }
}

TEST(EntryHelpers, ReadSizeTextGivesSigned64BitOrZero) {
    EXPECT_EQ(ReadSizeText("123"), 123);
    EXPECT_EQ(ReadSizeText("  42"), 42);
    EXPECT_EQ(ReadSizeText("+7"), 7);
    EXPECT_EQ(ReadSizeText("-5"), -5);
    EXPECT_EQ(ReadSizeText("3000000000"), 3000000000);
    EXPECT_EQ(ReadSizeText("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(ReadSizeText("9223372036854775808"), 0);
    EXPECT_EQ(ReadSizeText(""), 0);
    EXPECT_EQ(ReadSizeText("12a"), 0);
    EXPECT_EQ(ReadSizeText("<DIR>"), 0);
    EXPECT_EQ(ReadSizeText("+-5"), 0);
    EXPECT_EQ(ReadSizeText("4 "), 0);
}

// Which listed names no path can reach exactly: each class of name made outside Windows.
TEST(EntryReach, NamesThatNoPathReaches) {
    const struct { const char* name; Reach want; } cases[] = {
        {"plain.txt", Reach::Exact},        {"d:notes.txt", Reach::Exact},   // a full path reaches it
        {"[bracket].txt", Reach::Exact},    {"trailing. ", Reach::Exact},
        {"what?.txt", Reach::Wildcard},     {"*", Reach::Wildcard},
        {"sub\\evil.txt", Reach::Separator}, {"a/b", Reach::Separator},
    };
    for (const auto& c : cases) EXPECT_EQ(NameReach(c.name), c.want) << c.name;
}

TEST(EntryReach, ReplacementCharacterTwinsAreMarkedListedOrHidden) {
    std::vector<Entry> entries(5);
    const char* names[] = {"bad\xEF\xBF\xBD.txt", "BAD\xEF\xBF\xBD.TXT", "one\xEF\xBF\xBD", "other.txt", "Same.txt"};
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].caption = FileCaption(names[i]);
        entries[i].SetName(names[i]);
    }
    entries.push_back(entries[4]);  // a plain name twice: case twins on Linux reach exactly
    MarkTwins(entries, {});
    const Reach want[] = {Reach::Twin, Reach::Twin, Reach::Exact, Reach::Exact, Reach::Exact, Reach::Exact};
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].reach, want[i]) << entries[i].Name();
    MarkTwins(entries, {"ONE\xEF\xBF\xBD"});  // its twin is hidden, yet a path may reach either
    EXPECT_EQ(entries[2].reach, Reach::Twin);
    EXPECT_NE(UnreachableText(entries[2]).find("Cannot reach '"), std::string::npos);
    EXPECT_EQ(UnreachableText(entries[3]), "");
}

// An entry keeps its own name whatever its caption shows: derived from the caption where only the
// case of letters differs, held whole where it cannot be.
TEST(EntryName, TheOwnNameComesBackExactly) {
    const struct { EntryKind kind; const char* caption; const char* name; } cases[] = {
        {EntryKind::File, "Readme.md", "README.md"},
        {EntryKind::File, "Readme.md", "Readme.md"},
        {EntryKind::File, "\xC3\x89t\xC3\xA9 \xC3\xA0 paris.txt", "\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.txt"},
        {EntryKind::File, "Aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.txt", "aAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA.TXT"},
        {EntryKind::File, "Big.EXE", "Big.EXE"},
        {EntryKind::File, "Typed.TXT", "typed.txt"},  // a rename's caption: the typed text
        {EntryKind::File, "Other", "different"},
        {EntryKind::Directory, "<Program Files>", "Program Files"},
        {EntryKind::Directory, "<new>", "NEW"},
        {EntryKind::Parent, "[parent]", ".."},
    };
    for (const auto& c : cases) {
        Entry e;
        e.kind = c.kind;
        e.caption = c.caption;
        e.SetName(c.name);
        EXPECT_EQ(e.Name(), c.name) << c.caption;
        Entry copy = e;
        EXPECT_EQ(copy.Name(), c.name) << c.caption;
    }
}
