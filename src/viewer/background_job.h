// One piece of the viewer's work beside the window (a search, counting lines), so the window
// stays live meanwhile: it can be told to stop, says how far it got, and posts a message to the
// window when it ends. The work reads the file through a source of its own. The window's jobs run
// one after another on one thread (JobThread) that lives as long as the window.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/win.h"

namespace bivane::viewer {

struct JobResult {
    std::int64_t at = -1;     // a match or a line's start; -1: none
    std::size_t length = 0;   // of a match
    std::int64_t count = 0;   // lines counted
    bool failed = false;      // the work threw
};

// A thread kept for a window's jobs: under Wine a new thread costs milliseconds, as much as going
// to a line in a file of 100 MB. Started with the first job; its destructor waits for the job
// running, if any, to return.
class JobThread {
public:
    JobThread() = default;
    ~JobThread();
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;
    void Start();  // ahead of the first job, when one is about to come
    void Run(std::function<void()> task);

private:
    void Loop();
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool quit_ = false;
    std::thread thread_;
};

class BackgroundJob {
public:
    // The work gets a flag to stop at and a figure of progress to keep up to date.
    using Work = std::function<JobResult(const std::atomic<bool>& stop, std::atomic<std::int64_t>& progress)>;
    // Queues the work on the thread; posts message (WPARAM id) to window when it is done.
    BackgroundJob(JobThread& thread, HWND window, UINT message, WPARAM id, Work work);
    // Stops the work and waits for it: a slice at most, a few milliseconds (and the slice of a
    // job stopped before it, still on the thread).
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Asks the work to stop at its next look at the flag, without waiting for it.
    void RequestStop() { state_->stop.store(true); }
    std::int64_t Progress() const { return state_->progress.load(); }
    bool Done() const { return state_->done.load(); }
    // Valid once Done().
    const JobResult& Result() const { return state_->result; }

private:
    // Shared with the task on the thread, which may outlive this object by a moment.
    struct State {
        std::atomic<bool> stop{false}, done{false};
        std::atomic<std::int64_t> progress{0};
        JobResult result;
        std::mutex mutex;
        std::condition_variable ended;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace bivane::viewer
