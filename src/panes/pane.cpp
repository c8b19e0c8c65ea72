// Reading a directory into a pane's list, and the pane's own small moves.
#include "panes/pane.h"

#include "core/paths.h"
#include "platform/copy_temporaries.h"
#include "panes/entry_rules.h"
#include "platform/collate.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "panes/sort_rules.h"

namespace bivane {

namespace {

constexpr DWORD kNotListed = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */;

Entry DirectoryEntry(const std::string& name, bool readOnly) {
    Entry e;
    e.kind = name == ".." ? EntryKind::Parent : EntryKind::Directory;
    e.caption = e.kind == EntryKind::Parent ? "[parent]" : "<" + name + ">";
    e.SetName(name);
    e.sizeText = readOnly ? "<DIR>r" : "<DIR>";
    e.dateText = " ";
    e.mark = 'D';
    e.image = kImageDir;
    return e;
}

}  // namespace

void Pane::Load(const std::string& dir) {
    Pane& s = *this;
    s.Title.SetCaption("Loading...");
    s.Title.Repaint();
    s.TagCount = 0;
    s.CurrentItem = -1;
    WaitCursor wait;
    s.Entries.clear();
    s.List.Reset();

    const LocaleFacts loc = UserLocaleFacts();
    const LocalTimes localTimes;
    std::int64_t total = 0;
    std::int64_t files = 0;
    std::vector<std::string> hiddenTwins;  // hidden names that may read like a listed one
    bool staleCopies = false;
    EnumerateDirectory(dir, [&](const FoundEntry& f) {
        if (f.attributes & kNotListed) {
            if (IsCopyTemporaryName(f.name)) staleCopies = true;
            std::string name = Narrow(f.name);
            if (HasReplacementChar(name)) hiddenTwins.push_back(std::move(name));
            return;
        }
        if (f.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(f.name, L".") == 0) return;
            s.Entries.push_back(DirectoryEntry(Narrow(f.name), f.attributes & FILE_ATTRIBUTE_READONLY));
            return;
        }
        Entry e;
        const std::string name = Narrow(f.name);
        e.caption = FileCaption(name);
        e.SetName(name);
        e.image = UntaggedImage(e.caption);
        e.size = f.size;
        e.sizeText = std::to_string(f.size);
        const LocalTime t = localTimes.Of(f.lastWrite);
        e.dateText = DateText(t, loc);
        e.minute = MinuteStamp(t);
        e.mark = 'N';
        total += f.size;
        ++files;
        s.Entries.push_back(std::move(e));
    });
    MarkTwins(s.Entries, hiddenTwins);
    // A copy that was killed left its hidden temporary here: nobody else will ever remove it.
    if (staleCopies) RemoveStaleTemporaries(dir);

    const std::vector<std::uint32_t> perm = SortPermutation(s.Entries, SortOrder::Name, PlatformCollation());
    std::vector<Entry> sorted;
    sorted.reserve(s.Entries.size());
    for (std::uint32_t i : perm) sorted.push_back(std::move(s.Entries[i]));
    s.Entries = std::move(sorted);
    s.List.Reset();

    if (!s.Entries.empty()) {
        s.List.SetFocused(0);
        s.List.SetSelected(0, true);
        s.CurrentItem = s.List.FirstSelected();
        s.CurrentName = s.Entries[static_cast<size_t>(s.CurrentItem)].caption;
    }
    s.order = SortOrder::Name;
    s.ShowTitle();
    s.Status.SetText(0, DirTotalText(total));
    s.Status.SetText(2, FreeText(DriveFreeBytes(HasDriveLetter(dir) ? dir.substr(0, 2) : dir), loc));
    s.FileCount = files;
    s.Status.SetText(1, FilesText(files));
    s.SortedByName = true;
}

void Pane::UpOneLevel() {
    const std::string dir = Directory();
    if (dir.size() > 3) Tree.SetDirectory(DirectoryPart(dir));
}

void Pane::ShowTitle() {
    Tree.SetDirLabel(&Path);  // fitted to the tree's width as it is now
    Title.SetCaption(Path.Caption() + SortSuffix(order));
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
