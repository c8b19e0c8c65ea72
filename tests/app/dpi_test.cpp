// The main window and the dialogs at 100%, 125%, 150% and 200%. Wine cannot move a window to a
// monitor of another DPI, so each case sends the WM_DPICHANGED that such a move sends on Windows.
#include "support/form_fixture.h"

#include <cstdlib>

#include "app/layout_rules.h"
#include "core/dpi.h"
#include "fileops/confirm_dialog.h"
#include "fileops/jobs_dialog.h"
#include "fileops/text_dialog.h"
#include "fileops/progress_dialog.h"
#include "fileops/replace_dialog.h"
#include "panes/column_rules.h"
#include "platform/dpi.h"
#include "platform/utf.h"
#include "tags/compare_dialog.h"

namespace bivane::test {

namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

void SendDpiChanged(HWND w, int dpi, int outerW, int outerH) {
    RECT now{};
    GetWindowRect(w, &now);
    RECT suggested{now.left, now.top, now.left + outerW, now.top + outerH};
    SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The text a control shows, its "&" marks taken out, as wide as its font draws it.
int TextNeed(HWND control, std::string text) {
    std::string shown;
    for (char c : text) {
        if (c != '&') shown += c;
    }
    return TextWidthIn(control, shown);
}

int FontHeight(HFONT font) {
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    return lf.lfHeight;
}

SIZE BitmapSize(HGDIOBJ bmp) {
    BITMAP b{};
    GetObjectW(bmp, sizeof b, &b);
    return {b.bmWidth, b.bmHeight};
}

void ExpectAt(HWND w, const Box& b, const char* what) {
    const RECT r = ChildRect(w);
    EXPECT_EQ(r.left, b.x) << what;
    EXPECT_EQ(r.top, b.y) << what;
    EXPECT_EQ(r.right - r.left, std::max(b.w, 0)) << what;
    EXPECT_EQ(r.bottom - r.top, std::max(b.h, 0)) << what;
}

// Every control of the main window where the layout puts it for dpi, in the UI font of dpi, with
// its pictures drawn for dpi.
void ExpectLaidOutFor(MainWindow& form, int dpi) {
    const RECT client = ClientRect(form.Handle());
    LayoutMetrics m = ScaledMetrics(dpi);
    m.driveHeight = form.side[0].Drive.Height();
    const MainLayout l = ComputeLayout(client.right, client.bottom, m);
    for (int i = 0; i < 2; ++i) {
        Pane& s = form.side[i];
        ExpectAt(s.List.Handle(), l.list[i], "list");
        ExpectAt(s.Title.Handle(), l.title[i], "title");
        ExpectAt(s.Status.Handle(), l.status[i], "status bar");
        ExpectAt(s.Tree.Handle(), l.tree[i], "tree");
        ExpectAt(s.ShowTree, l.showTree[i], "tree button");
        ExpectAt(s.GoTo, l.goTo[i], "GoTo box");
        ExpectAt(s.UpLevel, l.upLevel[i], "up button");
        EXPECT_EQ(ChildRect(s.Drive.Handle()).right - ChildRect(s.Drive.Handle()).left, Scaled(145, dpi));
        // The selector's field and items hold a line of its font whole.
        TEXTMETRICW tm{};
        {
            WindowDC dc(s.Drive.Handle());
            ScopedSelect font(dc.get(), FontOf(s.Drive.Handle()));
            GetTextMetricsW(dc.get(), &tm);
        }
        EXPECT_GE(SendMessageW(s.Drive.Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), tm.tmHeight);
        EXPECT_GE(SendMessageW(s.Drive.Handle(), CB_GETITEMHEIGHT, 0, 0), tm.tmHeight);
        EXPECT_EQ(FontHeight(FontOf(s.List.Handle())), -Scaled(11, dpi));
        EXPECT_EQ(FontHeight(FontOf(s.Status.Handle())), -Scaled(11, dpi));
        EXPECT_EQ(BitmapSize(reinterpret_cast<HGDIOBJ>(SendMessageW(s.NewDir, BM_GETIMAGE, IMAGE_BITMAP, 0))).cx,
                  Scaled(16, dpi));
    }
    int iconW = 0, iconH = 0;
    ImageList_GetIconSize(form.ListImages.get(), &iconW, &iconH);
    EXPECT_EQ(iconW, Scaled(16, dpi));
    EXPECT_EQ(ChildRect(form.Splash.Handle()).right - ChildRect(form.Splash.Handle()).left, Scaled(173, dpi));
}

// Every label, button and box of a dialog shows its whole text: a box's or button's text beside
// its mark or inside its edges.
void ExpectNoTextCut(ModalForm& dialog, int dpi) {
    for (HWND c = GetWindow(dialog.Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(c, cls, 32);
        const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
        const std::string text = WindowText(c);
        if (text.empty() || (style & SS_PATHELLIPSIS) == SS_PATHELLIPSIS || (style & SS_TYPEMASK) == SS_OWNERDRAW) continue;
        int room = ClientRect(c).right;
        if (lstrcmpiW(cls, L"Button") == 0) {
            const LONG_PTR kind = style & BS_TYPEMASK;
            const bool mark = kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON || kind == BS_AUTOCHECKBOX;
            room -= mark ? Scaled(13 + 4, dpi) : Scaled(2 * 3, dpi);  // the mark and its gap, or the edges
        } else if (lstrcmpiW(cls, L"Static") != 0) {
            continue;  // an edit holds what the user types
        }
        EXPECT_LE(TextNeed(c, text), room) << dialog.ClassName() << " \"" << text << "\" at " << dpi;
    }
}

}  // namespace

class Dpi : public FormTest {};

// Every figure of the layout, the fonts, the pictures and the columns at each DPI, texts whole;
// back at 96 everything is where it was, to the pixel.
TEST_F(Dpi, TheMainWindowScalesAtEachDpiAndComesBackTo96Exactly) {
    StartWith({{"Readme.txt", 1234567}, {"Program Files\\"}});
    const RECT list96 = ChildRect(Right().List.Handle());
    const RECT drive96 = ChildRect(Right().Drive.Handle());
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        SendDpiChanged(form->Handle(), dpi, Scaled(550, dpi), Scaled(345, dpi));
        EXPECT_EQ(form->Dpi(), dpi);
        ExpectLaidOutFor(*form, dpi);
        // Widths as fitted: Modified and Size as designed, scaled (Modified wider where the face
        // that stands in for the designed one is wider); names, sizes, dates and the status texts
        // whole in their cells.
        Pane& s = Left();
        EXPECT_GE(s.List.ColumnWidth(2), Scaled(kModifiedColumnWidth, dpi));
        if (dpi == 96) {
            EXPECT_EQ(s.List.ColumnWidth(2), kModifiedColumnWidth);
        }
        EXPECT_GE(s.List.ColumnWidth(1), Scaled(kSizeColumnWidth, dpi));
        const int cellPad = Scaled(12, dpi);  // the list's margins around a cell's text
        const int row = IndexOfCaption(s, "Readme.txt");
        EXPECT_LE(TextWidthIn(s.List.Handle(), CellText(s, row, 0)) + Scaled(16, dpi) + cellPad, s.List.ColumnWidth(0));
        EXPECT_LE(TextWidthIn(s.List.Handle(), CellText(s, row, 1)) + cellPad, s.List.ColumnWidth(1));
        EXPECT_LE(TextWidthIn(s.List.Handle(), CellText(s, row, 2)) + cellPad, s.List.ColumnWidth(2));
        for (int panel = 0; panel < 3; ++panel) {
            EXPECT_LE(TextWidthIn(s.Status.Handle(), s.Status.Text(panel)), s.Status.PanelWidth(panel)) << panel;
        }
        EXPECT_LE(TextWidthIn(s.Title.Handle(), s.Title.Caption()), ChildRect(s.Title.Handle()).right);
    }
    SendDpiChanged(form->Handle(), 96, 550, 345);
    RECT outer{};
    GetWindowRect(form->Handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, 550);
    EXPECT_EQ(outer.bottom - outer.top, 345);
    const RECT list = ChildRect(Right().List.Handle());
    const RECT drive = ChildRect(Right().Drive.Handle());
    EXPECT_TRUE(EqualRect(&list, &list96)) << list.left << "," << list.top << "," << list.right << "," << list.bottom << " was "
                                           << list96.left << "," << list96.top << "," << list96.right << "," << list96.bottom;
    EXPECT_TRUE(EqualRect(&drive, &drive96)) << drive.left << "," << drive.top << "," << drive.right << "," << drive.bottom
                                             << " was " << drive96.left << "," << drive96.top << "," << drive96.right << ","
                                             << drive96.bottom;
    EXPECT_EQ(FontHeight(FontOf(Left().List.Handle())), -11);
}

// The smallest size the window can be given, at each DPI: dragged smaller, it stays there
// (WM_GETMINMAXINFO); every status text and the Name column stay whole.
TEST_F(Dpi, TheWindowKeepsItsSmallestSizeAtEachDpi) {
    StartWith({{"Readme.txt", 1234567}});
    for (int dpi : kDpis) {
        SCOPED_TRACE(dpi);
        SendDpiChanged(form->Handle(), dpi, Scaled(550, dpi), Scaled(345, dpi));
        MINMAXINFO info{};
        SendMessageW(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        const ClientSize least = MinClientSize(dpi);
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(form->Handle(), GWL_STYLE));
        const SIZE outer = OuterSizeForDpi(least.w, least.h, style, 0, dpi);
        EXPECT_EQ(info.ptMinTrackSize.x, outer.cx);
        EXPECT_EQ(info.ptMinTrackSize.y, outer.cy);
        // Windows keeps a window to its tracking size on a SetWindowPos too.
        SetWindowPos(form->Handle(), nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const RECT client = ClientRect(form->Handle());
        EXPECT_GE(client.right, least.w);
        EXPECT_GE(client.bottom, least.h);
        Pane& s = Left();
        EXPECT_GE(s.List.ColumnWidth(0), Scaled(kNameColumnRoom, dpi));
        const int row = IndexOfCaption(s, "Readme.txt");
        EXPECT_LE(TextWidthIn(s.List.Handle(), CellText(s, row, 1)) + Scaled(12, dpi), s.List.ColumnWidth(1));
        EXPECT_LE(TextWidthIn(s.List.Handle(), CellText(s, row, 2)) + Scaled(12, dpi), s.List.ColumnWidth(2));
        for (int panel = 0; panel < 3; ++panel) {
            EXPECT_LE(TextWidthIn(s.Status.Handle(), s.Status.Text(panel)), s.Status.PanelWidth(panel)) << panel;
        }
        EXPECT_GE(s.List.VisibleRows(), 3);
    }
}

// Each dialog: its client area and every control scaled, every text whole, at each DPI; at 96
// the sizes it was designed with.
TEST_F(Dpi, EveryDialogScalesWithItsTextsWhole) {
    StartIn(tmp.Path());
    form->Confirm->SetMode(ConfirmMode::Delete);
    form->Confirm->SetMode(ConfirmMode::Copy);
    struct Dialog {
        ModalForm* form;
        int clientW, clientH;
    } dialogs[] = {
        {form->Confirm.get(), 313, 159}, {form->CompareChoice.get(), 249, 105}, {form->TextPrompt.get(), 353, 129},
        {form->Progress.get(), 361, 136}, {form->Replace.get(), 412, 205}, {form->JobsWindow.get(), 600, 261},
    };
    for (const Dialog& d : dialogs) {
        for (int dpi : {120, 144, 192, 96}) {
            SCOPED_TRACE(d.form->ClassName() + " at " + std::to_string(dpi));
            SendDpiChanged(d.form->Handle(), dpi, 0, 0);
            EXPECT_EQ(d.form->Dpi(), dpi);
            // Wine draws the frame at the system's DPI whatever the message said: the outer size
            // is checked against the frame at that DPI, the client at 96.
            RECT outer{};
            GetWindowRect(d.form->Handle(), &outer);
            const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(d.form->Handle(), GWL_STYLE));
            const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(d.form->Handle(), GWL_EXSTYLE));
            const SIZE want = OuterSizeForDpi(Scaled(d.clientW, dpi), Scaled(d.clientH, dpi), style, exStyle, dpi);
            EXPECT_EQ(outer.right - outer.left, want.cx);
            EXPECT_EQ(outer.bottom - outer.top, want.cy);
            if (dpi == SystemDpi()) {
                const RECT client = ClientRect(d.form->Handle());
                EXPECT_EQ(client.right, Scaled(d.clientW, dpi));
                EXPECT_EQ(client.bottom, Scaled(d.clientH, dpi));
            }
            ExpectNoTextCut(*d.form, dpi);
        }
    }
    // A control placed at 96 DPI lands where it was designed, and scaled from there.
    const RECT yes = ChildRect(form->Confirm->OKBtn);
    EXPECT_EQ(yes.left, 71);
    EXPECT_EQ(yes.right - yes.left, 75);
    SendDpiChanged(form->Confirm->Handle(), 192, 0, 0);
    const RECT yes192 = ChildRect(form->Confirm->OKBtn);
    EXPECT_EQ(yes192.left, 142);
    EXPECT_EQ(yes192.bottom - yes192.top, 50);
    LOGFONTW bold{};
    GetObjectW(FontOf(form->Confirm->ModeLabel), sizeof bold, &bold);
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_EQ(bold.lfHeight, -22);
}

