// Removing files and directories so that only the chosen entry goes: never through a link into
// what it points to, never for good when the user asked for the recycle bin.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/win.h"

namespace bivane {

// A link: a reparse point, or an entry that the system opens somewhere else than where it is
// listed (under Wine a Linux symbolic link may show as a plain file or folder).
bool IsLink(const std::wstring& path);
// Whether removing, moving or renaming path acts on path itself. Always so for an entry that is no
// link; for a link, only where the system can open the link rather than what it points to (Wine 8
// cannot: every call there reaches the target).
bool ActsOnItself(const std::wstring& path);

// Deletes path for good; a directory with everything in it. A link anywhere inside, or path itself
// being one, is removed as a link; where the system cannot do that, the link stays (and so the
// folders above it), its target untouched, and its shown path goes to linksKept. Returns true when
// nothing is left.
bool DeleteForGood(const std::wstring& path, std::vector<std::string>& linksKept);

enum class RecycleResult { Recycled, Refused, Failed };
// Sends path to the recycle bin through the shell. Refused: the bin cannot take it (no bin on that
// drive, another file system, too big, a path too long for the shell, a link the system cannot
// move by itself); then nothing was changed. The shell's own offer to delete it for good instead
// is always declined here: the caller asks the user.
RecycleResult Recycle(const std::wstring& path);

// While one lives, this thread looks up the final path of each folder once: a run over the tagged
// files of one folder then checks each file with one open instead of two.
class FolderLookupBatch {
public:
    FolderLookupBatch();
    ~FolderLookupBatch();
    FolderLookupBatch(const FolderLookupBatch&) = delete;
    FolderLookupBatch& operator=(const FolderLookupBatch&) = delete;

private:
    std::map<std::wstring, std::wstring> finalPaths_;
    bool outermost_ = false;  // a nested batch leaves the outer one in charge
};

// Whether two directory paths reach the same directory (through a link, another drive letter...).
bool SameDirectory(const std::string& a, const std::string& b);

}  // namespace bivane
