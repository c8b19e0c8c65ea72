#include "fileops/copy_rules.h"

#include <algorithm>
#include <unordered_map>


namespace bivane {

std::vector<std::size_t> EntriesToActOn(const std::vector<Entry>& entries, const RunRequest& request) {
    std::vector<std::size_t> rows;
    if (request.currentOnly) {
        if (request.current < 0 || request.current >= static_cast<int>(entries.size())) return rows;
        const Entry& e = entries[static_cast<std::size_t>(request.current)];
        const bool taken = request.mode == ConfirmMode::Copy ? e.IsFile() : e.kind != EntryKind::Parent;
        if (taken) rows.push_back(static_cast<std::size_t>(request.current));
        return rows;
    }
    if (!request.tagged) return rows;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        if (e.mark != Mark::Tagged) continue;
        // A move has always taken whatever is tagged but the parent; only files are ever tagged.
        const bool taken = request.mode == ConfirmMode::Move ? e.kind != EntryKind::Parent : e.IsFile();
        if (taken) rows.push_back(i);
    }
    return rows;
}

Reloads ReloadsAfter(ConfirmMode mode, bool anyDone, std::string_view sourceDir, std::string_view targetDir) {
    Reloads r;
    switch (mode) {
        case ConfirmMode::Copy: r.target = true; break;
        case ConfirmMode::Move: r.source = r.target = anyDone; break;
        case ConfirmMode::Delete:
            r.source = true;
            r.targetToSource = targetDir.find(sourceDir) != std::string_view::npos;
            break;
    }
    return r;
}

bool StillAsListed(const Entry& e, DiskKind now) {
    const DiskKind listed = ListedKind(e);
    return now == listed || (listed == DiskKind::File && now == DiskKind::Unknown);
}

std::string NamesText(std::string header, const std::vector<std::string>& lines, std::size_t shown) {
    for (std::size_t i = 0; i < lines.size() && i < shown; ++i) header += "\r" + lines[i];
    if (lines.size() > shown) header += "\r... and " + std::to_string(lines.size() - shown) + " more";
    return header;
}

namespace {

const char* NowText(DiskKind now) {
    switch (now) {
        case DiskKind::Missing: return "gone";
        case DiskKind::File: return "now a file";
        case DiskKind::Directory: return "now a folder";
        case DiskKind::Link: return "now a link";
        case DiskKind::Unknown: break;
    }
    return "no longer readable";
}

}  // namespace

std::string ChangedText(const std::vector<ChangedEntry>& changed) {
    std::vector<std::string> lines;
    for (const ChangedEntry& c : changed) lines.push_back(c.caption + " (" + NowText(c.now) + ")");
    return NamesText("Changed since the side was read, so nothing was done to:", lines, kEveryName) +
           "\rThe side is read again.";
}

std::string NotCopiedText(const std::vector<std::string>& names, std::size_t total) {
    return NamesText(std::to_string(names.size()) + " of the " + std::to_string(total) +
                         (total == 1 ? " file was" : " files were") + " not copied:",
                     names, kEveryName);
}

std::vector<std::ptrdiff_t> TwinsWrittenInstead(const std::vector<std::string>& keys,
                                                const std::function<bool(std::size_t)>& heldAsIs) {
    std::unordered_map<std::string_view, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < keys.size(); ++i) groups[keys[i]].push_back(i);
    std::vector<std::ptrdiff_t> instead(keys.size(), -1);
    for (const auto& [key, rows] : groups) {
        if (rows.size() < 2) continue;
        const auto held = std::find_if(rows.begin(), rows.end(), heldAsIs);
        const std::size_t written = held != rows.end() ? *held : rows.front();
        for (const std::size_t row : rows) {
            if (row != written) instead[row] = static_cast<std::ptrdiff_t>(written);
        }
    }
    return instead;
}

void DeleteReport::Add(const std::string& caption, bool folder, const std::vector<std::string>& linksKept,
                       const std::vector<std::string>& failed) {
    if (captions_.empty()) folder_ = folder;
    captions_.push_back(caption);
    links_.insert(links_.end(), linksKept.begin(), linksKept.end());
    failed_.insert(failed_.end(), failed.begin(), failed.end());
}

std::string DeleteReport::Text() const {
    // A file that stays whole was not deleted at all; a folder or a link may have lost a part.
    const bool whole = captions_.size() == 1 && !folder_ && links_.empty();
    std::string text = captions_.size() == 1 ? "Can't delete '" + captions_[0] + (whole ? "'." : "' completely.")
                                             : "Can't delete " + std::to_string(captions_.size()) + " entries completely.";
    if (!links_.empty()) text += "\rA link stays, so that what it points to stays untouched:";
    for (const std::string& link : links_) text += "\r" + link;
    if (!failed_.empty()) {
        // By path: the order a folder lists its names in is the file system's.
        std::vector<std::string> failed = failed_;
        std::sort(failed.begin(), failed.end());
        const std::size_t n = failed.size();
        text += "\r" + NamesText(std::to_string(n) + (n == 1 ? " entry" : " entries") + " could not be deleted:", failed, kEveryName);
    }
    return text;
}

std::string ReplaceQuestionText(const std::vector<ExistingTarget>& existing) {
    const std::size_t n = existing.size();
    std::size_t newer = 0;
    std::vector<std::string> names;
    for (const ExistingTarget& t : existing) {
        names.push_back(t.name);
        if (t.TargetNewer()) ++newer;
    }
    std::string text = NamesText(n == 1 ? "The target folder already holds a file of this name:"
                                        : "The target folder already holds " + std::to_string(n) + " files of these names:",
                                 names);
    if (newer == 0) return text + (n == 1 ? "\rIt is not newer than the file that would replace it."
                                          : "\rNone of them is newer than the file that would replace it.");
    if (n == 1) return text + "\rIt is NEWER than the file that would replace it.";
    return text + "\r" + std::to_string(newer) + " of them " + (newer == 1 ? "is" : "are") +
           " NEWER than the file that would replace " + (newer == 1 ? "it." : "them.");
}

std::vector<std::size_t> RowsToCopy(const std::vector<std::size_t>& rows, const std::vector<ExistingTarget>& existing,
                                    ReplaceAnswer answer) {
    if (answer == ReplaceAnswer::Cancel) return {};
    if (answer == ReplaceAnswer::All) return rows;
    std::unordered_map<std::size_t, const ExistingTarget*> byRow;
    for (const ExistingTarget& t : existing) byRow[t.row] = &t;
    std::vector<std::size_t> out;
    for (const std::size_t row : rows) {
        const auto found = byRow.find(row);
        if (found == byRow.end()) {
            out.push_back(row);
        } else if (answer == ReplaceAnswer::OlderOnly && found->second->targetMinute < found->second->sourceMinute) {
            out.push_back(row);  // the newer and the same are kept
        }
    }
    return out;
}

std::string ChangedTargetQuestion(const std::string& target, bool appeared) {
    return target + (appeared ? "\rwas made" : "\rwas changed") + " since the copy was confirmed.\r\rReplace it?";
}

std::string ReasonText(unsigned long error) {
    switch (error) {
        case 0: return "kept by the system";           // refused without a word, found there after
        case 2: case 3: return "gone";                 // file, path not found
        case 5: return "access denied";
        case 19: return "write-protected";
        case 32: case 33: return "in use";             // sharing, lock violation
        case 145: return "not empty";                  // something new arrived in it
    }
    return "error " + std::to_string(error);
}

}  // namespace bivane
