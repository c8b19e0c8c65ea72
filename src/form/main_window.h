// MainWindow: the main window. One class, as the program is one window; its methods live in the
// subsystem folders, one file per concern (app/, panes/, tags/, fileops/, commands/, print/), each
// on the lowest floor that calls it (docs/code-map.md).
#pragma once
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "panes/background_work.h"
#include "panes/pane.h"
#include "platform/modal_seam.h"
#include "platform/handles.h"
#include "platform/win.h"

#include <commdlg.h>

namespace bivane {

class CompareDialog;
class ProgressDialog;
class TextDialog;
class ConfirmDialog;
class ReplaceDialog;
class JobsDialog;
class FindWindow;
class FileFinder;
class SyncWindow;
class TreeComparer;
struct SyncPlan;
struct SyncOutcome;
class ProgressDialog;
struct FoundList;
class TaskbarProgress;
// What the file commands decide (fileops/copy_rules.h).
enum class ConfirmMode;
struct RunRequest;
struct ChangedEntry;
struct ExistingTarget;
class DeleteReport;
class FolderDates;  // fileops/folder_copy.cpp

// A job started and not yet ended, as the window keeps it: what it is, and its end, run on the
// window's thread once it ended.
struct PendingJob {
    std::shared_ptr<Job> job;
    std::string what, from, to;  // "Copy", "Move" or "Delete"; its folders ("" for none)
    std::function<void(const Job& job)> end;  // job.ran, job.error, job.background
    std::vector<std::string> goes;  // the folders it deletes or moves away
    std::shared_ptr<void> hold;  // kept until the end ran: the pause of those folders' readers
    std::string Describe() const;  // "Copy from C:\a to D:\b"
};

// The side's focused entry becomes its current entry; without focus, its first selected one.
void TakeSelectionAsCurrent(Pane& s);
class LocalTimes;

// Shift state of a key or mouse event.
enum ShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;
enum class MouseButton { Left, Right, Middle };

// The pop-up menu's entries; their command ids are IdMenuBase + the entry.
enum class MenuItem {
    None, Copy, Delete, Move, Rename, Show, TagAll, InvertTags, NewerOrDuplicates, UntagAll,
    Refresh, DirectoryListing, About, HelpTopics, Exit, FindFiles, Synchronize
};

class MainWindow {
public:
    // Creates the main window and its controls and runs InitialState. The window is not shown yet:
    // the first Show() shows it (the first layout pass), then loads the left side, then makes the
    // drive selectors, which report their first change.
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    // The DPI the window is laid out for: its monitor's, followed through WM_DPICHANGED.
    int Dpi() const { return dpi_; }
    void Show();
    // Runs messages until the window is closed.
    int Run();
    // Runs fn and shows any error it raises in the application's error report.
    template <typename F>
    void Guard(F&& fn) noexcept;
    void ReportError(const char* text) noexcept;

    // ---- app/: the window, its layout, closing, the splash panel
    void InitialState();  // the state every run starts in
    void LayOut();        // places every control for the window's size
    bool ConfirmClose();  // true: the window may close
    void LimitTrackSize(MINMAXINFO& info) const;  // the smallest size the window may be given
    // Pictures, fonts and every size for dpi; laid out again once the window has been made.
    void ApplyDpi(int dpi);
    // The window moved to a monitor of another DPI (or its scale changed): suggested is the
    // system's rectangle for it there.
    void MovedToDpi(int dpi, const RECT& suggested);
    void HelpFromSplash();
    void CloseSplash();

    // ---- panes/: reading a side, which side is active, its drive, tree and columns
    // Reads dir into the pane's list and fits the columns; nothing else changes.
    void LoadSide(Pane& pane, const std::string& dir);
    void Reload(Pane& pane) { LoadSide(pane, pane.Directory()); }
    void ReloadActive() { Reload(Active()); }
    // The pane's tree moved: its list follows, and the active pane's directory becomes current.
    void DirectoryChanged(Pane& pane);
    // Makes the pane the active side: its title lit, its list focused, its directory current, its
    // selection the current entry; the right side is read the first time.
    // Makes the side the active one: ShowActive, its directory the process's current one,
    // ReadFirstTime, and its selection taken as its current entry.
    void Activate(Pane& pane);
    void ShowActive(Pane& pane);     // the flag, the titles' colours, the trees, the focus
    void ReadFirstTime(Pane& pane);  // the right side is read when first needed, not at start-up
    void SetTreeHint(Pane& pane);  // the tree button's hint, and what the shown tree covers
    void TitleClick(Pane& pane);
    void ListMouseDown(Pane& pane, MouseButton button, TShiftState shift, int x, int y);
    void BackgroundClick(int x, int y);  // a click between the controls: the side under it
    void GoToBoxClick(Pane& pane);
    void DriveSelectorClick(Pane& pane);
    void DriveChange(Pane& pane);  // the selector's drive changed: its tree follows
    void OpenTreeSelection();
    void ToggleTree(Pane& pane);
    void UpOneLevel(Pane& pane);
    void FitAllColumns();
    // The list's columns fill its client area: called again whenever the list's size changes,
    // as when its vertical scroll bar comes or goes.
    void FitColumnsOf(Pane& pane);

