#include "fileops/folder_copy_rules.h"

#include "fileops/copy_rules.h"

namespace bivane {

namespace {

// Bytes in the unit the total reads best in; tenths for MB and GB.
std::string InUnit(std::int64_t bytes, std::int64_t unit, bool tenths) {
    if (!tenths) return std::to_string((bytes + unit / 2) / unit);
    const std::int64_t t = (bytes * 10 + unit / 2) / unit;
    return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

const char* WhyText(LeftOutWhy why) {
    switch (why) {
        case LeftOutWhy::Link: return "a link, never followed";
        case LeftOutWhy::Unreachable: return "no path reaches the name";
        case LeftOutWhy::Unreadable: return "the folder could not be read";
        case LeftOutWhy::NotAFile: return "not a regular file";
        case LeftOutWhy::TargetNotAFolder: return "the target holds a file of that name";
        case LeftOutWhy::TargetNotAFile: return "the target holds a folder of that name";
        case LeftOutWhy::Changed: return "changed or gone since it was read";
    }
    return "";
}

}  // namespace

std::string TallyText(const CopyTally& done, const CopyTally& total) {
    constexpr std::int64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
    std::string bytes;
    if (total.bytes < 10 * kKB) {
        bytes = std::to_string(done.bytes) + " of " + std::to_string(total.bytes) + " bytes";
    } else {
        const std::int64_t unit = total.bytes < 10 * kMB ? kKB : total.bytes < 10 * kGB ? kMB : kGB;
        const bool tenths = unit != kKB;
        bytes = InUnit(done.bytes, unit, tenths) + " of " + InUnit(total.bytes, unit, tenths) +
                (unit == kKB ? " KB" : unit == kMB ? " MB" : " GB");
    }
    return std::to_string(done.files) + " of " + std::to_string(total.files) +
           (total.files == 1 ? " file, " : " files, ") + bytes;
}

std::string LeftOutText(const std::vector<LeftOut>& leftOut) {
    std::vector<std::string> lines;
    lines.reserve(leftOut.size());
    for (const LeftOut& l : leftOut) lines.push_back(l.path + " (" + WhyText(l.why) + ")");
    const std::size_t n = leftOut.size();
    return NamesText(n == 1 ? "1 entry was left out of the copy:"
                            : std::to_string(n) + " entries were left out of the copy:",
                     lines);
}

std::string StoppedText(std::int64_t copied, std::int64_t total) {
    return "The copy was stopped.\r" + std::to_string(copied) + " of the " + std::to_string(total) +
           (total == 1 ? " file was" : " files were") + " copied.";
}

std::string IntoItselfText(const std::string& folder, const std::string& targetDir) {
    return "Can't copy a folder into itself:\r" + targetDir + "\ris inside " + folder + ".\r\rNothing was copied.";
}

std::string TargetTakenText(const std::string& target) {
    return "Can't copy the folder: the target holds a file or link of its name:\r" + target +
           "\r\rNothing was copied.";
}

std::string LinkNotCopiedText(const std::string& name) {
    return "Not copied: " + name + " is a link, and links are never followed.";
}

std::string UnreadableFolderText(const std::string& folder) {
    return "Can't read the folder\r" + folder + "\r\rNothing was copied.";
}

}  // namespace bivane
