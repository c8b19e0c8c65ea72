// The fastest listing the system offers of one folder, for walks over many folders: no short
// names, and many entries per call to the file system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/entry.h"
#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

// The two names every folder lists for itself and its parent, which no walk enters.
bool IsDotOrDotDot(const wchar_t* name);

class FolderScan {
public:
    // folder: a path (exact, from EntryPath, for any name), with or without a trailing "\".
    explicit FolderScan(const std::wstring& folder);
    // Whether the folder could be listed at all.
    bool Opened() const { return static_cast<bool>(find_) || listed_ > 0; }
    // The next entry, "." and ".." included; its data are valid until the next call. False at the
    // end, or when the listing failed part way (Failed).
    bool Next();
    // The listing stopped on an error, not at the folder's end: what was listed is not all there
    // is. Only ERROR_NO_MORE_FILES ends a folder.
    bool Failed() const { return error_ != 0; }
    DWORD Error() const { return error_; }
    const wchar_t* Name() const { return fd_.cFileName; }
    DWORD Attributes() const { return fd_.dwFileAttributes; }
    DWORD ReparseTag() const { return fd_.dwReserved0; }
    bool Link() const { return IsLink(fd_.dwFileAttributes, fd_.dwReserved0); }
    const FILETIME& LastWrite() const { return fd_.ftLastWriteTime; }
    std::int64_t Size() const {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(fd_.nFileSizeHigh) << 32) | fd_.nFileSizeLow);
    }

private:
    WIN32_FIND_DATAW fd_{};
    bool first_ = true;  // fd_ holds the first entry, not yet returned
    AutoFindHandle find_;
    std::size_t listed_ = 0;
    std::size_t failAfter_ = SIZE_MAX;  // a simulated fault's count of names, if one is set here
    DWORD failWith_ = 0;
    DWORD error_ = 0;
};

// Tests fail listings on purpose: under Wine a file system's error part way through a folder
// reaches the program as the folder's end, so nothing else can show what a listing cut short
// does. While one of these lives, the listing of every folder whose path ends with pathEnd fails
// with error after `after` names ("." and ".." counted, as the system lists them).
struct ListingFault {
    std::wstring pathEnd;
    std::size_t after = 0;
    DWORD error = ERROR_IO_DEVICE;
};
class SimulatedListingFault {
public:
    explicit SimulatedListingFault(ListingFault fault);
    ~SimulatedListingFault();
    SimulatedListingFault(const SimulatedListingFault&) = delete;
    SimulatedListingFault& operator=(const SimulatedListingFault&) = delete;
};

}  // namespace bivane
