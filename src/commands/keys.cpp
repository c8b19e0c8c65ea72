// The keyboard command map of both lists. Every key acts on the active side, whichever list
// received it.
#include "form/main_window.h"
#include "fileops/copy_rules.h"
#include "core/scoped_flag.h"
#include "panes/entry_rules.h"

namespace bivane {

namespace {

// The letters that are commands while the active side's GoTo box is unchecked.
struct LetterCommand {
    WORD key;
    void (*run)(TForm1&);
};

const LetterCommand kLetterCommands[] = {
    {'A', [](TForm1& f) { f.ShowAbout(); }},
    {'C', [](TForm1& f) { f.RunFileCommand(ConfirmMode::Copy); }},
    {'D', [](TForm1& f) { f.RunFileCommand(ConfirmMode::Delete); }},
    {'H', [](TForm1& f) { f.ShowHelp(); }},
    {'I', [](TForm1& f) { f.InvertTags(); }},
    {'M', [](TForm1& f) { f.RunFileCommand(ConfirmMode::Move); }},
    {'Q', [](TForm1& f) { f.Exit(); }},
    {'R', [](TForm1& f) { f.RenameCurrent(); }},
    {'S', [](TForm1& f) { f.ShowInViewer(); }},
    {'T', [](TForm1& f) { f.TagAll(); }},
    {'U', [](TForm1& f) { f.UntagAll(); }},
};

// The combinations that work in both GoTo modes. Each compares the whole shift state.
bool RunCombination(TForm1& f, WORD key, TShiftState shift) {
    if (shift == ssAlt && key == 'G') {
        Pane& s = f.Active();
        f.SetGoToChecked(s, !f.GoToChecked(s));
    } else if (shift == ssAlt && key == 'T') {
        f.TagNewerOrDuplicates();
    } else if (shift == ssCtrl && key == 'E') {
        f.PromptCommandLine();
    } else if (shift == ssCtrl && key == 'P') {
        f.PrintListing();
    } else {
        return false;
    }
    return true;
}

// Z sizes the current folder, Shift alone with it every folder listed; any other shift state
// counts as plain Z, as with the other letters.
bool RunFolderSizeKey(TForm1& f, WORD key, TShiftState shift) {
    if (key != 'Z') return false;
    f.SizeFolders(shift == ssShift);
    return true;
}

bool RunLetter(TForm1& f, WORD key) {
    for (const LetterCommand& c : kLetterCommands) {
        if (c.key == key) {
            c.run(f);
            return true;
        }
    }
    return false;
}


// The keys of both modes, first matching row only. Every test reads the key as it came in,
// so a command that changes the active side cannot make a second row run.
void RunKeyRow(TForm1& f, WORD key, TShiftState shift) {
    Pane& s = f.Active();
    const int item = s.CurrentItem;
    const bool hasItem = item >= 0 && item < static_cast<int>(s.Entries.size());
    const bool onDir = hasItem && !s.Entries[static_cast<size_t>(item)].IsFile();

    if (key == VK_DECIMAL || key == VK_MULTIPLY) {
        f.UpOneLevel(s);
    } else if (key == VK_RETURN && onDir) {
        f.EnterDirectory(item, s);
    } else if (key == VK_LEFT && &s == &f.side[1]) {
        f.Activate(f.side[0]);
    } else if (key == VK_RIGHT && &s == &f.side[0]) {
        f.Activate(f.side[1]);
    } else if (key == VK_DELETE) {
        f.RunFileCommand(ConfirmMode::Delete);
    } else if (key == VK_ESCAPE) {
        f.StopFolderSizes();
    } else if (key == VK_SPACE) {
        f.Activate(f.OtherThan(s));
    } else if (key == VK_F1) {
        f.MakeNewDirectory();
    } else if (key == VK_F2 && onDir) {
        ScopedFlag scope(f.DirDeleteRequest);  // on only for the one delete call that F2 makes
        f.RunFileCommand(ConfirmMode::Delete);
    } else if (key == VK_F3 && shift != ssAlt && onDir) {
        f.EnterDirectory(item, f.side[0]);
    } else if (key == VK_F4 && shift != ssAlt && onDir) {
        f.EnterDirectory(item, f.side[1]);
    } else if (key == VK_F5) {
        f.Activate(f.side[0]);
        SetFocus(f.side[0].Drive.Handle());
    } else if (key == VK_F6) {
        f.Activate(f.side[1]);
        SetFocus(f.side[1].Drive.Handle());
    } else if (key == VK_F7) {
        if (shift == ssShift) f.SortBySize(); else f.SortByName();
        f.LocateCurrent();
    } else if (key == VK_F8) {
        if (shift == ssShift) f.SortByDate(); else f.SortByExt();
        f.LocateCurrent();
    } else if ((key == VK_F9 || key == VK_SUBTRACT) && shift != ssShift) {
        f.ToggleTag(item, false);
    } else if ((key == VK_F10 || key == VK_ADD) && shift != ssShift) {
        f.ToggleTag(item, true);
    }
}

}  // namespace

void TForm1::ListKeyDown(WORD& key, TShiftState shift) {
    Pane& s = Active();
    if (s.RenamePending) return;
    if (RunCombination(*this, key, shift)) return;
    if (!GoToChecked(s) && (RunFolderSizeKey(*this, key, shift) || RunLetter(*this, key))) return;
    RunKeyRow(*this, key, shift);
    // The list would otherwise move on F10 and keypad plus itself.
    if (key == VK_F10 || key == VK_ADD) key = 0;
}

void TForm1::ListKeyPress(wchar_t& ch) {
    // The character of the very R key press that started the rename arrives while its dialog is open.
    if (RenameCommandRunning && ch == L'r') ch = 0;
    const Pane& s = Active();
    if (s.RenamePending || GoToChecked(s)) return;
    ch = 0;
}

}  // namespace bivane
