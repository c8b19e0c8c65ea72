// Start-up state of the main window and its layout on every size change.
#include "form/main_window.h"
#include "app/layout_rules.h"
#include "core/scoped_flag.h"
#include "platform/dpi.h"

#include <algorithm>
#include <string>

namespace bivane {

void MainWindow::InitialState() {
    side[0].Tree.SetDirLabel(&side[0].Path);
    side[1].Tree.SetDirLabel(&side[1].Path);
    side[0].Title.SetCaption(side[0].Path.Caption());
    LeftActive = true;
    RightUnloaded = true;
    LeftDriveFirstChange = true;
    side[0].RenamePending = side[1].RenamePending = false;
}

void MainWindow::LayOut() {
    const RECT client = ClientRect(hwnd_);
    Pane& L = side[0];
    Pane& R = side[1];
    SetVisible(L.List.Handle(), false);
    SetVisible(R.List.Handle(), false);
    L.List.SetColumnWidth(3, 0);
    R.List.SetColumnWidth(3, 0);

    LayoutMetrics m = ScaledMetrics(dpi_);
    m.driveHeight = L.Drive.Height();
    const MainLayout l = ComputeLayout(client.right, client.bottom, m);
    for (int i = 0; i < 2; ++i) {
        Pane& s = side[i];
        MoveTo(s.List.Handle(), l.list[i].x, l.list[i].y, l.list[i].w, l.list[i].h);
        MoveTo(s.Title.Handle(), l.title[i].x, l.title[i].y, l.title[i].w, l.title[i].h);
        MoveTo(s.Status.Handle(), l.status[i].x, l.status[i].y, l.status[i].w, l.status[i].h);
        s.Status.SetPanelsWidth(l.status[i].w - 8);
        MoveTo(s.Tree.Handle(), l.tree[i].x, l.tree[i].y, l.tree[i].w, l.tree[i].h);
        MoveBy(s.Drive.Handle(), l.drive[i].x, l.drive[i].y);
        MoveTo(s.ShowTree, l.showTree[i].x, l.showTree[i].y, l.showTree[i].w, l.showTree[i].h);
        MoveTo(s.GoTo, l.goTo[i].x, l.goTo[i].y, l.goTo[i].w, l.goTo[i].h);
        MoveTo(s.NewDir, l.newDir[i].x, l.newDir[i].y, l.newDir[i].w, l.newDir[i].h);
        MoveTo(s.UpLevel, l.upLevel[i].x, l.upLevel[i].y, l.upLevel[i].w, l.upLevel[i].h);
    }
    R.List.SetColumnWidth(0, L.List.ColumnWidth(0));
    SetVisible(L.List.Handle(), true);
    SetVisible(R.List.Handle(), true);
    MoveBy(Splash.Handle(), l.splash.x, l.splash.y);
    MoveTo(MessagePanel.Handle(), l.message.x, l.message.y, l.message.w, l.message.h);
    FitAllColumns();
    // Both titles fitted again to the trees' new widths; the right one waits for its first load.
    for (Pane& s : side) {
        if (&s != &side[1] || !RightUnloaded) s.ShowTitle();
    }
    SetFocus(Active().List.Handle());
}

void MainWindow::LimitTrackSize(MINMAXINFO& info) const {
    const ClientSize least = MinClientSize(dpi_);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    const SIZE outer = OuterSizeForDpi(least.w, least.h, style, exStyle, dpi_);
    info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, outer.cx);
    info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, outer.cy);
}

}  // namespace bivane
