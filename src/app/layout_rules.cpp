#include "app/layout_rules.h"

#include <algorithm>

#include "core/dpi.h"

namespace bivane {

MainLayout ComputeLayout(int W, int H, const LayoutMetrics& m) {
    MainLayout l;
    auto px = [&](int designed) { return Scaled(designed, m.dpi); };
    const int listTop = m.driveHeight + m.titleHeight + px(3);
    const int listH = H - m.driveHeight - m.titleHeight - m.statusHeight - px(2);
    const int listW = W / 2 - px(2);
    l.list[0] = {0, listTop, listW, listH};
    l.list[1] = {W - listW, listTop, listW, listH};
    l.title[0] = {0, 0, listW, m.titleHeight};
    l.title[1] = {W - listW, 0, listW, m.titleHeight};
    l.status[0] = {0, H - m.statusHeight, listW, m.statusHeight};
    l.status[1] = {W - listW, H - m.statusHeight, listW, m.statusHeight};
    l.splash = {l.list[1].x + (listW - m.splashWidth) / 2, listTop + px(50), m.splashWidth, m.splashHeight};

    const int treeW = (listW / 3) * 2;
    const int treeH = H - m.titleHeight - m.statusHeight - px(2);
    const int treeTop = m.titleHeight + px(2);
    // The left tree opens over the right half, the right tree over the left half.
    l.tree[0] = {l.list[1].x - px(4), treeTop, treeW, treeH};
    l.tree[1] = {l.list[1].x - px(4) - treeW, treeTop, treeW, treeH};

    for (int s = 0; s < 2; ++s) {
        const int x = s == 0 ? 0 : l.list[1].x;
        l.drive[s] = {x, treeTop, m.driveWidth, m.driveHeight};
        l.showTree[s] = {l.drive[s].Right() + px(4), px(18), px(25), px(21)};
        l.goTo[s] = {l.showTree[s].Right() + px(2), px(21), px(13), px(17)};
        l.newDir[s] = {l.showTree[s].Right() + px(18), px(18), px(25), px(21)};
        l.upLevel[s] = {l.newDir[s].Right() + px(2), l.showTree[s].y, px(25), px(21)};
    }
    l.message = {listW / 2, listTop + m.messageHeight, listW + m.messageWidthExtra, m.messageHeight};
    return l;
}

LayoutMetrics ScaledMetrics(int dpi) {
    const LayoutMetrics designed;
    LayoutMetrics m;
    m.dpi = dpi;
    m.driveHeight = Scaled(designed.driveHeight, dpi);
    m.titleHeight = Scaled(designed.titleHeight, dpi);
    m.statusHeight = Scaled(designed.statusHeight, dpi);
    m.driveWidth = Scaled(designed.driveWidth, dpi);
    m.splashWidth = Scaled(designed.splashWidth, dpi);
    m.splashHeight = Scaled(designed.splashHeight, dpi);
    m.messageHeight = Scaled(designed.messageHeight, dpi);
    m.messageWidthExtra = Scaled(designed.messageWidthExtra, dpi);
    return m;
}

ClientSize MinClientSize(int dpi) {
    // 500 wide: each list 248, room for a Name column of 60 beside Size and Modified at their
    // widths with a scroll bar; 150 high: the header and four rows between the bars.
    return {Scaled(500, dpi), Scaled(150, dpi)};
}

}  // namespace bivane
