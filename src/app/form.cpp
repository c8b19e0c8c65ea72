// Creation of the main window, its controls and the dispatch of window events to the handlers.
#include <windowsx.h>

#include "form/main_window.h"
#include "core/errors.h"
#include "fileops/confirm_dialog.h"
#include "fileops/text_dialog.h"
#include "fileops/progress_dialog.h"
#include "fileops/jobs_dialog.h"
#include "find/find_window.h"
#include "sync/sync_window.h"
#include "fileops/replace_dialog.h"
#include "core/paths.h"
#include "platform/dpi.h"
#include "platform/modal_seam.h"
#include "platform/process.h"
#include "platform/taskbar_progress.h"
#include "platform/utf.h"
#include "tags/compare_dialog.h"
#include "../resources/resource.h"

namespace bivane {

namespace {

HWND GlyphButton(HWND parent, int id, HBITMAP glyph) {
    HWND b = CreateChild(parent, L"BUTTON", "", WS_VISIBLE | BS_PUSHBUTTON | BS_BITMAP, 0, 18, 25, 21, id);
    SendMessageW(b, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph));
    return b;
}

void BringToTop(HWND w) {
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Tab and Shift+Tab move the input focus along the tab order of the main window's controls.
void FocusNextTabItem(HWND form, HWND from) {
    HWND next = GetNextDlgTabItem(form, from, GetKeyState(VK_SHIFT) < 0);
    if (next) SetFocus(next);
}

// Counts a handler running for as long as it runs.
class HandlerCount {
public:
    explicit HandlerCount(int& depth) : depth_(depth) { ++depth_; }
    ~HandlerCount() { --depth_; }
    HandlerCount(const HandlerCount&) = delete;
    HandlerCount& operator=(const HandlerCount&) = delete;

private:
    int& depth_;
};

TShiftState ShiftNow() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    return s;
}

}  // namespace

MainWindow::MainWindow() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &MainWindow::Proc;
        wc.hInstance = AppInstance();
        wc.hIcon = LoadIconW(AppInstance(), MAKEINTRESOURCEW(IDI_MAINICON));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"MainWindow";
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    // Made for the primary screen's DPI; a window that opens on another monitor is told its own.
    const int systemDpi = SystemDpi();
    const int w = Scaled(550, systemDpi), h = Scaled(345, systemDpi);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, L"MainWindow", L"Bivane for Win95",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, w, h, nullptr, nullptr,
                            AppInstance(), this);
    dpi_ = WindowDpi(hwnd_);
    HelpViewer = [this](const std::string& file, int context) {
        // The system starts its help viewer by its bare name: one lying in the browsed folder must
        // not be the one that runs.
        const CurrentDirNotSearched systemHelpViewer;
        WinHelpW(hwnd_, Widen(file).c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
    };
    HelpBrowser = [this](const std::string& file) { ShellOpen(hwnd_, file, DirectoryPart(file), SW_SHOWNORMAL); };
    CreateControls();
    InitialState();
    FixHelpFile();
    created_ = true;
    CompareChoice = std::make_unique<CompareDialog>();
    Progress = std::make_unique<ProgressDialog>();
    TextPrompt = std::make_unique<TextDialog>();
    Confirm = std::make_unique<ConfirmDialog>();
    Replace = std::make_unique<ReplaceDialog>();
    JobsWindow = std::make_unique<JobsDialog>();
}

