#include "platform/job_queue.h"

#include <algorithm>

namespace bivane {

namespace {
thread_local Job* tCurrent = nullptr;
}

std::string Job::File() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return file_;
}

void Job::SetFile(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = name;
}

JobQueue::~JobQueue() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

Job* JobQueue::Current() { return tCurrent; }

bool JobQueue::StopAsked() {
    Job* job = tCurrent;
    if (!job) return false;
    while (job->paused && !job->stop) WaitForSingleObject(job->quitting, 50);
    return job->stop;
}

void JobQueue::Report(std::int64_t filesDone, std::int64_t files, std::int64_t bytesDone, std::int64_t bytes) {
    if (Job* job = tCurrent) {
        job->filesDone = filesDone;
        job->files = files;
        job->bytesDone = bytesDone;
        job->bytes = bytes;
        job->fileBytesDone = 0;
    }
}

void JobQueue::ReportInFile(std::int64_t bytes) {
    if (Job* job = tCurrent) job->fileBytesDone = bytes;
}

std::shared_ptr<Job> JobQueue::Add(std::function<void()> work, HWND asks) {
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    job->asks = asks;
    job->quitting = quitting_.get();
    std::lock_guard<std::mutex> lock(mutex_);
    job->id = nextId_++;
    jobs_.push_back(job);
    changed_.notify_all();
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
    return job;
}

std::vector<std::shared_ptr<Job>> JobQueue::Jobs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {jobs_.begin(), jobs_.end()};
}

void JobQueue::Move(int id, int by) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto first = jobs_.begin() + (running_ ? 1 : 0);
    const auto it = std::find_if(first, jobs_.end(), [id](const auto& j) { return j->id == id; });
    if (it == jobs_.end()) return;
    const std::ptrdiff_t from = it - first, count = jobs_.end() - first;
    const std::ptrdiff_t to = std::clamp<std::ptrdiff_t>(from + by, 0, count - 1);
    std::shared_ptr<Job> job = *it;
    jobs_.erase(it);
    jobs_.insert(jobs_.begin() + (running_ ? 1 : 0) + to, std::move(job));
}

void JobQueue::Cancel(int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& j : jobs_) {
        if (j->id != id) continue;
        j->stop = true;
        // The running one may be blocked in a read or write of a device that stopped answering.
        if (running_ && j == jobs_.front() && threadHandle_) CancelSynchronousIo(threadHandle_.get());
    }
}

void JobQueue::RequestStop() {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    for (const auto& job : jobs_) job->stop = true;
    if (quitting_) SetEvent(quitting_.get());
    if (threadHandle_) CancelSynchronousIo(threadHandle_.get());
    changed_.notify_all();
}

void JobQueue::Work() noexcept {
    {
        HANDLE self = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, THREAD_TERMINATE, FALSE, 0);
        std::lock_guard<std::mutex> lock(mutex_);
        threadHandle_.reset(self);
    }
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
            if (jobs_.empty()) break;
            job = jobs_.front();  // stays listed while it runs
            running_ = true;
        }
        tCurrent = job.get();
        try {
            if (!job->stop) {  // cancelled while it waited: never begun
                job->ran = true;
                job->work();
            }
        } catch (...) {
            job->error = std::current_exception();
        }
        tCurrent = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            jobs_.pop_front();
            running_ = false;
        }
        SetEvent(job->done.get());
        if (ended_) ended_();
        const HANDLE waits[2] = {job->released.get(), quitting_.get()};
        WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    }
    ended_flag_ = true;
}

}  // namespace bivane
