#include "app/layout_rules.h"
#include "panes/column_rules.h"
#include "controls/share_rules.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

using namespace bivane;

TEST(Layout, ClientOf542GivesTheDocumentedTwoPaneGeometry) {
    LayoutMetrics m;  // 21-pixel selector, 17-pixel titles, 19-pixel status bars
    const MainLayout l = ComputeLayout(542, 311, m);
    EXPECT_EQ(l.list[0].w, 269);
    EXPECT_EQ(l.list[1].w, 269);
    EXPECT_EQ(l.list[0].x, 0);
    EXPECT_EQ(l.list[1].x, 273);
    EXPECT_EQ(l.list[0].y, 21 + 17 + 3);
    EXPECT_EQ(l.list[1].h, 311 - 21 - 17 - 19 - 2);
    EXPECT_EQ(l.status[1].x, 273);
    EXPECT_EQ(l.status[0].y, 311 - 19);
    // Trees: 178 wide; left one over the right half, right one ending 4 short of the right list.
    EXPECT_EQ(l.tree[0].w, 178);
    EXPECT_EQ(l.tree[0].x, 269);
    EXPECT_EQ(l.tree[0].Right(), 447);
    EXPECT_EQ(l.tree[1].x, 91);
    EXPECT_EQ(l.tree[1].Right(), 269);
    EXPECT_EQ(l.tree[0].y, 19);
    EXPECT_EQ(l.drive[1].x, 273);
    EXPECT_EQ(l.drive[0].y, 19);
}

TEST(Layout, ButtonRowFollowsEachDriveSelector) {
    const MainLayout l = ComputeLayout(542, 311, LayoutMetrics{});
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(l.showTree[s].x, l.drive[s].x + 145 + 4);
        EXPECT_EQ(l.goTo[s].x, l.showTree[s].Right() + 2);
        EXPECT_EQ(l.newDir[s].x, l.showTree[s].Right() + 18);
        EXPECT_EQ(l.upLevel[s].x, l.newDir[s].Right() + 2);
        EXPECT_EQ(l.upLevel[s].y, l.showTree[s].y);
    }
    EXPECT_EQ(l.splash.x, 273 + (269 - 173) / 2);
    EXPECT_EQ(l.splash.y, l.list[1].y + 50);
    EXPECT_EQ(l.message.x, 269 / 2);
    EXPECT_EQ(l.message.w, 273);
}

TEST(Layout, OddAndNarrowWidthsDivideTowardZero) {
    const MainLayout odd = ComputeLayout(543, 400, LayoutMetrics{});
    EXPECT_EQ(odd.list[0].w, 269);
    EXPECT_EQ(odd.list[1].x, 274);  // the spare pixel goes to the gap
    const MainLayout narrow = ComputeLayout(2, 30, LayoutMetrics{});
    EXPECT_EQ(narrow.list[0].w, -1);  // unclamped arithmetic; the window clamps before moving
    EXPECT_EQ(narrow.tree[0].w, 0);
}

TEST(Layout, TallWindowOnlyGrowsListsAndTrees) {
    const MainLayout a = ComputeLayout(542, 311, LayoutMetrics{});
    const MainLayout b = ComputeLayout(542, 911, LayoutMetrics{});
    EXPECT_EQ(b.list[0].h - a.list[0].h, 600);
    EXPECT_EQ(b.tree[1].h - a.tree[1].h, 600);
    EXPECT_EQ(b.list[0].y, a.list[0].y);
    EXPECT_EQ(b.status[1].y - a.status[1].y, 600);
}

// The columns never add up to more than the room, so no horizontal scroll bar ever shows.
TEST(Layout, ColumnsFillTheRoomLeftOfTheScrollBar) {
    struct Case {
        int inner, scrollBar, sizeNeed;
        ColumnWidths want;
    } cases[] = {
        {267, 0, 40, {111, 54, 102}},    // the default list, no scroll bar, short sizes
        {267, 16, 40, {95, 54, 102}},    // with the scroll bar
        {267, 16, 72, {77, 72, 102}},    // ten-digit sizes: the Size column grows, Name gives the room
        {267, 16, 200, {60, 89, 102}},   // the Name column keeps its room
        {200, 16, 72, {28, 54, 102}},    // no room to grow: Size keeps its width
        {150, 16, 40, {0, 54, 80}},      // too narrow: Modified gives way
        {40, 16, 40, {0, 24, 0}},        // then Size
        {10, 16, 40, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        const ColumnWidths w = FitColumns(c.inner, c.scrollBar, c.sizeNeed);
        EXPECT_EQ(w.name, c.want.name) << c.inner << " " << c.scrollBar << " " << c.sizeNeed;
        EXPECT_EQ(w.size, c.want.size) << c.inner << " " << c.scrollBar << " " << c.sizeNeed;
        EXPECT_EQ(w.modified, c.want.modified) << c.inner << " " << c.scrollBar << " " << c.sizeNeed;
        EXPECT_LE(w.name + w.size + w.modified, std::max(0, c.inner - c.scrollBar));
    }
}

// Status panels: each its need and an equal share of what is left, or shares by need.
TEST(Layout, StatusPanelsShareTheBarByNeed) {
    struct Case {
        int width;
        std::vector<int> needs, want;
    } cases[] = {
        {261, {60, 50, 100}, {77, 67, 117}},
        {262, {60, 50, 100}, {77, 67, 118}},   // the remainder goes to the last
        {105, {60, 50, 100}, {30, 25, 50}},    // too narrow: in proportion
        {100, {0, 0, 0}, {33, 33, 34}},
        {0, {60, 50, 100}, {0, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(ShareByNeed(c.width, c.needs), c.want) << c.width;
}
