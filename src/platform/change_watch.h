// The system's change notification on one folder: its own names only, not what its subfolders
// hold. Under Wine the notifications come from the host (inotify).
#pragma once
#include <cstdint>
#include <string>

#include "platform/win.h"

namespace bivane {

class ChangeWatch {
public:
    ChangeWatch() = default;
    // Watches dir; a folder that cannot be watched (gone, or on a file system that gives no
    // notifications) leaves the watch empty, which is no error: that folder is simply not followed.
    explicit ChangeWatch(const std::string& dir) { Open(dir); }
    ~ChangeWatch() { Close(); }
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    void Open(const std::string& dir);  // watches dir instead
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    // Signalled when a name, size, date or attribute in the folder changed; waitable.
    HANDLE Handle() const { return h_; }
    // Takes the change that signalled and watches on; false when the watch broke (the folder went).
    bool Rearm();
    // Lets the folder go: while the system holds it open, Wine does not remove it.
    void Close();

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// The folder's last-write time (it moves when a name in it comes, goes or changes), or -1 when
// the folder is not there.
std::int64_t FolderWriteTime(const std::string& dir);

}  // namespace bivane
