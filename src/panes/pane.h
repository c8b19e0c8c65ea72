// One side of the window: its list, directory tree, drive selector, title, status bar and the
// state of what it shows. Index 0 of the main window's side array is the left pane, 1 the right one.
#pragma once
#include <cstdint>
#include <memory>
#include <functional>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "controls/file_list.h"
#include "core/entry.h"
#include "panes/dir_tree.h"
#include "panes/drive_combo.h"
#include "panes/folder_follow.h"
#include "panes/listing.h"
#include "panes/sort_rules.h"
#include "platform/win.h"

namespace bivane {

class Pane {
public:
    // The directory the pane shows, as its tree holds it.
    const std::string& Directory() const { return Tree.Directory(); }
    // Reads dir into the list, sorted by name, the first entry selected; the title and status
    // bar say what was read. Nothing else changes: no current directory, no other pane.
    void Load(const std::string& dir);
    // Shows listing, read again from the folder shown, keeping what the user has: the tags of
    // the files still there, the selection, the current and focused entries (by exact name; when
    // one is gone, the entry now in its place), the scroll position and the order. The status
    // bar's Dir and Free panels and FileCount follow; the tag panel is the caller's.
    void ShowKeepingState(Listing listing);
    // The same for the names that changed (the follower looked at each): only they move. The
    // folder tree reads its subfolders again when a folder came, went or changed.
    void ShowChanges(const std::vector<NameChange>& changes);
    // Lists entries found by a search, each named by its path below the folder shown, instead of
    // the folder's own; the title says title. A load (Ctrl+R, another folder) ends it.
    void ShowFound(std::vector<Entry> found, const std::string& title);
    bool ShowsFound() const { return !FoundTitle.empty(); }
    // The entries found that are still there as they were found; the others go.
    void KeepFoundThatAreThere(const std::function<bool(const Entry&)>& there);
    // The tree moves to the parent directory (and the list follows); a root stays.
    void UpOneLevel();
    bool TreeShown() const;
    void ToggleTree();
    // The row the list shows focused, or -1.
    int Focused() const { return List.Focused(); }
    // The title: the directory shortened to the tree's width, and the order's suffix.
    void ShowTitle();
    // The entry commands take as current, or null when there is none.
    const Entry* Current() const;
    // The focused entry becomes the current one (CurrentItem, CurrentName): a key or command
    // always acts on the row the user sees focused. False when no row is focused.
    bool FollowFocus();

    // State
    std::vector<Entry> Entries;
    std::uint64_t LoadCount = 0;  // counts the loads: an answer about an older listing is dropped
    int CurrentItem = -1;  // index into Entries, -1 for none
    std::string CurrentName;
    std::int64_t FileCount = 0;
    std::int64_t DirBytes = 0;  // what the status bar's Dir panel says
    std::int64_t TagCount = 0;
    std::int64_t TagBytes = 0;
    SortOrder order = SortOrder::Name;  // what the title's suffix says
    bool RenamePending = false;
    std::string OldName;
    std::string EditedName;
    // The entry being renamed changed on the disk since it was listed: read the side again once
    // the rename has put the caption back (a reload inside it would leave it a stale row).
    bool ReloadAfterRename = false;
    // tags/: on while a sort carries selection and focus along; the list's reports are no changes
    bool Reordering = false;
    // The title's note that the folder shown before went, e.g. "(Sub is gone)"; a load clears it.
    std::string GoneNote;
    // The folder shown could be listed only in part (Listing::readError): its title says so.
    bool ReadInPart = false;
    // What a side listing a search's results says in its title; empty for a folder's own listing.
    std::string FoundTitle;

    // Controls
    FileListView List;
    Panel Title;
    StatusBar Status;
    DriveComboBox Drive;
    DirectoryListBox Tree;
    PathLabel Path;
    HWND ShowTree = nullptr;  // the button that shows or hides the tree
    HWND NewDir = nullptr;    // "Create new directory"
    HWND UpLevel = nullptr;   // "Up one level"
    HWND GoTo = nullptr;      // the GoTo check box: letters search instead of running commands

    // Follows the folder shown; owned, with every other thread, by the window's BackgroundWork.
    FolderFollower* Follower = nullptr;

private:
    void ShowFigures(const Listing& listing);
};

}  // namespace bivane