// A screen whose DPI is set in the prefix (LogPixels): everything is made for it from the start,
// and the system draws the frames at it too, so the dialogs' client areas come out exactly.
// Run by tests/app/screen_dpi.sh at 120, 144 and 192; skipped in the ordinary run at 96.
TEST_F(Dpi, MadeForTheScreensDpiFromTheStart) {
    const char* screen = std::getenv("BIVANE_SCREEN_DPI");
    if (!screen) GTEST_SKIP() << "run by tests/app/screen_dpi.sh with the prefix at another DPI";
    const int dpi = std::atoi(screen);
    ASSERT_EQ(SystemDpi(), dpi);
    StartWith({{"Readme.txt", 1234567}});
    EXPECT_EQ(form->Dpi(), dpi);
    RECT outer{};
    GetWindowRect(form->Handle(), &outer);
    // As designed, scaled; on a screen too small for that, as large as the system lets it be.
    EXPECT_EQ(outer.right - outer.left, std::min<int>(Scaled(550, dpi), GetSystemMetrics(SM_CXMAXTRACK)));
    EXPECT_EQ(outer.bottom - outer.top, std::min<int>(Scaled(345, dpi), GetSystemMetrics(SM_CYMAXTRACK)));
    ExpectLaidOutFor(*form, dpi);
    Pane& s = Left();
    const int row = IndexOfCaption(s, "Readme.txt");
    for (int column = 0; column < 3; ++column) {
        const int picture = column == 0 ? Scaled(16, dpi) : 0;
        EXPECT_LE(TextWidthIn(s.List.Handle(), CellText(s, row, column)) + picture + Scaled(12, dpi),
                  s.List.ColumnWidth(column)) << column;
    }
    for (ModalForm* dialog : std::initializer_list<ModalForm*>{form->Confirm.get(), form->CompareChoice.get(),
                                                               form->TextPrompt.get(), form->Progress.get(), form->Replace.get()}) {
        EXPECT_EQ(dialog->Dpi(), dpi) << dialog->ClassName();
        ExpectNoTextCut(*dialog, dpi);
    }
    EXPECT_EQ(ClientRect(form->Confirm->Handle()).right, Scaled(313, dpi));
    EXPECT_EQ(ClientRect(form->Confirm->Handle()).bottom, Scaled(159, dpi));
    EXPECT_EQ(ClientRect(form->Replace->Handle()).right, Scaled(412, dpi));
}

}  // namespace bivane::test
