#include "panes/column_rules.h"

#include <algorithm>

namespace bivane {

ColumnWidths FitColumns(int innerWidth, int scrollBarWidth, int sizeNeed) {
    const int room = std::max(0, innerWidth - scrollBarWidth);
    ColumnWidths c;
    c.modified = kModifiedColumnWidth;
    c.size = std::max(kSizeColumnWidth, std::min(sizeNeed, room - c.modified - kNameColumnRoom));
    c.name = room - c.size - c.modified;
    if (c.name < 0) {
        c.name = 0;
        c.modified = std::max(0, room - c.size);
        c.size = std::min(c.size, room);
    }
    return c;
}

}  // namespace bivane
