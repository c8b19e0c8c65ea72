#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "fileops/copy_rules.h"
#include "fileops/folder_copy_rules.h"
#include "rules/listed.h"

namespace bivane::test {

namespace {

// [parent] <Dir> a.txt(tagged) b.txt c.txt(tagged)
std::vector<Entry> Folder() {
    std::vector<Entry> entries{Listed("[parent]"), Listed("<Dir>"), Listed("A.txt"), Listed("B.txt"), Listed("C.txt")};
    entries[2].mark = Mark::Tagged;
    entries[4].mark = Mark::Tagged;
    return entries;
}

}  // namespace

TEST(CopyRules, EntriesEachRunActsOn) {
    const std::vector<Entry> entries = Folder();
    struct Case {
        ConfirmMode mode;
        bool currentOnly, tagged;
        int current;
        std::vector<std::size_t> rows;
    } cases[] = {
        // The current entry: a copy takes a file only; a delete or a move a directory too; none the parent.
        {ConfirmMode::Copy, true, false, 3, {3}},
        {ConfirmMode::Copy, true, false, 1, {}},
        {ConfirmMode::Delete, true, false, 1, {1}},
        {ConfirmMode::Move, true, false, 1, {1}},
        {ConfirmMode::Delete, true, false, 0, {}},
        {ConfirmMode::Move, true, false, 0, {}},
        {ConfirmMode::Copy, true, false, -1, {}},
        {ConfirmMode::Copy, true, false, 5, {}},
        // The tagged files, in list order, whatever is current.
        {ConfirmMode::Copy, false, true, 1, {2, 4}},
        {ConfirmMode::Delete, false, true, 0, {2, 4}},
        {ConfirmMode::Move, false, true, 3, {2, 4}},
        // Neither: nothing.
        {ConfirmMode::Copy, false, false, 3, {}},
    };
    for (const Case& c : cases) {
        RunRequest r;
        r.mode = c.mode;
        r.currentOnly = c.currentOnly;
        r.tagged = c.tagged;
        r.current = c.current;
        EXPECT_EQ(EntriesToActOn(entries, r), c.rows) << static_cast<int>(c.mode) << " current " << c.current;
    }
}

TEST(CopyRules, WhatAFinishedRunReadsAgain) {
    const Reloads copy = ReloadsAfter(ConfirmMode::Copy, false, "C:\\A", "C:\\B");
    EXPECT_TRUE(copy.target);
    EXPECT_FALSE(copy.source || copy.targetToSource);
    for (bool moved : {false, true}) {
        const Reloads move = ReloadsAfter(ConfirmMode::Move, moved, "C:\\A", "C:\\B");
        EXPECT_EQ(move.source, moved);
        EXPECT_EQ(move.target, moved);
        EXPECT_FALSE(move.targetToSource);
    }
    // A delete reads its source; the other pane moves there when it shows the source or below.
    struct Case {
        const char *source, *other;
        bool moves;
    } cases[] = {{"C:\\A", "C:\\B", false}, {"C:\\A", "C:\\A", true}, {"C:\\A", "C:\\A\\Sub", true}, {"C:\\A\\Sub", "C:\\A", false}};
    for (const Case& c : cases) {
        const Reloads del = ReloadsAfter(ConfirmMode::Delete, false, c.source, c.other);
        EXPECT_TRUE(del.source);
        EXPECT_FALSE(del.target);
        EXPECT_EQ(del.targetToSource, c.moves) << c.source << " " << c.other;
    }
}

// What a command finds at an entry's path against what was listed: anything else is left alone.
TEST(CopyRules, AnEntryIsActedOnOnlyAsListed) {
    Entry file = Listed("A.txt");
    Entry folder = Listed("<Dir>");
    Entry folderLink = Listed("<Link>");
    folderLink.link = true;
    const DiskKind kinds[] = {DiskKind::Missing, DiskKind::File, DiskKind::Directory, DiskKind::Link, DiskKind::Unknown};
    struct Case {
        const Entry* e;
        const char* what;
        std::vector<DiskKind> accepted;
    } cases[] = {
        // A FIFO under Wine is listed as a file and has no attributes: it is still that file.
        {&file, "file", {DiskKind::File, DiskKind::Unknown}},
        {&folder, "folder", {DiskKind::Directory}},
        {&folderLink, "link", {DiskKind::Link}},
    };
    for (const Case& c : cases) {
        for (DiskKind now : kinds) {
            const bool accepted = std::find(c.accepted.begin(), c.accepted.end(), now) != c.accepted.end();
            EXPECT_EQ(StillAsListed(*c.e, now), accepted) << c.what << " found as " << static_cast<int>(now);
        }
    }
}

// A question names the first few and counts the rest; a report (it scrolls) names every one.
TEST(CopyRules, QuestionsNameTheFirstFewReportsNameAll) {
    EXPECT_EQ(ChangedText({{"F", DiskKind::Directory}}),
              "Changed since the side was read, so nothing was done to:\rF (now a folder)\rThe side is read again.");
    EXPECT_EQ(ChangedText({{"A", DiskKind::Missing}, {"<B>", DiskKind::File}, {"<C>", DiskKind::Link}}),
              "Changed since the side was read, so nothing was done to:\rA (gone)\r<B> (now a file)\r<C> (now a link)"
              "\rThe side is read again.");
    std::vector<std::string> seven;
    for (char c = 'a'; c < 'h'; ++c) seven.push_back(std::string(1, c));
    EXPECT_EQ(NamesText("Head:", seven), "Head:\ra\rb\rc\rd\re\r... and 2 more");
    EXPECT_EQ(NamesText("Head:", {}), "Head:");
    EXPECT_EQ(NotCopiedText({"B.txt", "C.txt"}, 3), "2 of the 3 files were not copied:\rB.txt\rC.txt");
    EXPECT_EQ(NotCopiedText(seven, 9), "7 of the 9 files were not copied:\ra\rb\rc\rd\re\rf\rg");
    // A folder copy's end: what it left out, by kind, each counted, the counts adding up.
    EXPECT_EQ(LeftOutText({{"Box\\link", LeftOutWhy::Link}}), "1 entry was left out of the copy:\rLinks, never followed (1):\rBox\\link");
    std::vector<LeftOut> many;
    for (const LeftOutWhy why : {LeftOutWhy::Changed, LeftOutWhy::Link, LeftOutWhy::Unreachable, LeftOutWhy::Unreadable,
                                 LeftOutWhy::NotAFile, LeftOutWhy::TargetNotAFolder, LeftOutWhy::TargetNotAFile,
                                 LeftOutWhy::CaseTwin}) {
        many.push_back({"B\\" + std::to_string(many.size()), why, "TWIN"});
    }
    for (const char* link : {"l6", "l2", "l5", "l1", "l4", "l3"}) many.push_back({link, LeftOutWhy::Link});
    EXPECT_EQ(LeftOutText(many),
              "14 entries were left out of the copy:"
              "\rThe same as another name but for letter case, which the target takes as one (1):\rB\\7 (as TWIN)"
              "\rLinks, never followed (7):\rB\\1\rl1\rl2\rl3\rl4\rl5\rl6"
              "\rNot regular files (FIFOs, sockets, devices) (1):\rB\\4"
              "\rNames no path reaches (1):\rB\\2\rFolders that could not be read (1):\rB\\3"
              "\rThe target holds a file of that name (1):\rB\\5\rThe target holds a folder of that name (1):\rB\\6"
              "\rChanged or gone since they were read (1):\rB\\0");
    EXPECT_EQ(StoppedText(1, 1), "The copy was stopped.\r1 of the 1 file was copied.");
    EXPECT_EQ(StoppedText(3, 40), "The copy was stopped.\r3 of the 40 files were copied.");
}

// The progress line of a folder copy reads in the unit of its total.
TEST(CopyRules, FilesAndBytesDoneOfTheTotal) {
    constexpr std::int64_t kMB = 1024 * 1024;
    const struct {
        CopyTally done, total;
        const char* text;
    } cases[] = {
        {{0, 0}, {0, 0}, "0 of 0 files, 0 of 0 bytes"},
        {{1, 5}, {1, 5}, "1 of 1 file, 5 of 5 bytes"},
        {{2, 10239}, {3, 10239}, "2 of 3 files, 10239 of 10239 bytes"},
        {{2, 512}, {3, 10240}, "2 of 3 files, 1 of 10 KB"},
        {{5, 10 * kMB - 1}, {9, 10 * kMB - 1}, "5 of 9 files, 10240 of 10240 KB"},
        {{7, kMB + kMB / 2}, {100, 12 * kMB}, "7 of 100 files, 1.5 of 12.0 MB"},
        {{1, 0}, {2, 25LL * 1024 * kMB}, "1 of 2 files, 0.0 of 25.0 GB"},
    };
    for (const auto& c : cases) EXPECT_EQ(TallyText(c.done, c.total), c.text);
}

// Of names the target takes as one, the one it holds spelled exactly so is written, else the first.
TEST(CopyRules, NamesTheTargetTakesAsOne) {
    const struct {
        std::vector<std::string> keys;
        std::vector<bool> heldAsIs;
        std::vector<std::ptrdiff_t> instead;
    } cases[] = {
        {{}, {}, {}},
        {{"A.TXT", "B.TXT", "A.TXT", "0\\A.TXT"}, {false, false, false, false}, {-1, -1, 0, -1}},
        {{"A.TXT", "B.TXT", "A.TXT"}, {false, false, true}, {2, -1, -1}},
        {{"X", "X", "X", "Y", "Y"}, {false, true, false, false, false}, {1, -1, 1, -1, 3}},
    };
    for (const auto& c : cases) {
        std::vector<std::size_t> asked;
        EXPECT_EQ(TwinsWrittenInstead(c.keys, [&](std::size_t i) { asked.push_back(i); return c.heldAsIs[i]; }), c.instead);
        // A name with no twin is never looked up in the target.
        for (const std::size_t i : asked) EXPECT_GT(std::count(c.keys.begin(), c.keys.end(), c.keys[i]), 1) << i;
    }
}

// One message for what a deletion left: every link kept, the first few failures with why.
TEST(CopyRules, WhatADeletionLeftBehind) {
    struct Case {
        std::vector<std::tuple<std::string, bool, std::vector<std::string>, std::vector<std::string>>> adds;
        std::string text;
    } cases[] = {
        {{{"A.txt", false, {}, {"C:\\L\\A.txt (access denied)"}}},
         "Can't delete 'A.txt'.\r1 entry could not be deleted:\rC:\\L\\A.txt (access denied)"},
        {{{"<box>", true, {}, {"C:\\L\\box\\a (in use)", "C:\\L\\box\\b (in use)"}}},
         "Can't delete '<box>' completely.\r2 entries could not be deleted:\rC:\\L\\box\\a (in use)\rC:\\L\\box\\b (in use)"},
        // Links are all named, however many.
        {{{"<box>", true, {"l1", "l2", "l3", "l4", "l5", "l6", "l7"}, {}}},
         "Can't delete '<box>' completely.\rA link stays, so that what it points to stays untouched:"
         "\rl1\rl2\rl3\rl4\rl5\rl6\rl7"},
        {{{"Flink", false, {"C:\\L\\flink"}, {}}},
         "Can't delete 'Flink' completely.\rA link stays, so that what it points to stays untouched:\rC:\\L\\flink"},
        {{{"A.txt", false, {}, {"A (gone)"}}, {"<d>", true, {"d\\l"}, {"d\\x (write-protected)"}}},
         "Can't delete 2 entries completely.\rA link stays, so that what it points to stays untouched:\rd\\l"
         "\r2 entries could not be deleted:\rA (gone)\rd\\x (write-protected)"},
        // Failures by path, whatever order the folders listed them in.
        {{{"<d>", true, {}, {"d\\z (in use)", "d\\b (in use)"}}},
         "Can't delete '<d>' completely.\r2 entries could not be deleted:\rd\\b (in use)\rd\\z (in use)"},
    };
    for (const Case& c : cases) {
        DeleteReport report;
        EXPECT_TRUE(report.Empty());
        for (const auto& [caption, folder, links, failed] : c.adds) report.Add(caption, folder, links, failed);
        EXPECT_FALSE(report.Empty());
        EXPECT_EQ(report.Text(), c.text);
    }
    EXPECT_EQ(ReasonText(5), "access denied");
    EXPECT_EQ(ReasonText(32), "in use");
    EXPECT_EQ(ReasonText(1234), "error 1234");
}

// The question about files that exist, and what each answer copies.
TEST(CopyRules, FilesThatExistAndTheAnswers) {
    // Rows 1 to 4 copied; the target holds 1 (older there), 2 (newer there) and 3 (the same minute).
    const std::vector<ExistingTarget> existing{{1, "a.txt", 100, 50}, {2, "B.TXT", 100, 150}, {3, "c.txt", 100, 100}};
    const std::vector<std::size_t> rows{1, 2, 3, 4};
    const struct {
        ReplaceAnswer answer;
        std::vector<std::size_t> copied;
    } cases[] = {
        {ReplaceAnswer::All, {1, 2, 3, 4}},
        {ReplaceAnswer::OlderOnly, {1, 4}},
        {ReplaceAnswer::SkipExisting, {4}},
        {ReplaceAnswer::Cancel, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(RowsToCopy(rows, existing, c.answer), c.copied) << static_cast<int>(c.answer);
    EXPECT_EQ(RowsToCopy(rows, {}, ReplaceAnswer::SkipExisting), rows);

    EXPECT_EQ(ReplaceQuestionText(existing),
              "The target folder already holds 3 files of these names:\ra.txt\rB.TXT\rc.txt\r1 of them is NEWER than the "
              "file that would replace it.");
    EXPECT_EQ(ReplaceQuestionText({existing[0]}),
              "The target folder already holds a file of this name:\ra.txt\rIt is not newer than the file that would "
              "replace it.");
    EXPECT_EQ(ReplaceQuestionText({existing[1]}),
              "The target folder already holds a file of this name:\rB.TXT\rIt is NEWER than the file that would "
              "replace it.");
    std::vector<ExistingTarget> many;
    for (std::size_t i = 0; i < 7; ++i) many.push_back({i, "f" + std::to_string(i), 10, i < 2 ? 5 : 20});
    EXPECT_EQ(ReplaceQuestionText(many),
              "The target folder already holds 7 files of these names:\rf0\rf1\rf2\rf3\rf4\r... and 2 more\r5 of them are "
              "NEWER than the file that would replace them.");
    EXPECT_EQ(ReplaceQuestionText({existing[0], existing[2]}),
              "The target folder already holds 2 files of these names:\ra.txt\rc.txt\rNone of them is newer than the file "
              "that would replace it.");
}

}  // namespace bivane::test
