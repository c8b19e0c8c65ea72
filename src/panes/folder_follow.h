// Following the folder a side shows: a thread of its own waits on the system's change
// notification, reads the folder again and tells the window, which shows what was read. Bursts are
// merged: the thread waits for a change to settle and keeps a gap between two readings.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/stoppable.h"
#include "panes/listing.h"
#include "platform/handles.h"
#include "platform/win.h"
#include "platform/window_news.h"

namespace bivane {

class ChangeWatch;

// At most this many names changed at once are shown by name; more, and the folder is read whole:
// each name costs the window a place found by comparing names and, under Wine, the list view's new
// count costs 0.1 s for 10,000 rows, so a burst of a few hundred names shown by name kept a key
// waiting longer than one reading of the whole folder on the follower's thread did.
constexpr std::size_t kMostByName = 32;

struct FollowTiming {
    std::chrono::milliseconds quiet{40};   // a change counts once no other came for this long
    std::chrono::milliseconds gap{250};    // at least this long between two tellings
    std::chrono::milliseconds check{500};  // how often the folder is looked for (it may be gone)
};

class FolderFollower : public Stoppable {
public:
    // post tells the window (on the follower's thread; it must not throw) that the folder changed
    // or is gone, and says whether the message was posted; it is called again only after Taken,
    // or a little later when the post failed.
    explicit FolderFollower(std::function<bool()> post, FollowTiming timing = {});
    ~FolderFollower() override;  // the thread ends and lets the folder go
    FolderFollower(const FolderFollower&) = delete;
    FolderFollower& operator=(const FolderFollower&) = delete;

    // Follows dir from now on; the folder followed so far is let go. The same folder again
    // changes nothing. The thread starts with the first folder.
    void Follow(const std::string& dir);
    const std::string& Folder() const { return dir_; }  // the window thread's own copy
    // The window has taken the news: the next change is told again.
    void Taken() { news_.Taken(); }
    // The window reads the folder itself now (a load): what the thread read before is older, and
    // a reading under way stops. Changes are told from the folder's date now on.
    void Loaded();
    // What the window read of dir just now: a few of its names, which the thread looks at while it
    // watches (a folder with a name in it need not be let go, see Watch).
    void Known(const std::string& dir, const std::vector<Entry>& entries);
    // What the thread has for the window with its latest news.
    enum class News { None, Read, Unread, Changes };
    // Read: the listing the thread read. Changes: the names that changed, as they are now (the
    // system said which; the folder was not read). Unread: the thread could not read it (out of
    // memory), the window reads it itself. None: nothing to show (the folder went, or the reading
    // is stale, begun before the window's own last load, which is newer).
    News TakeListing(std::optional<Listing>& listing, std::vector<NameChange>* changes = nullptr);
    // Pause: once it returns (a reading under way stops at its next name), the folder is no longer
    // held open (nested pauses count). Resume watches again and tells once, for what changed
    // meanwhile, unless the window read the folder itself since the pause.
    void Pause();
    void Resume() { Resume(true); }
    // Paused while fenced, once however often it is said: a job deletes or moves the folder or one
    // above it. Fenced (set by the owner) is asked for each folder Follow is told, before it is
    // watched.
    void Fence(bool fenced);
    std::function<bool(const std::string& dir)> Fenced;
    void RequestStop() override;
    bool Ended() const override { return !thread_.joinable() || ended_; }

private:
    void Resume(bool tell);  // tell: once, for what changed meanwhile (not for a folder new since)
    void Work() noexcept;
    // What a path reaches: the volume's serial and the file index. A folder deleted and made again,
    // or replaced by a link to another, is another folder under the same name.
    struct Identity {
        DWORD volume = 0, high = 0, low = 0;
        bool operator==(const Identity&) const = default;
    };
    static std::optional<Identity> IdentityOf(const std::string& dir);
    void Watch(const std::string& dir, std::int64_t stamp, unsigned generation);
    // The look at dir between two waits: the watch opened again on what is there now, and the
    // folder read, when its date moved or it was replaced (identity: the one the watch is open on).
    void Check(ChangeWatch& watch, const std::string& dir, std::int64_t& stamp, std::optional<Identity>& identity,
               bool replaced);
    bool Settle(ChangeWatch& watch);
    bool Unchanged(unsigned generation);
    void Tell();
    void Deliver(const std::string& dir);  // reads dir, then tells
    // Looks at the names the system said changed in dir, then tells; reads dir when it must.
    void DeliverNames(const std::string& dir, const std::vector<std::wstring>& names);
    void Changed();  // what the thread must do changed (mutex_ held)
    bool Occupied(const std::string& dir);

    // A few names the folder held, looked at again at each check: while one is there the folder
    // cannot be removed (only an empty one can), so it need not be let go. The thread's.
    struct Occupants {
        std::string dir;
        std::vector<std::wstring> there, unsure;  // there at the last check; to be looked at
        void For(const std::string& folder);  // forgets the names of another folder
        void Consider(std::wstring name);
        bool Any(const std::atomic<bool>& stop);  // looks at each: whether one is there
    };
    Occupants occupants_;

    WindowNews news_;
    FollowTiming timing_;
    std::string dir_;  // what Follow was told last (window thread)
    bool fenced_ = false;  // window thread
    std::atomic<std::uint64_t> loads_{0};
    std::atomic<bool> interrupt_{false};  // a reading under way stops: the thread has news
    std::atomic<bool> ended_{false};
    std::chrono::steady_clock::time_point lastTold_{};

    std::mutex mutex_;
    std::condition_variable released_;
    std::string wanted_;      // the folder to follow
    std::int64_t wantedStamp_ = -1;  // its date when the window was about to read it
    unsigned generation_ = 0;  // counts the changes of wanted_, paused_ and stop_
    int paused_ = 0;
    std::uint64_t loadsAtPause_ = 0;
    bool resumed_ = false;  // tell once watching again
    bool holding_ = false;  // the thread holds the folder open
    bool stop_ = false;
    struct Read {
        std::optional<Listing> listing;  // none: it could not be read (unless changes)
        std::optional<std::vector<NameChange>> changes;  // instead of a listing
        std::uint64_t loads;  // the window's loads when the reading began
    };
    std::optional<Read> read_;
    std::string knownDir_;  // Known's, until the thread takes them
    std::vector<std::wstring> known_;
    AutoKernelHandle wake_;  // set whenever what the thread must do changed
    std::thread thread_;
};

// Pauses both followers for the life of a command that copies, moves, deletes or renames: under
// Wine a folder that another handle holds open is not removed, though the removal reports success.
class PausedFollowing {
public:
    PausedFollowing(FolderFollower* a, FolderFollower* b) : a_(a), b_(b) {
        if (a_) a_->Pause();
        if (b_) b_->Pause();
    }
    ~PausedFollowing() {
        if (a_) a_->Resume();
        if (b_) b_->Resume();
    }
    PausedFollowing(const PausedFollowing&) = delete;
    PausedFollowing& operator=(const PausedFollowing&) = delete;

private:
    FolderFollower* a_;
    FolderFollower* b_;
};

}  // namespace bivane
