#include "platform/change_watch.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "platform/fs.h"

namespace bivane {

namespace {

constexpr DWORD kWhat = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                        FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_ATTRIBUTES;
// Enough for a burst of about a thousand names between two readings; more says overflow.
constexpr std::size_t kBufferBytes = 64 * 1024;

std::atomic<std::uint64_t> opened{0};

}  // namespace

ChangeWatch::Request::~Request() {
    if (event) CloseHandle(event);
}

ChangeWatch::~ChangeWatch() {
    Close();
    Retire(retired_);
}

void ChangeWatch::Open(const std::string& dir, bool byName) {
    Close();
    names_.clear();
    overflow_ = false;
    // The exact form: a folder named with a trailing dot or longer than MAX_PATH is watched too.
    const std::wstring path = ExactPath(dir);
    if (byName) {
        h_ = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        if (h_ != INVALID_HANDLE_VALUE) {
            request_ = std::make_unique<Request>();
            request_->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            request_->buffer.resize(kBufferBytes / sizeof(DWORD));
            byName_ = true;  // from here Close lets go of the folder's handle
            if (request_->event && Ask()) {
                ++opened;
                return;
            }
        }
        Close();  // the system says no names here: the plain notification, as before
    }
    h_ = FindFirstChangeNotificationW(path.c_str(), FALSE, kWhat);
    if (h_ != INVALID_HANDLE_VALUE) ++opened;
}

std::uint64_t WatchesOpened() { return opened; }

bool ChangeWatch::Ask() {
    Request& r = *request_;
    r.overlapped = OVERLAPPED{};
    r.overlapped.hEvent = r.event;
    ResetEvent(r.event);
    pending_ = ReadDirectoryChangesW(h_, r.buffer.data(), static_cast<DWORD>(r.buffer.size() * sizeof(DWORD)), FALSE,
                                     kWhat, nullptr, &r.overlapped, nullptr) != FALSE;
    return pending_;
}

bool ChangeWatch::Rearm() {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    if (!byName_) {
        if (FindNextChangeNotification(h_)) return true;
        Close();
        return false;
    }
    DWORD bytes = 0;
    if (!GetOverlappedResult(h_, &request_->overlapped, &bytes, FALSE)) {
        if (GetLastError() == ERROR_IO_INCOMPLETE) return true;  // nothing yet: still watching
        pending_ = false;
        if (GetLastError() != ERROR_NOTIFY_ENUM_DIR) {
            Close();
            return false;
        }
        bytes = 0;
    }
    pending_ = false;
    if (bytes == 0) {
        overflow_ = true;  // more than the buffer held: the names are lost
    } else {
        const char* at = reinterpret_cast<const char*>(request_->buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
            names_.emplace_back(info->FileName, info->FileNameLength / sizeof(WCHAR));
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
    if (Ask()) return true;
    Close();
    return false;
}

bool ChangeWatch::TakeNames(std::vector<std::wstring>& names) {
    names = std::move(names_);
    names_.clear();
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return !std::exchange(overflow_, false);
}

void ChangeWatch::Retire(std::unique_ptr<Request>& request) {
    if (!request) return;
    // Its buffer and event are the system's until it says the request ended.
    if (WaitForSingleObject(request->overlapped.hEvent, 1000) != WAIT_OBJECT_0) (void)request.release();
    request.reset();
}

void ChangeWatch::Close() {
    if (byName_) {
        if (pending_) CancelIo(h_);
        CloseHandle(h_);
        if (pending_) {
            Retire(retired_);  // the one before, long ended
            retired_ = std::move(request_);
        }
        request_.reset();
        pending_ = false;
        byName_ = false;
    } else if (h_ != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(h_);
    }
    h_ = INVALID_HANDLE_VALUE;
}

std::int64_t FolderWriteTime(const std::string& dir) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ExactPath(dir).c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return FileTimeTicks(data.ftLastWriteTime);
}

}  // namespace bivane
