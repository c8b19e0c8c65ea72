// The window's taskbar button as a progress bar, where the shell has one (Windows 7 and later; a
// no-op elsewhere): a job in the background shows how far it got there as in the title.
#pragma once
#include <cstdint>

#include "platform/win.h"

struct ITaskbarList3;

namespace bivane {

class TaskbarProgress {
public:
    explicit TaskbarProgress(HWND window) : window_(window) {}
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    void Show(std::int64_t done, std::int64_t all, bool paused);
    void Clear();

private:
    bool Ready();  // the shell's object, asked for once

    HWND window_;
    ITaskbarList3* list_ = nullptr;
    bool asked_ = false, com_ = false, shown_ = false;
};

}  // namespace bivane
