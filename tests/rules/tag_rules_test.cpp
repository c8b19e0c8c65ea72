#include "tags/tag_rules.h"

#include <gtest/gtest.h>

using namespace bivane;

TEST(TagPanel, ShowsThousandsAndCountWhileTagged) {
    EXPECT_EQ(TagPanelText(12345, 3, 40), "Tag: 12k (3)");
    EXPECT_EQ(TagPanelText(999, 2, 40), "Tag: 0k (2)");
    EXPECT_EQ(TagPanelText(1000, 1, 40), "Tag: 1k (1)");
    EXPECT_EQ(TagPanelText(5000000000, 1, 1), "Tag: 5000000k (1)");
}

TEST(TagPanel, ShowsFileCountWhenNothingIsTagged) {
    EXPECT_EQ(TagPanelText(0, 0, 7), "7 Files");
    EXPECT_EQ(TagPanelText(12345, 0, 1), "1 Files");  // stale byte total is not shown
}

TEST(TagPanel, TotalsCountTaggedEntriesOnlyWithTheBytesTheirCellsShow) {
    const struct {
        Mark mark;
        const char* size;
    } rows[] = {{Mark::Tagged, "1500"}, {Mark::Tagged, "2500"}, {Mark::Untagged, "100"}, {Mark::Directory, "<DIR>"}, {Mark::Tagged, "0"}};
    std::vector<Entry> entries;
    for (const auto& r : rows) {
        Entry e;
        e.mark = r.mark;
        e.sizeText = r.size;
        entries.push_back(e);
    }
    const TagTotals t = CountTagged(entries);
    EXPECT_EQ(t.count, 3);
    EXPECT_EQ(t.bytes, 4000);
    EXPECT_EQ(CountTagged({}).count, 0);
}
