// Making a directory, and renaming an entry through the text dialog or in place in the list.
#include "app/Unit1.h"
#include "fileops/get_txt_dialog.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

namespace bivane {

namespace {

// Rename-or-move of a file or directory; fails when the new name exists. The old name is the
// listed one, taken exactly; the new one is read as typed, like any name the user types.
bool RenameEntry(const std::string& from, const std::string& to) {
    return MoveFileW(ExactPath(from).c_str(), Widen(to).c_str()) != 0;
}

void StartRename(Side& s, int item) {
    s.OldName = s.Entries[static_cast<size_t>(item)].caption;
    s.EditedName.clear();
    s.RenamePending = true;
}

}  // namespace

void TForm1::MakeNewDirectory() {
    Side& s = Active();
    const std::string dir = s.Tree.Directory();
    ChangeDir(dir);
    GetTxt->Prepare("Enter name for new directory", "Current directory: " + dir);
    if (GetTxt->ShowModal(hwnd_) != IDOK) return;
    const std::string name = GetTxt->Text();
    if (name.empty()) return;
    if (!CreateDirectoryW(Widen(name).c_str(), nullptr)) {
        ShowBox(hwnd_, BoxKind::Error, "Error creating diectory\r" + name, BoxButtons::Ok);
    }
    // The blank directory makes the tree read the same directory again, which reloads the side.
    s.Tree.SetDirectory(" ");
    s.Tree.SetDirectory(dir);
}

void TForm1::SpeedButton3Click() {
    SetSide1Active();
    MakeNewDirectory();
}

void TForm1::SpeedButton4Click() {
    SetSide2Active();
    MakeNewDirectory();
}

void TForm1::Rename1Click() {
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(RenameCommandRunning);
    DoRename(MenuItem::Rename1);
}

void TForm1::DoRename(MenuItem sender) {
    Side& s = Active();
    int item = s.List.FirstSelected();
    if (item < 0) item = s.CurrentItem;
    if (item < 0 || item >= static_cast<int>(s.Entries.size())) return;  // an empty list: nothing to rename
    StartRename(s, item);
    const std::string caption = s.OldName;
    if (IsDirEntry(caption)) {
        GetTxt->Prepare("Enter new directory name", "Current directory name: " + StripDirBrackets(caption));
    } else {
        GetTxt->Prepare("Enter new file name", "Current file name: " + caption);
    }
    std::string text;
    if (GetTxt->ShowModal(hwnd_) == IDOK) text = GetTxt->Text();
    if (text.empty()) {
        s.RenamePending = false;
        return;
    }
    if (&s == &side[0]) ListView1Edited(sender, item, text); else ListView2Edited(sender, item, text);
    SetEntryCaption(s, item, text);
}

void TForm1::ListView1Editing(int item) { StartRename(side[0], item); }
void TForm1::ListView2Editing(int item) { StartRename(side[1], item); }

void TForm1::ListView1Edited(MenuItem, int item, std::string& s) { FinishRename(side[0], item, s); }
void TForm1::ListView2Edited(MenuItem, int item, std::string& s) { FinishRename(side[1], item, s); }

void TForm1::FinishRename(Side& s, int item, std::string& text) {
    if (!s.OldName.empty() && s.OldName[0] == '[') {  // the parent entry cannot be renamed
        text = s.OldName;
        s.RenamePending = false;
        return;
    }
    std::string oldName = s.OldName;
    std::string newName = text;
    const bool dir = IsDirEntry(oldName);
    if (dir) {
        oldName = StripDirBrackets(oldName);
        newName = StripDirBrackets(newName);
    }
    if (!RenameEntry(oldName, newName)) {
        ShowBox(hwnd_, BoxKind::Error, "Can't rename '" + oldName + "'" + "\r" + "to '" + text + "'", BoxButtons::Ok);
        text = s.OldName;
        s.EditedName.clear();
        s.RenamePending = false;
        return;
    }
    if (dir) text = "<" + newName + ">";
    s.EditedName = text;
    s.CurrentItem = item;
    if (EqualsIgnoreAsciiCase(side[0].Tree.Directory(), side[1].Tree.Directory())) {
        const bool wasLeft = LeftActive;
        LeftActive = &s != &side[0];  // names the other side
        LoadLeftSide();
        LeftActive = wasLeft;
    }
    // RenamePending stays set: the change report of the new caption completes the rename.
}

}  // namespace bivane
