// The file commands' work (the copying, moving and deleting a confirmed command does) runs on a
// thread of its own, one job at a time, so that the window stays live meanwhile. What a job needs
// from the user is asked on the window's thread (AskOnWindow); its stop flag is read between files.
#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/stoppable.h"
#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

struct Job {
    std::function<void()> work;       // runs on the job thread
    std::exception_ptr error;         // what it threw, for the window's thread
    std::atomic<bool> stop{false};    // Escape: stop after the file under way
    HANDLE quitting = nullptr;        // set when the program ends: a question waits no more
    AutoKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set when it ended
};

class JobQueue : public Stoppable {
public:
    JobQueue() = default;
    ~JobQueue() override;
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    // Queues work behind the jobs waiting; the thread starts with the first.
    std::shared_ptr<Job> Add(std::function<void()> work);
    // The job under way on this thread (the job thread's own), or none.
    static Job* Current();
    // Set when the queue is told to end: a job waiting for an answer gives up.
    HANDLE Quitting() const { return quitting_.get(); }

    void RequestStop() override;
    bool Ended() const override { return !thread_.joinable() || ended_; }

private:
    void Work() noexcept;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Job>> waiting_;
    bool quit_ = false;
    std::atomic<bool> ended_{false};
    AutoKernelHandle quitting_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
};

}  // namespace bivane
