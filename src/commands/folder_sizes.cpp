// Folder sizes on demand: asked for on a side, walked on a thread of their own, shown in the
// folders' Size cells when the side still shows the listing they were asked for.
#include "form/main_window.h"
#include "panes/folder_size_rules.h"
#include "platform/fs.h"

namespace bivane {

void MainWindow::SizeFolders(Pane& s, bool all) {
    std::vector<FolderSizeJob> jobs;
    for (std::string& name : FoldersToSize(s.Entries, s.CurrentItem, all)) {
        FolderSizeJob job;
        job.side = IndexOf(s);
        job.listing = s.LoadCount;
        job.path = EntryPath(s.Directory(), name);
        job.name = std::move(name);
        jobs.push_back(std::move(job));
    }
    if (jobs.empty()) return;
    if (Sizer) Sizer->Start(std::move(jobs));
}

void MainWindow::StopFolderSizes() {
    if (Sizer) Sizer->Stop();
}

void MainWindow::ShowFolderSizes() {
    if (!Sizer) return;
    for (const FolderSizeResult& r : Sizer->Take()) {
        if (r.failed || r.job.side < 0 || r.job.side > 1) continue;
        Pane& s = side[r.job.side];
        if (s.LoadCount != r.job.listing) continue;  // read again since: the sizes went with it
        const int row = ShowFolderSize(s.Entries, r.job.name, FolderSizeText(r.total));
        if (row >= 0) s.List.RedrawItem(row);
    }
}

}  // namespace bivane
