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
// The same for a file already opened by its exact path: one query more, not two opens.
bool OpenedThroughLink(HANDLE opened, const std::wstring& path);
// Whether removing, moving or renaming path acts on path itself. Always so for an entry that is no
// link; for a link, only where the system can open the link rather than what it points to (Wine 8
// cannot: every call there reaches the target).
bool ActsOnItself(const std::wstring& path);

// What a deletion for good left behind, by shown path: links kept (their targets untouched), and
// entries the system would not delete, with its error code. The folders above them stay too.
// The error of an entry the system kept without saying why (under Wine a refused deletion reports
// success, and the entry is found still there afterwards).
constexpr unsigned long kKeptSilently = 0;
struct DeleteFailure {
    std::string path;
    unsigned long error;
};
struct Leftovers {
    std::vector<std::string> linksKept;
    std::vector<DeleteFailure> failed;
    bool Empty() const { return linksKept.empty() && failed.empty(); }
};

// Deletes path for good; a folder with everything in it, but only when folder is true: a file that
// became a folder since it was chosen is not deleted. A link anywhere inside, or path itself being
// one, is removed as a link; where the system cannot do that, the link stays, its target untouched.
// A read-only mark is taken off a folder only where the system refuses to remove it otherwise, and
// put back when the folder stays.
// Returns true when nothing is left.
bool DeleteForGood(const std::wstring& path, bool folder, Leftovers& left);

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

// Where the system opens dir, links on its way resolved (a plain path, without "\\?\\"); empty
// when it cannot be opened.
std::string ResolvedDirectory(const std::string& dir);

}  // namespace bivane
