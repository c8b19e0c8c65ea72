// Which side is active, and the controls that pick a side's drive and directory.
#include <cctype>

#include "form/main_window.h"
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

}  // namespace

void TakeSelectionAsCurrent(Pane& s) {
    if (s.FollowFocus()) return;
    const int sel = s.List.FirstSelected();
    if (sel < 0) return;
    s.CurrentItem = sel;
    s.CurrentName = s.Entries[static_cast<size_t>(sel)].caption;
}

void MainWindow::LoadSide(Pane& pane, const std::string& dir) {
    // A side listing a search's results keeps them when its folder is read again after a
    // command: those still there as found stay, those gone go. Ctrl+R or another folder ends it.
    if (pane.ShowsFound() && dir == pane.Directory()) {
        pane.KeepFoundThatAreThere([&](const Entry& e) { return KindNow(EntryPath(dir, e.Name())) == ListedKind(e); });
        FitAllColumns();
        return;
    }
    pane.Load(dir);
    FitAllColumns();
    if (&pane == &side[1]) RightUnloaded = false;
}

void MainWindow::DirectoryChanged(Pane& pane) {
    Reload(pane);
    if (&pane == &Active()) TryChangeDir(pane.Directory());
}

void MainWindow::Activate(Pane& pane) {
    ShowActive(pane);
    MakeDirectoryCurrent(hwnd_, pane);
    ReadFirstTime(pane);
    TakeSelectionAsCurrent(pane);
}

void MainWindow::ReadFirstTime(Pane& pane) {
    if (&pane != &side[1] || !RightUnloaded) return;
    RightUnloaded = false;
    Reload(pane);
}

void MainWindow::ShowActive(Pane& pane) {
    Pane& other = OtherThan(pane);
    const bool right = !IsLeft(pane);
    if (right) SetVisible(Splash.Handle(), false);
    if (IsShown(other.Tree.Handle())) SetVisible(other.Tree.Handle(), false);
    LeftActive = !right;
    // The left tree, when shown, covers the right side's list and buttons: they come back.
    if (right) {
        for (HWND w : {pane.NewDir, pane.UpLevel, pane.List.Handle()}) SetVisible(w, true);
    }
    SetFocus(pane.List.Handle());
    pane.Title.SetColors(GetSysColor(COLOR_ACTIVECAPTION), RGB(255, 255, 255));
    other.Title.SetColors(GetSysColor(COLOR_INACTIVECAPTION), RGB(255, 255, 255));
    SetTreeHint(other);
}

// The trees are not alike: the left one, shown, covers the right side's list and buttons; the
// right one covers the left drive selector.
void MainWindow::SetTreeHint(Pane& pane) {
    const bool treeShown = IsShown(pane.Tree.Handle());
    if (IsLeft(pane)) {
        Pane& R = side[1];
        for (HWND w : {R.List.Handle(), R.NewDir, R.UpLevel, R.GoTo}) SetVisible(w, !treeShown);
        hints.Set(pane.ShowTree, treeShown ? "Hide directory list" : "Show directory list for left");
    } else {
        hints.Set(pane.ShowTree, treeShown ? "Hide directory list" : "Show directory list for right");
        SetVisible(side[0].Drive.Handle(), !treeShown);
    }
}

void MainWindow::TitleClick(Pane& pane) {
    SetVisible(pane.List.Handle(), true);
    SetFocus(pane.List.Handle());
    Activate(pane);
}

void MainWindow::ListMouseDown(Pane& pane, MouseButton, TShiftState, int, int) {
    if (&pane != &Active()) Activate(pane);
}

void MainWindow::BackgroundClick(int x, int) {
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    TitleClick(x < (outer.right - outer.left) / 2 ? side[0] : side[1]);
}

void MainWindow::GoToBoxClick(Pane& pane) { Activate(pane); }

bool MainWindow::GoToChecked(const Pane& s) const {
    return SendMessageW(s.GoTo, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetGoToChecked(Pane& s, bool checked) {
    SendMessageW(s.GoTo, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    // Setting the box counts as a click on it.
    GoToBoxClick(s);
}

// The right selector also moves its tree to the drive's root; the left one leaves that to its
// change report.
void MainWindow::DriveSelectorClick(Pane& pane) {
    Activate(pane);
    if (!IsLeft(pane)) pane.Tree.SetDirectory(std::string(1, pane.Drive.Drive()) + ":\\");
}

// The first change of the left selector (at start-up) keeps the start directory; the right side's
// first is told by RightUnloaded instead.
void MainWindow::DriveChange(Pane& s) {
    const bool left = IsLeft(s);
    const std::string& dir = s.Tree.Directory();
    const char previous = dir.empty() ? 'C' : Upper(dir[0]);
    const char letter = s.Drive.Drive();
    try {
        const bool first = left ? LeftDriveFirstChange : RightUnloaded;
        if (first) {
            RequireDirectory(s.Tree.Directory());
            if (letter) s.Tree.SetDrive(letter);
            if (left) LeftDriveFirstChange = false;
        } else {
            const std::string root = std::string(1, letter) + ":\\";
            RequireDirectory(root);
            s.Tree.SetDirectory(root);
        }
    } catch (const std::exception&) {
        ShowBox(hwnd_, BoxKind::Error, DriveFailedText(letter), BoxButtons::Ok);
        s.Tree.SetDirectory(std::string(1, previous) + ":\\");
        s.Drive.SetDrive(previous);
    }
}


void MainWindow::OpenTreeSelection() {
    DirectoryListBox& tree = Active().Tree;
    if (DirectoryError(tree.Directory()) != 0) {
        ShowBox(hwnd_, BoxKind::Warning, "Cannot find directory", BoxButtons::Ok);
    }
    tree.OpenSelected();
}

// The right side is made active before its tree shows, the left one after.
void MainWindow::ToggleTree(Pane& pane) {
    if (IsLeft(pane)) {
        pane.ToggleTree();
        SetTreeHint(pane);
        Activate(pane);
        return;
    }
    SetVisible(Splash.Handle(), false);
    Activate(pane);
    pane.ToggleTree();
    SetTreeHint(pane);
    pane.Tree.SetDirLabel(&pane.Path);
}

void MainWindow::UpOneLevel(Pane& pane) {
    Activate(pane);
    pane.UpOneLevel();
}

}  // namespace bivane
