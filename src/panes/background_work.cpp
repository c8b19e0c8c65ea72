#include "panes/background_work.h"

namespace bivane {

BackgroundWork::BackgroundWork(HWND window, UINT folderChanged, UINT sizesReady, UINT jobEnded) {
    for (const WPARAM side : {WPARAM{0}, WPARAM{1}}) {
        auto follower = std::make_unique<FolderFollower>(
            [window, folderChanged, side] { return PostMessageW(window, folderChanged, side, 0) != FALSE; });
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
}

BackgroundWork::Paused::~Paused() {
    work_.followers_[0]->Resume();
    work_.followers_[1]->Resume();
    work_.sizer_->Resume();
}

int BackgroundWork::End() {
    followers_[0] = followers_[1] = nullptr;
    sizer_ = nullptr;
    jobs_ = nullptr;
    return EndWithin(threads_, kEndWait);
}

}  // namespace bivane