MainWindow::~MainWindow() {
    EndBackgroundWork();
    Taskbar.reset();  // its button goes with the window
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void MainWindow::CreateControls() {
    hints.Create(hwnd_);
    Pane& L = side[0];
    Pane& R = side[1];

    // The tool buttons lie below every windowed control.
    L.ShowTree = GlyphButton(hwnd_, IdTreeButton, static_cast<HBITMAP>(glyphs[0].get()));
    R.ShowTree = GlyphButton(hwnd_, IdTreeButton + 1, static_cast<HBITMAP>(glyphs[0].get()));
    L.NewDir = GlyphButton(hwnd_, IdNewDirButton, static_cast<HBITMAP>(glyphs[2].get()));
    R.NewDir = GlyphButton(hwnd_, IdNewDirButton + 1, static_cast<HBITMAP>(glyphs[2].get()));
    L.UpLevel = GlyphButton(hwnd_, IdUpButton, static_cast<HBITMAP>(glyphs[4].get()));
    R.UpLevel = GlyphButton(hwnd_, IdUpButton + 1, static_cast<HBITMAP>(glyphs[4].get()));

    // Windowed controls, each above the ones before it.
    L.GoTo = CreateChild(hwnd_, L"BUTTON", "", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 21, 13, 17, IdGoToBox);
    R.GoTo = CreateChild(hwnd_, L"BUTTON", "", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 21, 13, 17, IdGoToBox + 1);
    L.List.Create(hwnd_, ListImages.get(), &L.Entries);  // shown by the first layout pass
    SetWindowLongPtrW(L.List.Handle(), GWLP_ID, IdList);
    R.List.Create(hwnd_, ListImages.get(), &R.Entries);
    SetWindowLongPtrW(R.List.Handle(), GWLP_ID, IdList + 1);
    ShowWindow(R.List.Handle(), SW_SHOWNA);
    L.Drive.Create(hwnd_, IdDrive, 0, 19, 145);
    ShowWindow(L.Drive.Handle(), SW_SHOWNA);
    L.Title.Create(hwnd_, "Left Side", 0, 0, 269, 17, false);
    L.Status.Create(hwnd_, 3);
    R.Status.Create(hwnd_, 3);
    R.Title.Create(hwnd_, "No directory selected for right side", 273, 0, 269, 17, false);
    R.Drive.Create(hwnd_, IdDrive + 1, 273, 19, 145);
    ShowWindow(R.Drive.Handle(), SW_SHOWNA);
    Splash.Create(hwnd_, "", 0, 0, 173, 182, false);
    R.Tree.Create(hwnd_, IdTree + 1);
    L.Tree.Create(hwnd_, IdTree);
    MessagePanel.Create(hwnd_, "", 0, 0, 273, 41, true);

    for (HWND w : {L.GoTo, R.GoTo, L.List.Handle(), R.List.Handle(), L.Drive.Handle(), L.Title.Handle(),
                   L.Status.Handle(), R.Status.Handle(), R.Title.Handle(), R.Drive.Handle(),
                   Splash.Handle(), R.Tree.Handle(), L.Tree.Handle(), MessagePanel.Handle()}) {
        BringToTop(w);
    }
    for (Pane* s : {&L, &R}) {
        s->Title.SetColors(GetSysColor(COLOR_INACTIVECAPTION), RGB(255, 255, 255));
        ShowWindow(s->Title.Handle(), SW_SHOWNA);
        ShowWindow(s->Status.Handle(), SW_SHOWNA);
        for (int i = 0; i < 3; ++i) s->Status.SetText(i, i == 0 ? "Dir: 0k" : i == 1 ? "Tag: 0k" : "Free: 0k");
        // Subclassed through the window procedure itself: comctl32's subclass chain looks up a
        // window property per message, which under Wine is a server round trip.
        SetWindowLongPtrW(s->List.Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        listProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(s->List.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::ListProc)));
    }
    L.Title.SetColors(GetSysColor(COLOR_ACTIVECAPTION), RGB(255, 255, 255));
    CreateSplash();
    AddHints();
    ConnectEvents();
    ApplyDpi(dpi_);  // images, fonts and sizes for the window's DPI
}

void MainWindow::CreateSplash() {
    Splash.OnPaint = [this](HDC dc, const RECT& r) { PaintSplash(dc, r); };
    SetWindowLongPtrW(Splash.Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Splash.Handle(), GWL_EXSTYLE) | WS_EX_STATICEDGE);
    SplashOK = CreateChild(Splash.Handle(), L"BUTTON", "OK", WS_VISIBLE | BS_PUSHBUTTON, 24, 158, 41, 17, IdSplashOK);
    SplashHelp = CreateChild(Splash.Handle(), L"BUTTON", "Help", WS_VISIBLE | BS_PUSHBUTTON, 106, 158, 41, 17, IdSplashHelp);
    ShowWindow(Splash.Handle(), SW_SHOWNA);
    MessagePanel.OnClick = nullptr;
}