    // ---- tags/
    void TagEntry(Pane& s, int item);    // Mark::Tagged, tagged image
    void UntagEntry(Pane& s, int item);  // Mark::Untagged, plain or program image
    void ToggleTag(Pane& s, int item, bool advance);
    void UpdateTagTotals(Pane& s);
    void TagAll(Pane& s);
    void InvertTags(Pane& s);
    void UntagAll(Pane& s);
    void ListMouseUp(Pane& s, MouseButton button, TShiftState shift, int x, int y);
    void SortByName(Pane& s);
    void SortByExt(Pane& s);
    void SortBySize(Pane& s);
    void SortByDate(Pane& s);
    void ColumnClick(Pane& pane, int column);
    void LocateCurrent(Pane& s);
    void Locate(Pane& s, const std::string& name);
    void Reread(Pane& s);  // Ctrl+R: the side read again, its tags gone
    void CompareSides();
    void TagNewerOrDuplicates();
    std::int64_t LastCompareSteps = 0;  // the comparison's step counter at the end of its last run
    // Each change of an entry's mark, image or text is reported as the list would report it.
    void SetEntryMark(Pane& s, int item, Mark mark);
    void SetEntryImage(Pane& s, int item, std::uint8_t image);
    void SetEntryCaption(Pane& s, int item, const std::string& caption);
    void EntryChanged(Pane& s, int item);

