// A copy's temporaries ("~bvcopy" + 8 hex digits + ".tmp"): written in the command's hidden
// staging folder inside the target folder (or, when that cannot be made, hidden beside the
// target), and put in the target's place only when complete.
#pragma once
#include <string>
#include <string_view>

#include "platform/handles.h"

namespace bivane {

// A new file of a fresh such name in dir (which ends in "\\"); name receives its path. Hidden
// unless made in a CopyStaging folder, which is hidden itself (the mark costs two more writes a
// file under Wine, which keeps it in an extended attribute). Shared for reading only: a copy that
// verifies reads it back.
AutoCloseHandle CreateCopyTemporary(const std::wstring& dir, std::wstring& name, bool hidden = true);
// Gives the open temporary (made by CreateCopyTemporary) the full path target, replacing a file of
// that name only when asked; fails with ERROR_ALREADY_EXISTS when one is there and may not be.
// Through the handle: by name it would be opened again.
bool MoveOpenTemporary(HANDLE temporary, const std::wstring& target, bool replace);
// Whether a hidden entry of that name may be such a leftover, a temporary or a staging folder
// (then RemoveStaleTemporaries looks).
bool IsCopyTemporaryName(std::wstring_view name);
// A copy that was killed leaves its temporary behind, maybe in its staging folder. Removes such
// leftovers from dir: only hidden files of exactly that pattern (in a staging folder, any file of
// it), and hidden staging folders that hold nothing else; never one that a running copy still
// holds open (it shares no deletion, so the deletion fails).
void RemoveStaleTemporaries(const std::string& dir);

// A hidden folder ("~bvcopy" + 8 hex digits + ".dir") made in a copy's target folder for the
// command's temporaries. Under Wine every new name is looked up in its whole folder: a temporary
// made in the target folder costs a search of it as long as the rename into place does, one made
// here a search of a folder that is almost empty (10,000 files copy in 17 s, not 28 s). Held open
// without sharing deletion, so no other copy's clean-up removes it while in use; removed when
// done, if empty. Dir() is empty when it could not be made: the temporaries then go beside their
// targets, as before.
class CopyStaging {
public:
    explicit CopyStaging(const std::wstring& targetDir);  // ends in "\\"
    ~CopyStaging();
    CopyStaging(const CopyStaging&) = delete;
    CopyStaging& operator=(const CopyStaging&) = delete;
    const std::wstring& Dir() const { return dir_; }  // ends in "\\", or empty

private:
    std::wstring dir_;
    AutoCloseHandle held_;
};

}  // namespace bivane
