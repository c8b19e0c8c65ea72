#include "tags/tag_rules.h"

#include "panes/entry_rules.h"

namespace bivane {

std::string TagPanelText(std::int64_t tagBytes, std::int64_t tagCount, std::int64_t fileCount) {
    if (tagCount > 0) return "Tag: " + std::to_string(tagBytes / 1000) + "k (" + std::to_string(tagCount) + ")";
    return FilesText(fileCount);
}

TagTotals CountTagged(const std::vector<Entry>& entries) {
    TagTotals t;
    for (const Entry& e : entries) {
        if (e.mark != Mark::Tagged) continue;
        ++t.count;
        t.bytes += ReadSizeText(e.sizeText);
    }
    return t;
}

}  // namespace bivane
