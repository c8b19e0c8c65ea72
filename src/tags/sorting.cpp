// The four list orders, the column headers that choose them, and finding an entry again by name.
#include "form/main_window.h"

#include <algorithm>

#include "panes/side_order.h"

namespace bivane {

namespace {

void SortByColumn(TForm1& form, int column) {
    Pane& s = form.Active();
    switch (column) {
        case 0:
            if (s.SortedByName) form.SortByExt(); else form.SortByName();
            break;
        case 1: form.SortBySize(); break;
        case 2: form.SortByDate(); break;
        default: BringListToTop(s); break;  // the T column orders nothing
    }
    form.LocateCurrent();
}

}  // namespace

void TForm1::SortByName() { SortSide(Active(), SortOrder::Name); }
void TForm1::SortByExt() { SortSide(Active(), SortOrder::Ext); }
void TForm1::SortBySize() { SortSide(Active(), SortOrder::Size); }
void TForm1::SortByDate() { SortSide(Active(), SortOrder::Date); }

void TForm1::ColumnClick(Pane& pane, int column) {
    Activate(pane);
    SortByColumn(*this, column);
}

void TForm1::LocateCurrent() {
    const Pane& s = Active();
    if (s.CurrentItem < 0 || s.CurrentItem >= static_cast<int>(s.Entries.size())) return;
    Locate(s.Entries[static_cast<size_t>(s.CurrentItem)].Name());
}

void TForm1::Locate(const std::string& name) { LocateInSide(Active(), name); }

void TForm1::RereadActive() {
    const Pane& s = Active();
    const bool has = s.CurrentItem >= 0 && s.CurrentItem < static_cast<int>(s.Entries.size());
    const std::string name = has ? s.Entries[static_cast<size_t>(s.CurrentItem)].Name() : std::string();
    ReloadActive();
    Locate(name);
}

}  // namespace bivane
