// The lists' pop-up menu and its two shortcuts.
#include "form/main_window.h"
#include "fileops/copy_rules.h"

namespace bivane {

namespace {
void Add(HMENU menu, MenuItem item, const wchar_t* caption) {
    AppendMenuW(menu, MF_STRING, IdMenuBase + static_cast<UINT>(item), caption);
}
}  // namespace

void MainWindow::ShowPopupMenu(HWND from, int x, int y) {
    if (from != side[0].List.Handle() && from != side[1].List.Handle()) return;
    if (!PopupMenu) {
        HMENU file = CreatePopupMenu();
        Add(file, MenuItem::Copy, L"&Copy");
        Add(file, MenuItem::Delete, L"&Delete");
        Add(file, MenuItem::Move, L"&Move");
        Add(file, MenuItem::Rename, L"&Rename");
        Add(file, MenuItem::Show, L"&Show");
        Add(file, MenuItem::FindFiles, L"&Find Files...\tCtrl+F");
        Add(file, MenuItem::Synchronize, L"S&ynchronize...\tCtrl+Y");
        HMENU tag = CreatePopupMenu();
        Add(tag, MenuItem::TagAll, L"&All files");
        Add(tag, MenuItem::InvertTags, L"&Invert tags");
        Add(tag, MenuItem::NewerOrDuplicates, L"&Newer or Dups\tCtrl+T");
        Add(tag, MenuItem::UntagAll, L"&Untag all files");
        HMENU print = CreatePopupMenu();
        Add(print, MenuItem::DirectoryListing, L"&Directory Listing");
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(tag), L"&Tag...");
        Add(menu, MenuItem::Refresh, L"&Refresh\tCtrl+R");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(print), L"&Print");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        Add(menu, MenuItem::About, L"&About...");
        Add(menu, MenuItem::HelpTopics, L"&Help Topics");
        Add(menu, MenuItem::Exit, L"E&xit");
        PopupMenu.reset(menu);
    }
    if (x == -1 && y == -1) {  // from the keyboard: at the list's corner
        POINT p{0, 0};
        ClientToScreen(from, &p);
        x = p.x;
        y = p.y;
    }
    TrackPopupMenu(PopupMenu.get(), TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
}

void MainWindow::RunMenuItem(MenuItem item) {
    Active().FollowFocus();
    switch (item) {
        case MenuItem::Copy: RunFileCommand(ConfirmMode::Copy, Active()); break;
        case MenuItem::Delete: RunFileCommand(ConfirmMode::Delete, Active()); break;
        case MenuItem::Move: RunFileCommand(ConfirmMode::Move, Active()); break;
        case MenuItem::Rename: RenameCurrent(Active()); break;
        case MenuItem::Show: ShowInViewer(Active()); break;
        case MenuItem::TagAll: TagAll(Active()); break;
        case MenuItem::InvertTags: InvertTags(Active()); break;
        case MenuItem::NewerOrDuplicates: CompareSides(); break;
        case MenuItem::UntagAll: UntagAll(Active()); break;
        case MenuItem::Refresh: Reread(Active()); break;
        case MenuItem::DirectoryListing: PrintListing(Active()); break;
        case MenuItem::About: ShowAbout(); break;
        case MenuItem::HelpTopics: ShowHelp(); break;
        case MenuItem::Exit: Exit(); break;
        case MenuItem::FindFiles: ShowFindFiles(Active()); break;
        case MenuItem::Synchronize: ShowSynchronize(); break;
        case MenuItem::None: break;
    }
}

}  // namespace bivane
