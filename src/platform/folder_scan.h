// The fastest listing the system offers of one folder, for walks over many folders: no short
// names, and many entries per call to the file system.
#pragma once
#include <cstdint>
#include <string>

#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

class FolderScan {
public:
    // folder: an exact path (EntryPath, or one made from it), without a trailing "\".
    explicit FolderScan(const std::wstring& folder);
    // Whether the folder could be listed at all.
    bool Opened() const { return static_cast<bool>(find_); }
    // The next entry, "." and ".." included; its data are valid until the next call. False at the
    // end.
    bool Next();
    const wchar_t* Name() const { return fd_.cFileName; }
    DWORD Attributes() const { return fd_.dwFileAttributes; }
    const FILETIME& LastWrite() const { return fd_.ftLastWriteTime; }
    std::int64_t Size() const {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(fd_.nFileSizeHigh) << 32) | fd_.nFileSizeLow);
    }

private:
    // fd_ first: the constructor's search fills it, and a member made after would wipe the entry.
    WIN32_FIND_DATAW fd_{};
    bool first_ = true;  // fd_ holds the first entry, not yet returned
    AutoFindHandle find_;
};

}  // namespace bivane
