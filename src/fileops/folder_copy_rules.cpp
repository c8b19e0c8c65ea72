#include "fileops/folder_copy_rules.h"

#include <algorithm>

#include "fileops/copy_rules.h"

namespace bivane {

namespace {

// Bytes in the unit the total reads best in; tenths for MB and GB.
std::string InUnit(std::int64_t bytes, std::int64_t unit, bool tenths) {
    if (!tenths) return std::to_string((bytes + unit / 2) / unit);
    const std::int64_t t = (bytes * 10 + unit / 2) / unit;
    return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

const char* KindTitle(LeftOutWhy why) {
    switch (why) {
        case LeftOutWhy::Link: return "Links, never followed";
        case LeftOutWhy::Unreachable: return "Names no path reaches";
        case LeftOutWhy::Unreadable: return "Folders that could not be read";
        case LeftOutWhy::ReadInPart: return "Folders read only in part (an error cut their listing short; the rest was not copied)";
        case LeftOutWhy::NotAFile: return "Not regular files (FIFOs, sockets, devices)";
        case LeftOutWhy::TargetNotAFolder: return "The target holds a file of that name";
        case LeftOutWhy::TargetNotAFile: return "The target holds a folder of that name";
        case LeftOutWhy::Changed: return "Changed or gone since they were read";
        case LeftOutWhy::TargetChanged: return "Their target was made or changed since the copy was confirmed";
        case LeftOutWhy::CaseTwin: return "The same as another name but for letter case, which the target takes as one";
    }
    return "";
}

constexpr LeftOutWhy kKinds[] = {LeftOutWhy::CaseTwin, LeftOutWhy::Link, LeftOutWhy::NotAFile,
                                 LeftOutWhy::Unreachable, LeftOutWhy::Unreadable, LeftOutWhy::ReadInPart,
                                 LeftOutWhy::TargetNotAFolder, LeftOutWhy::TargetNotAFile, LeftOutWhy::Changed,
                                 LeftOutWhy::TargetChanged};

}  // namespace

std::string BytesDoneText(std::int64_t done, std::int64_t total) {
    constexpr std::int64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
    if (total < 10 * kKB) return std::to_string(done) + " of " + std::to_string(total) + " bytes";
    const std::int64_t unit = total < 10 * kMB ? kKB : total < 10 * kGB ? kMB : kGB;
    const bool tenths = unit != kKB;
    return InUnit(done, unit, tenths) + " of " + InUnit(total, unit, tenths) +
           (unit == kKB ? " KB" : unit == kMB ? " MB" : " GB");
}

std::string TallyText(const CopyTally& done, const CopyTally& total) {
    return std::to_string(done.files) + " of " + std::to_string(total.files) +
           (total.files == 1 ? " file, " : " files, ") + BytesDoneText(done.bytes, total.bytes);
}

std::string LeftOutText(const std::vector<LeftOut>& leftOut) {
    const std::size_t n = leftOut.size();
    std::string text = n == 1 ? "1 entry was left out of the copy:" : std::to_string(n) + " entries were left out of the copy:";
    for (const LeftOutWhy kind : kKinds) {
        std::vector<std::string> lines;
        for (const LeftOut& l : leftOut) {
            if (l.why == kind) lines.push_back(kind == LeftOutWhy::CaseTwin ? l.path + " (as " + l.twin + ")" : l.path);
        }
        std::sort(lines.begin(), lines.end());  // the folders list names in no set order
        if (!lines.empty()) {
            text += "\r" + NamesText(std::string(KindTitle(kind)) + " (" + std::to_string(lines.size()) + "):", lines, kEveryName);
        }
    }
    return text;
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
