#include "panes/folder_follow.h"

#include <system_error>

#include "platform/change_watch.h"
#include "platform/fs.h"

namespace bivane {

namespace {

using Clock = std::chrono::steady_clock;

DWORD Ms(Clock::duration d) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    return ms <= 0 ? 0 : static_cast<DWORD>(ms);
}

}  // namespace

FolderFollower::FolderFollower(std::function<bool()> post, FollowTiming timing)
    : news_(std::move(post)), timing_(timing), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

FolderFollower::~FolderFollower() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void FolderFollower::Changed() {
    ++generation_;
    interrupt_ = true;
    if (wake_) SetEvent(wake_.get());
}

void FolderFollower::RequestStop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    Changed();
}

void FolderFollower::Follow(const std::string& dir) {
    if (dir == dir_ || !wake_) return;
    dir_ = dir;
    // Taken before the folder is read: what changes from here on is told, even before the thread
    // watches it.
    const std::int64_t stamp = FolderWriteTime(dir);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wanted_ = dir;
        wantedStamp_ = stamp;
        Changed();
    }
    if (thread_.joinable()) return;
    try {
        thread_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // No thread to be had: the side is simply not followed; Ctrl+R still reads it.
    }
}

void FolderFollower::Loaded() {
    const std::int64_t stamp = dir_.empty() ? -1 : FolderWriteTime(dir_);
    std::lock_guard<std::mutex> lock(mutex_);
    ++loads_;
    if (wanted_ != dir_) return;  // no thread to be had for it
    wantedStamp_ = stamp;
    Changed();  // watched again from this date: the thread does not read what the window just read
}

void FolderFollower::Pause() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (paused_++ == 0) loadsAtPause_ = loads_;
    Changed();
    released_.wait(lock, [this] { return !holding_; });
}

void FolderFollower::Resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_ > 0 && --paused_ == 0) {
        resumed_ = !wanted_.empty() && loads_ == loadsAtPause_;
        Changed();
    }
}

bool FolderFollower::Unchanged(unsigned generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    return generation == generation_;
}

void FolderFollower::Tell() {
    lastTold_ = Clock::now();
    news_.Tell();
}

// The reading is done here, not on the window's thread, so that keys are answered meanwhile.
void FolderFollower::Deliver(const std::string& dir) {
    const std::uint64_t loads = loads_;
    std::optional<Listing> listing;
    try {
        listing = ReadListing(dir, interrupt_);
        if (!listing) return;  // stopped: the thread has something new to do
    } catch (...) {
        // Not read here (out of memory, no thread for a big folder): the window reads it itself.
    }
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        read_ = Read{std::move(listing), loads};
    } catch (...) {
        return;
    }
    Tell();
}

FolderFollower::News FolderFollower::TakeListing(std::optional<Listing>& listing) {
    std::optional<Read> r;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        r.swap(read_);
    }
    if (!r || r->loads != loads_) return News::None;
    if (!r->listing) return News::Unread;
    listing = std::move(r->listing);
    return News::Read;
}

void FolderFollower::Work() noexcept {
    for (;;) {
        std::string dir;
        std::int64_t stamp = -1;
        unsigned generation = 0;
        bool tell = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) {
                ended_ = true;
                return;
            }
            if (paused_ == 0) {
                dir = wanted_;
                stamp = wantedStamp_;
                tell = std::exchange(resumed_, false);
            }
            generation = generation_;
            interrupt_ = false;
            holding_ = !dir.empty();
        }
        if (tell) Deliver(dir);
        if (dir.empty()) {
            WaitForSingleObject(wake_.get(), INFINITE);
            continue;
        }
        try {
            Watch(dir, stamp, generation);
        } catch (...) {
            // Out of memory for a path: this folder is not followed until the next one.
            WaitForSingleObject(wake_.get(), INFINITE);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        holding_ = false;
        released_.notify_all();
    }
}

// Watches dir until the follower is told something new. Every check the folder is let go for a
// moment: under Wine a folder that another program removes stays while a handle holds it. A
// change the watch missed meanwhile, or on a file system that gives no notifications, shows in
// the folder's date. A folder that went is told once, and looked for again.
void FolderFollower::Watch(const std::string& dir, std::int64_t stamp, unsigned generation) {
    ChangeWatch watch(dir);
    if (const std::int64_t now = FolderWriteTime(dir); now != stamp) {
        stamp = now;
        if (now < 0) Tell(); else Deliver(dir);
    }
    for (;;) {
        if (news_.Pending()) news_.Tell();  // the last post failed: the window must still hear
        const HANDLE waits[2] = {wake_.get(), watch.Handle()};
        const DWORD wait = news_.Pending() ? DWORD{100} : Ms(timing_.check);
        const DWORD got = WaitForMultipleObjects(watch ? 2 : 1, waits, FALSE, wait);
        if (!Unchanged(generation)) return;
        if (got == WAIT_TIMEOUT && news_.Pending()) continue;
        if (got == WAIT_OBJECT_0 + 1) {
            if (!Settle(watch)) return;
            stamp = FolderWriteTime(dir);
            Deliver(dir);
            continue;
        }
        if (got == WAIT_OBJECT_0) continue;
        watch.Close();
        const std::int64_t now = FolderWriteTime(dir);
        if (now >= 0) watch.Open(dir);
        if (now != stamp) {
            if (now < 0) Tell(); else Deliver(dir);
        }
        stamp = now;
    }
}

// Waits for a burst of changes to end, or for the gap since the last telling, whichever is
// later, but no longer than a gap past its start. False when the follower was told something new.
bool FolderFollower::Settle(ChangeWatch& watch) {
    const Clock::time_point start = Clock::now();
    while (watch.Rearm() && Clock::now() - start < timing_.gap) {
        const HANDLE waits[2] = {wake_.get(), watch.Handle()};
        const DWORD got = WaitForMultipleObjects(2, waits, FALSE, Ms(timing_.quiet));
        if (got == WAIT_OBJECT_0) return false;
        if (got != WAIT_OBJECT_0 + 1) break;
    }
    const Clock::duration wait = lastTold_ + timing_.gap - Clock::now();
    if (wait > Clock::duration::zero() && WaitForSingleObject(wake_.get(), Ms(wait)) == WAIT_OBJECT_0) return false;
    return true;
}

}  // namespace bivane