void MainWindow::AddHints() {
    const Pane& L = side[0];
    const Pane& R = side[1];
    hints.Add(L.Title.Handle(), "Click to make left side current");
    hints.Add(R.Title.Handle(), "Click to make right side current");
    hints.Add(L.Drive.Handle(), "Select drive for left side");
    hints.Add(R.Drive.Handle(), "Select drive for right side");
    hints.Add(L.ShowTree, "Show directory list for left");
    hints.Add(R.ShowTree, "Show directory list for right");
    hints.Add(L.GoTo, "Allow \"GoTo\" on left when checked");
    hints.Add(R.GoTo, "Allow \"GoTo\" on right when checked");
    hints.Add(L.NewDir, "Create new directory for left");
    hints.Add(R.NewDir, "Create new directory for right");
    hints.Add(L.UpLevel, "Up one level on left");
    hints.Add(R.UpLevel, "Up one level on right");
    hints.Add(L.Tree.Handle(), "Select directory for left side");
    hints.Add(R.Tree.Handle(), "Select directory for right side");
}

std::optional<BackgroundWork::Paused> MainWindow::PauseBackgroundReaders() {
    if (!Background) return std::nullopt;
    return std::optional<BackgroundWork::Paused>(std::in_place, *Background);
}

void MainWindow::EndBackgroundWork() {
    for (PendingJob& p : PendingJobs) p.hold.reset();  // the fences go before their owner
    for (Pane& s : side) s.Follower = nullptr;
    Sizer = nullptr;
    Finder = nullptr;
    Comparer = nullptr;
    if (Background) Background->End();
    Background.reset();
}

// Each event of a pane's controls goes to the one handler of both sides, told the pane.
void MainWindow::ConnectEvents() {
    for (Pane& s : side) {
        Pane* p = &s;
        s.Drive.OnClick = [this, p] { DriveSelectorClick(*p); };
        s.Drive.OnChange = [this, p] { DriveChange(*p); };
        s.Tree.OnChange = [this, p] { DirectoryChanged(*p); };
        s.Tree.OnClick = [this] { OpenTreeSelection(); };
        s.Title.OnClick = [this, p] { TitleClick(*p); };
    }
    Background = std::make_unique<BackgroundWork>(hwnd_, kFolderChanged, kFolderSizesReady, kJobEnded);
    for (Pane& s : side) s.Follower = &Background->Follower(IndexOf(s));
    Sizer = &Background->Sizer();
}

void MainWindow::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    if (firstShow_) {
        firstShow_ = false;
        // The first folder is listed once the window is there: a big one takes a while, and the
        // user sees the window meanwhile (its listing read ahead, see wWinMain).
        Guard([&] { ReloadActive(); });
        // Creating the selectors' windows: each reports one change of drive.
        const std::vector<DriveItem> drives = ScanDrives();
        Guard([&] { side[0].Drive.CreateWnd(drives); });
        Guard([&] { side[1].Drive.CreateWnd(drives); });
    }
}

int MainWindow::Run() {
    quitOnDestroy_ = true;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The lists take their Tab themselves (ListProc); the other controls get it here.
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && IsChild(hwnd_, msg.hwnd) &&
            msg.hwnd != side[0].List.Handle() && msg.hwnd != side[1].List.Handle()) {
            FocusNextTabItem(hwnd_, msg.hwnd);
            continue;
        }
        if (ModelessWindowTakes(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK MainWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        reinterpret_cast<MainWindow*>(cs->lpCreateParams)->hwnd_ = h;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    HandlerCount running(self->HandlerDepth);
    return self->WndProc(msg, wp, lp);
}

void MainWindow::Close() {
    bool close = false;
    Guard([&] { close = ConfirmClose(); });
    if (close && !PendingJobs.empty()) {  // asked: each job stops after its block, then the window closes
        CloseWhenJobEnds = true;
        StopAllJobs();
        SetTimer(hwnd_, kCloseTimer, 500, nullptr);  // with the end's own wait: gone within 2 s
        return;
    }
    if (!close) return;
    EndBackgroundWork();  // before the window goes: the process never lingers without one
    DestroyWindow(hwnd_);
}

void MainWindow::OnThreadNews(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kFolderSizesReady:
            Guard([this] { ShowFolderSizes(); });
            break;
        case kJobAsks:
            Guard([&] { AnswerJobBox(lp); });
            break;
        case kJobEnded:
            ReleaseEndedJobs();  // the next job begins now, whatever the window is doing
            // Not while a dialog, a box or a command runs: a side read again under a confirmation
            // would change the rows it was asked for. The timer tries again.
            if (!FollowHeld()) Guard([this] { EndJobs(); });
            break;
        case kFolderChanged:
            if (wp < 2) Guard([&] { FollowDisk(side[wp]); });
            break;
    }
}

