#include "fileops/copy_rules.h"

#include "tags/tag_rules.h"

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
        if (!MarkIs(e.mark, 'Y')) continue;
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

}  // namespace bivane
