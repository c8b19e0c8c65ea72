// Reading a directory into a pane's list, and the pane's own small moves.
#include "panes/pane.h"

#include "core/paths.h"
#include "panes/entry_rules.h"
#include "panes/listing.h"
#include "panes/sort_rules.h"
#include "platform/copy_temporaries.h"
#include "platform/fs.h"

namespace bivane {

void Pane::Load(const std::string& dir) {
    Pane& s = *this;
    s.Title.SetCaption("Loading...");
    s.Title.Repaint();
    s.TagCount = 0;
    s.CurrentItem = -1;
    s.GoneNote.clear();
    s.FoundTitle.clear();
    ++s.LoadCount;
    if (s.Follower) {
        s.Follower->Follow(dir);
        s.Follower->Loaded();
    }
    WaitCursor wait;
    s.Entries.clear();
    s.List.Reset();

    std::optional<Listing> ahead = TakeListingAhead(dir);
    Listing listing = ahead ? std::move(*ahead) : ReadListing(dir);
    // A copy that was killed left its hidden temporary here: nobody else will ever remove it.
    if (listing.staleCopies) RemoveStaleTemporaries(dir);
    s.Entries = std::move(listing.entries);
    if (s.Follower) s.Follower->Known(dir, s.Entries);
    s.List.Reset();

    if (!s.Entries.empty()) {
        s.List.SetFocused(0);
        s.List.SetSelected(0, true);
        s.CurrentItem = s.List.FirstSelected();
        s.CurrentName = s.Entries[static_cast<size_t>(s.CurrentItem)].caption;
    }
    s.order = SortOrder::Name;
    s.ShowTitle();
    ShowFigures(listing);
    s.Status.SetText(1, FilesText(listing.files));
}

void Pane::ShowFound(std::vector<Entry> found, const std::string& title) {
    ++LoadCount;  // answers about the folder's own listing are dropped
    Entries = std::move(found);
    List.Reset();
    TagCount = 0;
    CurrentItem = -1;
    CurrentName.clear();
    GoneNote.clear();
    FoundTitle = title;
    FileCount = 0;
    DirBytes = 0;
    for (const Entry& e : Entries) {
        if (!e.IsFile()) continue;
        ++FileCount;
        DirBytes += e.size;
    }
    if (!Entries.empty()) {
        List.SetFocused(0);
        List.SetSelected(0, true);
        CurrentItem = 0;
        CurrentName = Entries[0].caption;
    }
    ShowTitle();
    Status.SetText(0, DirTotalText(DirBytes));
    Status.SetText(1, FilesText(FileCount));
}

void Pane::KeepFoundThatAreThere(const std::function<bool(const Entry&)>& there) {
    const std::string current = CurrentItem >= 0 && CurrentItem < static_cast<int>(Entries.size())
                                    ? Entries[static_cast<std::size_t>(CurrentItem)].Name()
                                    : std::string();
    std::vector<Entry> kept;
    for (Entry& e : Entries) {
        if (there(e)) kept.push_back(std::move(e));
    }
    std::string title = FoundTitle;
    const SortOrder was = order;
    ShowFound(std::move(kept), title);
    order = was;
    ShowTitle();
    for (std::size_t i = 0; i < Entries.size(); ++i) {
        if (Entries[i].Name() != current) continue;
        List.SetSelected(0, false);
        List.SetFocused(static_cast<int>(i));
        List.SetSelected(static_cast<int>(i), true);
        CurrentItem = static_cast<int>(i);
        CurrentName = Entries[i].caption;
    }
}

void Pane::ShowFigures(const Listing& listing) {
    const std::string& dir = listing.dir;
    Status.SetText(0, DirTotalText(listing.totalBytes));
    Status.SetText(2, FreeText(DriveFreeBytes(HasDriveLetter(dir) ? dir.substr(0, 2) : dir), UserLocaleFacts()));
    FileCount = listing.files;
    DirBytes = listing.totalBytes;
    if (ReadInPart != (listing.readError != 0)) {
        ReadInPart = listing.readError != 0;
        ShowTitle();
    }
}

void Pane::UpOneLevel() {
    const std::string dir = Directory();
    if (dir.size() > 3) Tree.SetDirectory(DirectoryPart(dir));
}

void Pane::ShowTitle() {
    Tree.SetDirLabel(&Path);  // fitted to the tree's width as it is now
    if (ShowsFound()) return Title.SetCaption(FoundTitle + SortSuffix(order));
    std::string caption = Path.Caption() + SortSuffix(order);
    if (!GoneNote.empty()) caption += " " + GoneNote;
    // A listing cut short by an error shows some names as if they were all: the user must know.
    if (ReadInPart) caption += " (read in part)";
    Title.SetCaption(caption);
}

bool Pane::TreeShown() const { return IsShown(Tree.Handle()); }

void Pane::ToggleTree() { Tree.Show(!TreeShown()); }

bool Pane::FollowFocus() {
    const int focused = Focused();
    if (focused < 0 || focused >= static_cast<int>(Entries.size())) return false;
    CurrentItem = focused;
    CurrentName = Entries[static_cast<size_t>(focused)].caption;
    return true;
}

const Entry* Pane::Current() const {
    if (CurrentItem < 0 || CurrentItem >= static_cast<int>(Entries.size())) return nullptr;
    return &Entries[static_cast<size_t>(CurrentItem)];
}

}  // namespace bivane