    // ---- fileops/
    // Copy, move or delete of the active side's current entry or tagged files, after the user
    // confirms (keys C, M, D and F2, the menu's File entries).
    void RunFileCommand(ConfirmMode mode, Pane& source);  // onto the other side
    // The checks and the confirmation dialog; what the user confirmed, or nothing.
    std::optional<RunRequest> ConfirmRun(ConfirmMode mode, Pane& source, Pane& target);
    bool SidesAllow(ConfirmMode& mode);
    void RunCopy(const RunRequest& request, Pane& source, Pane& target);
    // Of rows, those to copy after the user has answered for the files the target holds already
    // (all of them when it holds none); nothing when the user cancels.
    std::optional<std::vector<std::size_t>> AskBeforeReplacing(const std::vector<ExistingTarget>& existing,
                                                               const std::vector<std::size_t>& rows);
    // Starts copy as a job, with a staging folder made in the target's folder. Once it ended, also
    // after a failed file (whose error it shows), hides the progress, reads the target side again,
    // locates the name locate gives on both sides, then runs after (copied: no file failed).
    // from and to name the job to the user (the folders it reads from and writes into).
    void CopyAsJob(Pane& source, Pane& target, const std::string& from, const std::string& to,
                   std::function<std::string()> locate,
                   std::function<void(const std::wstring& stagingDir)> copy, std::function<void(bool copied)> after);
    // C on a folder: the folder copied whole into the target side's folder (fileops/folder_copy.cpp).
    void CopyFolder(const Entry& folder, Pane& source, Pane& target, bool verify = false);
    struct FolderCopy;  // one folder copy: the tree and what becomes of each of its names
    bool PlanFolderCopy(FolderCopy& copy);
    void LeaveOutTwins(FolderCopy& copy, const LocalTimes& times);
    void CopyTree(FolderCopy& copy, const std::wstring& stagingDir);
    void CopyItem(FolderCopy& copy, std::size_t item, const std::wstring& stagingDir, FolderDates& dates);
    void NotCopiedFrom(FolderCopy& copy, std::size_t first);
    // A confirmed command's work runs as a job on the job thread (fileops/jobs.cpp). The first
    // runs in the foreground: this returns once it ended and pending.end ran, the window live
    // meanwhile (Escape asks the job to stop after its file), unless the user sent it to the
    // background. A job started while another runs or waits is queued behind it; its end runs
    // when it ended (EndJobs).
    void StartJob(PendingJob pending, std::function<void()> work);
    void SendToBackground(Job& job);  // the progress dialog's "Background"
    bool RunWhileInForeground(Job& job);
    bool KeyOfJobWindows(HWND to) const;
    bool ModelessWindowTakes(MSG& msg);  // a key of the Find Files or Synchronize window, given to it
    void ReleaseEndedJobs();             // the next job begins, whatever the window is doing
    std::string JobNews;                 // how the last job in the background ended, in the title
    void EndJobs();                   // kJobEnded and kJobTimer: the ends of the jobs done, in order
    void ShowJobProgress();           // the title, while a job runs in the background
    std::deque<PendingJob> PendingJobs;  // started and not yet ended, in order
    bool JobRunning = false;          // a job runs in the foreground
    bool CloseWhenJobEnds = false;    // the user chose to exit while jobs ran
    std::string JobsRunningText() const;  // the question before closing
    void StopAllJobs();
    // False, after saying why, when a job reads from or writes into folder or a folder below it.
    bool FolderFreeOfJobs(const std::string& folder);
    void ShowJobs();  // Ctrl+J: the queue window
    // A message box, also from the job's thread: shown on the window's, the job waiting for the
    // answer (Cancel when the program ends meanwhile).
    int JobBox(BoxKind kind, const std::string& text, BoxButtons buttons);
    // On the job thread: whether to replace a target made or changed since the copy was agreed.
    bool AskReplaceChanged(const std::string& target, bool appeared);
    void AnswerJobBox(LPARAM ask);  // kJobAsks
    // The job's own copy of the entries a delete or move acts on (the side may be sorted while it
    // runs); names no path reaches are refused, each said; folders: the paths of the folders among
    // them. False, after saying why, when a folder among them is used by a job.
    bool TakeEntriesForJob(const Pane& source, const RunRequest& request, std::vector<Entry>& entries,
                           std::vector<std::string>& folders);
    void RunDelete(const RunRequest& request, Pane& source, Pane& target);
    void RunMove(const RunRequest& request, Pane& source, Pane& target);
    bool CheckDiskSpace(const std::string& sizeText, const std::string& targetPath);
    // Whether the drive of targetPath has room for bytes more; if not, says so, naming its last part.
    bool HasSpaceFor(std::int64_t bytes, const std::string& targetPath);
    // Deletes one entry by its exact path: to the bin, or for good when asked or when the user
    // agrees (asked through the job: it runs on the job thread); what stays goes to report. True
    // when it went for good, as far as the system said.
    static bool RemoveEntry(const std::wstring& path, const Entry& e, bool recycle, DeleteReport& report);
    void AddStillListed(const Pane& p, const std::vector<Entry>& deleted, DeleteReport& report);
    struct CopyRun;  // one copy run: what it acts on and what it left out
    void ReportLeftAlone(const CopyRun& run, Pane& source);
    // Says which entries changed since listed and reads their side again.
    void ReportChanged(const std::vector<ChangedEntry>& changed, Pane& p);
    // Whether e is still what was listed at its path in dir; if not, it goes to changed.
    static bool StillThere(const std::string& dir, const Entry& e, std::vector<ChangedEntry>& changed);
    void MakeNewDirectory(Pane& s);
    void MakeDirectoryIn(Pane& pane);
    void RenameCurrent(Pane& s);  // the Rename command
    void RenameThroughDialog(Pane& s);  // the active side's selected (or current) entry
    void RenameStarted(Pane& pane, int item);  // an edit in place begins
    // A rename's new text, typed in place or in the dialog: renames the entry or puts text back.
    void FinishRename(Pane& s, int item, std::string& text);
    void ReloadIfRenameFoundAChange(Pane& s);
    void RefuseRenameOfFound();

    // ---- find/
    void ShowFindFiles(Pane& s);  // Ctrl+F: the Find Files window, searching s's folder
    // A result chosen: the side shows its folder with it current.
    void GoToFound(Pane& s, const std::string& folder, const std::string& name);
    // The side lists what a search found, each entry named by its path below the deepest folder
    // holding them all; copy, move, delete, view, tags, sorts and the listing act on them there.
    void ShowFoundOnSide(Pane& s, const FoundList& found, const std::string& title);
    FileFinder* Finder = nullptr;  // adopted by Background when first asked for

