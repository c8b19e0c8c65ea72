// Closing and the splash panel.
#include "form/main_window.h"
#include "core/dpi.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"
#include "platform/process.h"
#include "platform/utf.h"

namespace bivane {

bool MainWindow::ConfirmClose() {
    if (CloseWhenJobEnds) return PendingJobs.empty();  // the user chose it already, while jobs ran
    if (!PendingJobs.empty()) return ShowBox(hwnd_, BoxKind::Warning, JobsRunningText(), BoxButtons::YesNo) == IDYES;
    const int answer = ShowBox(hwnd_, BoxKind::Information,
                               "Thank you for using\rof Bivane for Windows 95\rfrom Harlenby Software.",
                               BoxButtons::OkCancel);
    return answer == IDOK;
}

void MainWindow::CloseSplash() {
    SetVisible(Splash.Handle(), false);
    Activate(side[0]);
}

void MainWindow::HelpFromSplash() {
    SetFocus(side[0].List.Handle());
    ShowHelp();
}

void MainWindow::PaintSplash(HDC dc, const RECT& r) {
    SetBkMode(dc, TRANSPARENT);
    const int w = r.right - r.left;
    auto px = [this](int designed) { return Scaled(designed, dpi_); };
    auto centred = [&](const wchar_t* text, int y, int h, COLORREF colour) {
        RECT tr{r.left, px(y), r.right, px(y + h)};
        SetTextColor(dc, colour);
        DrawTextW(dc, text, -1, &tr, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    {
        AutoGdiObject title(CreateFontW(-px(19), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Times New Roman"));
        ScopedSelect sel(dc, title.get());
        // A white copy one pixel lower gives the red title a light shadow.
        centred(L"WBivane", 7, 24, RGB(255, 255, 255));
        centred(L"WBivane", 6, 24, RGB(255, 0, 0));
    }
    {
        AutoGdiObject sub(CreateFontW(-px(13), 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Times New Roman"));
        ScopedSelect sel(dc, sub.get());
        centred(L"(Bivane for Windows 95)", 31, 16, RGB(0, 0, 255));
    }
    RECT bevel{r.left + px(8), px(52), r.left + w - px(8), px(52) + 2};
    DrawEdge(dc, &bevel, BDR_SUNKENOUTER, BF_RECT);
    ScopedSelect sel(dc, UiFont(dpi_));
    const wchar_t* lines[] = {L"Version 1.0", L"Harlenby Software", L"12 Quayside Lane",
                              L"Harlenby HB1 4QX", L"Written by the Bivane team", L"Release 1 (freeware)"};
    int y = 60;
    for (const wchar_t* line : lines) {
        centred(line, y, 15, RGB(0, 0, 0));
        y += 15;
    }
}

}  // namespace bivane
