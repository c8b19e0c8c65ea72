// File system calls the program makes, in UTF-8.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "panes/entry_rules.h"
#include "platform/win.h"

namespace bivane {

std::string GetCurrentDir();
// Throws EInOutError with the platform's code when the directory cannot be made current.
void ChangeDir(const std::string& dir);
bool TryChangeDir(const std::string& dir);
// The path expanded against the current directory (GetFullPathNameW).
std::string ExpandPath(const std::string& path);
// Free bytes of the drive holding path ("C:\" or "C:"); -1 when the query fails.
std::int64_t DriveFreeBytes(const std::string& root);
bool FileExists(const std::string& path);
std::int64_t FileSizeOf(const std::string& path);  // -1 when missing

struct FoundEntry {
    const wchar_t* name;
    DWORD attributes;
    std::int64_t size;
    FILETIME lastWrite;
};
// Lists dir\*.* without hidden, system or volume-label entries; false when it cannot be listed.
bool EnumerateDirectory(const std::string& dir, const std::function<void(const FoundEntry&)>& each);

LocalTime ToLocalTime(const FILETIME& utc);
LocaleFacts UserLocaleFacts();

}  // namespace bivane
