// The hidden temporary a copy writes beside its target ("~bvcopy" + 8 hex digits + ".tmp") before
// it takes the target's place.
#pragma once
#include <string>
#include <string_view>

#include "platform/handles.h"

namespace bivane {

// A new hidden file of a fresh such name in dir (which ends in "\\"); name receives its path.
AutoCloseHandle CreateCopyTemporary(const std::wstring& dir, std::wstring& name);
// Gives the open temporary (made by CreateCopyTemporary) the full path target, replacing a file of
// that name only when asked; fails with ERROR_ALREADY_EXISTS when one is there and may not be.
// Through the handle: by name it would be opened again.
bool MoveOpenTemporary(HANDLE temporary, const std::wstring& target, bool replace);
// Whether a hidden file of that name may be such a leftover (then RemoveStaleTemporaries looks).
bool IsCopyTemporaryName(std::wstring_view name);
// A copy that was killed leaves its temporary behind. Removes such leftovers from dir: only hidden
// files of exactly that pattern, and never one that a running copy still holds open (it shares
// nothing, so the deletion fails).
void RemoveStaleTemporaries(const std::string& dir);

}  // namespace bivane