    // ---- sync/
    void ShowSynchronize();  // Ctrl+Y: the Synchronize window, comparing the two sides' folders
    void ApplySync(const SyncPlan& plan);  // the plan accepted in its preview, run as a job
    void EndSync(const SyncPlan& plan, const SyncOutcome& outcome, const Job& job);  // on the window's thread
    TreeComparer* Comparer = nullptr;  // adopted by Background when first asked for

    // ---- commands/
    void Exit();
    void ShowAbout();
    void ShowHelp();
    std::string HtmlHelpFile() const;  // bivane-help.html beside the program
    void FixHelpFile();                // WBivane.HLP in the folder the program starts in, once
    void ListKeyDown(WORD& key, TShiftState shift);
    void ListKeyPress(wchar_t& ch);
    bool RunCommandLine(const std::string& commandLine, WORD show, DWORD waitMs);
    void ShowInViewer(Pane& s);
    void OpenCurrent(Pane& s);        // a double click: a directory entered, a program or document started
    void PromptCommandLine(Pane& s);  // Ctrl+E
    void RunMenuItem(MenuItem item);  // the pop-up menu's dispatch
    // Opens the directory entry at item of the active side in target.
    void EnterDirectory(Pane& source, int item, Pane& target);
    // Z / Shift+Z: the size of the active side's current folder, or of every folder it lists,
    // walked beside the window; each shows in its Size cell until the side is read again.
    void SizeFolders(Pane& s, bool all);
    void StopFolderSizes();  // Escape
    void ShowFolderSizes();  // the walk has sizes ready (kFolderSizesReady)
    FolderSizer* Sizer = nullptr;  // Background's
    // Owns every thread the window starts (followers, folder sizes); ended before the sides go.
    std::unique_ptr<BackgroundWork> Background;
    // Pauses every background reader for a command's life; nothing once the work has ended.
    std::optional<BackgroundWork::Paused> PauseBackgroundReaders();
    // Closing: every thread is told to stop; one blocked in the file system is not waited for.
    void EndBackgroundWork();
    // The lists follow the disk (commands/follow_disk.cpp). The side's follower said its folder
    // changed (kFolderChanged): the side is read again keeping what the user has, or, while a
    // command, a dialog or a rename in place is under way, once it is over.
    void FollowDisk(Pane& pane);
    void FollowHeldSides();  // the retry timer: the sides held back, once nothing holds them
    bool FollowHeld() const;
    // The folder shown is gone: the side moves to the nearest folder above it that exists.
    void LeaveGoneFolder(Pane& pane);
    bool FollowPending[2] = {false, false};
    std::uint64_t FollowReloads = 0;  // sides read again because their folder changed
    std::uint64_t FollowChanges = 0;  // sides that showed changes by name, without reading the folder
    // How many of the window's handlers run, one inside the other: a change that arrives while
    // one runs came through a dialog's or a message box's own message loop.
    int HandlerDepth = 0;

    // ---- print/
    void PrintListing(Pane& s);
    // The print dialog (PrintDlgW with PD_RETURNDC); tests replace it to cancel or pick a printer.
    std::function<BOOL(PRINTDLGW&)> PrintDialog = [](PRINTDLGW& pd) { return PrintDlgW(&pd); };

    // ---- helpers
    Pane& Active() { return side[LeftActive ? 0 : 1]; }
    Pane& Other() { return side[LeftActive ? 1 : 0]; }
    Pane& OtherThan(const Pane& p) { return &p == &side[0] ? side[1] : side[0]; }
    // The pane whose control of the pair starting at first has that id, or null.
    Pane* SideFor(UINT id, UINT first) { return id == first || id == first + 1 ? &side[id - first] : nullptr; }
    bool IsLeft(const Pane& p) const { return &p == &side[0]; }
    Pane& SideOf(HWND list) { return list == side[1].List.Handle() ? side[1] : side[0]; }
    int IndexOf(const Pane& s) const { return &s == &side[1] ? 1 : 0; }
    bool GoToChecked(const Pane& s) const;
    void SetGoToChecked(Pane& s, bool checked);

    // ---- state (the window's own)
    Pane side[2];
    bool LeftActive = true;
    bool RightUnloaded = true;
    bool LeftDriveFirstChange = true;
    std::string HelpPath;
    std::string HelpFile = "Wbivane.Hlp";  // the application's help file
    bool DirDeleteRequest = false;
    bool RenameCommandRunning = false;

