// Ctrl+Y: synchronizing the folders of the two sides. The window plans; the plan runs as a job
// (SyncJobOnJobThread); its end reads both sides again and says in one report what was done.
#include "controls/report_window.h"
#include "core/errors.h"
#include "core/paths.h"
#include "core/wtf8.h"
#include "form/main_window.h"
#include "platform/fs.h"
#include "platform/identity.h"
#include "platform/job_queue.h"
#include "platform/modal_seam.h"
#include "sync/sync_job.h"
#include "sync/sync_window.h"

namespace bivane {

using sync::Action;
using sync::Line;

void MainWindow::ShowSynchronize() {
    if (!Background) return;
    if (!SynchronizeWindow) SynchronizeWindow = std::make_unique<SyncWindow>();
    SyncWindow& w = *SynchronizeWindow;
    if (!Comparer) {
        const HWND news = w.Handle();
        Comparer = &Background->Adopt(std::make_unique<TreeComparer>(
            [news] { return PostMessageW(news, SyncWindow::kComparerNews, 0, 0) != FALSE; }));
    }
    w.Apply = [this](const SyncPlan& plan) { ApplySync(plan); };
    // Left is the left side's folder, whichever side is active: the window's columns follow the sides.
    w.Open(hwnd_, *Comparer, side[0].Directory(), side[1].Directory());
}

void MainWindow::ApplySync(const SyncPlan& plan) {
    if (!FolderFreeOfJobs(plan.left) || !FolderFreeOfJobs(plan.right)) return;
    if (FoldersOverlap(plan.left, plan.right)) {
        ShowBox(hwnd_, BoxKind::Warning, "The two folders lie one in the other: choose two folders apart.", BoxButtons::Ok);
        return;
    }
    std::vector<std::string> goes;
    const std::vector<Line>& lines = plan.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (!l.IsFolder() || (l.action != Action::DeleteLeft && l.action != Action::DeleteRight)) continue;
        const bool right = l.action == Action::DeleteRight;
        goes.push_back(JoinPathRootAware(right ? plan.right : plan.left, Utf16ToWtf8(sync::LinePath(lines, i, right))));
    }
    auto work = std::make_shared<SyncJobOnJobThread>(
        plan, *Progress, [this](BoxKind kind, const std::string& text, BoxButtons buttons) { return JobBox(kind, text, buttons); });
    auto end = [this, work](const Job& job) { EndSync(work->Plan(), work->Outcome(), job); };
    StartJob(PendingJob{nullptr, "Synchronize", plan.left, plan.right, end, std::move(goes), nullptr}, [work] { work->Run(); });
}

void MainWindow::EndSync(const SyncPlan& plan, const SyncOutcome& outcome, const Job& job) {
    for (Pane& p : side) {
        if (AtOrBelow(p.Directory(), plan.left) || AtOrBelow(p.Directory(), plan.right)) {
            if (DirectoryError(p.Directory()) == 0) Reload(p);
        }
    }
    std::string text = SyncOutcomeText(plan, outcome);
    if (job.error) {
        try {
            std::rethrow_exception(job.error);
        } catch (const std::exception& e) {
            text += "\r\rThe job ended with an error: " + WithFullStop(e.what());
        }
    }
    ShowReport(hwnd_, SyncOutcomeBad(outcome) || job.error ? BoxKind::Warning : BoxKind::Information, text);
    // The window compares again: what is left to do shows at once.
    if (SynchronizeWindow && Comparer) {
        SynchronizeWindow->Open(hwnd_, *Comparer, plan.left, plan.right);
        SynchronizeWindow->StartCompare();
    }
}

}  // namespace bivane
