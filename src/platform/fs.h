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
// The \\?\ form of a path, made full against the current directory. Through it a name reaches the
// file system exactly as listed: the plain form strips a trailing dot or space, so "Data." would
// name "Data", another file. It also lifts the MAX_PATH limit of the plain form. The last component
// is kept as it is; only the folder part is expanded. Network paths are returned unchanged.
std::wstring ExactPath(const std::string& path);
// The exact path of the entry called name (as listed) in the directory dir.
std::wstring EntryPath(const std::string& dir, const std::string& name);
// ExactPath without its prefix, for messages.
std::string ShownPath(const std::wstring& exact);

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
// Lists dir\*.*, every entry the system returns; false when it cannot be listed.
bool EnumerateDirectory(const std::string& dir, const std::function<void(const FoundEntry&)>& each);

LocalTime ToLocalTime(const FILETIME& utc);
LocaleFacts UserLocaleFacts();

}  // namespace bivane
