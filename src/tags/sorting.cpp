// The four list orders, the column headers that choose them, and finding an entry again by name.
#include "form/main_window.h"

#include <algorithm>

#include "panes/side_order.h"

namespace bivane {

namespace {

void SortByColumn(MainWindow& form, int column) {
    Pane& s = form.Active();
    switch (column) {
        case 0:
            if (s.order == SortOrder::Name) form.SortByExt(); else form.SortByName();
            break;
        case 1: form.SortBySize(); break;
        case 2: form.SortByDate(); break;
        default: BringListToTop(s); break;  // the T column orders nothing
    }
    form.LocateCurrent();
}

}  // namespace

void MainWindow::SortByName() { SortSide(Active(), SortOrder::Name); }
void MainWindow::SortByExt() { SortSide(Active(), SortOrder::Ext); }
void MainWindow::SortBySize() { SortSide(Active(), SortOrder::Size); }
void MainWindow::SortByDate() { SortSide(Active(), SortOrder::Date); }

void MainWindow::ColumnClick(Pane& pane, int column) {
    Activate(pane);
    SortByColumn(*this, column);
}

void MainWindow::LocateCurrent() {
    const Pane& s = Active();
    if (s.CurrentItem < 0 || s.CurrentItem >= static_cast<int>(s.Entries.size())) return;
    Locate(s.Entries[static_cast<size_t>(s.CurrentItem)].Name());
}

void MainWindow::Locate(const std::string& name) { LocateInSide(Active(), name); }

void MainWindow::RereadActive() {
    const Pane& s = Active();
    const bool has = s.CurrentItem >= 0 && s.CurrentItem < static_cast<int>(s.Entries.size());
    const std::string name = has ? s.Entries[static_cast<size_t>(s.CurrentItem)].Name() : std::string();
    ReloadActive();
    Locate(name);
}

}  // namespace bivane
