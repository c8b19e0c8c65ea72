// Making a directory, and renaming an entry through the text dialog or in place in the list.
#include "form/main_window.h"
#include "fileops/copy_rules.h"
#include "panes/reach.h"
#include "core/scoped_flag.h"
#include "fileops/text_dialog.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/modal_seam.h"
#include "platform/removal.h"
#include "platform/utf.h"

namespace bivane {

namespace {

// A typed name is read in the side's directory (a full path stays as it is), never against
// whatever directory happens to be current.
std::string TypedPath(const std::string& dir, const std::string& typed) {
    const bool full = HasDriveLetter(typed) || (!typed.empty() && typed[0] == '\\');
    return full ? typed : JoinPathRootAware(dir, typed);
}

// The name the file system gave the entry at path (it drops a trailing dot or space of a typed
// name, for one); empty when it cannot tell.
std::string StoredName(const std::string& path) {
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW(Widen(path).c_str(), &fd));
    return find ? Narrow(fd.cFileName) : std::string();
}

// Whether path names an entry directly inside dir.
bool DirectlyIn(const std::string& dir, const std::string& path) {
    if (path.find('\\') == std::string::npos) return false;
    return EqualsIgnoreAsciiCase(ExpandPath(DirectoryPart(path)), ExpandPath(dir));
}

// A new name that differs only in letter case goes through a temporary name; any other, straight.
bool Rename(const std::wstring& from, const std::string& dir, const std::string& to, const std::string& oldName,
            const std::string& newName) {
    if (oldName != newName && DirectlyIn(dir, to) && FoldedName(Widen(oldName)) == FoldedName(Widen(newName))) {
        return RenameLetterCase(from, EntryPath(dir, newName));
    }
    return MoveFileExW(from.c_str(), Widen(to).c_str(), 0) != 0;
}

// A rename that did not happen: the caption as it was, nothing pending.
void PutBack(Pane& s, std::string& text) {
    text = s.OldName;
    s.EditedName.clear();
    s.RenamePending = false;
}

void StartRename(Pane& s, int item) {
    s.OldName = s.Entries[static_cast<size_t>(item)].caption;
    s.EditedName.clear();
    s.RenamePending = true;
}

}  // namespace

void MainWindow::MakeNewDirectory(Pane& s) {
    const std::string dir = s.Tree.Directory();
    RequireDirectory(dir);
    TextPrompt->Prepare("Enter name for new directory", "Current directory: " + dir);
    if (TextPrompt->ShowModal(hwnd_) != IDOK) return;
    const std::string name = TextPrompt->Text();
    if (name.empty()) return;
    if (!CreateDirectoryW(Widen(TypedPath(dir, name)).c_str(), nullptr)) {
        ShowBox(hwnd_, BoxKind::Error, "Error creating diectory\r" + name, BoxButtons::Ok);
    }
    s.Tree.Reread();  // which reloads the side
}

void MainWindow::MakeDirectoryIn(Pane& pane) {
    Activate(pane);
    MakeNewDirectory(pane);
}

void MainWindow::RenameCurrent(Pane& s) {
    ScopedFlag running(RenameCommandRunning);
    RenameThroughDialog(s);
}

void MainWindow::RenameThroughDialog(Pane& s) {
    if (s.ShowsFound()) return RefuseRenameOfFound();
    int item = s.List.FirstSelected();
    if (item < 0) item = s.CurrentItem;
    if (item < 0 || item >= static_cast<int>(s.Entries.size())) return;  // an empty list: nothing to rename
    StartRename(s, item);
    const std::string caption = s.OldName;
    if (!s.Entries[static_cast<size_t>(item)].IsFile()) {
        TextPrompt->Prepare("Enter new directory name", "Current directory name: " + StripDirBrackets(caption));
    } else {
        TextPrompt->Prepare("Enter new file name", "Current file name: " + caption);
    }
    std::string text;
    if (TextPrompt->ShowModal(hwnd_) == IDOK) text = TextPrompt->Text();
    if (text.empty()) {
        s.RenamePending = false;
        return;
    }
    FinishRename(s, item, text);
    SetEntryCaption(s, item, text);
    ReloadIfRenameFoundAChange(s);
}

