#include "print/print_rules.h"

#include <gtest/gtest.h>

#include "rules/listed.h"

#include <cstdio>

using namespace bivane;

namespace {

Entry File(std::string caption, std::string sizeText = "123") {
    Entry e = test::Listed(std::move(caption));
    e.sizeText = std::move(sizeText);
    e.dateText = "06/19/92 02:05pm";
    return e;
}

std::vector<std::size_t> PageSizes(const PagePlan& plan) {
    std::vector<std::size_t> sizes;
    for (const auto& page : plan.pages) sizes.push_back(page.size());
    return sizes;
}

}  // namespace

TEST(PrintLayout, LinesPerPageTestsRemainderAgainstTextHeight) {
    EXPECT_EQ(LinesPerPage(6000, 40), 142);  // 6000 / 42, and 6000 is a multiple of 40
    EXPECT_EQ(LinesPerPage(6010, 40), 142);  // 6010 / 42 = 143, less one for the remainder by 40
    EXPECT_EQ(LinesPerPage(6006, 40), 142);  // a multiple of 42 but not of 40
    EXPECT_EQ(LinesPerPage(6000, 0), 0);
    EXPECT_EQ(ColumnsPerPage(4800, 50), 96);
    EXPECT_EQ(ColumnsPerPage(4849, 50), 96);
    EXPECT_EQ(ColumnsPerPage(4800, 0), 0);
}

TEST(PrintLayout, PageTotalCountsEveryEntryButOne) {
    EXPECT_EQ(PageTotal(100, 60), 2);  // 99 div 57 + 1
    EXPECT_EQ(PageTotal(58, 60), 1);
    EXPECT_EQ(PageTotal(59, 60), 2);
    EXPECT_EQ(PageTotal(1, 60), 0);
}

TEST(PrintHeader, PageLabelRightAlignedLikePrintfAndNeverCut) {
    EXPECT_EQ(PageHeaderLine("6/19/92 2:05:00 PM", 1, 2, 80),
              "6/19/92 2:05:00 PM   (Directory listing by Bivane)" + std::string(16, ' ') + "Page 1 of 2");
    EXPECT_EQ(PageHeaderLine("d", 1, 2, 64), "d   (Directory listing by Bivane)Page 1 of 2");
    EXPECT_EQ(PageHeaderLine("d", 10, 12, 53), "d   (Directory listing by Bivane)Page 10 of 12");
    for (int C = 0; C <= 120; ++C) {
        const std::string label = "Page 3 of 14";
        char field[200];
        std::snprintf(field, sizeof field, "%*.*s", C - 53, static_cast<int>(label.size()), label.c_str());
        EXPECT_EQ(PageHeaderLine("x", 3, 14, C), std::string("x   (Directory listing by Bivane)") + field) << C;
    }
}

TEST(PrintHeader, OrderTextTestsExtThenDateThenSize) {
    EXPECT_EQ(OrderText("C:\\WORK   [by ext]"), " [by ext]");
    EXPECT_EQ(OrderText("C:\\WORK   [by date]"), " [by date]");
    EXPECT_EQ(OrderText("C:\\WORK   [by size]"), " [by size]");
    EXPECT_EQ(OrderText("C:\\WORK"), " [by filename]");
    EXPECT_EQ(OrderText("C:\\[by size]   [by date]"), " [by date]");
    EXPECT_EQ(OrderText("C:\\[by date]   [by ext]"), " [by ext]");
    EXPECT_EQ(OrderText("C:\\WORK   [BY EXT]"), " [by filename]");
}

TEST(PrintLines, FileLineIsRegularWithSizeFieldOfEight) {
    auto pieces = EntryLinePieces(File("Readme.txt"));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "            123  06/19/92 02:05pm  Readme.txt");
    EXPECT_FALSE(pieces[0].bold || pieces[0].italic);
    EXPECT_EQ(EntryLinePieces(File("Big", "1234567890"))[0].text, "       12345678  06/19/92 02:05pm  Big");
    EXPECT_EQ(EntryLinePieces(File("Eight", "12345678"))[0].text, "       12345678  06/19/92 02:05pm  Eight");
}

TEST(PrintLines, DirectoryLineIsItalicLabelThenBoldName) {
    Entry dir = File("<Program Files>", "<DIR>");
    const auto pieces = EntryLinePieces(dir);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "       SubDirectory (folder): ");
    EXPECT_TRUE(pieces[0].italic);
    EXPECT_FALSE(pieces[0].bold);
    EXPECT_EQ(pieces[1].text, "Program Files");
    EXPECT_TRUE(pieces[1].bold);
    EXPECT_FALSE(pieces[1].italic);
}

TEST(PrintLines, BracketCaptionsPrintNothing) {
    EXPECT_TRUE(EntryLinePieces(File("[parent]", "<DIR>")).empty());
    EXPECT_TRUE(EntryLinePieces(File("[notes].txt")).empty());
}

TEST(PrintPages, HundredEntriesWithParentGiveFiftySevenAndFortyTwoLines) {
    std::vector<Entry> list{File("[parent]", "<DIR>")};
    for (int i = 1; i < 100; ++i) list.push_back(File("F" + std::to_string(i)));
    const PagePlan plan = PlanPages(list, 60);
    EXPECT_EQ(PageSizes(plan), (std::vector<std::size_t>{57, 42}));
    EXPECT_EQ(plan.pages[0].front(), 1u);
    EXPECT_EQ(plan.pages[1].front(), 58u);
    EXPECT_EQ(plan.pages[1].back(), 99u);
    EXPECT_EQ(static_cast<int>(plan.pages.size()), PageTotal(100, 60));
}

TEST(PrintPages, EmptyListAndParentOnly) {
    EXPECT_TRUE(PlanPages({}, 60).pages.empty());
    const PagePlan parentOnly = PlanPages({File("[parent]", "<DIR>")}, 60);
    EXPECT_EQ(PageSizes(parentOnly), (std::vector<std::size_t>{0}));
    EXPECT_EQ(PageTotal(1, 60), 0);
}

TEST(PrintPages, BracketEntryAfterAFullPageStillOpensAPage) {
    std::vector<Entry> list;
    for (int i = 0; i < 57; ++i) list.push_back(File("F" + std::to_string(i)));
    list.push_back(File("[notes].txt"));
    EXPECT_EQ(PageSizes(PlanPages(list, 60)), (std::vector<std::size_t>{57, 0}));
    // Mid-page bracket entries use no line.
    std::vector<Entry> mixed;
    for (int i = 0; i < 10; ++i) mixed.push_back(File(i % 2 ? "[b]" : "f"));
    EXPECT_EQ(PageSizes(PlanPages(mixed, 6)), (std::vector<std::size_t>{3, 2}));
}
