#include "core/stoppable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace bivane::test {

namespace {

// A thread that stops when told, or one blocked (in the file system, say) until released.
class Worker : public Stoppable {
public:
    explicit Worker(bool blocked) : blocked_(blocked), thread_([this] { Run(); }) {}
    ~Worker() override { thread_.join(); }
    void RequestStop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }
    bool Ended() const override { return ended_; }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        blocked_ = false;
        changed_.notify_all();
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stop_ && !blocked_; });
        ended_ = true;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false, blocked_;
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

}  // namespace

// The end of the program waits for its threads a short while only: one blocked is abandoned
// (never freed: it still runs), the others are stopped and freed.
TEST(Stoppable, TheEndAbandonsABlockedThreadAfterTheWaitAndFreesTheRest) {
    std::vector<std::unique_ptr<Stoppable>> threads;
    threads.push_back(std::make_unique<Worker>(false));
    auto* blocked = new Worker(true);
    threads.emplace_back(blocked);
    threads.push_back(std::make_unique<Worker>(false));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(EndWithin(threads, std::chrono::milliseconds(200)), 1);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(200));
    EXPECT_LT(took, std::chrono::milliseconds(1000));
    EXPECT_TRUE(threads.empty());
    EXPECT_FALSE(blocked->Ended());
    blocked->Release();  // the test takes it back: its memory would count as a leak
    delete blocked;

    threads.push_back(std::make_unique<Worker>(false));
    EXPECT_EQ(EndWithin(threads, std::chrono::milliseconds(5000)), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start - took, std::chrono::milliseconds(1000));  // not the whole wait
}

}  // namespace bivane::test
