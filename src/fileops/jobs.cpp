// The file commands' work on the job thread, the window live meanwhile (see JobQueue).
#include <memory>

#include "core/scoped_flag.h"
#include "form/main_window.h"

namespace bivane {

namespace {

// A message box the job needs: the window's thread shows it and signals the answer.
struct JobQuestion {
    BoxKind kind = BoxKind::Information;
    std::string text;
    BoxButtons buttons = BoxButtons::Ok;
    int answer = IDCANCEL;
    AutoKernelHandle answered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

void MainWindow::RunJob(const std::function<void()>& work) {
    if (!Background) return work();  // the window is closing: nothing runs beside it any more
    const std::shared_ptr<Job> job = Background->Jobs().Add(work);
    {
        ScopedFlag running(JobRunning);
        const HANDLE done = job->done.get();
        while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {  // for the loop outside, once the job ended
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    job->stop = true;
                    break;
                }
                if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
                    job->stop = true;
                    continue;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                if (CloseWhenJobEnds) job->stop = true;  // the user chose to exit meanwhile
            }
        }
    }
    if (CloseWhenJobEnds && hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    if (job->error) std::rethrow_exception(job->error);
}

int MainWindow::JobBox(BoxKind kind, const std::string& text, BoxButtons buttons) {
    const Job* job = JobQueue::Current();
    if (!job) return ShowBox(hwnd_, kind, text, buttons);
    auto question = std::make_shared<JobQuestion>();
    question->kind = kind;
    question->text = text;
    question->buttons = buttons;
    auto posted = std::make_unique<std::shared_ptr<JobQuestion>>(question);
    if (!hwnd_ || !PostMessageW(hwnd_, kJobAsks, 0, reinterpret_cast<LPARAM>(posted.get()))) return IDCANCEL;
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

bool MainWindow::NoJobRunning() {
    if (!JobRunning) return true;
    MessageBeep(MB_OK);
    return false;
}

}  // namespace bivane
