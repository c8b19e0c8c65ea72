// One piece of the viewer's work on a thread of its own (a search, counting lines), so the window
// stays live meanwhile: it can be told to stop, says how far it got, and posts a message to the
// window when it ends. The work reads the file through a source of its own.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "platform/win.h"

namespace bivane::viewer {

struct JobResult {
    std::int64_t at = -1;     // a match or a line's start; -1: none
    std::size_t length = 0;   // of a match
    std::int64_t count = 0;   // lines counted
    bool failed = false;      // the work threw
};

class BackgroundJob {
public:
    // The work gets a flag to stop at and a figure of progress to keep up to date.
    using Work = std::function<JobResult(const std::atomic<bool>& stop, std::atomic<std::int64_t>& progress)>;
    // Starts the work; posts message (WPARAM id) to window when it is done.
    BackgroundJob(HWND window, UINT message, WPARAM id, Work work);
    // Stops the work and waits for it: a slice at most, a few milliseconds.
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Asks the work to stop at its next look at the flag, without waiting for it.
    void RequestStop() { stop_.store(true); }
    std::int64_t Progress() const { return progress_.load(); }
    bool Done() const { return done_.load(); }
    // Valid once Done().
    const JobResult& Result() const { return result_; }

private:
    std::atomic<bool> stop_{false}, done_{false};
    std::atomic<std::int64_t> progress_{0};
    JobResult result_;
    std::thread thread_;
};

}  // namespace bivane::viewer
