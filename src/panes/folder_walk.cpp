#include "panes/folder_walk.h"

#include <algorithm>

#include "core/paths.h"
#include "platform/copy_temporaries.h"
#include "platform/folder_scan.h"

namespace bivane {

namespace {

// Reads the tree below top depth first through a list of folders still to read (a deep tree needs
// no deep stack), each folder's subfolders in the order listed, as a recursive walk reads them.
// enter(folder) is called as a folder below the top is opened, visit(folder, scan) for each of its
// names but "." and ".."; visit returns the subfolder to read, if any; lost(folder, inPart) is called
// for a folder below the top that cannot be listed, and for any folder (the top too) whose listing
// failed part way (inPart): what it listed is walked, the rest is not known. False when the top
// cannot be listed or stop was set.
template <class Folder, class Enter, class Visit, class Lost>
bool WalkTree(Folder top, const std::atomic<bool>& stop, Enter&& enter, Visit&& visit, Lost&& lost) {
    std::vector<Folder> pending;
    pending.push_back(std::move(top));
    bool first = true;
    while (!pending.empty()) {
        Folder folder = std::move(pending.back());
        pending.pop_back();
        FolderScan scan(folder.path);
        if (!scan.Opened()) {
            if (first) return false;
            lost(folder, false);
            continue;
        }
        if (!first) enter(folder);
        first = false;
        const std::size_t below = pending.size();
        while (scan.Next()) {
            if (stop.load(std::memory_order_relaxed)) return false;
            if (IsDotOrDotDot(scan.Name())) continue;
            if (std::optional<Folder> sub = visit(folder, scan)) pending.push_back(std::move(*sub));
        }
        if (scan.Failed()) lost(folder, true);
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(below), pending.end());
    }
    return true;
}

struct SizedFolder {
    std::wstring path;
};

// A folder of a tree listed for a copy.
struct CopiedFolder {
    std::wstring path;      // exact
    std::wstring below;     // below the top; empty for the top
    int item = -1;          // its item, once entered; -1 for the top
    TreeItem listed = {};   // as its parent listed it
};

std::wstring Below(const std::wstring& folder, std::wstring_view name) {
    return folder.empty() ? std::wstring(name) : folder + L"\\" + std::wstring(name);
}

}  // namespace

std::optional<FolderTotal> SumFolder(const std::wstring& path, const std::atomic<bool>& stop) {
    FolderTotal total;
    auto visit = [&](const SizedFolder& folder, const FolderScan& scan) -> std::optional<SizedFolder> {
        switch (StepFor(scan.Name(), scan.Attributes(), scan.ReparseTag())) {
        case WalkStep::Count:
            total.bytes += scan.Size();
            ++total.files;
            break;
        case WalkStep::Descend:
            ++total.folders;
            return SizedFolder{folder.path + L"\\" + scan.Name()};
        case WalkStep::Skip:
            if (scan.Link()) ++total.linksSkipped;
            break;
        }
        return std::nullopt;
    };
    if (!WalkTree(SizedFolder{path}, stop, [](const SizedFolder&) {}, visit, [&](const SizedFolder&, bool) { ++total.unreadable; })) {
        return std::nullopt;
    }
    return total;
}

std::optional<TreeListing> ListTree(const std::wstring& top) {
    TreeListing tree;
    const std::atomic<bool> never{false};
    auto enter = [&](CopiedFolder& folder) {
        folder.item = static_cast<int>(tree.items.size());
        tree.items.push_back(std::move(folder.listed));
    };
    auto visit = [&](const CopiedFolder& folder, const FolderScan& scan) -> std::optional<CopiedFolder> {
        // A copy's own temporaries (a killed copy's leftovers) are no data: never copied.
        if (IsCopyTemporaryName(scan.Name())) return std::nullopt;
        const std::wstring below = Below(folder.below, scan.Name());
        const TreeItem item{below, scan.Attributes(), scan.Size(), scan.LastWrite(), folder.item};
        if (scan.Link()) {
            tree.links.push_back(below);  // never followed: what it points to may be anywhere, or above
        } else if (!NameReachedExactly(scan.Name())) {
            tree.unreachable.push_back(below);
        } else if (item.IsFolder()) {
            return CopiedFolder{folder.path + L"\\" + scan.Name(), below, -1, item};
        } else {
            tree.items.push_back(item);
        }
        return std::nullopt;
    };
    auto lost = [&](const CopiedFolder& folder, bool inPart) {
        (inPart ? tree.readInPart : tree.unreadable).push_back(folder.below);
    };
    if (!WalkTree(CopiedFolder{top, L"", -1, {}}, never, enter, visit, lost)) return std::nullopt;
    return tree;
}

FolderSizer::FolderSizer(std::function<bool()> post) : news_(std::move(post)) {}

FolderSizer::~FolderSizer() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void FolderSizer::Start(std::vector<FolderSizeJob> jobs) {
    if (jobs.empty()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    for (FolderSizeJob& j : jobs) queue_.push_back(std::move(j));
    changed_.notify_all();
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
}

void FolderSizer::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
    ++stops_;
    interrupt_ = true;
}

void FolderSizer::RequestStop() {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    interrupt_ = true;
    changed_.notify_all();
}

void FolderSizer::Pause() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++paused_;
    interrupt_ = true;
    changed_.wait(lock, [this] { return !walking_; });
}

void FolderSizer::Resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_ > 0 && --paused_ == 0) changed_.notify_all();
}

bool FolderSizer::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return walking_ || !queue_.empty();
}

std::vector<FolderSizeResult> FolderSizer::Take() {
    news_.Taken();
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(results_, {});
}

bool FolderSizer::Next(FolderSizeJob& job, unsigned& stops) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (quit_) return false;
        if (paused_ == 0 && !queue_.empty()) break;
        if (!news_.Pending()) {
            changed_.wait(lock);
            continue;
        }
        // The last post failed: the results wait, and the window must still hear of them.
        changed_.wait_for(lock, std::chrono::milliseconds(100));
        lock.unlock();
        news_.Tell();
        lock.lock();
    }
    job = std::move(queue_.front());
    queue_.pop_front();
    walking_ = true;
    interrupt_ = false;
    stops = stops_;
    return true;
}

void FolderSizer::Work() noexcept {
    FolderSizeJob job;
    unsigned stops = 0;
    while (Next(job, stops)) {
        FolderSizeResult r;
        bool summed = false;
        try {
            if (const std::optional<FolderTotal> total = SumFolder(job.path, interrupt_)) {
                r.total = *total;
                summed = true;
            }
            r.failed = !summed && !interrupt_;
        } catch (...) {  // out of memory on a huge tree: that folder shows no size
            r.failed = true;
        }
        bool told = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            walking_ = false;
            changed_.notify_all();
            if (summed || r.failed) {
                r.job = std::move(job);
                try {
                    results_.push_back(std::move(r));
                    told = true;
                } catch (...) {
                }
            } else if (!quit_ && stops == stops_) {
                queue_.push_front(std::move(job));  // paused: walked again once resumed
            }
        }
        if (told) news_.Tell();
    }
    ended_ = true;
}

}  // namespace bivane