void MainWindow::ReloadIfRenameFoundAChange(Pane& s) {
    if (!s.ReloadAfterRename) return;
    s.ReloadAfterRename = false;
    RequireDirectory(s.Directory());
    Reload(s);
}

void MainWindow::RenameStarted(Pane& pane, int item) { StartRename(pane, item); }

// A search's result lies in a folder of its own, below the side's: a new name typed here would
// move it into the side's folder.
void MainWindow::RefuseRenameOfFound() {
    ShowBox(hwnd_, BoxKind::Information,
            "A file found by a search is renamed in its own folder: go there first (Enter on it in Find Files).",
            BoxButtons::Ok);
}

void MainWindow::FinishRename(Pane& s, int item, std::string& text) {
    Entry& entry = s.Entries[static_cast<size_t>(item)];
    if (entry.kind == EntryKind::Parent || s.ShowsFound()) {  // the parent entry cannot be renamed
        text = s.OldName;
        s.RenamePending = false;
        if (s.ShowsFound()) RefuseRenameOfFound();
        return;
    }
    std::string oldName = s.OldName;
    std::string newName = text;
    const bool dir = entry.kind == EntryKind::Directory;
    if (dir) {
        oldName = StripDirBrackets(oldName);
        newName = StripDirBrackets(newName);
    }
    if (!Reachable(hwnd_, entry)) {
        PutBack(s, text);
        return;
    }
    // The entry by its own name in the side's directory; a link only where the system renames the
    // link and not what it points to.
    const std::string sideDir = s.Tree.Directory();
    // A file that became a folder or link is left alone; one that is gone fails as any rename would.
    const DiskKind now = KindNow(EntryPath(sideDir, entry.Name()));
    if (now != DiskKind::Missing && !StillAsListed(entry, now)) {
        ShowBox(hwnd_, BoxKind::Warning, ChangedText({{entry.caption, now}}), BoxButtons::Ok);
        PutBack(s, text);
        s.ReloadAfterRename = true;
        return;
    }
    const std::wstring from = EntryPath(sideDir, entry.Name());
    const std::string to = TypedPath(sideDir, newName);
    if (dir && !FolderFreeOfJobs(JoinPathRootAware(sideDir, entry.Name()))) {
        PutBack(s, text);
        return;
    }
    // No reader of the program holds a folder open meanwhile (see BackgroundWork).
    const std::optional<BackgroundWork::Paused> paused = PauseBackgroundReaders();
    if (!ActsOnItself(from) || !Rename(from, sideDir, to, entry.Name(), newName)) {
        ShowBox(hwnd_, BoxKind::Error, "Can't rename '" + oldName + "'" + "\r" + "to '" + text + "'", BoxButtons::Ok);
        PutBack(s, text);
        return;
    }
    // Show and keep the name the entry really got.
    if (DirectlyIn(sideDir, to)) {
        const std::string stored = StoredName(to);
        if (!stored.empty() && stored != newName) {
            newName = stored;
            if (!dir) text = stored;
        }
    }
    // Kept as the entry's own: the caption about to be set is the typed text, not the name's
    // spelling. An entry moved elsewhere keeps a name with a folder part, which nothing reaches.
    if (dir) text = "<" + newName + ">";
    entry.caption = text;
    entry.SetName(newName);
    s.EditedName = text;
    s.CurrentItem = item;
    if (EqualsIgnoreAsciiCase(side[0].Tree.Directory(), side[1].Tree.Directory())) {
        Reload(IsLeft(s) ? side[1] : side[0]);
    }
    // RenamePending stays set: the change report of the new caption completes the rename.
}

}  // namespace bivane
