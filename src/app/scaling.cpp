// The window at its monitor's DPI: pictures drawn once for it, the UI font of its size, and the
// layout's figures scaled (app/layout_rules.h). At 96 DPI all is as designed, to the pixel.
#include "form/main_window.h"
#include "core/dpi.h"
#include "platform/dpi.h"
#include "../resources/resource.h"

namespace bivane {

namespace {

void SetImage(HWND button, const AutoGdiObject& glyph) {
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(glyph.get()));
}

// A new font makes a list lay out all its rows again: only children with another font get it.
BOOL CALLBACK GiveFont(HWND child, LPARAM font) {
    if (SendMessageW(child, WM_GETFONT, 0, 0) != font) {
        SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    }
    return TRUE;
}

}  // namespace

void MainWindow::LoadImages() {
    const int size = Scaled(16, dpi_);
    AutoImageList images(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 4, 0));
    {
        AutoGdiObject strip = LoadBitmapFor(MAKEINTRESOURCEW(IDB_LISTIMAGES), dpi_);
        ImageList_AddMasked(images.get(), static_cast<HBITMAP>(strip.get()), RGB(255, 0, 255));
    }
    // The lists share the image list (LVS_SHAREIMAGELISTS): they take the new one before the old goes.
    for (Pane& s : side) {
        if (s.List.Handle()) SendMessageW(s.List.Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.get()));
    }
    ListImages = std::move(images);
    const int glyphIds[6] = {IDB_SHOWTREE, IDB_SHOWTREE_GREY, IDB_NEWDIR, IDB_NEWDIR_GREY, IDB_UPLEVEL, IDB_UPLEVEL_GREY};
    AutoGdiObject fresh[6];
    for (int i = 0; i < 6; ++i) fresh[i] = LoadBitmapFor(MAKEINTRESOURCEW(glyphIds[i]), dpi_);
    for (Pane& s : side) {
        if (!s.ShowTree) continue;
        SetImage(s.ShowTree, fresh[0]);
        SetImage(s.NewDir, fresh[2]);
        SetImage(s.UpLevel, fresh[4]);
    }
    for (int i = 0; i < 6; ++i) glyphs[i] = std::move(fresh[i]);
}

void MainWindow::ApplyDpi(int dpi) {
    dpi_ = dpi;
    LoadImages();
    EnumChildWindows(hwnd_, &GiveFont, reinterpret_cast<LPARAM>(UiFont(dpi)));
    for (HWND b : {SplashOK, SplashHelp}) {
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(UiFontVariant(dpi, false, true)), FALSE);
    }
    MoveTo(SplashOK, Scaled(24, dpi), Scaled(158, dpi), Scaled(41, dpi), Scaled(17, dpi));
    MoveTo(SplashHelp, Scaled(106, dpi), Scaled(158, dpi), Scaled(41, dpi), Scaled(17, dpi));
    const RECT splash = ChildRect(Splash.Handle());
    MoveTo(Splash.Handle(), splash.left, splash.top, Scaled(173, dpi), Scaled(182, dpi));
    for (Pane& s : side) {
        s.Drive.SetDpi(dpi);
        s.Tree.SetDpi(dpi);
        MoveTo(s.Drive.Handle(), ChildRect(s.Drive.Handle()).left, ChildRect(s.Drive.Handle()).top,
               Scaled(145, dpi), Scaled(300, dpi));
    }
    if (created_) LayOut();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainWindow::MovedToDpi(int dpi, const RECT& suggested) {
    ApplyDpi(dpi);
    MoveToSuggested(hwnd_, suggested);
}

}  // namespace bivane
