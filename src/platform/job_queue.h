// The file commands' work (the copying, moving and deleting a confirmed command does) runs on a
// thread of its own, one job at a time, so that the window stays live meanwhile; later jobs wait
// in order. What a job needs from the user is asked on the window's thread; its stop and pause
// are read between two blocks of a file.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/stoppable.h"
#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

struct Job {
    int id = 0;
    std::function<void()> work;       // runs on the job thread
    std::exception_ptr error;         // what it threw, for the window's thread
    std::atomic<bool> stop{false};    // Escape or Cancel: stop after the block under way
    std::atomic<bool> paused{false};  // waits between two blocks
    std::atomic<bool> ran{false};     // it began (a job cancelled while waiting never does)
    std::atomic<bool> background{false};  // no dialog shows it: the title does
    HANDLE quitting = nullptr;        // set when the program ends: a question waits no more
    HWND asks = nullptr;              // the window that answers its questions (it may be gone)
    AutoKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set when it ended
    // Set by the window once it took the job back (its progress dialog shown for the last time):
    // the next job begins only then, so two jobs never share the dialog.
    AutoKernelHandle released{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // How far it got, for the title and the queue window.
    std::atomic<std::int64_t> filesDone{0}, files{0}, bytesDone{0}, bytes{0};
    std::atomic<std::int64_t> fileBytesDone{0};  // of the file under way, not yet in bytesDone
    std::int64_t BytesDone() const { return bytesDone + fileBytesDone; }
    std::string File() const;
    void SetFile(const std::string& name);
    bool Done() const { return WaitForSingleObject(done.get(), 0) == WAIT_OBJECT_0; }

private:
    mutable std::mutex mutex_;
    std::string file_;
};

class JobQueue : public Stoppable {
public:
    // ended is called on the job thread (it must not throw) after each job.
    explicit JobQueue(std::function<void()> ended = nullptr) : ended_(std::move(ended)) {}
    ~JobQueue() override;
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    // Queues work behind the jobs waiting; the thread starts with the first. asks: the window that
    // answers the job's questions, handed over now so the job never reads the window's state.
    std::shared_ptr<Job> Add(std::function<void()> work, HWND asks = nullptr);
    // The running job first, then those waiting, in order.
    std::vector<std::shared_ptr<Job>> Jobs() const;
    // A waiting job moves by places (negative: forward), never before the running one.
    void Move(int id, int by);
    // Stops the job: the running one after its block; a waiting one never begins.
    void Cancel(int id);

    // On the job thread: the job under way, or none.
    static Job* Current();
    // On the job thread, between two files or blocks: waits while paused; whether to stop.
    static bool StopAsked();
    // On the job thread: how far the job got.
    static void Report(std::int64_t filesDone, std::int64_t files, std::int64_t bytesDone, std::int64_t bytes);
    // On the job thread, between two blocks: the bytes done of the file under way (Report starts
    // the next file at none).
    static void ReportInFile(std::int64_t bytes);

    // Also takes the job thread out of a read or write that blocks (a device that stopped
    // answering), where the system allows.
    void RequestStop() override;
    bool Ended() const override { return !thread_.joinable() || ended_flag_; }

private:
    void Work() noexcept;

    std::function<void()> ended_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Job>> jobs_;  // the running one first
    bool running_ = false;
    bool quit_ = false;
    int nextId_ = 1;
    std::atomic<bool> ended_flag_{false};
    AutoKernelHandle threadHandle_;  // the job thread's, for CancelSynchronousIo
    AutoKernelHandle quitting_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
};

}  // namespace bivane
