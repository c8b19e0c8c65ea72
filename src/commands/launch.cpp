// Starting programs and documents: double click, the viewer and the typed command line.
#include "form/main_window.h"
#include "panes/reach.h"
#include "core/scoped_flag.h"
#include "fileops/text_dialog.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/process.h"

namespace bivane {

namespace {

const char kViewer[] = "BVLIST.EXE ";
const char kPromptCaption[] = "AltExecute: Enter command line... (F10=Filename)";

// Use the show-window field, and the busy cursor while the program starts.
constexpr DWORD kStartFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;


}  // namespace

bool MainWindow::RunCommandLine(const std::string& commandLine, WORD show, DWORD waitMs) {
    return StartProcess(commandLine, kStartFlags, show, NORMAL_PRIORITY_CLASS, waitMs);
}

void MainWindow::ShowInViewer(Pane& s) {
    if (s.CurrentItem < 0 || s.CurrentItem >= static_cast<int>(s.Entries.size())) return;
    const Entry& e = s.Entries[static_cast<size_t>(s.CurrentItem)];
    if (!e.IsFile() || !Reachable(hwnd_, e)) return;
    // The file's full path, quoted: its own name in the side's directory, whatever is current.
    RunCommandLine(kViewer + ("\"" + JoinPathRootAware(s.Tree.Directory(), e.Name()) + "\""), SW_SHOW, 0);
}

void MainWindow::OpenCurrent(Pane& s) {
    const int item = s.List.FirstSelected();
    if (item < 0 || item >= static_cast<int>(s.Entries.size())) return;
    const Entry& e = s.Entries[static_cast<size_t>(item)];
    const std::string ext = Extension(e.caption);
    if (e.kind == EntryKind::Parent || !Reachable(hwnd_, e)) return;
    const std::string path = JoinPathRootAware(s.Tree.Directory(), e.Name());
    // Only the lower-case spelling takes the plain start; any other goes through the shell,
    // which starts programs too.
    if (ext == ".exe") {
        StartProgram(path, SW_SHOWNORMAL);
    } else {
        ShellOpen(hwnd_, path, s.Tree.Directory(), SW_SHOW);
    }
}

void MainWindow::PromptCommandLine(Pane& s) {
    TextPrompt->PromptFileName = s.CurrentName;
    const std::string dir = s.Tree.Directory();
    ChangeDir(dir);
    TextPrompt->Prepare(kPromptCaption, "Current directory: " + dir);
    ScopedFlag open(TextPrompt->CommandLinePromptOpen);
    if (TextPrompt->ShowModal(hwnd_) != IDOK) return;
    const std::string line = TextPrompt->Text();
    if (!line.empty()) RunCommandLine(line, SW_SHOW, 0);
}

}  // namespace bivane
