// The file commands' work as jobs on the job thread (see JobQueue): the first runs in the
// foreground behind the progress dialog, the window live meanwhile; "Background" hides the dialog
// and the title shows how far it got; a command confirmed while a job runs waits behind it. Each
// job ends on the window's thread: its sides read again, what it did said.
#include <algorithm>
#include <memory>

#include "core/paths.h"
#include "core/scoped_flag.h"
#include "fileops/jobs_dialog.h"
#include "fileops/progress_dialog.h"
#include "find/find_window.h"
#include "sync/sync_window.h"
#include "panes/entry_rules.h"
#include "form/main_window.h"
#include "platform/taskbar_progress.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr const char* kTitle = "Bivane for Win95";

// A message box the job needs: the window's thread shows it and signals the answer.
struct JobQuestion {
    BoxKind kind = BoxKind::Information;
    std::string text;
    BoxButtons buttons = BoxButtons::Ok;
    int answer = IDCANCEL;
    AutoKernelHandle answered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

std::string Percent(const Job& j) {
    const std::int64_t done = j.bytes > 0 ? j.BytesDone() : j.filesDone.load();
    const std::int64_t all = j.bytes > 0 ? j.bytes.load() : j.files.load();
    return std::to_string(all > 0 ? done * 100 / all : 0) + "%";
}

}  // namespace

std::string PendingJob::Describe() const {
    return what + " from " + from + (to.empty() ? "" : " to " + to);
}

void MainWindow::StartJob(PendingJob pending, std::function<void()> work) {
    if (!Background) {  // the window is closing: nothing runs beside it any more
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        Job ran;
        ran.ran = true;
        ran.error = error;
        pending.end(ran);
        return;
    }
    const bool foreground = PendingJobs.empty();
    // No reader of the program holds a folder open that the job deletes or moves, until it ended;
    // its own folders are read once at its end; the others follow the disk meanwhile (see
    // BackgroundWork::Fence).
    // (A command always acts between the folders the two sides show.)
    std::vector<std::string> held{side[0].Directory(), side[1].Directory(), pending.from};
    if (!pending.to.empty()) held.push_back(pending.to);
    pending.hold = std::make_shared<BackgroundWork::Fence>(*Background, pending.goes, std::move(held));
    pending.job = Background->Jobs().Add(std::move(work), hwnd_);
    const std::shared_ptr<Job> job = pending.job;
    const bool copy = pending.what == "Copy" || pending.what == "Synchronize";
    PendingJobs.push_back(std::move(pending));
    SetTimer(hwnd_, kJobTimer, 250, nullptr);
    if (!foreground) {
        job->background = true;
        ShowJobProgress();
        return;
    }
    if (copy) Progress->ShowModeless();  // a move or delete never had one
    Progress->OnBackground = [this, job] { SendToBackground(*job); };
    const bool ended = RunWhileInForeground(*job);
    Progress->OnBackground = nullptr;
    if (!ended) return;  // sent to the background, or the program quits: it ends when the job thread says so
    EndJobs();
}

// Whether a key is the main window's or its progress dialog's: Escape in the Find Files or
// Synchronize window is theirs.
bool MainWindow::KeyOfJobWindows(HWND to) const {
    const HWND root = GetAncestor(to, GA_ROOT);
    return root == hwnd_ || (Progress && root == Progress->Handle());
}

// Runs the window's messages until the job ends (true) or goes to the background or the
// program quits (false).
bool MainWindow::RunWhileInForeground(Job& job) {
    ScopedFlag running(JobRunning);
    const HANDLE done = job.done.get();
    while (!job.background && MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        // Once it ended, nothing more runs here: its end (and a close it leads to) comes after the command.
        while (!job.background && !job.Done() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // for the loop outside; a job blocked in a read is not waited for
                PostQuitMessage(static_cast<int>(msg.wParam));
                job.stop = true;
                return false;
            }
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && KeyOfJobWindows(msg.hwnd)) {
                if (Background) Background->Jobs().Cancel(job.id);
                continue;
            }
            // Alt+B from anywhere: the dialog shows without taking the focus from the lists.
            if (msg.message == WM_SYSKEYDOWN && msg.wParam == 'B') {
                SendToBackground(job);
                continue;
            }
            if (IsDialogMessageW(Progress->Handle(), &msg) || ModelessWindowTakes(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (CloseWhenJobEnds) job.stop = true;  // the user chose to exit meanwhile
        }
    }
    return job.Done();
}

