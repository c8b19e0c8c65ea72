#include "tags/compare_rules.h"

#include <algorithm>
#include <unordered_map>

#include "panes/entry_rules.h"

namespace bivane {

namespace {

// Target entries of one folded name, in list order, with the running minimum of their minutes
// so the first one older than a given minute is found by binary search.
struct NameGroup {
    std::vector<std::uint32_t> positions;
    std::vector<std::int64_t> minMinute;
};

std::unordered_map<std::string, NameGroup> IndexTarget(const std::vector<Entry>& target) {
    std::unordered_map<std::string, NameGroup> index;
    index.reserve(target.size());
    for (std::uint32_t j = 0; j < target.size(); ++j) {
        if (IsDirEntry(target[j].caption)) continue;
        NameGroup& g = index[AsciiUpper(target[j].caption)];
        g.minMinute.push_back(g.positions.empty() ? target[j].minute
                                                  : std::min(g.minMinute.back(), target[j].minute));
        g.positions.push_back(j);
    }
    return index;
}

// Index into g.positions of the first target entry that matches, or its size when none does.
std::size_t FirstMatch(const NameGroup& g, const Entry& src, bool newerOnly) {
    if (!newerOnly || g.positions.empty()) return 0;
    const auto it = std::partition_point(g.minMinute.begin(), g.minMinute.end(),
                                         [&](std::int64_t m) { return m >= src.minute; });
    return static_cast<std::size_t>(it - g.minMinute.begin());
}

}  // namespace

ComparePass ScanPass(const std::vector<Entry>& source, const std::vector<Entry>& target, bool newerOnly,
                     std::int64_t stepsBefore) {
    const auto index = IndexTarget(target);
    ComparePass pass;
    pass.steps = stepsBefore;
    pass.stepAfter.reserve(source.size());
    const auto targetSize = static_cast<std::int64_t>(target.size());
    for (std::uint32_t i = 0; i < source.size(); ++i) {
        ++pass.steps;
        if (!IsDirEntry(source[i].caption) && !target.empty()) {
            const auto found = index.find(AsciiUpper(source[i].caption));
            const NameGroup* g = found == index.end() ? nullptr : &found->second;
            const std::size_t k = g ? FirstMatch(*g, source[i], newerOnly) : 0;
            if (g && k < g->positions.size()) {
                pass.steps += g->positions[k] + 1;  // the scan stops at the match
                pass.matches.push_back(i);
            } else {
                pass.steps += targetSize;
            }
        }
        pass.stepAfter.push_back(pass.steps);
    }
    return pass;
}

ComparePass ScanPassLiteral(const std::vector<Entry>& source, const std::vector<Entry>& target, bool newerOnly,
                            std::int64_t stepsBefore) {
    ComparePass pass;
    pass.steps = stepsBefore;
    for (std::uint32_t i = 0; i < source.size(); ++i) {
        ++pass.steps;
        if (!IsDirEntry(source[i].caption) && !target.empty()) {
            for (const Entry& t : target) {
                ++pass.steps;
                if (IsDirEntry(t.caption) || !EqualsIgnoreAsciiCase(t.caption, source[i].caption)) continue;
                if (!newerOnly || source[i].minute > t.minute) {
                    pass.matches.push_back(i);
                    break;
                }
            }
        }
        pass.stepAfter.push_back(pass.steps);
    }
    return pass;
}

std::string CompareReport(bool newerMode, std::int64_t left, std::int64_t right) {
    if (left == 0 && right == 0)
        return newerMode ? "No newer duplicate file(s) found." : "No duplicate file name(s) found.";
    if (!newerMode)
        return std::to_string(left) + " duplicate\rfile name(s) found.\r\rTagged on both sides.";
    std::string text;
    if (left > 0) text += std::to_string(left) + " newer file(s) found on left.\r";
    if (right > 0) text += std::to_string(right) + " newer file(s) found on right.";
    return text;
}

const char* CompareMessage(bool newerMode) {
    return newerMode ? "Checking for newer files..." : "Checking for duplicate file names...";
}

std::string CompareProgressText(bool newerMode, std::int64_t counter) {
    return std::string(CompareMessage(newerMode)) + "  (" + std::to_string(counter) + ")";
}

}  // namespace bivane
