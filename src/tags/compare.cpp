// The newer-or-duplicates comparison between the two sides.
#include <vector>

#include "form/main_window.h"
#include "platform/modal_seam.h"
#include "tags/compare_rules.h"
#include "tags/compare_dialog.h"

namespace bivane {

namespace {

// The progress text in the message panel. The scan shows the counter at every thousandth step;
// repainting that often would cost more than the scan, so the panel is repainted at most about
// twenty times a second, always with a thousandth the scan has reached.
class CompareProgress {
public:
    CompareProgress(Panel& panel, bool newerMode) : panel_(panel), newerMode_(newerMode) {}

    void At(std::int64_t counter, bool now) {
        const std::int64_t shown = counter / 1000 * 1000;
        if (shown == 0 || shown == shown_) return;
        const ULONGLONG tick = GetTickCount64();
        if (!now && tick - lastPaint_ < 50) return;
        panel_.SetCaption(CompareProgressText(newerMode_, shown));
        panel_.Repaint();
        shown_ = shown;
        lastPaint_ = tick;
    }

private:
    Panel& panel_;
    bool newerMode_;
    std::int64_t shown_ = 0;
    ULONGLONG lastPaint_ = 0;
};

// The message panel goes away however the run ends.
class ShownPanel {
public:
    explicit ShownPanel(Panel& panel) : panel_(panel) {
        SetVisible(panel_.Handle(), true);
        panel_.Repaint();
    }
    ~ShownPanel() { SetVisible(panel_.Handle(), false); }
    ShownPanel(const ShownPanel&) = delete;
    ShownPanel& operator=(const ShownPanel&) = delete;

private:
    Panel& panel_;
};

// Every message to a subclassed list costs a property lookup, which under Wine is a round trip
// to the server: tens of microseconds. So the pass collects the selection once instead of asking
// per entry, and repaints the list once at the end instead of per entry.
std::vector<bool> SelectedEntries(const FileListView& list, std::size_t count) {
    std::vector<bool> selected(count, false);
    for (int i = list.FirstSelected(); i >= 0; i = list.NextSelected(i)) selected[static_cast<std::size_t>(i)] = true;
    return selected;
}

}  // namespace

void MainWindow::CompareSides() { TagNewerOrDuplicates(); }

namespace {

// One pass of the comparison: tags source's entries that match other's; the step count after it.
std::int64_t TagPass(MainWindow& form, Pane& source, const Pane& other, bool newer, std::int64_t steps,
                     CompareProgress& progress) {
    const ComparePass result = ScanPass(source.Entries, other.Entries, newer, steps);
    // The plain scan runs UpdateTagTotals after every tag. Its recount only matters the last
    // time, and its "two or more selected become tagged" step can only act the first time:
    // that call tags every selected entry that is not already "Y" or "D", and afterwards the
    // pass only tags entries and deselects them, so no selected untagged entry can appear
    // again. So it runs at the first match and once more after the last one.
    // The tag step is TagEntry's (image, then mark, each change reported as the list
    // would) with one repaint after the pass. Deselecting an entry that is not selected
    // changes nothing, and its change report would only repeat the tag's.
    std::vector<bool> selected = SelectedEntries(source.List, source.Entries.size());
    for (std::size_t k = 0; k < result.matches.size(); ++k) {
        const int item = static_cast<int>(result.matches[k]);
        Entry& e = source.Entries[static_cast<std::size_t>(item)];
        e.image = kImageTagged;
        form.EntryChanged(source, item);
        e.mark = Mark::Tagged;
        form.EntryChanged(source, item);
        if (k == 0) {
            form.UpdateTagTotals(source);
            selected = SelectedEntries(source.List, source.Entries.size());
        }
        if (selected[static_cast<std::size_t>(item)]) {
            source.List.SetSelected(item, false);
            selected[static_cast<std::size_t>(item)] = false;
        }
        progress.At(result.stepAfter[static_cast<std::size_t>(item)], false);
    }
    if (result.matches.size() > 1) form.UpdateTagTotals(source);
    if (!result.matches.empty()) source.List.RedrawAll();
    progress.At(result.steps, true);
    return result.steps;
}

// Brings the side's first tagged entry into view, selected and focused.
void ShowFirstTagged(Pane& s) {
    if (s.TagCount <= 0) return;
    s.List.ScrollToTop();
    std::size_t first = 0;
    while (first < s.Entries.size() && s.Entries[first].mark != Mark::Tagged) ++first;
    s.List.ScrollRows(static_cast<int>(first));  // one row for every entry before it
    if (first < s.Entries.size()) {
        s.List.SetSelected(static_cast<int>(first), true);
        s.List.SetFocused(static_cast<int>(first));
    }
}

}  // namespace

void MainWindow::TagNewerOrDuplicates() {
    if (CompareChoice->ShowModal(hwnd_) != IDOK) return;
    const bool newer = CompareChoice->NewerMode();
    MessagePanel.SetCaption(CompareMessage(newer));
    {
        ShownPanel panel(MessagePanel);
        WaitCursor wait;
        CompareProgress progress(MessagePanel, newer);
        // Both sides compared as they are shown; the right one read first if it never was.
        ReadFirstTime(side[1]);
        for (Pane& s : side) {
            TakeSelectionAsCurrent(s);
            if (s.TagCount > 0) UntagAll(s);
        }
        std::int64_t steps = 0;
        for (int pass = 0; pass < 2; ++pass) {
            steps = TagPass(*this, side[pass], side[1 - pass], newer, steps, progress);
        }
        LastCompareSteps = steps;
    }
    ShowBox(hwnd_, BoxKind::Information, CompareReport(newer, side[0].TagCount, side[1].TagCount),
            BoxButtons::Ok);
    // The right side first.
    ShowFirstTagged(side[1]);
    ShowFirstTagged(side[0]);
}

}  // namespace bivane
