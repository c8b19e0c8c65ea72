// Ctrl+F: finding files, and going from a result to its folder or to the viewer.
#include <cctype>

#include "find/find_window.h"
#include "form/main_window.h"
#include "platform/process.h"

namespace bivane {

void MainWindow::ShowFindFiles(Pane& s) {
    if (!Background || !FindFilesWindow) return;
    FindWindow& w = *FindFilesWindow;
    if (!Finder) {
        const HWND news = w.Handle();
        Finder = &Background->Adopt(std::make_unique<FileFinder>(
            [news] { return PostMessageW(news, FindWindow::kFinderNews, 0, 0) != FALSE; }));
    }
    w.GoTo = [this, &s](const std::string& folder, const std::string& name) { GoToFound(s, folder, name); };
    // At the first match of a text search, selected (BVLIST.EXE /at=offset,length).
    w.View = [this](const std::string& path, const FoundFile& f) {
        const std::string at = f.matchAt < 0 ? std::string()
                                             : "/at=" + std::to_string(f.matchAt) + "," + std::to_string(f.matchLength) + " ";
        RunCommandLine("BVLIST.EXE " + at + "\"" + path + "\"", SW_SHOW, 0);
    };
    w.Open(hwnd_, *Finder, s.Tree.Directory());
}

void MainWindow::GoToFound(Pane& s, const std::string& folder, const std::string& name) {
    Activate(s);
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(folder.empty() ? 0 : folder[0])));
    if (letter >= 'a' && letter <= 'z' && folder.size() > 1 && folder[1] == ':' && letter != s.Drive.Drive()) {
        s.Drive.SetDrive(letter);
    }
    if (s.Tree.Directory() != folder) s.Tree.SetDirectory(folder);
    Locate(s, name);
    s.FollowFocus();
    SetForegroundWindow(hwnd_);
    SetFocus(s.List.Handle());
}

}  // namespace bivane