    // ---- shared controls and dialogs
    Panel Splash;
    HWND SplashOK = nullptr;
    HWND SplashHelp = nullptr;
    Panel MessagePanel;
    Hints hints;
    AutoImageList ListImages;
    AutoMenu PopupMenu;
    AutoGdiObject glyphs[6];
    std::unique_ptr<CompareDialog> CompareChoice;
    std::unique_ptr<ProgressDialog> Progress;
    std::unique_ptr<TextDialog> TextPrompt;
    std::unique_ptr<ConfirmDialog> Confirm;
    std::unique_ptr<ReplaceDialog> Replace;
    std::unique_ptr<JobsDialog> JobsWindow;  // Ctrl+J
    std::unique_ptr<FindWindow> FindFilesWindow;  // Ctrl+F
    std::unique_ptr<SyncWindow> SynchronizeWindow;  // Ctrl+Y
    std::unique_ptr<TaskbarProgress> Taskbar;  // a job in the background, on the taskbar button
    // The help viewer call; tests replace it so no viewer starts.
    std::function<void(const std::string& file, int context)> HelpViewer;
    // Opens the HTML help in the user's browser; tests replace it so no browser starts.
    std::function<void(const std::string& file)> HelpBrowser;

private:
    bool endingJobs_ = false;
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT ListButtonDown(Pane& s, HWND list, UINT msg, WPARAM wp, LPARAM lp);
    bool ListKey(Pane& s, HWND list, UINT msg, WPARAM wp, LPARAM lp);
    WNDPROC listProc_ = nullptr;  // the list view's own window procedure
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    void Close();                    // WM_CLOSE: asked, then at once or once the jobs stopped
    bool OnTimer(WPARAM id);         // false: not one of the window's own timers
    void OnThreadNews(UINT msg, WPARAM wp, LPARAM lp);  // posted by the window's threads
    LRESULT OnNotify(NMHDR* hdr);
    void OnCommand(int id, int code, HWND control);
    bool KeepFocusAcrossActivation(WPARAM wp);
    void OwnerDraw(UINT msg, LPARAM lp);
    void CreateControls();
    void LoadImages();
    void CreateSplash();
    void AddHints();
    void ConnectEvents();
    void PaintSplash(HDC dc, const RECT& r);
    void ShowPopupMenu(HWND from, int x, int y);
    bool MenuShortcut(WORD key, TShiftState shift);  // Ctrl+R and Ctrl+T, before the key map
    TShiftState ShiftForMouse(WPARAM wp) const;
    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    bool firstShow_ = true;
    bool created_ = false;
    bool quitOnDestroy_ = false;
    bool fittingColumns_ = false;
    HWND lastFocus_ = nullptr;  // the control that had the focus when the window was deactivated
};

template <typename F>
void MainWindow::Guard(F&& fn) noexcept {
    try {
        fn();
    } catch (const std::exception& e) {
        ReportError(e.what());
    } catch (...) {
        ReportError("Unexpected error");
    }
}

// Posted by the folder walk's thread to the main window: sizes are ready to be taken.
constexpr UINT kFolderSizesReady = WM_APP + 1;
// Posted by a side's follower (wParam: 0 left, 1 right): the folder it shows changed or went.
constexpr UINT kFolderChanged = WM_APP + 2;
// On the job thread: a message box the job needs, asked of the window the job was handed and
// waited for (Cancel when the program ends first).
int AskFromJobThread(BoxKind kind, const std::string& text, BoxButtons buttons);
// Posted by the job thread: a message box it needs answered (lParam: the question, JobBox).
constexpr UINT kJobAsks = WM_APP + 3;
// Posted by the job thread: a job ended (EndJobs).
constexpr UINT kJobEnded = WM_APP + 4;
// The timer that shows a background job's progress in the title (and ends jobs whose news was lost).
constexpr UINT_PTR kJobTimer = 25;
// Set when the user chose to exit while jobs ran: a job still running then (blocked in a read of a
// device that stopped answering) is abandoned and the window closes.
constexpr UINT_PTR kCloseTimer = 26;
// The timer that retries a follow held back (FollowHeldSides).
constexpr UINT_PTR kFollowRetryTimer = 24;

// Control ids of the main window's children.
// Each pane's controls of a kind come in a pair: the first id is the left side's, the next the
// right side's (SideFor).
enum ControlId {
    IdTreeButton = 101, IdNewDirButton = 103, IdUpButton = 105, IdGoToBox = 107, IdSplashOK = 109, IdSplashHelp,
    IdDrive = 201, IdTree = 203, IdList = 205,
    IdMenuBase = 1000  // + MenuItem
};

}  // namespace bivane
