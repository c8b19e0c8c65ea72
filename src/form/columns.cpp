// A side's list columns, fitted to the list's width and the longest size it shows.
#include <algorithm>
#include <string>

#include "form/main_window.h"
#include "core/scoped_flag.h"
#include "panes/column_rules.h"

namespace bivane {

namespace {

// The Size column's width for the longest size the pane lists, in the list's font.
int SizeColumnNeed(const Pane& s) {
    std::int64_t largest = 0;
    for (const Entry& e : s.Entries) largest = std::max(largest, e.size);
    return TextWidthIn(s.List.Handle(), std::string(std::to_string(largest).size(), '0')) + 12;
}

}  // namespace

void TForm1::FitAllColumns() {
    for (Pane& s : side) FitColumnsOf(s);
}

void TForm1::FitColumnsOf(Pane& s) {
    if (fittingColumns_) return;  // the widths set below may show or hide a scroll bar
    ScopedFlag fitting(fittingColumns_);
    const int scrollBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int sizeNeed = SizeColumnNeed(s);
    // First from the rows that fit, then once more from the scroll bar the list then shows:
    // without a horizontal bar, its height alone decides the vertical one.
    for (int pass = 0; pass < 2; ++pass) {
        const bool shown = s.List.HasVerticalScrollBar();
        const bool scrollBar = pass == 0 ? s.List.Count() > s.List.RowsWithoutHorizontalBar() : shown;
        // The inner width: the client area with the vertical scroll bar's place given back.
        const int inner = ClientRect(s.List.Handle()).right + (shown ? scrollBarWidth : 0);
        const ColumnWidths c = FitColumns(inner, scrollBar ? scrollBarWidth : 0, sizeNeed);
        // A width set again costs as much as a new one on a long list: only changes are made.
        const int widths[3] = {c.name, c.size, c.modified};
        for (int column = 0; column < 3; ++column) {
            if (s.List.ColumnWidth(column) != widths[column]) s.List.SetColumnWidth(column, widths[column]);
        }
    }
}

}  // namespace bivane
