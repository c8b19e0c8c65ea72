#include "app/layout_rules.h"

#include <algorithm>

namespace bivane {

MainLayout ComputeLayout(int W, int H, const LayoutMetrics& m) {
    MainLayout l;
    const int listTop = m.driveHeight + m.titleHeight + 3;
    const int listH = H - m.driveHeight - m.titleHeight - m.statusHeight - 2;
    const int listW = W / 2 - 2;
    l.list[0] = {0, listTop, listW, listH};
    l.list[1] = {W - listW, listTop, listW, listH};
    l.title[0] = {0, 0, listW, m.titleHeight};
    l.title[1] = {W - listW, 0, listW, m.titleHeight};
    l.status[0] = {0, H - m.statusHeight, listW, m.statusHeight};
    l.status[1] = {W - listW, H - m.statusHeight, listW, m.statusHeight};
    l.splash = {l.list[1].x + (listW - m.splashWidth) / 2, listTop + 50, m.splashWidth, m.splashHeight};

    const int treeW = (listW / 3) * 2;
    const int treeH = H - m.titleHeight - m.statusHeight - 2;
    const int treeTop = m.titleHeight + 2;
    // The left tree opens over the right half, the right tree over the left half.
    l.tree[0] = {l.list[1].x - 4, treeTop, treeW, treeH};
    l.tree[1] = {l.list[1].x - 4 - treeW, treeTop, treeW, treeH};

    for (int s = 0; s < 2; ++s) {
        const int x = s == 0 ? 0 : l.list[1].x;
        l.drive[s] = {x, treeTop, m.driveWidth, m.driveHeight};
        l.showTree[s] = {l.drive[s].Right() + 4, 18, 25, 21};
        l.goTo[s] = {l.showTree[s].Right() + 2, 21, 13, 17};
        l.newDir[s] = {l.showTree[s].Right() + 18, 18, 25, 21};
        l.upLevel[s] = {l.newDir[s].Right() + 2, l.showTree[s].y, 25, 21};
    }
    l.message = {listW / 2, listTop + m.messageHeight, listW + m.messageWidthExtra, m.messageHeight};
    return l;
}

}  // namespace bivane
