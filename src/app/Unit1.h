// TForm1: the main window. One class, as the program is one window; its methods live in the
// subsystem folders, one file per concern (app/, panes/, tags/, fileops/, commands/, print/).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/controls.h"
#include "controls/file_list.h"
#include "panes/dir_tree.h"
#include "panes/drive_combo.h"
#include "panes/entry.h"
#include "platform/handles.h"
#include "platform/win.h"

#include <commdlg.h>

namespace bivane {

class TConfirmTag;
class TProgress;
class TGetTxt;
class TConfirm;

// Shift state of a key or mouse event.
enum ShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;
enum class MouseButton { Left, Right, Middle };

// The pop-up menu's entries, passed as the sender of their handlers.
enum class MenuItem {
    None, Copy1, Delete1, Move1, Rename1, Show1, TagAll1, InvertTags1, NewerorDups1, MClearAll,
    Refresh1, DirectoryListing1, About1, MHelpTopics1, Exit2
};

// The per-side state and controls. Index 0 is the left side, 1 the right side.
struct Side {
    // State
    std::vector<Entry> Entries;
    int CurrentItem = -1;  // index into Entries, -1 for none
    std::string CurrentName;
    std::int64_t FileCount = 0;
    std::int64_t TagCount = 0;
    std::int64_t TagBytes = 0;
    bool SortedByName = true;
    bool RenamePending = false;
    std::string OldName;
    std::string EditedName;
    // tags/: on while a sort carries selection and focus along; the list's reports are no changes
    bool Reordering = false;

    // Controls
    FileListView List;
    Panel Title;
    StatusBar Status;
    DriveComboBox Drive;
    DirectoryListBox Tree;
    PathLabel Path;
    HWND ShowTree = nullptr;  // SpeedButton1 / SpeedButton2
    HWND NewDir = nullptr;    // SpeedButton3 / SpeedButton4
    HWND UpLevel = nullptr;   // SpeedButton5 / SpeedButton6
    HWND GoTo = nullptr;      // CheckBox1 / CheckBox2
};

class TForm1 {
public:
    // Creates the main window and its controls and runs FormCreate (which loads the left side).
    // The window is not shown yet; Show() does that and runs the first layout pass.
    TForm1();
    ~TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HWND Handle() const { return hwnd_; }
    void Show();
    // Runs messages until the window is closed.
    int Run();
    // Runs fn and shows any error it raises in the application's error report.
    template <typename F>
    void Guard(F&& fn) noexcept;
    void ReportError(const char* text) noexcept;

    // ---- app/
    void FormCreate();
    void FormResize();
    void ResizeColumn();
    bool FormClose();  // true: the window may close
    void Exit2Click();
    void About1Click();
    void MHelpTopics1Click();
    void SplashHelpClick();
    void ShowHelp();

    // ---- panes/
    void LoadLeftSide();
    void SetSide1Active();
    void SetSide2Active();
    void SetLeftDirHint();
    void SetRightDirHint();
    void SplashOKClick();
    void Panel1Click();
    void Panel2Click();
    void ListView1MouseDown(MouseButton button, TShiftState shift, int x, int y);
    void ListView2MouseDown(MouseButton button, TShiftState shift, int x, int y);
    void FormMouseUp(int x, int y);
    void CheckBox1Click();
    void CheckBox2Click();
    void DriveComboBox1Click();
    void DriveComboBox2Click();
    void DriveComboBox1Change();
    void DriveComboBox2Change();
    void DirectoryListBox1Change();
    void DirectoryListBox1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void DirectoryChange(int item, bool targetLeft);

    // ---- tags/
    void TagEntry(Side& s, int item);    // mark "Y", tagged image
    void UntagEntry(Side& s, int item);  // mark "N", plain or program image
    void TagItem(int item, bool advance);
    void UpdateTagTotals();
    void TagAllClick();
    void InvertTagsClick();
    void MClearAllClick();
    void ListView1MouseUp(MouseButton button, TShiftState shift, int x, int y);
    void ListView1Change(int item);
    void ListView2Change(int item);
    void SortByName();
    void SortByExt();
    void SortBySize();
    void SortByDate();
    void ListView1ColumnClick(int column);
    void ListView2ColumnClick(int column);
    void LocateItem();
    void LocateItem2(const std::string& name);
    void Refresh1Click();
    void NewerorDups1Click();
    void TagNewerOrDuplicates();
    std::int64_t LastCompareSteps = 0;  // the comparison's step counter at the end of its last run

