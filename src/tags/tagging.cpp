// Tag commands, the mouse release on the lists, and the lists' change reports.
#include "form/main_window.h"
#include "panes/reach.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"
#include "panes/side_order.h"
#include "tags/tag_rules.h"

#include <vector>

namespace bivane {

namespace {

bool IsEntry(const Pane& s, int item) { return item >= 0 && item < static_cast<int>(s.Entries.size()); }

const std::string& CaptionOf(const Pane& s, int item) { return s.Entries[static_cast<size_t>(item)].caption; }

void MakeCurrent(Pane& s, int item) {
    s.CurrentItem = item;
    s.CurrentName = CaptionOf(s, item);
}

// The focused entry's tag flips; any other entry is only focused and its selection flipped, so
// the first touch never tags by surprise.
void FlipTag(MainWindow& form, Pane& s, int item) {
    if (s.List.IsFocused(item)) {
        const Mark mark = s.Entries[static_cast<size_t>(item)].mark;
        if (mark == Mark::Tagged) {
            form.UntagEntry(s, item);
        } else if (mark == Mark::Untagged) {
            form.TagEntry(s, item);
        }
        s.List.SetSelected(item, true);
    } else {
        s.List.SetFocused(item);
        s.List.SetSelected(item, !s.List.IsSelected(item));
    }
}

void SideChanged(Pane& s, int item) {
    if (s.Reordering || !IsEntry(s, item)) return;
    if (!s.RenamePending) {
        // Tag commands report rows they did not focus: the current entry stays the focused one.
        if (!s.FollowFocus()) s.CurrentItem = item;
        return;
    }
    // The caption a rename set is the report that completes it.
    s.RenamePending = false;
    if (s.EditedName.empty()) return;
    MakeCurrent(s, item);
    SortSide(s, SortOrder::Name);
    LocateInSide(s, s.CurrentName);
    s.ShowTitle();
}

}  // namespace

void MainWindow::ToggleTag(Pane& s, int item, bool advance) {
    if (!IsEntry(s, item)) return;
    SetFocus(s.List.Handle());
    if (s.Entries[static_cast<size_t>(item)].IsFile()) FlipTag(*this, s, item);
    UpdateTagTotals(s);
    const int next = item + 1;
    if (!advance || !IsEntry(s, next)) return;
    MakeCurrent(s, next);
    s.List.SetFocused(next);
    s.List.SetSelected(item, !s.List.IsSelected(item));
    s.List.SetSelected(next, !s.List.IsSelected(next));
    // Keep the new entry off the last visible row.
    if (next > s.List.TopIndex() + s.List.VisibleRows() - 2) s.List.ScrollRows(1);
}

// Whole-list commands change every entry at once and then report only the last changed one: the
// reports in between would each move the current item on, so the last is what they leave behind,
// and one repaint replaces a redraw per entry. A rename waiting for its report takes the first
// report instead, so then every entry is changed and reported one by one.
void MainWindow::TagAll(Pane& s) {
    if (s.Entries.empty()) return;
    if (s.RenamePending) {
        for (int i = 0; i < static_cast<int>(s.Entries.size()); ++i) {
            if (s.Entries[static_cast<size_t>(i)].IsFile()) TagEntry(s, i);
        }
        UpdateTagTotals(s);
        return;
    }
    int last = -1;
    for (int i = 0; i < static_cast<int>(s.Entries.size()); ++i) {
        Entry& e = s.Entries[static_cast<size_t>(i)];
        if (!e.IsFile()) continue;
        e.image = kImageTagged;
        e.mark = Mark::Tagged;
        last = i;
    }
    s.List.RedrawAll();
    if (last >= 0) EntryChanged(s, last);
    UpdateTagTotals(s);
}

void MainWindow::InvertTags(Pane& s) {
    if (s.Entries.empty()) return;
    if (s.RenamePending) {
        for (int i = 0; i < static_cast<int>(s.Entries.size()); ++i) {
            const Mark mark = s.Entries[static_cast<size_t>(i)].mark;
            if (mark == Mark::Tagged) {
                // Deselected first, or the totals would turn a multi-selection back into tags.
                s.List.SetSelected(i, false);
                UntagEntry(s, i);
            } else if (mark == Mark::Untagged) {
                TagEntry(s, i);
            }
        }
        UpdateTagTotals(s);
        return;
    }
    // The formerly tagged lose their selection, or the totals would turn a multi-selection back
    // into tags; when that is the whole selection it is cleared in one step.
    std::vector<int> deselect;
    int selected = 0;
    for (int i = s.List.FirstSelected(); i >= 0; i = s.List.NextSelected(i)) {
        ++selected;
        if (s.Entries[static_cast<size_t>(i)].mark == Mark::Tagged) deselect.push_back(i);
    }
    if (!deselect.empty() && static_cast<int>(deselect.size()) == selected) {
        s.List.ClearSelection();
    } else {
        for (int i : deselect) s.List.SetSelected(i, false);
    }
    int last = -1;
    for (int i = 0; i < static_cast<int>(s.Entries.size()); ++i) {
        Entry& e = s.Entries[static_cast<size_t>(i)];
        if (e.mark == Mark::Tagged) {
            e.mark = Mark::Untagged;
            e.image = UntaggedImage(e.caption);
            last = i;
        } else if (e.mark == Mark::Untagged) {
            e.mark = Mark::Tagged;
            e.image = kImageTagged;
            last = i;
        }
    }
    s.List.RedrawAll();
    if (last >= 0) EntryChanged(s, last);
    UpdateTagTotals(s);
}

void MainWindow::UntagAll(Pane& s) {
    s.TagCount = 0;
    if (s.Entries.empty()) return;
    for (int i = 0; i < static_cast<int>(s.Entries.size()); ++i) {
        if (s.Entries[static_cast<size_t>(i)].mark == Mark::Tagged) {
            s.List.SetSelected(i, false);
            UntagEntry(s, i);
        }
    }
    UpdateTagTotals(s);
}

void MainWindow::ListMouseUp(Pane& s, MouseButton button, TShiftState shift, int x, int y) {
    side[0].RenamePending = false;
    side[1].RenamePending = false;
    if (button == MouseButton::Right) return;  // the pop-up menu's button
    SetFocus(s.List.Handle());

    const int named = s.List.HitTestLabel(x, y);
    if (named >= 0) {
        MakeCurrent(s, named);
        s.List.SetSelected(named, true);
        UpdateTagTotals(s);
        return;
    }
    // Beside the name: the same row, found through its icon.
    const int item = s.List.HitTest(8, y);
    if (item < 0) return;
    MakeCurrent(s, item);
    const Entry& e = s.Entries[static_cast<size_t>(item)];
    if (e.IsFile()) {
        FlipTag(*this, s, item);
        UpdateTagTotals(s);
        return;
    }
    if (!Reachable(hwnd_, e)) return;
    const std::string target = e.Name();  // ".." for the parent entry

    const std::string dir = s.Tree.Directory();
    if (DirectoryError(dir) != 0) ShowBox(hwnd_, BoxKind::Warning, "Cannot find directory", BoxButtons::Ok);
    const std::string path = dir + "\\" + target;
    if (shift & ssAlt) {
        Pane& other = OtherThan(s);
        Activate(other);
        other.Tree.SetDirectory(path);
    } else {
        s.Tree.SetDirectory(path);
    }
}

void MainWindow::EntryChanged(Pane& s, int item) { SideChanged(s, item); }

}  // namespace bivane
