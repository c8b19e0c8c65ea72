// The four list orders, the column headers that choose them, and finding an entry again by name.
#include "form/main_window.h"

#include <algorithm>

#include "panes/side_order.h"

namespace bivane {

namespace {

void SortByColumn(MainWindow& form, Pane& s, int column) {
    switch (column) {
        case 0:
            if (s.order == SortOrder::Name) form.SortByExt(s); else form.SortByName(s);
            break;
        case 1: form.SortBySize(s); break;
        case 2: form.SortByDate(s); break;
        default: BringListToTop(s); break;  // the T column orders nothing
    }
    form.LocateCurrent(s);
}

}  // namespace

void MainWindow::SortByName(Pane& s) { SortSide(s, SortOrder::Name); }
void MainWindow::SortByExt(Pane& s) { SortSide(s, SortOrder::Ext); }
void MainWindow::SortBySize(Pane& s) { SortSide(s, SortOrder::Size); }
void MainWindow::SortByDate(Pane& s) { SortSide(s, SortOrder::Date); }

void MainWindow::ColumnClick(Pane& pane, int column) {
    Activate(pane);
    SortByColumn(*this, pane, column);
}

void MainWindow::LocateCurrent(Pane& s) {
    if (s.CurrentItem < 0 || s.CurrentItem >= static_cast<int>(s.Entries.size())) return;
    Locate(s, s.Entries[static_cast<size_t>(s.CurrentItem)].Name());
}

void MainWindow::Locate(Pane& s, const std::string& name) { LocateInSide(s, name); }

void MainWindow::Reread(Pane& s) {
    const bool has = s.CurrentItem >= 0 && s.CurrentItem < static_cast<int>(s.Entries.size());
    const std::string name = has ? s.Entries[static_cast<size_t>(s.CurrentItem)].Name() : std::string();
    s.FoundTitle.clear();  // the folder's own listing again, after a search's results
    Reload(s);
    Locate(s, name);
}

}  // namespace bivane
