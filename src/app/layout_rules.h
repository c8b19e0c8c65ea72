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

constexpr int kSizeColumnWidth = 54;
constexpr int kModifiedColumnWidth = 102;
constexpr int kNameColumnRoom = 60;  // what the Name column keeps before the Size column grows into it

struct ColumnWidths {
    int name = 0, size = 0, modified = 0;
};
// The columns fill the list's inner width (its borders off) less the vertical scroll bar when it
// shows, and never more, so no horizontal scroll bar appears. Modified keeps its width; Size grows
// to sizeNeed while the Name column keeps kNameColumnRoom; Name takes the rest. In a list too
// narrow for that, Modified and then Size give way.
ColumnWidths FitColumns(int innerWidth, int scrollBarWidth, int sizeNeed);

}  // namespace bivane
