// The lists follow the disk: a side whose folder another program changed is read again by itself,
// keeping what the user has; one whose folder went moves up to a folder that is there.
#include "form/main_window.h"

#include "core/paths.h"
#include "platform/fs.h"
#include "tags/tag_rules.h"

namespace bivane {

namespace {

void ShowTagTotals(Pane& s) {
    const TagTotals t = CountTagged(s.Entries);
    s.TagCount = t.count;
    if (t.count > 0) s.TagBytes = t.bytes;  // untagged, the byte total keeps its last value, as after a load
    s.Status.SetText(1, TagPanelText(t.bytes, t.count, s.FileCount));
}

}  // namespace

// A command, a dialog or a message box runs (their loops pass the news on), or a name is being
// edited in place: the list is not pulled from under them.
bool MainWindow::FollowHeld() const {
    if (HandlerDepth > 1 || RenameCommandRunning || !IsWindowEnabled(hwnd_)) return true;
    for (const Pane& s : side) {
        if (SendMessageW(s.List.Handle(), LVM_GETEDITCONTROL, 0, 0) != 0) return true;
    }
    return false;
}

void MainWindow::FollowDisk(Pane& s) {
    if (s.Follower) s.Follower->Taken();  // a change from now on is told again
    if (FollowHeld()) {
        FollowPending[IndexOf(s)] = true;
        SetTimer(hwnd_, kFollowRetryTimer, 100, nullptr);
        return;
    }
    FollowPending[IndexOf(s)] = false;
    const std::string dir = s.Directory();
    std::optional<Listing> read;
    std::vector<NameChange> changes;
    const FolderFollower::News news = s.Follower ? s.Follower->TakeListing(read, &changes) : FolderFollower::News::Unread;
    if (dir.empty() || (!IsLeft(s) && RightUnloaded) || s.ShowsFound()) return;
    if (DirectoryError(dir) != 0) return LeaveGoneFolder(s);
    // Nothing read, or a reading older than the side's own last load: there is nothing newer to
    // show. The window reads the folder only where the follower could not.
    if (news == FolderFollower::News::None || (read && read->dir != dir)) return;
    if (news == FolderFollower::News::Changes) {
        s.ShowChanges(changes);  // by name: the folder is not read again
        ++FollowChanges;
    } else {
        s.ShowKeepingState(read ? std::move(*read) : ReadListing(dir));
        ++FollowReloads;
    }
    ShowTagTotals(s);
    FitAllColumns();
}

void MainWindow::FollowHeldSides() {
    KillTimer(hwnd_, kFollowRetryTimer);
    for (Pane& s : side) {
        if (FollowPending[IndexOf(s)]) FollowDisk(s);
    }
}

void MainWindow::LeaveGoneFolder(Pane& s) {
    const std::string gone = s.Directory();
    std::string dir = gone;
    while (DirectoryError(dir) != 0 && DirectoryPart(dir) != dir) dir = DirectoryPart(dir);
    // Appended, not one "(" + ... expression: GCC 12 at -O3 takes that for an overlapping copy.
    std::string note = "(";
    note += FileNamePart(gone);
    note += " is gone)";
    bool moved = false;
    if (DirectoryError(dir) == 0) {
        try {
            s.Tree.SetDirectory(dir);  // the list follows its tree, and the active side's directory
            moved = true;
        } catch (const std::exception&) {
            // Gone too, just now: no message for a change on the disk.
        }
    }
    if (!moved) LoadSide(s, gone);  // the drive itself went: an empty list, until it comes back
    s.GoneNote = note;
    s.ShowTitle();
}

}  // namespace bivane
