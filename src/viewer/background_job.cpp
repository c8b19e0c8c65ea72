#include "viewer/background_job.h"

namespace bivane::viewer {

JobThread::~JobThread() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void JobThread::Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
}

void JobThread::Run(std::function<void()> task) {
    Start();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void JobThread::Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || !tasks_.empty(); });
        if (tasks_.empty()) return;  // quitting, nothing left
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

BackgroundJob::BackgroundJob(JobThread& thread, HWND window, UINT message, WPARAM id, Work work) {
    thread.Run([state = state_, window, message, id, work = std::move(work)] {
        // Nothing thrown may end the process from a thread: a failure is a result like others.
        // A job stopped before its turn does nothing but say it is done.
        if (!state->stop.load()) {
            try {
                state->result = work(state->stop, state->progress);
            } catch (...) {
                state->result = {};
                state->result.failed = true;
            }
        }
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->done.store(true);
        }
        state->ended.notify_all();
        PostMessageW(window, message, id, 0);
    });
}

BackgroundJob::~BackgroundJob() {
    state_->stop.store(true);
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->ended.wait(lock, [this] { return state_->done.load(); });
}

}  // namespace bivane::viewer
