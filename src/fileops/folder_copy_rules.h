// What a folder copy says and shows: window-free, so that it is tested natively.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace bivane {

// Files and bytes, of a copy's total or done so far.
struct CopyTally {
    std::int64_t files = 0;
    std::int64_t bytes = 0;
};
// The progress dialog's line for a folder: "3 of 12 files, 1.2 of 5.0 MB".
std::string TallyText(const CopyTally& done, const CopyTally& total);
// Its bytes alone, both in the unit the total reads best in: "1.2 of 5.0 MB", "512 of 900 bytes".
std::string BytesDoneText(std::int64_t done, std::int64_t total);

// Why a name of the tree was left out of the copy.
enum class LeftOutWhy {
    Link, Unreachable, Unreadable, ReadInPart, NotAFile, TargetNotAFolder, TargetNotAFile, Changed, CaseTwin, TargetChanged
};
struct LeftOut {
    std::string path;  // below the folder copied
    LeftOutWhy why;
    std::string twin = {};  // CaseTwin: the name written in its place
};
// One message at the end of the copy: by kind, each with its count and its first few names, the
// counts adding up to the whole.
std::string LeftOutText(const std::vector<LeftOut>& leftOut);

// Escape stopped the copy after a file.
std::string StoppedText(std::int64_t copied, std::int64_t total);

// Refusals before anything is written.
std::string IntoItselfText(const std::string& folder, const std::string& targetDir);
std::string TargetTakenText(const std::string& target);
std::string LinkNotCopiedText(const std::string& name);
std::string UnreadableFolderText(const std::string& folder);

}  // namespace bivane
