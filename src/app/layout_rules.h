// Geometry of the main window for a client size: pure arithmetic, so it is testable natively.
#pragma once

namespace bivane {

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    int Right() const { return x + w; }
};

// Heights and widths that come from the controls themselves.
struct LayoutMetrics {
    int driveHeight = 21;   // drive selector (combo box) height
    int titleHeight = 17;   // title panel height
    int statusHeight = 19;  // status bar height
    int driveWidth = 145;
    int splashWidth = 173, splashHeight = 182;
    int messageHeight = 41, messageWidthExtra = 4;
};

struct MainLayout {
    Box list[2], title[2], status[2], tree[2], drive[2];
    Box showTree[2], goTo[2], newDir[2], upLevel[2];
    Box splash, message;
};

MainLayout ComputeLayout(int clientW, int clientH, const LayoutMetrics& m);


}  // namespace bivane
