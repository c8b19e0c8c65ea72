#include "panes/folder_follow.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <unordered_map>

#include "core/paths.h"
#include "platform/change_watch.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/utf.h"

namespace bivane {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kLateNames = 100;  // milliseconds
constexpr std::size_t kOccupants = 4, kUnsure = 16;  // enough that one removed leaves others

// Whether dir holds name, exactly that name (a case twin found instead is another name).
bool There(const std::string& dir, const std::wstring& name) {
    if (name.empty() || name.find_first_of(L"\\/*?") != std::wstring::npos) return false;
    WIN32_FIND_DATAW fd{};
    const AutoFindHandle find(FindFirstFileExW(ExactPath(JoinPathRootAware(dir, Narrow(name))).c_str(), FindExInfoBasic,
                                               &fd, FindExSearchNameMatch, nullptr, 0));
    return find && name == fd.cFileName;
}

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
    const bool fenced = Fenced && Fenced(dir);
    if (fenced) Fence(true);  // before the thread opens it
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
    if (!fenced && fenced_) {  // a new folder: the window reads it itself, nothing to tell
        fenced_ = false;
        Resume(false);
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

void FolderFollower::Known(const std::string& dir, const std::vector<Entry>& entries) {
    std::vector<std::wstring> names;
    for (const Entry& e : entries) {
        if (names.size() == kOccupants) break;
        if (e.kind != EntryKind::Parent && e.reach == Reach::Exact) names.push_back(Widen(e.Name()));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    knownDir_ = dir;
    known_ = std::move(names);
}

void FolderFollower::Occupants::For(const std::string& folder) {
    if (folder == dir) return;
    dir = folder;
    there.clear();
    unsure.clear();
}

void FolderFollower::Occupants::Consider(std::wstring name) {
    if (unsure.size() < kUnsure && std::find(unsure.begin(), unsure.end(), name) == unsure.end()) {
        unsure.push_back(std::move(name));
    }
}

bool FolderFollower::Occupants::Any(const std::atomic<bool>& stop) {
    // Those there at the last check first; each is looked at again: a removal may be told late.
    std::vector<std::wstring> names = std::move(there);
    there.clear();
    names.insert(names.end(), std::make_move_iterator(unsure.begin()), std::make_move_iterator(unsure.end()));
    unsure.clear();
    for (std::wstring& name : names) {
        if (there.size() == kOccupants || stop) break;
        if (std::find(there.begin(), there.end(), name) == there.end() && There(dir, name)) there.push_back(std::move(name));
    }
    return stop || !there.empty();  // told to stop: the watch is left as it is, the thread has news
}

// Whether dir holds a name now, looked at by name: the window's, the watch's or a reading's.
bool FolderFollower::Occupied(const std::string& dir) {
    occupants_.For(dir);
    std::vector<std::wstring> known;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (knownDir_ == dir) known.swap(known_);
    }
    for (std::wstring& name : known) occupants_.Consider(std::move(name));
    return occupants_.Any(interrupt_);
}

void FolderFollower::Pause() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (paused_++ == 0) loadsAtPause_ = loads_;
    Changed();
    released_.wait(lock, [this] { return !holding_; });
}

void FolderFollower::Resume(bool tell) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_ > 0 && --paused_ == 0) {
        resumed_ = tell && !wanted_.empty() && loads_ == loadsAtPause_;
        Changed();
    }
}

void FolderFollower::Fence(bool fenced) {
    if (fenced == fenced_) return;
    fenced_ = fenced;
    if (fenced) {
        Pause();
    } else {
        Resume();
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
        occupants_.For(dir);
        for (const Entry& e : listing->entries) {
            if (occupants_.unsure.size() >= kOccupants) break;
            if (e.kind != EntryKind::Parent && e.reach == Reach::Exact) occupants_.Consider(Widen(e.Name()));
        }
    } catch (...) {
        // Not read here (out of memory, no thread for a big folder): the window reads it itself.
    }
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        read_ = Read{std::move(listing), std::nullopt, loads};
    } catch (...) {
        return;
    }
    Tell();
}

