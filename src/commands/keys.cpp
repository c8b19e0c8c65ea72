// The keyboard command map of both lists. Every key acts on the active side, whichever list
// received it.
#include "form/main_window.h"
#include "fileops/copy_rules.h"
#include "core/scoped_flag.h"
#include "panes/entry_rules.h"
#include "commands/key_map.h"

namespace bivane {

namespace {

// The letters that are commands while the active side's GoTo box is unchecked.
struct LetterCommand {
    WORD key;
    void (*run)(MainWindow&);
};

const LetterCommand kLetterCommands[] = {
    {'A', [](MainWindow& f) { f.ShowAbout(); }},
    {'C', [](MainWindow& f) { f.RunFileCommand(ConfirmMode::Copy, f.Active()); }},
    {'D', [](MainWindow& f) { f.RunFileCommand(ConfirmMode::Delete, f.Active()); }},
    {'H', [](MainWindow& f) { f.ShowHelp(); }},
    {'I', [](MainWindow& f) { f.InvertTags(f.Active()); }},
    {'M', [](MainWindow& f) { f.RunFileCommand(ConfirmMode::Move, f.Active()); }},
    {'Q', [](MainWindow& f) { f.Exit(); }},
    {'R', [](MainWindow& f) { f.RenameCurrent(f.Active()); }},
    {'S', [](MainWindow& f) { f.ShowInViewer(f.Active()); }},
    {'T', [](MainWindow& f) { f.TagAll(f.Active()); }},
    {'U', [](MainWindow& f) { f.UntagAll(f.Active()); }},
};

// The pop-up menu's two shortcuts: taken before the key map, also while a rename is under way.
struct MenuShortcutKey {
    WORD key;
    void (*run)(MainWindow&);
};

const MenuShortcutKey kMenuShortcutKeys[] = {
    {'R', [](MainWindow& f) { f.Reread(f.Active()); }},
    {'T', [](MainWindow& f) { f.CompareSides(); }},
};

// The combinations that work in both GoTo modes. Each compares the whole shift state.
struct Combination {
    TShiftState shift;
    WORD key;
    void (*run)(MainWindow&);
};

const Combination kCombinations[] = {
    {ssAlt, 'G', [](MainWindow& f) { f.SetGoToChecked(f.Active(), !f.GoToChecked(f.Active())); }},
    {ssAlt, 'T', [](MainWindow& f) { f.TagNewerOrDuplicates(); }},
    {ssCtrl, 'E', [](MainWindow& f) { f.PromptCommandLine(f.Active()); }},
    {ssCtrl, 'P', [](MainWindow& f) { f.PrintListing(f.Active()); }},
    {ssCtrl, 'J', [](MainWindow& f) { f.ShowJobs(); }},
    {ssCtrl, 'F', [](MainWindow& f) { f.ShowFindFiles(f.Active()); }},
    {ssCtrl, 'Y', [](MainWindow& f) { f.ShowSynchronize(); }},
};

bool RunCombination(MainWindow& f, WORD key, TShiftState shift) {
    for (const Combination& c : kCombinations) {
        if (c.shift == shift && c.key == key) {
            c.run(f);
            return true;
        }
    }
    return false;
}

// Z sizes the current folder, Shift alone with it every folder listed; any other shift state
// counts as plain Z, as with the other letters.
bool RunFolderSizeKey(MainWindow& f, WORD key, TShiftState shift) {
    if (key != 'Z') return false;
    f.SizeFolders(f.Active(), shift == ssShift);
    return true;
}

bool RunLetter(MainWindow& f, WORD key) {
    for (const LetterCommand& c : kLetterCommands) {
        if (c.key == key) {
            c.run(f);
            return true;
        }
    }
    return false;
}

// The keys of both modes. A row runs when its key came with a shift state it takes and, for
// rows that need one, the cursor is on a directory entry; then no later row runs.
enum class Shifts { Any, NotAlt, NotShift, ShiftOnly };
struct KeyRow {
    WORD key;
    Shifts shifts;
    bool onDir;
    const char* help;  // the key as the help names it
    // What it does to the active side s, whose current entry is item; false: not on this side.
    bool (*run)(MainWindow& f, Pane& s, int item);
};

bool Takes(Shifts shifts, TShiftState shift) {
    switch (shifts) {
        case Shifts::NotAlt: return shift != ssAlt;
        case Shifts::NotShift: return shift != ssShift;
        case Shifts::ShiftOnly: return shift == ssShift;
        case Shifts::Any: break;
    }
    return true;
}

bool Sorted(MainWindow& f, Pane& s, void (MainWindow::*sort)(Pane&)) {
    (f.*sort)(s);
    f.LocateCurrent(s);
    return true;
}

const KeyRow kKeyRows[] = {
    {VK_DECIMAL, Shifts::Any, false, "keypad <kbd>.</kbd>", [](MainWindow& f, Pane& s, int) { f.UpOneLevel(s); return true; }},
    {VK_MULTIPLY, Shifts::Any, false, "<kbd>*</kbd>", [](MainWindow& f, Pane& s, int) { f.UpOneLevel(s); return true; }},
    {VK_RETURN, Shifts::Any, true, "<kbd>Enter</kbd>", [](MainWindow& f, Pane& s, int item) { f.EnterDirectory(s, item, s); return true; }},
    {VK_LEFT, Shifts::Any, false, "<kbd>&larr;</kbd>",
     [](MainWindow& f, Pane& s, int) { return &s == &f.side[1] && (f.Activate(f.side[0]), true); }},
    {VK_RIGHT, Shifts::Any, false, "<kbd>&rarr;</kbd>",
     [](MainWindow& f, Pane& s, int) { return &s == &f.side[0] && (f.Activate(f.side[1]), true); }},
    {VK_DELETE, Shifts::Any, false, "<kbd>Delete</kbd>", [](MainWindow& f, Pane& s, int) { f.RunFileCommand(ConfirmMode::Delete, s); return true; }},
    {VK_ESCAPE, Shifts::Any, false, "<kbd>Escape</kbd>", [](MainWindow& f, Pane&, int) { f.StopFolderSizes(); return true; }},
    {VK_SPACE, Shifts::Any, false, "<kbd>Space</kbd>", [](MainWindow& f, Pane& s, int) { f.Activate(f.OtherThan(s)); return true; }},
    {VK_F1, Shifts::Any, false, "<kbd>F1</kbd>", [](MainWindow& f, Pane& s, int) { f.MakeNewDirectory(s); return true; }},
    {VK_F2, Shifts::Any, true, "<kbd>F2</kbd>",
     [](MainWindow& f, Pane& s, int) {
         ScopedFlag scope(f.DirDeleteRequest);  // on only for the one delete call that F2 makes
         f.RunFileCommand(ConfirmMode::Delete, s);
         return true;
     }},
    {VK_F3, Shifts::NotAlt, true, "<kbd>F3</kbd>", [](MainWindow& f, Pane& s, int item) { f.EnterDirectory(s, item, f.side[0]); return true; }},
    {VK_F4, Shifts::NotAlt, true, "<kbd>F4</kbd>", [](MainWindow& f, Pane& s, int item) { f.EnterDirectory(s, item, f.side[1]); return true; }},
    {VK_F5, Shifts::Any, false, "<kbd>F5</kbd>",
     [](MainWindow& f, Pane&, int) {
         f.Activate(f.side[0]);
         SetFocus(f.side[0].Drive.Handle());
         return true;
     }},
    {VK_F6, Shifts::Any, false, "<kbd>F6</kbd>",
     [](MainWindow& f, Pane&, int) {
         f.Activate(f.side[1]);
         SetFocus(f.side[1].Drive.Handle());
         return true;
     }},
    {VK_F7, Shifts::ShiftOnly, false, "<kbd>Shift+F7</kbd>", [](MainWindow& f, Pane& s, int) { return Sorted(f, s, &MainWindow::SortBySize); }},
    {VK_F7, Shifts::Any, false, "<kbd>F7</kbd>", [](MainWindow& f, Pane& s, int) { return Sorted(f, s, &MainWindow::SortByName); }},
    {VK_F8, Shifts::ShiftOnly, false, "<kbd>Shift+F8</kbd>", [](MainWindow& f, Pane& s, int) { return Sorted(f, s, &MainWindow::SortByDate); }},
    {VK_F8, Shifts::Any, false, "<kbd>F8</kbd>", [](MainWindow& f, Pane& s, int) { return Sorted(f, s, &MainWindow::SortByExt); }},
    {VK_F9, Shifts::NotShift, false, "<kbd>F9</kbd>", [](MainWindow& f, Pane& s, int item) { f.ToggleTag(s, item, false); return true; }},
    {VK_SUBTRACT, Shifts::NotShift, false, "keypad <kbd>-</kbd>", [](MainWindow& f, Pane& s, int item) { f.ToggleTag(s, item, false); return true; }},
    {VK_F10, Shifts::NotShift, false, "<kbd>F10</kbd>", [](MainWindow& f, Pane& s, int item) { f.ToggleTag(s, item, true); return true; }},
    {VK_ADD, Shifts::NotShift, false, "keypad <kbd>+</kbd>", [](MainWindow& f, Pane& s, int item) { f.ToggleTag(s, item, true); return true; }},
};

// The first row that takes the key, as it came in: a command that changes the active side
// cannot make a second row run.
void RunKeyRow(MainWindow& f, WORD key, TShiftState shift) {
    Pane& s = f.Active();
    const int item = s.CurrentItem;
    const bool hasItem = item >= 0 && item < static_cast<int>(s.Entries.size());
    const bool onDir = hasItem && !s.Entries[static_cast<size_t>(item)].IsFile();
    for (const KeyRow& row : kKeyRows) {
        if (row.key != key || !Takes(row.shifts, shift) || (row.onDir && !onDir)) continue;
        if (row.run(f, s, item)) return;
    }
}

std::string Named(TShiftState shift, WORD key) {
    std::string name = "<kbd>";
    if (shift & ssCtrl) name += "Ctrl+";
    if (shift & ssAlt) name += "Alt+";
    if (shift & ssShift) name += "Shift+";
    return name + static_cast<char>(key) + "</kbd>";
}

}  // namespace

bool MainWindow::MenuShortcut(WORD key, TShiftState shift) {
    if (shift != ssCtrl) return false;
    for (const MenuShortcutKey& m : kMenuShortcutKeys) {
        if (m.key == key) {
            m.run(*this);
            return true;
        }
    }
    return false;
}

void MainWindow::ListKeyDown(WORD& key, TShiftState shift) {
    Pane& s = Active();
    if (s.RenamePending) return;
    if (RunCombination(*this, key, shift)) return;
    if (!GoToChecked(s) && (RunFolderSizeKey(*this, key, shift) || RunLetter(*this, key))) return;
    RunKeyRow(*this, key, shift);
    // The list would otherwise move on F10 and keypad plus itself.
    if (key == VK_F10 || key == VK_ADD) key = 0;
}

std::vector<std::string> KeyMapKeys() {
    std::vector<std::string> keys;
    for (const Combination& c : kCombinations) keys.push_back(Named(c.shift, c.key));
    for (const MenuShortcutKey& m : kMenuShortcutKeys) keys.push_back(Named(ssCtrl, m.key));
    keys.push_back(Named(0, 'Z'));
    keys.push_back(Named(ssShift, 'Z'));
    for (const LetterCommand& c : kLetterCommands) keys.push_back(Named(0, c.key));
    for (const KeyRow& row : kKeyRows) keys.push_back(row.help);
    return keys;
}

void MainWindow::ListKeyPress(wchar_t& ch) {
    // The character of the very R key press that started the rename arrives while its dialog is open.
    if (RenameCommandRunning && ch == L'r') ch = 0;
    const Pane& s = Active();
    if (s.RenamePending || GoToChecked(s)) return;
    ch = 0;
}

}  // namespace bivane
