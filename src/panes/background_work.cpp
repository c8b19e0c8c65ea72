#include "panes/background_work.h"

#include <algorithm>

#include "core/paths.h"

namespace bivane {

void HandleWalker::Pause() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++paused_;
    interrupt_ = true;
    changed_.wait(lock, [this] { return !holding_; });
}

void HandleWalker::Resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused_ > 0) --paused_;
    changed_.notify_all();
}

void HandleWalker::RequestStop() {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    interrupt_ = true;
    changed_.notify_all();
}

bool HandleWalker::Hold(unsigned generation) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return paused_ == 0 || quit_ || generation != generation_; });
    if (quit_ || generation != generation_) return false;
    holding_ = true;
    interrupt_ = false;
    return true;
}

void HandleWalker::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    holding_ = false;
    changed_.notify_all();
}

BackgroundWork::BackgroundWork(HWND window, UINT folderChanged, UINT sizesReady, UINT jobEnded) {
    for (const WPARAM side : {WPARAM{0}, WPARAM{1}}) {
        auto follower = std::make_unique<FolderFollower>(
            [window, folderChanged, side] { return PostMessageW(window, folderChanged, side, 0) != FALSE; });
        follower->Fenced = [this](const std::string& dir) { return Fenced(dir); };
        followers_[side] = follower.get();
        threads_.push_back(std::move(follower));
    }
    auto sizer = std::make_unique<FolderSizer>([window, sizesReady] { return PostMessageW(window, sizesReady, 0, 0) != FALSE; });
    sizer_ = sizer.get();
    threads_.push_back(std::move(sizer));
    auto jobs = std::make_unique<JobQueue>([window, jobEnded] { PostMessageW(window, jobEnded, 0, 0); });
    jobs_ = jobs.get();
    threads_.push_back(std::move(jobs));
}

BackgroundWork::Paused::Paused(BackgroundWork& work) : work_(work) {
    work_.followers_[0]->Pause();
    work_.followers_[1]->Pause();
    work_.sizer_->Pause();
    for (PausableWork* w : work_.adopted_) w->Pause();
}

BackgroundWork::Paused::~Paused() {
    work_.followers_[0]->Resume();
    work_.followers_[1]->Resume();
    work_.sizer_->Resume();
    for (PausableWork* w : work_.adopted_) w->Resume();
}

BackgroundWork::Fence::Fence(BackgroundWork& work, std::vector<std::string> goes, std::vector<std::string> held)
    : work_(work), goes_(std::move(goes)), held_(std::move(held)) {
    work_.goes_.insert(work_.goes_.end(), goes_.begin(), goes_.end());
    work_.held_.insert(work_.held_.end(), held_.begin(), held_.end());
    work_.Refence();
}

namespace {

void EraseEach(std::vector<std::string>& from, const std::vector<std::string>& these) {
    for (const std::string& f : these) {
        const auto at = std::find(from.begin(), from.end(), f);
        if (at != from.end()) from.erase(at);
    }
}

}  // namespace

BackgroundWork::Fence::~Fence() {
    EraseEach(work_.goes_, goes_);
    EraseEach(work_.held_, held_);
    work_.Refence();
}

bool BackgroundWork::Fenced(const std::string& dir) const {
    return std::any_of(goes_.begin(), goes_.end(), [&](const std::string& f) { return AtOrBelow(dir, f); }) ||
           std::any_of(held_.begin(), held_.end(), [&](const std::string& f) { return AtOrBelow(dir, f) && AtOrBelow(f, dir); });
}

void BackgroundWork::Refence() {
    if (!sizer_) return;  // ended
    for (FolderFollower* f : followers_) f->Fence(Fenced(f->Folder()));
    const bool sizer = !goes_.empty();
    if (sizer == sizerFenced_) return;
    sizerFenced_ = sizer;
    if (sizer) {
        sizer_->Pause();
        for (PausableWork* w : adopted_) w->Pause();
    } else {
        sizer_->Resume();
        for (PausableWork* w : adopted_) w->Resume();
    }
}

int BackgroundWork::End() {
    followers_[0] = followers_[1] = nullptr;
    sizer_ = nullptr;
    jobs_ = nullptr;
    adopted_.clear();
    return EndWithin(threads_, kEndWait);
}

}  // namespace bivane
