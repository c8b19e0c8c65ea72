#include "platform/job_queue.h"

namespace bivane {

namespace {
thread_local Job* tCurrent = nullptr;
}

JobQueue::~JobQueue() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

Job* JobQueue::Current() { return tCurrent; }

std::shared_ptr<Job> JobQueue::Add(std::function<void()> work) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    job->quitting = quitting_.get();
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(job);
    changed_.notify_all();
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
    return job;
}

void JobQueue::RequestStop() {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    for (const auto& job : waiting_) job->stop = true;
    if (quitting_) SetEvent(quitting_.get());
    changed_.notify_all();
}

void JobQueue::Work() noexcept {
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || !waiting_.empty(); });
            if (waiting_.empty()) break;
            job = waiting_.front();  // stays listed while it runs
        }
        tCurrent = job.get();
        try {
            if (!quit_) job->work();
        } catch (...) {
            job->error = std::current_exception();
        }
        tCurrent = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            waiting_.pop_front();
        }
        SetEvent(job->done.get());
    }
    ended_ = true;
}

}  // namespace bivane
