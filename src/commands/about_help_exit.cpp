// The About, Help and Exit commands (keys A, H, Q and the menu).
#include "form/main_window.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace bivane {

namespace {
const char kHtmlHelp[] = "bivane-help.html";  // built beside the program
}  // namespace

void MainWindow::Exit() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void MainWindow::ShowAbout() {
    SetVisible(Splash.Handle(), true);
    BringWindowToTop(Splash.Handle());
}

void MainWindow::FixHelpFile() {
    HelpPath = side[0].Tree.Directory() + "\\" + "WBivane.HLP";
    HelpFile = HelpPath;
}

std::string MainWindow::HtmlHelpFile() const { return JoinPathRootAware(ProgramFolder(), kHtmlHelp); }

void MainWindow::ShowHelp() {
    // A help file where the program looks for one goes to the platform's help viewer (gone from
    // recent Windows); without one, the help beside the program opens in the user's browser.
    const std::string html = HtmlHelpFile();
    if (!FileExists(HelpFile) && FileExists(html)) {
        if (HelpBrowser) HelpBrowser(html);
        return;
    }
    if (HelpViewer) HelpViewer(HelpFile, 2);
}

}  // namespace bivane