// The Find Files and Synchronize windows are modeless: their keys (Tab, Enter, Escape, the
// letters) go to them.
bool MainWindow::ModelessWindowTakes(MSG& msg) {
    for (ModalForm* w : {static_cast<ModalForm*>(FindFilesWindow.get()), static_cast<ModalForm*>(SynchronizeWindow.get())}) {
        if (w && IsWindowVisible(w->Handle()) && IsDialogMessageW(w->Handle(), &msg)) return true;
    }
    return false;
}

void MainWindow::SendToBackground(Job& job) {
    job.background = true;
    Progress->Hide();
    ShowJobProgress();
}

// The next job may begin as soon as one ended, also while a dialog or the Jobs window is open:
// only its end (the sides read again, its reports) waits for the window to be free.
void MainWindow::ReleaseEndedJobs() {
    for (const PendingJob& p : PendingJobs) {
        if (!p.job->Done() || WaitForSingleObject(p.job->released.get(), 0) == WAIT_OBJECT_0) continue;
        if (!p.job->background) {
            Progress->Flush();
            Progress->Hide();
        }
        SetEvent(p.job->released.get());  // the next job may use the dialog from here on
    }
}

void MainWindow::EndJobs() {
    ReleaseEndedJobs();
    if (endingJobs_) return;  // its boxes run messages: a second call waits for the first
    ScopedFlag ending(endingJobs_);
    // In the order they ended: the user may have put a waiting job before another.
    for (;;) {
        const auto done = std::find_if(PendingJobs.begin(), PendingJobs.end(), [](const PendingJob& p) { return p.job->Done(); });
        if (done == PendingJobs.end()) break;
        PendingJob ended = std::move(*done);
        PendingJobs.erase(done);
        // The user chose to exit: no side is read again and nothing more is said. The file under way
        // was finished or taken back, and the staging folder goes with the job.
        if (CloseWhenJobEnds) continue;
        const bool background = ended.job->background;
        // Said where it does not take the user's next key; failures have their own report (end).
        if (background && ended.job->ran) {
            JobNews = "The job ended: " + ended.Describe() + ", " + std::to_string(ended.job->filesDone) + " of " +
                      std::to_string(ended.job->files) + " files done";
        }
        ShowJobProgress();
        ended.end(*ended.job);
    }
    if (PendingJobs.empty()) {
        KillTimer(hwnd_, kJobTimer);
        if (CloseWhenJobEnds && hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    }
}

// The title says how far the job in the background got; the taskbar button shows the title.
void MainWindow::ShowJobProgress() {
    std::string title = kTitle;
    if (!Taskbar) Taskbar = std::make_unique<TaskbarProgress>(hwnd_);
    const Job* shown = nullptr;
    for (const PendingJob& p : PendingJobs) {
        if (!p.job->background || p.job->Done() || !p.job->ran) continue;
        shown = p.job.get();
        JobNews.clear();
        title = Percent(*p.job) + " " + p.what + " " + p.job->File() + " - " + kTitle;
        if (PendingJobs.size() > 1) title += " (" + std::to_string(PendingJobs.size() - 1) + " waiting)";
        break;
    }
    if (!shown && !JobNews.empty()) title = JobNews + " - " + kTitle;
    SetWindowTextW(hwnd_, Widen(title).c_str());
    if (!shown) return Taskbar->Clear();
    const bool bytes = shown->bytes > 0;
    Taskbar->Show(bytes ? shown->BytesDone() : shown->filesDone.load(), bytes ? shown->bytes.load() : shown->files.load(),
                  shown->paused);
}

int MainWindow::JobBox(BoxKind kind, const std::string& text, BoxButtons buttons) {
    if (!JobQueue::Current()) return ShowBox(hwnd_, kind, text, buttons);
    return AskFromJobThread(kind, text, buttons);
}

int AskFromJobThread(BoxKind kind, const std::string& text, BoxButtons buttons) {
    const Job* job = JobQueue::Current();
    if (!job) return IDCANCEL;
    auto question = std::make_shared<JobQuestion>();
    question->kind = kind;
    question->text = text;
    question->buttons = buttons;
    auto posted = std::make_unique<std::shared_ptr<JobQuestion>>(question);
    // The window handed to the job, never hwnd_, which the window's thread clears.
    if (!job->asks || !PostMessageW(job->asks, kJobAsks, 0, reinterpret_cast<LPARAM>(posted.get()))) return IDCANCEL;
    (void)posted.release();  // the window's thread owns it now
    const HANDLE waits[2] = {question->answered.get(), job->quitting};
    WaitForMultipleObjects(job->quitting ? 2 : 1, waits, FALSE, INFINITE);
    return question->answer;  // Cancel when the program ended first
}

void MainWindow::AnswerJobBox(LPARAM ask) {
    const std::unique_ptr<std::shared_ptr<JobQuestion>> question(reinterpret_cast<std::shared_ptr<JobQuestion>*>(ask));
    JobQuestion& q = **question;
    q.answer = ShowBox(hwnd_, q.kind, q.text, q.buttons);
    SetEvent(q.answered.get());
}

void MainWindow::ShowJobs() {
    if (!Background) return;
    JobsDialog& d = *JobsWindow;
    auto find = [this](int id) -> Job* {
        for (const PendingJob& p : PendingJobs) {
            if (p.job->id == id) return p.job.get();
        }
        return nullptr;
    };
    d.Rows = [this] {
        std::vector<JobRow> rows;
        for (const std::shared_ptr<Job>& j : Background->Jobs().Jobs()) {
            const auto p = std::find_if(PendingJobs.begin(), PendingJobs.end(), [&](const PendingJob& q) { return q.job == j; });
            if (p == PendingJobs.end()) continue;
            const JobRow::State state = !j->ran ? JobRow::State::Waiting : j->paused ? JobRow::State::Paused : JobRow::State::Running;
            rows.push_back({j->id, p->what, p->from, p->to, j->filesDone, j->files, j->BytesDone(), j->bytes, state});
        }
        return rows;
    };
    d.Pause = [find](int id) { if (Job* j = find(id)) j->paused = true; };
    d.Resume = [find](int id) { if (Job* j = find(id)) j->paused = false; };
    d.Cancel = [this](int id) { Background->Jobs().Cancel(id); };
    d.MoveUp = [this](int id) { Background->Jobs().Move(id, -1); };
    d.MoveDown = [this](int id) { Background->Jobs().Move(id, 1); };
    d.ShowModal(hwnd_);
}

std::string MainWindow::JobsRunningText() const {
    const std::size_t n = PendingJobs.size();
    return n == 1 ? "1 job is running. Stop it and exit?"
                  : std::to_string(n) + " jobs are running or waiting. Stop them and exit?";
}

void MainWindow::StopAllJobs() {
    for (const PendingJob& p : PendingJobs) {
        p.job->stop = true;
        if (Background) Background->Jobs().Cancel(p.job->id);  // also out of a read that blocks
    }
}

// A folder a job reads from or writes into, or one below it, is not deleted, moved or renamed
// meanwhile: two writers on one entry would lose a file.
bool MainWindow::FolderFreeOfJobs(const std::string& folder) {
    for (const PendingJob& p : PendingJobs) {
        const bool going = std::any_of(p.goes.begin(), p.goes.end(), [&](const std::string& g) {
            return AtOrBelow(g, folder) || AtOrBelow(folder, g);
        });
        for (const std::string& dir : {p.from, p.to}) {
            if (!going && (dir.empty() || !AtOrBelow(dir, folder))) continue;
            ShowBox(hwnd_, BoxKind::Warning,
                    "The folder " + folder + "\ris in use by a job: " + p.Describe() +
                        ".\rWait for it to end, or cancel it (Ctrl+J).",
                    BoxButtons::Ok);
            return false;
        }
    }
    return true;
}

}  // namespace bivane
