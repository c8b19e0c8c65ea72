#include "app/layout_rules.h"

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
    EXPECT_EQ(l.statusPanelWidth, 87);
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

TEST(Layout, NameColumnLeavesRoomForScrollBar) {
    EXPECT_EQ(NameColumnWidth(269, false), 269 - 4 - 54 - 102);
    EXPECT_EQ(NameColumnWidth(269, true), 269 - 17 - 54 - 102);
}
