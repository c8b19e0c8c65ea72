#include "viewer/background_job.h"

namespace bivane::viewer {

BackgroundJob::BackgroundJob(HWND window, UINT message, WPARAM id, Work work) {
    thread_ = std::thread([this, window, message, id, work = std::move(work)] {
        // Nothing thrown may end the process from a thread: a failure is a result like others.
        try {
            result_ = work(stop_, progress_);
        } catch (...) {
            result_ = {};
            result_.failed = true;
        }
        done_.store(true);
        PostMessageW(window, message, id, 0);
    });
}

BackgroundJob::~BackgroundJob() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
}

}  // namespace bivane::viewer
