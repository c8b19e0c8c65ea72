// Which side is active, and the controls that pick a side's drive and directory.
#include <cctype>

#include "app/Unit1.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"

namespace bivane {

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string DriveFailedText(char letter) {
    return "Drive [" + std::string(1, Upper(letter)) + ":] did not respond!";
}

// Makes the side's directory current; a failure is told and the activation goes on. A directory
// too long to be current is no failure: every command reaches it by full paths.
void MakeDirectoryCurrent(HWND owner, const Pane& s) {
    if (TryChangeDir(s.Tree.Directory()) || GetLastError() == ERROR_FILENAME_EXCED_RANGE) return;
    const std::string x(1, Upper(s.Drive.Drive()));
    ShowBox(owner, BoxKind::Error, "Check disk in drive " + x + "\r" + "\r" + DriveFailedText(x[0]), BoxButtons::Ok);
}

// The side's focused entry becomes its current entry; without focus, its first selected one.
void TakeSelectionAsCurrent(Pane& s) {
    if (s.FollowFocus()) return;
    const int sel = s.List.FirstSelected();
    if (sel < 0) return;
    s.CurrentItem = sel;
    s.CurrentName = s.Entries[static_cast<size_t>(sel)].caption;
}

}  // namespace

void TForm1::LoadSide(Pane& pane, const std::string& dir) {
    pane.Load(dir);
    ResizeColumn();
    if (&pane == &side[1]) RightUnloaded = false;
}

void TForm1::DirectoryChanged(Pane& pane) {
    Reload(pane);
    if (&pane == &Active()) TryChangeDir(pane.Directory());
}

void TForm1::Activate(Pane& pane) {
    if (IsLeft(pane)) SetSide1Active(); else SetSide2Active();
}

void TForm1::SetSide1Active() {
    Pane& L = side[0];
    Pane& R = side[1];
    if (IsShown(R.Tree.Handle())) SetVisible(R.Tree.Handle(), false);
    LeftActive = true;
    SetFocus(L.List.Handle());
    L.Title.SetColors(GetSysColor(COLOR_ACTIVECAPTION), RGB(255, 255, 255));
    R.Title.SetColors(GetSysColor(COLOR_INACTIVECAPTION), RGB(255, 255, 255));
    SetRightDirHint();
    MakeDirectoryCurrent(hwnd_, L);
    TakeSelectionAsCurrent(L);
}

void TForm1::SetSide2Active() {
    Pane& L = side[0];
    Pane& R = side[1];
    SetVisible(Splash.Handle(), false);
    if (IsShown(L.Tree.Handle())) SetVisible(L.Tree.Handle(), false);
    LeftActive = false;
    SetVisible(R.NewDir, true);
    SetVisible(R.UpLevel, true);
    SetVisible(R.List.Handle(), true);
    SetFocus(R.List.Handle());
    L.Title.SetColors(GetSysColor(COLOR_INACTIVECAPTION), RGB(255, 255, 255));
    R.Title.SetColors(GetSysColor(COLOR_ACTIVECAPTION), RGB(255, 255, 255));
    SetLeftDirHint();
    MakeDirectoryCurrent(hwnd_, R);
    if (RightUnloaded) {
        RightUnloaded = false;
        LoadLeftSide();
    }
    TakeSelectionAsCurrent(R);
}

void TForm1::SetLeftDirHint() {
    Pane& R = side[1];
    const bool treeShown = IsShown(side[0].Tree.Handle());
    for (HWND w : {R.List.Handle(), R.NewDir, R.UpLevel, R.GoTo}) SetVisible(w, !treeShown);
    hints.Set(side[0].ShowTree, treeShown ? "Hide directory list" : "Show directory list for left");
}

void TForm1::SetRightDirHint() {
    const bool treeShown = IsShown(side[1].Tree.Handle());
    hints.Set(side[1].ShowTree, treeShown ? "Hide directory list" : "Show directory list for right");
    SetVisible(side[0].Drive.Handle(), !treeShown);
}

void TForm1::SplashOKClick() {
    SetVisible(Splash.Handle(), false);
    SetSide1Active();
}

void TForm1::Panel1Click() {
    SetFocus(side[0].List.Handle());
    SetSide1Active();
}

void TForm1::Panel2Click() {
    SetVisible(side[1].List.Handle(), true);
    SetFocus(side[1].List.Handle());
    SetSide2Active();
}

void TForm1::ListView1MouseDown(MouseButton, TShiftState, int, int) {
    if (!LeftActive) SetSide1Active();
}

void TForm1::ListView2MouseDown(MouseButton, TShiftState, int, int) {
    if (LeftActive) SetSide2Active();
}

void TForm1::FormMouseUp(int x, int) {
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    if (x < (outer.right - outer.left) / 2) {
        Panel1Click();
    } else {
        Panel2Click();
    }
}

void TForm1::CheckBox1Click() { SetSide1Active(); }
void TForm1::CheckBox2Click() { SetSide2Active(); }

void TForm1::DriveComboBox1Click() { SetSide1Active(); }

void TForm1::DriveComboBox2Click() {
    SetSide2Active();
    side[1].Tree.SetDirectory(std::string(1, side[1].Drive.Drive()) + ":\\");
}

// Both selectors' change steps; the right side tests RightUnloaded instead of the first-change flag.
static void DriveChange(TForm1& f, Pane& s, bool left) {
    const std::string& dir = s.Tree.Directory();
    const char previous = dir.empty() ? 'C' : Upper(dir[0]);
    const char letter = s.Drive.Drive();
    try {
        const bool first = left ? f.LeftDriveFirstChange : f.RightUnloaded;
        if (first) {
            RequireDirectory(s.Tree.Directory());
            if (letter) s.Tree.SetDrive(letter);
            if (left) f.LeftDriveFirstChange = false;
        } else {
            const std::string root = std::string(1, letter) + ":\\";
            RequireDirectory(root);
            s.Tree.SetDirectory(root);
        }
    } catch (const std::exception&) {
        ShowBox(f.Handle(), BoxKind::Error, DriveFailedText(letter), BoxButtons::Ok);
        s.Tree.SetDirectory(std::string(1, previous) + ":\\");
        s.Drive.SetDrive(previous);
    }
}

void TForm1::DriveComboBox1Change() { DriveChange(*this, side[0], true); }
void TForm1::DriveComboBox2Change() { DriveChange(*this, side[1], false); }

void TForm1::DirectoryListBox1Change() { LoadLeftSide(); }

void TForm1::DirectoryListBox1Click() {
    DirectoryListBox& tree = Active().Tree;
    if (DirectoryError(tree.Directory()) != 0) {
        ShowBox(hwnd_, BoxKind::Warning, "Cannot find directory", BoxButtons::Ok);
    }
    tree.OpenSelected();
}

void TForm1::SpeedButton1Click() {
    side[0].ToggleTree();
    SetLeftDirHint();
    SetSide1Active();
}

void TForm1::SpeedButton2Click() {
    SetVisible(Splash.Handle(), false);
    SetSide2Active();
    side[1].ToggleTree();
    SetRightDirHint();
    side[1].Tree.SetDirLabel(&side[1].Path);
}

void TForm1::SpeedButton5Click() {
    SetSide1Active();
    side[0].UpOneLevel();
}

void TForm1::SpeedButton6Click() {
    SetSide2Active();
    side[1].UpOneLevel();
}

}  // namespace bivane
