#include "tags/compare_rules.h"

#include <gtest/gtest.h>

#include "rules/listed.h"

#include <random>

using namespace bivane;

namespace {

Entry E(std::string caption, std::int64_t minute = 0) {
    Entry e = test::Listed(std::move(caption));
    e.minute = minute;
    return e;
}

void ExpectSame(const ComparePass& a, const ComparePass& b) {
    EXPECT_EQ(a.matches, b.matches);
    EXPECT_EQ(a.stepAfter, b.stepAfter);
    EXPECT_EQ(a.steps, b.steps);
}

}  // namespace

TEST(CompareScan, SixHundredFilesEachSideWithoutMatchTakes721200Steps) {
    std::vector<Entry> left, right;
    for (int i = 0; i < 600; ++i) {
        left.push_back(E("L" + std::to_string(i)));
        right.push_back(E("R" + std::to_string(i)));
    }
    for (bool newer : {false, true}) {
        const ComparePass first = ScanPass(left, right, newer, 0);
        const ComparePass second = ScanPass(right, left, newer, first.steps);
        EXPECT_TRUE(first.matches.empty());
        EXPECT_TRUE(second.matches.empty());
        EXPECT_EQ(first.steps, 360600);
        EXPECT_EQ(second.steps, 721200);
        EXPECT_EQ(second.stepAfter.front(), 360600 + 601);
        ExpectSame(first, ScanPassLiteral(left, right, newer, 0));
    }
}

TEST(CompareScan, CountsStepsUpToTheFirstMatch) {
    const std::vector<Entry> source{E("A"), E("<d>"), E("B"), E("C")};
    const std::vector<Entry> target{E("x"), E("b"), E("a")};
    const ComparePass pass = ScanPass(source, target, false, 10);
    EXPECT_EQ(pass.matches, (std::vector<std::uint32_t>{0, 2}));
    // A: 1 + 3 visited; <d>: 1; B: 1 + 2 visited; C: 1 + all 3.
    EXPECT_EQ(pass.stepAfter, (std::vector<std::int64_t>{14, 15, 18, 22}));
    EXPECT_EQ(pass.steps, 22);
}

TEST(CompareScan, EmptyTargetCountsOnlySourceEntries) {
    const ComparePass pass = ScanPass({E("A"), E("B")}, {}, false, 999);
    EXPECT_TRUE(pass.matches.empty());
    EXPECT_EQ(pass.stepAfter, (std::vector<std::int64_t>{1000, 1001}));
    EXPECT_TRUE(ScanPass({}, {E("A")}, false, 5).stepAfter.empty());
    EXPECT_EQ(ScanPass({}, {E("A")}, false, 5).steps, 5);
}

TEST(CompareScan, NamesFoldAsciiOnlyAndBracketedEntriesNeverMatch) {
    EXPECT_EQ(ScanPass({E("Data.txt")}, {E("DATA.TXT")}, false, 0).matches.size(), 1u);
    EXPECT_TRUE(ScanPass({E("\xC3\xA9.txt")}, {E("\xC3\x89.txt")}, false, 0).matches.empty());
    EXPECT_TRUE(ScanPass({E("<Data>")}, {E("<Data>")}, false, 0).matches.empty());
    EXPECT_TRUE(ScanPass({E("[n].txt")}, {E("[n].txt")}, false, 0).matches.empty());
    EXPECT_TRUE(ScanPass({E("[parent]")}, {E("[parent]")}, false, 0).matches.empty());
}

TEST(CompareScan, NewerMeansStrictlyLaterMinute) {
    EXPECT_TRUE(ScanPass({E("A", 100)}, {E("a", 100)}, true, 0).matches.empty());
    EXPECT_TRUE(ScanPass({E("A", 99)}, {E("a", 100)}, true, 0).matches.empty());
    EXPECT_EQ(ScanPass({E("A", 101)}, {E("a", 100)}, true, 0).matches.size(), 1u);
    // With folded namesakes the scan goes on to the first older one.
    const ComparePass pass = ScanPass({E("A", 50)}, {E("a", 60), E("x"), E("A", 40), E("a", 10)}, true, 0);
    EXPECT_EQ(pass.matches.size(), 1u);
    EXPECT_EQ(pass.steps, 1 + 3);
}

TEST(CompareScan, IndexedScanAgreesWithNestedScan) {
    std::mt19937 rng(7);
    const char* names[] = {"A", "a", "B.txt", "b.TXT", "C", "<A>", "<b.txt>", "[parent]", "[x]", "Zz", "zZ"};
    for (int round = 0; round < 2000; ++round) {
        std::vector<Entry> source(rng() % 12), target(rng() % 12);
        for (auto* side : {&source, &target})
            for (Entry& e : *side) e = E(names[rng() % 11], rng() % 4);
        const bool newer = rng() % 2 == 0;
        const std::int64_t before = static_cast<std::int64_t>(rng() % 3000);
        SCOPED_TRACE(round);
        ExpectSame(ScanPass(source, target, newer, before), ScanPassLiteral(source, target, newer, before));
    }
}

TEST(CompareTexts, ReportsForEachModeAndCount) {
    EXPECT_EQ(CompareReport(true, 0, 0), "No newer duplicate file(s) found.");
    EXPECT_EQ(CompareReport(false, 0, 0), "No duplicate file name(s) found.");
    EXPECT_EQ(CompareReport(true, 2, 1), "2 newer file(s) found on left.\r1 newer file(s) found on right.");
    EXPECT_EQ(CompareReport(true, 3, 0), "3 newer file(s) found on left.\r");
    EXPECT_EQ(CompareReport(true, 0, 4), "4 newer file(s) found on right.");
    EXPECT_EQ(CompareReport(false, 5, 5), "5 duplicate\rfile name(s) found.\r\rTagged on both sides.");
    EXPECT_EQ(CompareReport(false, 0, 2), "0 duplicate\rfile name(s) found.\r\rTagged on both sides.");
}

TEST(CompareTexts, ProgressMessages) {
    EXPECT_STREQ(CompareMessage(true), "Checking for newer files...");
    EXPECT_STREQ(CompareMessage(false), "Checking for duplicate file names...");
    EXPECT_EQ(CompareProgressText(true, 2000), "Checking for newer files...  (2000)");
    EXPECT_EQ(CompareProgressText(false, 721000), "Checking for duplicate file names...  (721000)");
}
