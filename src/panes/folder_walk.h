// Folder sizes, walked on a thread of their own so that the window answers keys meanwhile.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/stoppable.h"
#include "panes/folder_size_rules.h"
#include "platform/win.h"
#include "platform/window_news.h"

namespace bivane {

// Sums what the folder tree at path (an exact path) holds, links never followed. Nothing when
// stop was set before the walk ended. Safe on any thread: it touches no window and opens no file.
std::optional<FolderTotal> SumFolder(const std::wstring& path, const std::atomic<bool>& stop);

// One name of a folder tree listed for a copy, as its folder listed it.
struct TreeItem {
    std::wstring path;  // below the top folder, its parts joined by backslashes
    std::uint32_t attributes = 0;
    std::int64_t size = 0;
    FILETIME lastWrite{};
    int folder = -1;  // the item of the folder that holds it; -1: the top folder
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};
// A tree as a copy takes it: its folders and files, each folder before what it holds (its files,
// then its folders, as listed). Left out, by their paths below the top: links (never followed,
// what they point to may be anywhere, the tree itself included), names no path reaches exactly,
// and folders that could not be listed. Folders whose listing failed part way are in readInPart
// (the top's path is empty): what they listed is in items, the rest is not known.
struct TreeListing {
    std::vector<TreeItem> items;
    std::vector<std::wstring> links, unreachable, unreadable, readInPart;
};
// The tree at top (an exact path); nothing when top itself cannot be listed. Opens no file.
std::optional<TreeListing> ListTree(const std::wstring& top);

// One folder whose size a side asked for.
struct FolderSizeJob {
    int side = 0;
    std::uint64_t listing = 0;  // the side's listing when asked: a later one drops the answer
    std::string name;           // the entry's own name
    std::wstring path;          // its exact path
};
struct FolderSizeResult {
    FolderSizeJob job;
    FolderTotal total;
    bool failed = false;  // the folder itself could not be listed, or the walk failed
};

// Walks the folders asked for, one after the other, on one thread of its own (started with the
// first); results are kept for the window's thread to take, and post (called on the walking
// thread; it must not throw; false when the message could not be posted) says some are there.
// Start, Stop, Busy, Take, Pause and Resume belong to one thread, the window's.
class FolderSizer : public Stoppable {
public:
    explicit FolderSizer(std::function<bool()> post);
    ~FolderSizer() override;  // stops the walk and waits for its thread, which ends within an entry
    FolderSizer(const FolderSizer&) = delete;
    FolderSizer& operator=(const FolderSizer&) = delete;

    void Start(std::vector<FolderSizeJob> jobs);
    // The folder being walked gives no result; those waiting are dropped. Results already taken
    // or waiting to be taken stay. Returns at once: the walk stops at its next name.
    void Stop();
    // A folder is being walked or waits to be.
    bool Busy() const;
    std::vector<FolderSizeResult> Take();
    // Pause: once it returns, no folder is held open (the walk stops at its next name; nested
    // pauses count). After Resume the folder whose walk was stopped is walked again from its top.
    void Pause();
    void Resume();
    void RequestStop() override;
    bool Ended() const override { return !thread_.joinable() || ended_; }

private:
    void Work() noexcept;
    // Waits for a folder to walk, and the count of stops then; false when told to end.
    bool Next(FolderSizeJob& job, unsigned& stops);

    WindowNews news_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<FolderSizeJob> queue_;
    std::vector<FolderSizeResult> results_;
    bool walking_ = false;
    int paused_ = 0;
    unsigned stops_ = 0;  // counts Stop: a walk stopped by one is not walked again
    bool quit_ = false;
    std::atomic<bool> interrupt_{false};  // the walk under way stops
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

}  // namespace bivane
