// The four list orders, the column headers that choose them, and finding an entry again by name.
#include "tags/side_order.h"

#include "app/Unit1.h"

#include <algorithm>

#include "core/scoped_flag.h"
#include "panes/entry_rules.h"
#include "platform/collate.h"
#include "platform/handles.h"

namespace bivane {

namespace {


// Puts the entries in the order perm gives (perm[i] = old index of the entry for row i). The list
// is owner-data, so its selection and focus belong to row numbers: they are moved to the rows the
// same entries now occupy, and CurrentItem with them.
void Reorder(Pane& s, const std::vector<std::uint32_t>& perm) {
    const int n = static_cast<int>(perm.size());
    std::vector<int> newIndex(perm.size());
    for (int i = 0; i < n; ++i) newIndex[perm[static_cast<size_t>(i)]] = i;

    FileListView& list = s.List;
    std::vector<int> selected;
    if (list.SelectedCount() > 0) {
        for (int i = list.FirstSelected(); i >= 0 && i < n; i = list.NextSelected(i)) {
            selected.push_back(newIndex[static_cast<size_t>(i)]);
        }
    }
    const int focused = list.Focused();
    const int anchor = static_cast<int>(SendMessageW(list.Handle(), LVM_GETSELECTIONMARK, 0, 0));

    std::vector<Entry> sorted;
    sorted.reserve(s.Entries.size());
    for (std::uint32_t i : perm) sorted.push_back(std::move(s.Entries[i]));
    s.Entries = std::move(sorted);

    {
        ScopedFlag quiet(s.Reordering);  // the moves of the marks are no changes the user made
        list.ClearSelection();
        for (int i : selected) list.SetSelected(i, true);
        if (focused >= 0 && focused < n) list.SetFocused(newIndex[static_cast<size_t>(focused)]);
        if (anchor >= 0 && anchor < n) {
            SendMessageW(list.Handle(), LVM_SETSELECTIONMARK, 0, newIndex[static_cast<size_t>(anchor)]);
        }
    }
    if (s.CurrentItem >= 0 && s.CurrentItem < n) s.CurrentItem = newIndex[static_cast<size_t>(s.CurrentItem)];
    list.RedrawAll();
}

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
    form.LocateItem();
}

}  // namespace

void BringListToTop(Pane& s) {
    if (s.List.FirstSelected() >= 0) s.List.ScrollRows(-s.List.TopIndex());
}

void SortSide(Pane& s, SortOrder order) {
    BringListToTop(s);
    if (order == SortOrder::Date) {
        // The one slow order: say so before the work starts.
        WaitCursor wait;
        s.Title.SetCaption("Sorting by date...");
        s.Title.Repaint();
        Reorder(s, SortPermutation(s.Entries, order, PlatformCollation()));
    } else {
        Reorder(s, SortPermutation(s.Entries, order, PlatformCollation()));
    }
    s.SortedByName = order == SortOrder::Name;
    s.order = order;
    s.ShowTitle();
}

void LocateInSide(Pane& s, std::string name) {
    FileListView& list = s.List;
    SetFocus(list.Handle());
    if (name.empty()) return;
    list.ScrollToTop();
    const int n = static_cast<int>(s.Entries.size());
    // The entry of exactly that name first: two files may show the same caption.
    int found = -1;
    for (int i = 0; i < n && found < 0; ++i) {
        if (s.Entries[static_cast<size_t>(i)].Name() == name) found = i;
    }
    for (int i = 0; i < n && found < 0; ++i) {
        if (EqualsIgnoreAsciiCase(s.Entries[static_cast<size_t>(i)].caption, name)) found = i;
    }
    // The search moves the list down one row for every entry it passes and the list stops at its
    // end; one scroll by the same number of rows leaves the same top row.
    list.ScrollRows(found >= 0 ? found : n);
    if (found < 0) return;

    const int first = list.FirstSelected();
    if (first >= 0) list.SetSelected(first, false);
    list.SetSelected(found, true);
    list.SetFocused(found);
    s.CurrentItem = found;
    s.CurrentName = s.Entries[static_cast<size_t>(found)].caption;
    // An entry that reached the top is moved towards the middle of the visible rows.
    const int top = list.TopIndex();
    if (top == found) {
        list.ScrollRows(-(list.VisibleRows() / 2 - 2));
    }
}

void TForm1::SortByName() { SortSide(Active(), SortOrder::Name); }
void TForm1::SortByExt() { SortSide(Active(), SortOrder::Ext); }
void TForm1::SortBySize() { SortSide(Active(), SortOrder::Size); }
void TForm1::SortByDate() { SortSide(Active(), SortOrder::Date); }

void TForm1::ListView1ColumnClick(int column) {
    SetSide1Active();
    SortByColumn(*this, column);
}

void TForm1::ListView2ColumnClick(int column) {
    SetSide2Active();
    SortByColumn(*this, column);
}

void TForm1::LocateItem() {
    const Pane& s = Active();
    if (s.CurrentItem < 0 || s.CurrentItem >= static_cast<int>(s.Entries.size())) return;
    LocateItem2(s.Entries[static_cast<size_t>(s.CurrentItem)].Name());
}

void TForm1::LocateItem2(const std::string& name) { LocateInSide(Active(), name); }

void TForm1::Refresh1Click() {
    const Pane& s = Active();
    const bool has = s.CurrentItem >= 0 && s.CurrentItem < static_cast<int>(s.Entries.size());
    const std::string name = has ? s.Entries[static_cast<size_t>(s.CurrentItem)].Name() : std::string();
    LoadLeftSide();
    LocateItem2(name);
}

}  // namespace bivane
