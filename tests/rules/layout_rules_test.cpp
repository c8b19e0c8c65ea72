#include "app/layout_rules.h"
#include "panes/column_rules.h"
#include "controls/share_rules.h"
#include "core/dpi.h"

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

TEST(Layout, ScaledRoundsAsMulDivAndKeeps96Exact) {
    EXPECT_EQ(Scaled(17, 96), 17);
    EXPECT_EQ(Scaled(17, 120), 21);   // 21.25
    EXPECT_EQ(Scaled(2, 120), 3);     // 2.5: half away from zero
    EXPECT_EQ(Scaled(-2, 120), -3);
    EXPECT_EQ(Scaled(25, 144), 38);   // 37.5
    EXPECT_EQ(Scaled(16, 192), 32);
    EXPECT_EQ(Scaled(0, 192), 0);
}

// The 542 by 311 client of the two-pane geometry at 100%, 125%, 150% and 200%: every figure is the
// 96-DPI one scaled (with the selector's measured height), rounded once, never drifting apart.
TEST(Layout, TwoPaneGeometryScalesWithTheDpi) {
    struct Case {
        int dpi, driveHeight;
        int listW, rightX, listTop, listH, treeW, leftTreeX, rightTreeX, treeTop, statusY;
        Box showTree;
        int goToX, newDirX, upLevelX;
        ClientSize least;
    } cases[] = {
        {96, 21, 269, 273, 41, 252, 178, 269, 91, 19, 292, {149, 18, 25, 21}, 176, 192, 219, {500, 150}},
        {120, 26, 336, 342, 51, 315, 224, 337, 113, 24, 365, {186, 23, 31, 26}, 220, 240, 274, {625, 188}},
        {144, 31, 403, 410, 62, 378, 268, 404, 136, 29, 438, {224, 27, 38, 32}, 265, 289, 330, {750, 225}},
        {192, 42, 538, 546, 82, 504, 358, 538, 180, 38, 584, {298, 36, 50, 42}, 352, 384, 438, {1000, 300}},
    };
    for (const Case& c : cases) {
        LayoutMetrics m = ScaledMetrics(c.dpi);
        m.driveHeight = c.driveHeight;
        const MainLayout l = ComputeLayout(Scaled(542, c.dpi), Scaled(311, c.dpi), m);
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(l.list[0].w, c.listW);
        EXPECT_EQ(l.list[1].x, c.rightX);
        EXPECT_EQ(l.list[0].y, c.listTop);
        EXPECT_EQ(l.list[1].h, c.listH);
        EXPECT_EQ(l.tree[0].w, c.treeW);
        EXPECT_EQ(l.tree[0].x, c.leftTreeX);
        EXPECT_EQ(l.tree[1].x, c.rightTreeX);
        EXPECT_EQ(l.tree[1].y, c.treeTop);
        EXPECT_EQ(l.status[1].y, c.statusY);
        EXPECT_EQ(l.title[1].h, Scaled(17, c.dpi));
        EXPECT_EQ(l.showTree[0].x, c.showTree.x);
        EXPECT_EQ(l.showTree[1].y, c.showTree.y);
        EXPECT_EQ(l.newDir[0].w, c.showTree.w);
        EXPECT_EQ(l.upLevel[1].h, c.showTree.h);
        EXPECT_EQ(l.goTo[0].x, c.goToX);
        EXPECT_EQ(l.newDir[0].x, c.newDirX);
        EXPECT_EQ(l.upLevel[0].x, c.upLevelX);
        EXPECT_EQ(l.splash.w, Scaled(173, c.dpi));
        const ClientSize least = MinClientSize(c.dpi);
        EXPECT_EQ(least.w, c.least.w);
        EXPECT_EQ(least.h, c.least.h);
    }
}

// At the smallest client the window allows, a list with a scroll bar still gives the Name column
// its room beside Size and Modified at their full widths, at every DPI.
TEST(Layout, SmallestClientKeepsEveryColumnWhole) {
    for (int dpi : {96, 120, 144, 192}) {
        const ClientSize least = MinClientSize(dpi);
        LayoutMetrics m = ScaledMetrics(dpi);
        const MainLayout l = ComputeLayout(least.w, least.h, m);
        const int inner = l.list[0].w - 2 * Scaled(1, dpi);  // the list's borders
        const ColumnWidths c = FitColumns(inner, Scaled(16, dpi), Scaled(40, dpi), 0, dpi);
        EXPECT_GE(c.name, Scaled(kNameColumnRoom, dpi)) << dpi;
        EXPECT_EQ(c.size, Scaled(kSizeColumnWidth, dpi)) << dpi;
        EXPECT_EQ(c.modified, Scaled(kModifiedColumnWidth, dpi)) << dpi;
        // Header, four rows of 16 (scaled) between the list's top and the status bar.
        EXPECT_GE(l.list[0].h, Scaled(5 * 17, dpi)) << dpi;
    }
}

// The columns never add up to more than the room, so no horizontal scroll bar ever shows.
TEST(Layout, ColumnsFillTheRoomLeftOfTheScrollBar) {
    struct Case {
        int inner, scrollBar, sizeNeed, dpi;
        ColumnWidths want;
    } cases[] = {
        {267, 0, 40, 96, {111, 54, 102}},    // the default list, no scroll bar, short sizes
        {267, 16, 40, 96, {95, 54, 102}},    // with the scroll bar
        {267, 16, 72, 96, {77, 72, 102}},    // ten-digit sizes: the Size column grows, Name gives the room
        {267, 16, 200, 96, {60, 89, 102}},   // the Name column keeps its room
        {200, 16, 72, 96, {60, 54, 70}},     // too narrow: Name keeps its room, Modified gives way
        {150, 16, 40, 96, {60, 54, 20}},
        {100, 16, 40, 96, {60, 24, 0}},      // then Size
        {40, 16, 40, 96, {24, 0, 0}},        // narrower than the Name column's room: all of it
        {10, 16, 40, 96, {0, 0, 0}},
        // The same lists at 200%: every width doubled.
        {534, 0, 80, 192, {222, 108, 204}},
        {534, 32, 144, 192, {154, 144, 204}},
        {534, 32, 400, 192, {120, 178, 204}},
        {400, 32, 144, 192, {120, 108, 140}},
        {80, 32, 80, 192, {48, 0, 0}},
        // 125% and 150%: the fixed widths rounded once (68 and 128; 81 and 153).
        {334, 20, 50, 120, {118, 68, 128}},
        {200, 20, 50, 120, {75, 68, 37}},
        {401, 24, 60, 144, {143, 81, 153}},
    };
    // A date in a font wider than the designed one widens Modified; Name gives the room.
    const ColumnWidths wide = FitColumns(334, 20, 50, 140, 120);
    EXPECT_EQ(wide.modified, 140);
    EXPECT_EQ(wide.name, 334 - 20 - 68 - 140);
    EXPECT_EQ(FitColumns(267, 16, 40, 90, 96).modified, 102);  // the designed width when enough
    for (const Case& c : cases) {
        const ColumnWidths w = FitColumns(c.inner, c.scrollBar, c.sizeNeed, 0, c.dpi);
        SCOPED_TRACE(testing::Message() << c.inner << " " << c.scrollBar << " " << c.sizeNeed << " " << c.dpi);
        EXPECT_EQ(w.name, c.want.name);
        EXPECT_EQ(w.size, c.want.size);
        EXPECT_EQ(w.modified, c.want.modified);
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