    // ---- fileops/
    void Copy1Click(MenuItem sender);
    bool CheckDiskSpace(const std::string& sizeText, const std::string& targetPath);
    bool ShellDelete(const std::string& path, bool recycle);
    // False, after telling the user why, for an entry that no path reaches exactly.
    bool Reachable(const Entry& e);
    // Deletes one entry by its exact path: to the bin, or for good when asked or when the user agrees.
    void RemoveEntry(const std::wstring& path, const std::string& caption, bool recycle);
    void MakeNewDirectory();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void Rename1Click();
    void DoRename(MenuItem sender);
    void ListView1Editing(int item);
    void ListView2Editing(int item);
    void ListView1Edited(MenuItem sender, int item, std::string& s);
    void ListView2Edited(MenuItem sender, int item, std::string& s);
    void FinishRename(Side& s, int item, std::string& text);  // both sides' edited handlers

    // ---- commands/
    void ListView1KeyDown(WORD& key, TShiftState shift);
    void ListView1KeyPress(wchar_t& ch);
    bool RunCommandLine(const std::string& commandLine, WORD show, DWORD waitMs);
    void Show1Click();
    void ListView1DblClick();
    void AltExecute();
    void RunMenuItem(MenuItem item);  // the pop-up menu's dispatch

    // ---- print/
    void DirectoryListing1Click();
    // The print dialog (PrintDlgW with PD_RETURNDC); tests replace it to cancel or pick a printer.
    std::function<BOOL(PRINTDLGW&)> PrintDialog1 = [](PRINTDLGW& pd) { return PrintDlgW(&pd); };

    // ---- entry setters: each change of an entry's image or text is reported like the list would
    void SetEntryMark(Side& s, int item, char mark);
    void SetEntryImage(Side& s, int item, std::uint8_t image);
    void SetEntryCaption(Side& s, int item, const std::string& caption);
    void ListViewChange(Side& s, int item);  // ListView1Change / ListView2Change by side

    // ---- helpers
    Side& Active() { return side[LeftActive ? 0 : 1]; }
    Side& Other() { return side[LeftActive ? 1 : 0]; }
    Side& SideOf(HWND list) { return list == side[1].List.Handle() ? side[1] : side[0]; }
    int IndexOf(const Side& s) const { return &s == &side[1] ? 1 : 0; }
    bool GoToChecked(const Side& s) const;
    void SetGoToChecked(Side& s, bool checked);

    // ---- state (the unit-level variables)
    Side side[2];
    bool LeftActive = true;
    bool RightUnloaded = true;
    bool LeftDriveFirstChange = true;
    std::string HelpPath;
    std::string HelpFile = "Wbivane.Hlp";  // the application's help file
    bool DirDeleteRequest = false;
    bool RenameCommandRunning = false;
    bool CommandLinePromptOpen = false;
    std::string PromptFileName;

    // ---- shared controls and dialogs
    Panel Splash;
    HWND SplashOK = nullptr;
    HWND SplashHelp = nullptr;
    Panel MessagePanel;
    Hints hints;
    AutoImageList ImageList1;
    AutoMenu PopupMenu1;
    AutoGdiObject glyphs[6];
    std::unique_ptr<TConfirmTag> ConfirmTag;
    std::unique_ptr<TProgress> Progress;
    std::unique_ptr<TGetTxt> GetTxt;
    std::unique_ptr<TConfirm> Confirm;
    // The help viewer call; tests replace it so no viewer starts.
    std::function<void(const std::string& file, int context)> HelpViewer;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM);
    WNDPROC listProc_ = nullptr;  // the list view's own window procedure
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnNotify(NMHDR* hdr);
    void OnCommand(int id, int code, HWND control);
    void CreateControls();
    void PaintSplash(HDC dc, const RECT& r);
    void ShowPopupMenu(HWND from, int x, int y);
    bool MenuShortcut(WORD key, TShiftState shift);  // Ctrl+R and Ctrl+T, before the key map
    TShiftState ShiftForMouse(WPARAM wp) const;
    HWND hwnd_ = nullptr;
    bool firstShow_ = true;
    bool created_ = false;
    bool quitOnDestroy_ = false;
    HWND lastFocus_ = nullptr;  // the control that had the focus when the window was deactivated
};

template <typename F>
void TForm1::Guard(F&& fn) noexcept {
    try {
        fn();
    } catch (const std::exception& e) {
        ReportError(e.what());
    } catch (...) {
        ReportError("Unexpected error");
    }
}

// Control ids of the main window's children.
enum ControlId {
    IdSpeedButton1 = 101, IdSpeedButton2, IdSpeedButton3, IdSpeedButton4, IdSpeedButton5,
    IdSpeedButton6, IdCheckBox1, IdCheckBox2, IdSplashOK, IdSplashHelp,
    IdDrive1 = 201, IdDrive2, IdTree1, IdTree2, IdList1, IdList2,
    IdMenuBase = 1000  // + MenuItem
};

}  // namespace bivane
