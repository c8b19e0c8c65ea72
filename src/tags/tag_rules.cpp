#include "tags/tag_rules.h"

#include "panes/entry_rules.h"

namespace bivane {

std::string TagPanelText(std::int64_t tagBytes, std::int64_t tagCount, std::int64_t fileCount) {
    if (tagCount > 0) return "Tag: " + std::to_string(tagBytes / 1000) + "k (" + std::to_string(tagCount) + ")";
    return FilesText(fileCount);
}

bool MarkIs(char mark, char want) {
    return EqualsIgnoreAsciiCase(std::string_view(&mark, 1), std::string_view(&want, 1));
}

TagTotals CountTagged(const std::vector<Entry>& entries) {
    TagTotals t;
    for (const Entry& e : entries) {
        if (!MarkIs(e.mark, 'Y')) continue;
        ++t.count;
        t.bytes += ReadSizeText(e.sizeText);
    }
    return t;
}

}  // namespace bivane
