// Copying one file in blocks while the progress dialog shows how far it got.
#pragma once
#include <string>
#include <string_view>

namespace bivane {

class TProgress;

constexpr unsigned kCopyBlockSize = 8192;

// Copies source to target (either may be relative to the current directory) and gives the target
// the source's date. The bar of progress must be prepared by the caller: it is stepped once per
// block read. Raises EFOpenError, EFCreateError or EFCantCopy; on any failure an existing target
// is left exactly as it was and nothing new is left behind.
void CopyFileWithProgress(TProgress& progress, const std::string& source, const std::string& target);

// A copy that was killed leaves its hidden temporary ("~bvcopy" + 8 hex digits + ".tmp") behind.
// Removes such leftovers from dir: only hidden files of exactly that pattern, and never one that
// a running copy still holds open (it shares nothing, so the deletion fails).
void RemoveStaleTemporaries(const std::string& dir);
// Whether a hidden file of that name may be such a leftover (then RemoveStaleTemporaries looks).
bool IsCopyTemporaryName(std::wstring_view name);

}  // namespace bivane
