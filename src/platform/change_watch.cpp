#include "platform/change_watch.h"

#include "platform/fs.h"

namespace bivane {

void ChangeWatch::Open(const std::string& dir) {
    Close();
    constexpr DWORD kWhat = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                            FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_ATTRIBUTES;
    // The exact form: a folder named with a trailing dot or longer than MAX_PATH is watched too.
    h_ = FindFirstChangeNotificationW(ExactPath(dir).c_str(), FALSE, kWhat);
}

bool ChangeWatch::Rearm() {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    if (FindNextChangeNotification(h_)) return true;
    Close();
    return false;
}

void ChangeWatch::Close() {
    if (h_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(h_);
    h_ = INVALID_HANDLE_VALUE;
}

std::int64_t FolderWriteTime(const std::string& dir) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ExactPath(dir).c_str(), GetFileExInfoStandard, &data) ||
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return -1;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                     data.ftLastWriteTime.dwLowDateTime);
}

}  // namespace bivane
