#include "panes/column_rules.h"

#include <algorithm>

#include "core/dpi.h"

namespace bivane {

ColumnWidths FitColumns(int innerWidth, int scrollBarWidth, int sizeNeed, int modifiedNeed, int dpi) {
    const int room = std::max(0, innerWidth - scrollBarWidth);
    const int sizeWidth = Scaled(kSizeColumnWidth, dpi);
    const int nameRoom = Scaled(kNameColumnRoom, dpi);
    ColumnWidths c;
    c.modified = std::max(Scaled(kModifiedColumnWidth, dpi), modifiedNeed);
    c.size = std::max(sizeWidth, std::min(sizeNeed, room - c.modified - nameRoom));
    c.name = room - c.size - c.modified;
    const int nameKeeps = std::min(room, nameRoom);
    if (c.name < nameKeeps) {
        c.name = nameKeeps;
        const int rest = room - c.name;
        c.size = std::min(c.size, rest);
        c.modified = rest - c.size;
    }
    return c;
}

}  // namespace bivane
