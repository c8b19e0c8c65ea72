// A side's list columns, fitted to the list's width and the longest size it shows.
#include <algorithm>
#include <string>

#include "form/main_window.h"
#include "core/scoped_flag.h"
#include "core/dpi.h"
#include "panes/column_rules.h"
#include "platform/dpi.h"

namespace bivane {

namespace {

// The widest digit of the list's font: a font's digits need not all be as wide.
char WidestDigit(HWND list) {
    char widest = '0';
    int width = 0;
    for (char d = '0'; d <= '9'; ++d) {
        const int w = TextWidthIn(list, std::string(1, d));
        if (w > width) {
            width = w;
            widest = d;
        }
    }
    return widest;
}

// The Size column's width for the longest size the pane lists, and the Modified column's for any
// date, in the list's font with the cell's margins.
int SizeColumnNeed(const Pane& s, char digit, int dpi) {
    std::int64_t largest = 0;
    for (const Entry& e : s.Entries) largest = std::max(largest, e.size);
    return TextWidthIn(s.List.Handle(), std::string(std::to_string(largest).size(), digit)) + Scaled(12, dpi);
}

int ModifiedColumnNeed(const Pane& s, char digit, int dpi) {
    std::string date = "00/00/00 00:00";
    for (char& c : date) {
        if (c == '0') c = digit;
    }
    return std::max(TextWidthIn(s.List.Handle(), date + "am"), TextWidthIn(s.List.Handle(), date + "pm")) +
           Scaled(12, dpi);
}

}  // namespace

void MainWindow::FitAllColumns() {
    for (Pane& s : side) FitColumnsOf(s);
}

void MainWindow::FitColumnsOf(Pane& s) {
    if (fittingColumns_) return;  // the widths set below may show or hide a scroll bar
    ScopedFlag fitting(fittingColumns_);
    const int dpi = Dpi();
    const int scrollBarWidth = MetricForDpi(SM_CXVSCROLL, dpi);
    const char digit = WidestDigit(s.List.Handle());
    const int sizeNeed = SizeColumnNeed(s, digit, dpi);
    const int modifiedNeed = ModifiedColumnNeed(s, digit, dpi);
    // First from the rows that fit, then once more from the scroll bar the list then shows:
    // without a horizontal bar, its height alone decides the vertical one.
    for (int pass = 0; pass < 2; ++pass) {
        const bool shown = s.List.HasVerticalScrollBar();
        const bool scrollBar = pass == 0 ? s.List.Count() > s.List.RowsWithoutHorizontalBar() : shown;
        // The inner width: the client area with the vertical scroll bar's place given back.
        const int inner = ClientRect(s.List.Handle()).right + (shown ? scrollBarWidth : 0);
        const ColumnWidths c = FitColumns(inner, scrollBar ? scrollBarWidth : 0, sizeNeed, modifiedNeed, dpi);
        // A width set again costs as much as a new one on a long list: only changes are made.
        const int widths[3] = {c.name, c.size, c.modified};
        for (int column = 0; column < 3; ++column) {
            if (s.List.ColumnWidth(column) != widths[column]) s.List.SetColumnWidth(column, widths[column]);
        }
    }
}

}  // namespace bivane
