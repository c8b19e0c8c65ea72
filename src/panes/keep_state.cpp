// A side read again by itself, because its folder changed on the disk: the new listing is shown
// with what the user had in the old one carried over by exact name.
#include <algorithm>
#include <unordered_map>

#include "core/scoped_flag.h"
#include "panes/pane.h"
#include "panes/name_changes.h"
#include "panes/sort_rules.h"
#include "platform/collate.h"

namespace bivane {

namespace {

// What the list showed before, by row of the old entries.
struct Before {
    std::vector<char> selected;
    int focused = -1, current = -1, top = 0, anchor = -1;
};

// Of the list's rows, which are rows rows of entries.
Before Remember(const Pane& s, std::size_t rows) {
    const FileListView& list = s.List;
    const int n = static_cast<int>(rows);
    Before b;
    b.selected.assign(rows, 0);
    if (list.SelectedCount() > 0) {
        for (int i = list.FirstSelected(); i >= 0 && i < n; i = list.NextSelected(i)) b.selected[static_cast<size_t>(i)] = 1;
    }
    b.focused = list.Focused();
    b.current = s.CurrentItem;
    b.top = list.TopIndex();
    b.anchor = static_cast<int>(SendMessageW(list.Handle(), LVM_GETSELECTIONMARK, 0, 0));
    return b;
}

// The folders listed, by name: the tree reads its subfolders again only when they changed.
std::vector<std::string> FolderNames(const std::vector<Entry>& entries) {
    std::vector<std::string> names;
    for (const Entry& e : entries) {
        if (e.kind == EntryKind::Directory) names.push_back(e.Name());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// For each old row, the row its entry now has, or -1 when it is gone, carrying over what the user
// had on it (see CarryOver). tookPlace: for each old row, the row of an entry of its name but of
// another kind (a folder that became a file), or -1.
std::vector<int> CarryOverAll(const std::vector<Entry>& old, std::vector<Entry>& fresh, std::vector<int>& tookPlace) {
    std::unordered_map<std::string, std::size_t> rowOf;
    rowOf.reserve(old.size());
    for (std::size_t i = 0; i < old.size(); ++i) rowOf.emplace(old[i].Name(), i);
    std::vector<int> moved(old.size(), -1);
    tookPlace.assign(old.size(), -1);
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const auto it = rowOf.find(fresh[i].Name());
        if (it == rowOf.end()) continue;
        const Entry& was = old[it->second];
        if (was.kind != fresh[i].kind) {  // a file replaced by a folder of its name is new
            tookPlace[it->second] = static_cast<int>(i);
            continue;
        }
        moved[it->second] = static_cast<int>(i);
        CarryOver(was, fresh[i]);
    }
    return moved;
}

// The list shows the entries, which were before's rows moved as moves says: the selection, the
// current, focused and anchor rows and the scroll go with their entries.
void ShowMoved(Pane& s, const Before& before, const RowMoves& moves) {
    const std::vector<int>& moved = moves.moved;
    const std::vector<int>& tookPlace = moves.tookPlace;
    const int n = static_cast<int>(s.Entries.size());
    // Where an old row's entry is now; when it is gone, the entry that now stands in its place: one
    // of its name, else the next one still there, else the one before it.
    const auto place = [&](int row) {
        if (row < 0 || n == 0) return -1;
        const int m = static_cast<int>(moved.size());
        if (row < m && moved[static_cast<size_t>(row)] < 0 && tookPlace[static_cast<size_t>(row)] >= 0) {
            return tookPlace[static_cast<size_t>(row)];
        }
        for (int r = row; r < m; ++r) {
            if (moved[static_cast<size_t>(r)] >= 0) return moved[static_cast<size_t>(r)];
        }
        for (int r = std::min(row, m) - 1; r >= 0; --r) {
            if (moved[static_cast<size_t>(r)] >= 0) return moved[static_cast<size_t>(r)];
        }
        return std::min(row, n - 1);
    };
    {
        ScopedFlag quiet(s.Reordering);  // the marks move with their entries: no change the user made
        SendMessageW(s.List.Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(n), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        // The few rows selected are let go one by one: clearing all costs a call per row under
        // Wine, a good part of showing one new file in a folder of 100,000.
        const auto selectedRows = static_cast<std::size_t>(std::count(before.selected.begin(), before.selected.end(), 1));
        if (selectedRows > 64) {
            s.List.ClearSelection();
        } else {
            for (std::size_t i = 0; i < before.selected.size() && i < static_cast<std::size_t>(n); ++i) {
                if (before.selected[i]) s.List.SetSelected(static_cast<int>(i), false);
            }
        }
        for (std::size_t i = 0; i < moved.size(); ++i) {
            if (before.selected[i] && moved[i] >= 0) s.List.SetSelected(moved[i], true);
        }
        const int current = place(before.current);
        const bool currentSelected = before.current >= 0 && before.current < static_cast<int>(before.selected.size()) &&
                                     before.selected[static_cast<size_t>(before.current)];
        if (current >= 0 && currentSelected) s.List.SetSelected(current, true);
        if (const int focused = place(before.focused); focused >= 0) s.List.SetFocused(focused);
        if (const int anchor = place(before.anchor); anchor >= 0) {
            SendMessageW(s.List.Handle(), LVM_SETSELECTIONMARK, 0, anchor);
        }
        s.CurrentItem = current;
        if (current >= 0) s.CurrentName = s.Entries[static_cast<size_t>(current)].caption;
    }
    if (n > 0) s.List.ScrollRows(before.top - s.List.TopIndex());
    InvalidateRect(s.List.Handle(), nullptr, FALSE);  // no erase: the rows are painted over, not blanked
    s.ShowTitle();
}

}  // namespace

void Pane::ShowKeepingState(Listing listing) {
    const Before before = Remember(*this, Entries.size());
    std::vector<Entry> fresh = std::move(listing.entries);
    if (order != SortOrder::Name) {
        const std::vector<std::uint32_t> perm = SortPermutation(fresh, order, PlatformCollation());
        std::vector<Entry> sorted;
        sorted.reserve(fresh.size());
        for (std::uint32_t i : perm) sorted.push_back(std::move(fresh[i]));
        fresh = std::move(sorted);
    }
    RowMoves moves;
    moves.moved = CarryOverAll(Entries, fresh, moves.tookPlace);
    const bool folders = FolderNames(Entries) != FolderNames(fresh);
    Entries = std::move(fresh);
    ShowMoved(*this, before, moves);
    if (folders) Tree.SubdirectoriesChanged();  // its reading costs as much as the folder's
    ShowFigures(listing);
}

void Pane::ShowChanges(const std::vector<NameChange>& changes) {
    const std::size_t rows = Entries.size();  // the list's state is of these; it changes only below
    std::int64_t bytes = DirBytes, files = FileCount;
    const RowMoves moves = ApplyNameChanges(Entries, changes, order, PlatformCollation(), bytes, files);
    if (moves.inPlace) {
        // Nothing moved (a file written to): its row is painted again, nothing else.
        for (const int row : moves.changedRows) ListView_RedrawItems(List.Handle(), row, row);
    } else {
        ShowMoved(*this, Remember(*this, rows), moves);
    }
    if (moves.folders) Tree.SubdirectoriesChanged();
    Listing figures;
    figures.dir = Directory();
    figures.totalBytes = bytes;
    figures.files = files;
    figures.readError = ReadInPart ? 1 : 0;  // names looked at alone do not make the folder whole
    ShowFigures(figures);
}

}  // namespace bivane
