// Folder sizes, walked on a thread of their own so that the window answers keys meanwhile.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "panes/folder_size_rules.h"

namespace bivane {

// Sums what the folder tree at path (an exact path) holds, links never followed. Nothing when
// stop was set before the walk ended. Safe on any thread: it touches no window and opens no file.
std::optional<FolderTotal> SumFolder(const std::wstring& path, const std::atomic<bool>& stop);

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

// Walks the folders asked for, one after the other, on one thread; each result is kept for the
// window's thread to take, and notify (called on the walking thread; it must not throw) says one
// is there. Start, Stop, Busy and Take belong to one thread, the window's.
class FolderSizer {
public:
    explicit FolderSizer(std::function<void()> notify);
    ~FolderSizer();  // stops the walk and waits for its thread, which ends within an entry
    FolderSizer(const FolderSizer&) = delete;
    FolderSizer& operator=(const FolderSizer&) = delete;

    void Start(std::vector<FolderSizeJob> jobs);
    // The folder being walked gives no result; those waiting are dropped. Results already taken
    // or waiting to be taken stay.
    void Stop();
    // A folder is being walked (a stopped walk ends within an entry).
    bool Busy() const;
    std::vector<FolderSizeResult> Take();

private:
    void Work() noexcept;

    std::function<void()> notify_;
    mutable std::mutex mutex_;
    std::deque<FolderSizeJob> queue_;
    std::vector<FolderSizeResult> results_;
    bool running_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace bivane