void FolderFollower::DeliverNames(const std::string& dir, const std::vector<std::wstring>& names) {
    if (names.empty()) return;
    // Each name costs the window a few comparisons to put it in its place; a burst of many is read
    // here whole, and the window matches the listing in one pass.
    if (names.size() > kMostByName) return Deliver(dir);
    const std::uint64_t loads = loads_;
    std::optional<std::vector<NameChange>> changes;
    try {
        changes = LookAtNames(dir, names);
    } catch (...) {
        // Out of memory: read whole, or not at all.
    }
    if (!changes) return Deliver(dir);
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        if (read_ && read_->loads == loads) {
            // Not taken yet: a listing is older than these changes (read it again); changes before
            // these are kept, and a name changed again counts as it is now.
            if (!read_->changes) {
                read_.reset();
                throw std::runtime_error("read again");
            }
            auto& kept = *read_->changes;
            if (kept.size() + changes->size() > kMostByName) {
                read_.reset();
                throw std::runtime_error("read again");
            }
            std::unordered_map<std::string, std::size_t> at;
            for (std::size_t i = 0; i < kept.size(); ++i) at.emplace(kept[i].name, i);
            for (NameChange& c : *changes) {
                if (const auto same = at.find(c.name); same != at.end()) {
                    kept[same->second] = std::move(c);
                } else {
                    kept.push_back(std::move(c));
                }
            }
        } else {
            read_ = Read{std::nullopt, std::move(changes), loads};
        }
    } catch (...) {
        return Deliver(dir);
    }
    Tell();
}

FolderFollower::News FolderFollower::TakeListing(std::optional<Listing>& listing, std::vector<NameChange>* changes) {
    std::optional<Read> r;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        r.swap(read_);
    }
    if (!r || r->loads != loads_) return News::None;
    if (r->changes && changes) {
        *changes = std::move(*r->changes);
        return News::Changes;
    }
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

// Watches dir until the follower is told something new. At a check the folder is let go for a
// moment, unless it surely holds a name: under Wine a folder that another program removes stays
// while a handle holds it. A change the watch missed meanwhile, or on a file system that gives no
// notifications, shows in the folder's date. A folder that went is told once, and looked for again.
void FolderFollower::Watch(const std::string& dir, std::int64_t stamp, unsigned generation) {
    std::optional<Identity> identity = IdentityOf(dir);
    ChangeWatch watch(dir, true);
    std::vector<std::wstring> names;
    // After a change settled: the names the system said, or the whole folder when it could not say.
    auto deliver = [&] {
        if (watch.ByName()) {
            const bool all = watch.TakeNames(names);
            occupants_.For(dir);
            for (const std::wstring& name : names) occupants_.Consider(name);  // it may have just come
            if (all) return DeliverNames(dir, names);
        }
        Deliver(dir);
    };
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
            deliver();
            // Names going may be the folder going: one made again at once is another folder.
            if (IdentityOf(dir) != identity) Check(watch, dir, stamp, identity, true);
            continue;
        }
        if (got == WAIT_OBJECT_0) continue;
        // Another folder under the name: the watch, on the old one, would never hear of it.
        const bool replaced = IdentityOf(dir) != identity;
        // A change the system has not told yet (it tells a few milliseconds late under Wine)
        // already shows in the folder's date: its names are waited for a moment before the folder
        // is let go, rather than reading it whole after.
        if (!replaced && watch.ByName() && FolderWriteTime(dir) != stamp &&
            WaitForSingleObject(watch.Handle(), kLateNames) == WAIT_OBJECT_0) {
            if (!Settle(watch)) return;
            stamp = FolderWriteTime(dir);
            deliver();
            continue;
        }
        Check(watch, dir, stamp, identity, replaced);
    }
}

std::optional<FolderFollower::Identity> FolderFollower::IdentityOf(const std::string& dir) {
    const AutoCloseHandle h(CreateFileW(ExactPath(dir).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
    return Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

void FolderFollower::Check(ChangeWatch& watch, const std::string& dir, std::int64_t& stamp,
                           std::optional<Identity>& identity, bool replaced) {
    const std::int64_t date = FolderWriteTime(dir);
    // Letting go costs a moment with no watch (10 to 20 ms in a big folder under Wine), and a
    // change made then is known only by the date, by a whole reading. Only an empty folder can
    // be removed: one that holds a name now is watched on.
    if (!replaced && watch.ByName() && date == stamp && Occupied(dir)) return;
    watch.Close();
    identity = IdentityOf(dir);
    const std::int64_t after = FolderWriteTime(dir);
    if (after >= 0) watch.Open(dir, true);
    if (after != stamp || replaced) {
        if (after < 0) Tell(); else Deliver(dir);
    }
    stamp = after;
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
