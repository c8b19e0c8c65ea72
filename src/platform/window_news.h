// News a worker thread has for the window: one posted message that stands until the window takes
// it, so a burst of news costs one message. A post the system refuses (the window's queue holds
// 10,000 messages at most) is not lost: Pending says so, and the worker tells again a little later.
#pragma once
#include <atomic>
#include <functional>

namespace bivane {

class WindowNews {
public:
    // post posts the message and says whether it was posted (PostMessageW's result).
    explicit WindowNews(std::function<bool()> post) : post_(std::move(post)) {}
    // Any thread: posts, unless a message is already waiting to be taken.
    void Tell() {
        if (posted_.exchange(true)) return;
        const bool ok = !post_ || post_();
        pending_ = !ok;
        if (!ok) posted_ = false;
    }
    // The window's thread, before it looks at the news: what comes from now on is told again.
    void Taken() { posted_ = false; }
    // The last post failed: Tell again.
    bool Pending() const { return pending_; }

private:
    std::function<bool()> post_;
    std::atomic<bool> posted_{false}, pending_{false};
};

}  // namespace bivane
