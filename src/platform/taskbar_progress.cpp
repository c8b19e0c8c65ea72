#include "platform/taskbar_progress.h"

#include <shobjidl.h>

namespace bivane {

TaskbarProgress::~TaskbarProgress() {
    if (list_) {
        Clear();
        list_->Release();
    }
    if (com_) CoUninitialize();
}

bool TaskbarProgress::Ready() {
    if (asked_) return list_ != nullptr;
    asked_ = true;
    // S_FALSE too when this thread had it already: each success is undone once.
    com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    void* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &list))) return false;
    list_ = static_cast<ITaskbarList3*>(list);
    if (FAILED(list_->HrInit())) {
        list_->Release();
        list_ = nullptr;
    }
    return list_ != nullptr;
}

void TaskbarProgress::Show(std::int64_t done, std::int64_t all, bool paused) {
    if (!window_ || all <= 0 || !Ready()) return;
    list_->SetProgressState(window_, paused ? TBPF_PAUSED : TBPF_NORMAL);
    list_->SetProgressValue(window_, static_cast<ULONGLONG>(done < 0 ? 0 : done), static_cast<ULONGLONG>(all));
    shown_ = true;
}

void TaskbarProgress::Clear() {
    if (!shown_ || !list_) return;
    list_->SetProgressState(window_, TBPF_NOPROGRESS);
    shown_ = false;
}

}  // namespace bivane
