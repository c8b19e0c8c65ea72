// Entering a listed directory or the parent, in the same pane or in either pane.
#include <cctype>

#include "form/main_window.h"
#include "panes/reach.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"

namespace bivane {

void MainWindow::EnterDirectory(Pane& source, int item, Pane& target) {
    if (item < 0 || item >= static_cast<int>(source.Entries.size())) return;
    const Entry& e = source.Entries[static_cast<size_t>(item)];
    if (e.IsFile() || !Reachable(hwnd_, e)) return;
    const std::string name = e.Name();
    const std::string dir = source.Tree.Directory();
    if (DirectoryError(dir) != 0) {
        ShowBox(hwnd_, BoxKind::Warning, "Cannot find directory", BoxButtons::Ok);
    }
    // Built before any activation: the directory where the entry was listed.
    const std::string path = dir + "\\" + name;
    if (&target != &source) Activate(target);
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    if (letter != target.Drive.Drive()) target.Drive.SetDrive(letter);
    target.Tree.SetDirectory(path);
}

}  // namespace bivane
