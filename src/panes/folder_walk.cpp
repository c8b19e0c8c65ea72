#include "panes/folder_walk.h"

#include <algorithm>

#include "platform/folder_scan.h"

namespace bivane {

std::optional<FolderTotal> SumFolder(const std::wstring& path, const std::atomic<bool>& stop) {
    FolderTotal total;
    // Depth first through a list of folders still to read: a deep tree needs no deep stack.
    std::vector<std::wstring> pending{path};
    bool top = true;
    while (!pending.empty()) {
        const std::wstring folder = std::move(pending.back());
        pending.pop_back();
        FolderScan scan(folder);
        if (!scan.Opened()) {
            if (top) return std::nullopt;
            ++total.unreadable;
            continue;
        }
        top = false;
        const std::size_t below = pending.size();
        while (scan.Next()) {
            if (stop.load(std::memory_order_relaxed)) return std::nullopt;
            switch (StepFor(scan.Name(), scan.Attributes())) {
            case WalkStep::Count:
                total.bytes += scan.Size();
                ++total.files;
                break;
            case WalkStep::Descend:
                ++total.folders;
                pending.push_back(folder + L"\\" + scan.Name());
                break;
            case WalkStep::Skip:
                if (scan.Attributes() & FILE_ATTRIBUTE_REPARSE_POINT) ++total.linksSkipped;
                break;
            }
        }
        // Subfolders in the order listed, as a recursive walk reads them.
        std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(below), pending.end());
    }
    return total;
}

FolderSizer::FolderSizer(std::function<void()> notify) : notify_(std::move(notify)) {}

FolderSizer::~FolderSizer() {
    Stop();
    if (thread_.joinable()) thread_.join();
}

void FolderSizer::Start(std::vector<FolderSizeJob> jobs) {
    if (jobs.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (running_ && !stop_) {
            for (FolderSizeJob& j : jobs) queue_.push_back(std::move(j));
            return;
        }
    }
    // No thread, or one that was told to stop: it ends within an entry.
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = false;
    queue_.clear();
    for (FolderSizeJob& j : jobs) queue_.push_back(std::move(j));
    thread_ = std::thread([this] { Work(); });
    running_ = true;
}

void FolderSizer::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return;
    stop_ = true;
    queue_.clear();
}

bool FolderSizer::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

std::vector<FolderSizeResult> FolderSizer::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(results_, {});
}

void FolderSizer::Work() noexcept {
    for (;;) {
        FolderSizeResult r;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (queue_.empty() || stop_) {
                running_ = false;
                return;
            }
            r.job = std::move(queue_.front());
            queue_.pop_front();
        }
        try {
            const std::optional<FolderTotal> total = SumFolder(r.job.path, stop_);
            if (total) {
                r.total = *total;
            } else if (stop_) {
                continue;  // stopped: no result, not even a failed one
            } else {
                r.failed = true;
            }
        } catch (...) {  // out of memory on a huge tree: that folder shows no size
            r.failed = true;
        }
        try {
            std::lock_guard<std::mutex> lock(mutex_);
            results_.push_back(std::move(r));
        } catch (...) {
            continue;
        }
        if (notify_) notify_();
    }
}

}  // namespace bivane