bool MainWindow::OnTimer(WPARAM id) {
    switch (id) {
        case kCloseTimer:
            // A command still on the stack (the foreground job's) returns first: its pause and
            // fences go before their owner.
            if (JobRunning || HandlerDepth > 1) {
                for (const PendingJob& p : PendingJobs) p.job->background = true;
                SetTimer(hwnd_, kCloseTimer, 50, nullptr);
                return true;
            }
            KillTimer(hwnd_, kCloseTimer);
            EndBackgroundWork();  // a job blocked in the file system is abandoned after kEndWait
            DestroyWindow(hwnd_);
            return true;
        case kJobTimer:
            Guard([this] {
                ReleaseEndedJobs();
                ShowJobProgress();
                if (!FollowHeld()) EndJobs();  // also when the news of an end was lost
            });
            return true;
        case kFollowRetryTimer:
            Guard([this] { FollowHeldSides(); });
            return true;
    }
    return false;
}

LRESULT MainWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_SIZE:
            if (created_) Guard([this] { LayOut(); });
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(UiFont(dpi_));
        case WM_DPICHANGED:
            Guard([&] { MovedToDpi(HIWORD(wp), *reinterpret_cast<const RECT*>(lp)); });
            return 0;
        case WM_GETMINMAXINFO:
            if (created_) LimitTrackSize(*reinterpret_cast<MINMAXINFO*>(lp));
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_ACTIVATE:
            if (KeepFocusAcrossActivation(wp)) return 0;
            break;
        case WM_DESTROY:
            if (quitOnDestroy_) PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            return DefWindowProcW(nullptr, msg, wp, lp);
        case WM_NOTIFY: {
            LRESULT r = 0;
            Guard([&] { r = OnNotify(reinterpret_cast<NMHDR*>(lp)); });
            return r;
        }
        case WM_COMMAND:
            Guard([&] { OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); });
            return 0;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            OwnerDraw(msg, lp);
            return TRUE;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            Guard([&] { BackgroundClick(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); });
            return 0;
        case kFolderSizesReady:
        case kJobAsks:
        case kJobEnded:
        case kFolderChanged:
            OnThreadNews(msg, wp, lp);
            return 0;
        case WM_TIMER:
            if (!OnTimer(wp)) break;
            return 0;
        case WM_CONTEXTMENU:
            Guard([&] { ShowPopupMenu(reinterpret_cast<HWND>(wp), GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); });
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// Gives the focus back to the control that had it, so the keyboard goes on working in the same
// list after a dialog or message box closes. True when the activation needs nothing more.
bool MainWindow::KeepFocusAcrossActivation(WPARAM wp) {
    if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd_, f)) lastFocus_ = f;
        return true;
    }
    if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
        return true;
    }
    return false;
}

// The drive selectors and trees draw their own items.
void MainWindow::OwnerDraw(UINT msg, LPARAM lp) {
    if (msg == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (Pane* s = SideFor(mis->CtlID, IdDrive)) s->Drive.Measure(mis);
        if (Pane* s = SideFor(mis->CtlID, IdTree)) s->Tree.Measure(mis);
        return;
    }
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    if (Pane* s = SideFor(dis->CtlID, IdDrive)) s->Drive.Draw(dis);
    if (Pane* s = SideFor(dis->CtlID, IdTree)) s->Tree.Draw(dis);
}

void MainWindow::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id >= IdMenuBase && id < IdMenuBase + 100) {
        RunMenuItem(static_cast<MenuItem>(id - IdMenuBase));
        return;
    }
    const UINT cid = static_cast<UINT>(id);
    if (Pane* s = SideFor(cid, IdDrive)) return s->Drive.OnCommand(code);
    if (Pane* s = SideFor(cid, IdTree)) return s->Tree.OnCommand(code);
    if (code != BN_CLICKED) return;
    if (Pane* s = SideFor(cid, IdTreeButton)) return ToggleTree(*s);
    if (Pane* s = SideFor(cid, IdNewDirButton)) return MakeDirectoryIn(*s);
    if (Pane* s = SideFor(cid, IdUpButton)) return UpOneLevel(*s);
    if (Pane* s = SideFor(cid, IdGoToBox)) return GoToBoxClick(*s);
    if (id == IdSplashOK) CloseSplash();
    if (id == IdSplashHelp) HelpFromSplash();
}

