// Geometry of the main window for a client size: pure arithmetic, so it is testable natively.
#pragma once

namespace bivane {

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    int Right() const { return x + w; }
};

// Heights and widths that come from the controls themselves, in pixels of the screen; the fixed
// gaps and button sizes are given at 96 DPI and scaled by dpi.
struct LayoutMetrics {
    int dpi = 96;
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

// The metrics of the controls as made at 96 DPI, scaled to dpi (the drive selector's height comes
// from its font and is measured instead).
LayoutMetrics ScaledMetrics(int dpi);

struct ClientSize {
    int w = 0, h = 0;
};
// The smallest client area the window may be given: names, sizes, dates and the three status
// panels stay readable, and a few rows still show.
ClientSize MinClientSize(int dpi);


}  // namespace bivane
