// The widths of a list's three columns for the room it has: window-free, tested natively.
#pragma once

namespace bivane {

// At 96 DPI; scaled for others.
constexpr int kSizeColumnWidth = 54;
constexpr int kModifiedColumnWidth = 102;
constexpr int kNameColumnRoom = 60;  // what the Name column keeps before the Size column grows into it

struct ColumnWidths {
    int name = 0, size = 0, modified = 0;
};
// The columns fill the list's inner width (its borders off) less the vertical scroll bar when it
// shows, and never more, so no horizontal scroll bar appears. Modified keeps its width (or what a
// date needs in a font wider than the designed one, modifiedNeed); Size grows
// to sizeNeed while the Name column keeps kNameColumnRoom; Name takes the rest. In a list too
// narrow for that, the Name column still keeps kNameColumnRoom (or all the room, when less), and
// Modified and then Size give way: a name is what a user reads first.
ColumnWidths FitColumns(int innerWidth, int scrollBarWidth, int sizeNeed, int modifiedNeed, int dpi);

}  // namespace bivane
