// Tagging one entry, and the side's tag totals.
#include "form/main_window.h"
#include "panes/entry_rules.h"
#include "tags/tag_rules.h"

namespace bivane {

void MainWindow::TagEntry(Pane& s, int item) {
    SetEntryImage(s, item, kImageTagged);
    SetEntryMark(s, item, Mark::Tagged);
}

void MainWindow::UntagEntry(Pane& s, int item) {
    SetEntryMark(s, item, Mark::Untagged);
    SetEntryImage(s, item, kImageFile);
    if (UntaggedImage(s.Entries[static_cast<size_t>(item)].caption) == kImageProgram) {
        SetEntryImage(s, item, kImageProgram);
    }
}

void MainWindow::UpdateTagTotals(Pane& s) {
    if (s.Entries.empty()) return;
    auto [count, bytes] = CountTagged(s.Entries);
    // Two or more selected entries become tagged; a single selection never does.
    if (s.List.SelectedCount() >= 2) {
        for (int i = s.List.FirstSelected(); i >= 0; i = s.List.NextSelected(i)) {
            const Entry& e = s.Entries[static_cast<size_t>(i)];
            if (e.mark == Mark::Tagged || e.mark == Mark::Directory) continue;
            TagEntry(s, i);
            bytes += ReadSizeText(e.sizeText);
            ++count;
        }
    }
    s.TagCount = count;
    s.TagBytes = bytes;
    s.Status.SetText(1, TagPanelText(bytes, count, s.FileCount));
}

}  // namespace bivane