LRESULT MainWindow::OnNotify(NMHDR* hdr) {
    Pane* list = SideFor(static_cast<UINT>(hdr->idFrom), IdList);
    if (!list) return 0;
    Pane& s = *list;
    switch (hdr->code) {
        case LVN_GETDISPINFOW:
            s.List.FillDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(hdr));
            return 0;
        case LVN_ODFINDITEMW:
            return s.List.FindItem(reinterpret_cast<NMLVFINDITEMW*>(hdr));
        case LVN_ITEMCHANGED: {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
            if (nm->iItem >= 0) EntryChanged(s, nm->iItem);
            return 0;
        }
        case LVN_COLUMNCLICK: {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
            ColumnClick(s, nm->iSubItem);
            return 0;
        }
        case LVN_BEGINLABELEDITW: {
            auto* nm = reinterpret_cast<NMLVDISPINFOW*>(hdr);
            RenameStarted(s, nm->item.iItem);
            return FALSE;  // never refused
        }
        case LVN_ENDLABELEDITW: {
            auto* nm = reinterpret_cast<NMLVDISPINFOW*>(hdr);
            if (!nm->item.pszText) {  // edit cancelled
                s.RenamePending = false;
                return FALSE;
            }
            std::string text = Narrow(nm->item.pszText);
            const int item = nm->item.iItem;
            FinishRename(s, item, text);
            SetEntryCaption(s, item, text);
            ReloadIfRenameFoundAChange(s);
            return FALSE;  // the model holds the caption
        }
        case NM_DBLCLK:
            OpenCurrent(s);
            return 0;
        default: return 0;
    }
}

// A press on a list: reported, then handled by the list, which tracks it and keeps the release
// for itself; the release is reported here.
LRESULT MainWindow::ListButtonDown(Pane& s, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    const MouseButton b = msg == WM_LBUTTONDOWN ? MouseButton::Left
                          : msg == WM_RBUTTONDOWN ? MouseButton::Right
                                                  : MouseButton::Middle;
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    const TShiftState shift = ShiftForMouse(wp);
    Guard([&] { ListMouseDown(s, b, shift, x, y); });
    const LRESULT r = CallWindowProcW(listProc_, h, msg, wp, lp);
    if (b != MouseButton::Middle) {
        const TShiftState upShift = ShiftNow();
        Guard([&] { ListMouseUp(s, b, upShift, x, y); });
    }
    return r;
}

// A key on a list: the two menu shortcuts, then the key map. True when the key is used up.
bool MainWindow::ListKey(Pane& s, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    s.FollowFocus();
    if (msg == WM_KEYDOWN && wp == VK_TAB) {
        // Never a command: the active side stays as it is.
        FocusNextTabItem(hwnd_, h);
        return true;
    }
    WORD key = static_cast<WORD>(wp);
    TShiftState shift = ShiftNow() & ~ssAlt;
    if (lp & (1 << 29)) shift |= ssAlt;  // Alt from the key message itself
    bool handled = false;
    Guard([&] { handled = MenuShortcut(key, shift); });
    if (handled) return true;
    Guard([&] { ListKeyDown(key, shift); });
    return key == 0;
}

LRESULT CALLBACK MainWindow::ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    Pane& s = self->SideOf(h);
    HandlerCount running(self->HandlerDepth);
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            return self->ListButtonDown(s, h, msg, wp, lp);
        case WM_SIZE: {
            const LRESULT r = CallWindowProcW(self->listProc_, h, msg, wp, lp);
            if (self->created_) self->Guard([&] { self->FitColumnsOf(s); });
            return r;
        }
        case WM_MBUTTONUP: {
            const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
            self->Guard([&] { self->ListMouseUp(s, MouseButton::Middle, ShiftNow(), x, y); });
            break;
        }
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (self->ListKey(s, h, msg, wp, lp)) return 0;
            break;
        case WM_SYSCHAR:
            // Alt with a key is a command or nothing; the window has no menu bar to open, and
            // the default would only beep.
            return 0;
        case WM_CHAR: {
            if (wp == L'\t') return 0;  // the Tab above
            s.FollowFocus();
            wchar_t ch = static_cast<wchar_t>(wp);
            self->Guard([&] { self->ListKeyPress(ch); });
            if (ch == 0) return 0;
            wp = ch;
            break;
        }
        default: break;
    }
    return CallWindowProcW(self->listProc_, h, msg, wp, lp);
}

TShiftState MainWindow::ShiftForMouse(WPARAM wp) const {
    TShiftState s = 0;
    if (wp & MK_SHIFT) s |= ssShift;
    if (wp & MK_CONTROL) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

}  // namespace bivane
