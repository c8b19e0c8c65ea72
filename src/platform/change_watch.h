// The system's change notification on one folder: its own names only, not what its subfolders
// hold. Under Wine the notifications come from the host (inotify).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win.h"

namespace bivane {

class ChangeWatch {
public:
    ChangeWatch() = default;
    // Watches dir; a folder that cannot be watched (gone, or on a file system that gives no
    // notifications) leaves the watch empty, which is no error: that folder is simply not followed.
    // byName: the system is asked to say which names changed, where it can.
    explicit ChangeWatch(const std::string& dir, bool byName = false) { Open(dir, byName); }
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    void Open(const std::string& dir, bool byName = false);  // watches dir instead
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    // Signalled when a name, size, date or attribute in the folder changed; waitable.
    HANDLE Handle() const { return byName_ ? request_->event : h_; }
    // Takes the change that signalled and watches on; false when the watch broke (the folder went).
    bool Rearm();
    // Whether the names that changed are known (the system says them): then TakeNames has them.
    bool ByName() const { return byName_; }
    // The names reported since the last call, each once, in the folder's own form; false when the
    // system could not keep them all (its buffer overflowed): then the folder must be read whole.
    bool TakeNames(std::vector<std::wstring>& names);
    // Lets the folder go: while the system holds it open, Wine does not remove it.
    void Close();

private:
    // One request for names: the system fills the buffer and signals the event, also after the
    // folder's handle was closed (then it says the request was cancelled).
    struct Request {
        OVERLAPPED overlapped{};
        std::vector<DWORD> buffer;  // DWORD-aligned, as the records must be
        HANDLE event = nullptr;
        ~Request();
    };
    bool Ask();  // asks the system for the next names
    static void Retire(std::unique_ptr<Request>& request);  // waits for its end, or leaves it to the process
    HANDLE h_ = INVALID_HANDLE_VALUE;
    bool byName_ = false, pending_ = false, overflow_ = false;
    std::unique_ptr<Request> request_;
    // The request of the folder let go last: its cancel ends a little later under Wine (some 20 ms),
    // so it is waited for at the next letting go, not then, while the folder is not watched.
    std::unique_ptr<Request> retired_;
    std::vector<std::wstring> names_;
};

// How many watches were opened so far, by any thread (a folder let go and watched again counts).
std::uint64_t WatchesOpened();

// The folder's last-write time (it moves when a name in it comes, goes or changes), or -1 when
// the folder is not there.
std::int64_t FolderWriteTime(const std::string& dir);

}  // namespace bivane
