// The lists' pop-up menu and its two shortcuts.
#include "app/Unit1.h"

namespace bivane {

namespace {
void Add(HMENU menu, MenuItem item, const wchar_t* caption) {
    AppendMenuW(menu, MF_STRING, IdMenuBase + static_cast<UINT>(item), caption);
}
}  // namespace

void TForm1::ShowPopupMenu(HWND from, int x, int y) {
    if (from != side[0].List.Handle() && from != side[1].List.Handle()) return;
    if (!PopupMenu) {
        HMENU file = CreatePopupMenu();
        Add(file, MenuItem::Copy1, L"&Copy");
        Add(file, MenuItem::Delete1, L"&Delete");
        Add(file, MenuItem::Move1, L"&Move");
        Add(file, MenuItem::Rename1, L"&Rename");
        Add(file, MenuItem::Show1, L"&Show");
        HMENU tag = CreatePopupMenu();
        Add(tag, MenuItem::TagAll1, L"&All files");
        Add(tag, MenuItem::InvertTags1, L"&Invert tags");
        Add(tag, MenuItem::NewerorDups1, L"&Newer or Dups\tCtrl+T");
        Add(tag, MenuItem::MClearAll, L"&Untag all files");
        HMENU print = CreatePopupMenu();
        Add(print, MenuItem::DirectoryListing1, L"&Directory Listing");
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(tag), L"&Tag...");
        Add(menu, MenuItem::Refresh1, L"&Refresh\tCtrl+R");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(print), L"&Print");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        Add(menu, MenuItem::About1, L"&About...");
        Add(menu, MenuItem::MHelpTopics1, L"&Help Topics");
        Add(menu, MenuItem::Exit2, L"E&xit");
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

bool TForm1::MenuShortcut(WORD key, TShiftState shift) {
    if (shift != ssCtrl) return false;
    if (key == 'R') {
        RereadActive();
        return true;
    }
    if (key == 'T') {
        CompareSides();
        return true;
    }
    return false;
}

void TForm1::RunMenuItem(MenuItem item) {
    Active().FollowFocus();
    switch (item) {
        case MenuItem::Copy1: RunFileCommand(ConfirmMode::Copy); break;
        case MenuItem::Delete1: RunFileCommand(ConfirmMode::Delete); break;
        case MenuItem::Move1: RunFileCommand(ConfirmMode::Move); break;
        case MenuItem::Rename1: RenameCurrent(); break;
        case MenuItem::Show1: ShowInViewer(); break;
        case MenuItem::TagAll1: TagAll(); break;
        case MenuItem::InvertTags1: InvertTags(); break;
        case MenuItem::NewerorDups1: CompareSides(); break;
        case MenuItem::MClearAll: UntagAll(); break;
        case MenuItem::Refresh1: RereadActive(); break;
        case MenuItem::DirectoryListing1: PrintListing(); break;
        case MenuItem::About1: ShowAbout(); break;
        case MenuItem::MHelpTopics1: ShowHelp(); break;
        case MenuItem::Exit2: Exit(); break;
        case MenuItem::None: break;
    }
}

}  // namespace bivane
