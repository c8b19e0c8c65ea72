// Every thread the main window starts has this one owner: the two sides' followers and the folder
// sizes, and the file commands' jobs. A command that changes folders pauses them all while it runs, so that no handle of the
// program stays open in a folder it deletes, moves or renames (under Wine such a folder is not
// removed, though the removal reports success; on Windows a rename fails). Closing tells them all
// to stop and waits a short while; a thread blocked in the file system is abandoned to the
// process's end, never joined on the window's thread.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "core/stoppable.h"
#include "panes/folder_follow.h"
#include "panes/folder_walk.h"
#include "platform/job_queue.h"
#include "platform/win.h"

namespace bivane {

// A reader that a command of its own starts (finding files): paused and ended with the others.
class PausableWork : public Stoppable {
public:
    virtual void Pause() = 0;  // once it returns, no handle of its is open; nested pauses count
    virtual void Resume() = 0;
};

// Such a reader that walks folders on a thread of its own, holding one handle at a time: Hold
// before it opens one, Release once it is closed, and between two calls it checks Interrupted (a
// pause, a stop or a new walk) and lets go. Each walk has a generation: Start and Stop count it up,
// so a walk that is no longer the current one ends. The derived class starts thread_ and keeps its
// own state under mutex_, telling changed_.
class HandleWalker : public PausableWork {
public:
    void Pause() override;
    void Resume() override;
    void RequestStop() override;
    bool Ended() const override { return !thread_.joinable() || ended_; }

protected:
    bool Hold(unsigned generation);  // waits while paused; false when the walk is to end
    void Release();
    bool Interrupted() const { return interrupt_.load(std::memory_order_relaxed); }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool holding_ = false;  // the walk has a handle open
    int paused_ = 0;
    unsigned generation_ = 0;
    bool quit_ = false;
    std::atomic<bool> interrupt_{false};
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

class BackgroundWork {
public:
    // Results reach window only as posted messages: folderChanged (WPARAM: the side),
    // sizesReady and jobEnded.
    BackgroundWork(HWND window, UINT folderChanged, UINT sizesReady, UINT jobEnded);
    ~BackgroundWork() { End(); }
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    FolderFollower& Follower(int side) { return *followers_[side]; }
    FolderSizer& Sizer() { return *sizer_; }
    JobQueue& Jobs() { return *jobs_; }
    // Takes work's thread into this owner: paused as the folder sizes are, told to stop at the end.
    template <class Work>
    Work& Adopt(std::unique_ptr<Work> work) {
        Work& w = *work;
        adopted_.push_back(&w);
        if (sizerFenced_) w.Pause();
        threads_.push_back(std::move(work));
        return w;
    }

    // Pauses every reader for the life of a command; each stops within a call to the file system.
    class Paused {
    public:
        explicit Paused(BackgroundWork& work);
        ~Paused();
        Paused(const Paused&) = delete;
        Paused& operator=(const Paused&) = delete;

    private:
        BackgroundWork& work_;
    };

    // Pauses, for the life of a job, the readers of the folders it deletes or moves (goes) and of
    // the folders below them: a follower showing one, one that comes to show one meanwhile, and the
    // folder sizes (all of them while any folder goes). The followers of the folders it reads and
    // writes (held) wait too, and tell once at the end: what the job itself changes is read once
    // then, not again and again while it writes. Every other reader goes on, so a list of another
    // folder follows the disk while the job runs.
    class Fence {
    public:
        Fence(BackgroundWork& work, std::vector<std::string> goes, std::vector<std::string> held);
        ~Fence();
        Fence(const Fence&) = delete;
        Fence& operator=(const Fence&) = delete;

    private:
        BackgroundWork& work_;
        std::vector<std::string> goes_, held_;
    };
    // Whether a follower of dir waits: dir is held, goes, or lies below a folder that goes.
    bool Fenced(const std::string& dir) const;

    // Tells every thread to stop and waits at most kEndWait for them all; how many were abandoned.
    // Nothing may be asked of this afterwards.
    int End();
    static constexpr std::chrono::milliseconds kEndWait{1000};

private:
    void Refence();  // each reader paused or not, as the fences say now

    std::vector<std::string> goes_, held_;  // every fence's folders, the window thread's
    bool sizerFenced_ = false;
    FolderFollower* followers_[2] = {};
    FolderSizer* sizer_ = nullptr;
    JobQueue* jobs_ = nullptr;
    std::vector<PausableWork*> adopted_;
    std::vector<std::unique_ptr<Stoppable>> threads_;  // owns all the above
};

}  // namespace bivane
