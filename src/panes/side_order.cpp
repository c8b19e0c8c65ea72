// Reordering one side's list and finding an entry in it again by name.
#include "panes/side_order.h"

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

}  // namespace bivane
