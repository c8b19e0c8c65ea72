// File system calls the program makes, in UTF-8.
#pragma once
#include <cstdint>
#include <string>

#include "core/entry.h"
#include "core/locale_facts.h"
#include "core/paths.h"
#include "platform/folder_scan.h"
#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

std::string GetCurrentDir();
// Throws IoError with the platform's code when the directory cannot be made current.
void ChangeDir(const std::string& dir);
bool TryChangeDir(const std::string& dir);
// The path expanded against the current directory (GetFullPathNameW).
std::string ExpandPath(const std::string& path);
// The full form of a directory path read against base, the directory it is typed in: "A", "..",
// "\A" and "C:A" (base's drive) are read from base; another drive's "D:" or "D:A" from that
// drive's current directory, as the system keeps it. "." and ".." are resolved; no trailing "\"
// but a root's. Any length.
std::string FullDirectory(const std::string& path, const std::string& base);
// 0 when dir is a directory the system reaches, else the system's error code (ERROR_DIRECTORY
// for a file). Any length; the current directory is not touched.
DWORD DirectoryError(const std::string& dir);
// Throws IoError with DirectoryError's code unless dir is a reachable directory.
void RequireDirectory(const std::string& dir);
// The \\?\ form of a path, made full against the current directory. Through it a name reaches the
// file system exactly as listed: the plain form strips a trailing dot or space, so "Data." would
// name "Data", another file. It also lifts the MAX_PATH limit of the plain form. The last component
// is kept as it is; only the folder part is expanded. Network paths are returned unchanged.
std::wstring ExactPath(const std::string& path);
// The exact path of the entry called name (as listed) in the directory dir.
std::wstring EntryPath(const std::string& dir, const std::string& name);
// A folder's exact form (as ExactPath gives a file's), ending in "\\".
std::wstring ExactFolder(const std::string& dir);
// ExactPath without its prefix, for messages.
std::string ShownPath(const std::wstring& exact);

// Free bytes of the drive holding path ("C:\" or "C:") that this user may take (quotas counted);
// -1 when the query fails.
std::int64_t DriveFreeBytes(const std::string& root);
// Free bytes of the volume that holds the folder itself: another file system may be mounted there
// (a mount point, a junction, a Linux mount under Z:), with less room than its drive letter's root.
// The drive's figure when the folder cannot be asked; -1 when neither can.
std::int64_t FolderFreeBytes(const std::string& folder);
bool FileExists(const std::string& path);
std::int64_t FileSizeOf(const std::string& path);  // -1 when missing

// Whether what path names, of these attributes (GetFileAttributesW's), is a link as IsLink tells
// one: a reparse point's tag is looked up only when it is one.
bool IsLinkAt(const std::wstring& path, DWORD attributes);
// What is at path now (an exact path, from EntryPath): a link is a reparse point, as listed. Unknown:
// there, but without attributes (a FIFO or device under Wine).
DiskKind KindNow(const std::wstring& path);
// The name the file system stores for what path reaches (another spelling of its last part, where
// the system takes names without case); empty when nothing is there.
std::string StoredNameAt(const std::wstring& path);
// Whether the folder tells names apart by letter case, as Windows lets a folder do (the folders made
// in it inherit that). False where the system cannot say (Wine): names are then taken as one, as a
// Windows path to them takes them.
bool FolderTellsCaseApart(const std::string& dir);
// The name as the file system folds letter case when it compares names.
std::wstring FoldedName(const std::wstring& name);

// Renames from to to, names of one folder that differ only in letter case. Where the system takes
// both as one name, a rename straight to it changes nothing, so this goes through a temporary name
// in the same folder (and back when the second step fails). False when the name did not change.
bool RenameLetterCase(const std::wstring& from, const std::wstring& to);

struct FoundEntry {
    const wchar_t* name;
    DWORD attributes;
    std::int64_t size;
    FILETIME lastWrite;
    DWORD reparseTag;
};
// Lists dir\*.*, every entry the system returns, one at a time. It may be read on one thread,
// then on another (one at a time).
class DirectoryReader {
public:
    explicit DirectoryReader(const std::string& dir);
    // The next entry, its name valid until the next call; false at the end, or on a failure.
    bool Next(FoundEntry& out);
    // The listing stopped on an error, not at the folder's end (FolderScan::Failed).
    bool Failed() const { return scan_.Failed(); }
    DWORD Error() const { return scan_.Error(); }

private:
    FolderScan scan_;
};

// A file time as one number of 100-nanosecond units, as dates are compared and kept.
inline std::int64_t FileTimeTicks(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

// Local times of files' UTC times, as FileTimeToLocalFileTime gives them (the system's present
// offset from UTC), with that offset read once for many files: under Wine each reading costs
// almost a microsecond, a tenth of a directory load.
class LocalTimes {
public:
    LocalTimes();
    LocalTime Of(const FILETIME& utc) const;

private:
    std::int64_t bias_ = 0;  // local minus UTC, in 100-nanosecond units
};
LocaleFacts UserLocaleFacts();

}  // namespace bivane
