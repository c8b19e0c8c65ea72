#include "tags/compare_rules.h"

#include <algorithm>

#include "panes/entry_rules.h"

namespace bivane {

namespace {

// The name folded to upper case, hashed: no string is made per entry (a hundred thousand of them
// cost more than the whole comparison under Wine's heap).
std::uint64_t FoldedHash(std::string_view name) {
    std::uint64_t h = 1469598103934665603ull;
    for (char c : name) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;  // as EqualsIgnoreAsciiCase
        h = (h ^ static_cast<unsigned char>(upper)) * 1099511628211ull;
    }
    return h;
}

struct Indexed {
    std::uint64_t hash;
    std::uint32_t position;
    bool operator<(const Indexed& o) const { return hash != o.hash ? hash < o.hash : position < o.position; }
};

// The target's files by folded name, each name's entries in list order.
std::vector<Indexed> IndexTarget(const std::vector<Entry>& target) {
    std::vector<Indexed> index;
    index.reserve(target.size());
    for (std::uint32_t j = 0; j < target.size(); ++j) {
        if (!IsDirEntry(target[j].caption)) index.push_back({FoldedHash(target[j].caption), j});
    }
    std::sort(index.begin(), index.end());
    return index;
}

// The first target entry in list order that matches src, or -1. Entries of another name with the
// same hash, and case twins that do not match, are passed over.
std::int64_t FirstMatch(const std::vector<Indexed>& index, const std::vector<Entry>& target, const Entry& src,
                        bool newerOnly) {
    const std::uint64_t h = FoldedHash(src.caption);
    auto it = std::lower_bound(index.begin(), index.end(), Indexed{h, 0});
    for (; it != index.end() && it->hash == h; ++it) {
        const Entry& t = target[it->position];
        if (EqualsIgnoreAsciiCase(t.caption, src.caption) && (!newerOnly || src.minute > t.minute)) return it->position;
    }
    return -1;
}

}  // namespace

ComparePass ScanPass(const std::vector<Entry>& source, const std::vector<Entry>& target, bool newerOnly,
                     std::int64_t stepsBefore) {
    const std::vector<Indexed> index = IndexTarget(target);
    ComparePass pass;
    pass.steps = stepsBefore;
    pass.stepAfter.reserve(source.size());
    const auto targetSize = static_cast<std::int64_t>(target.size());
    for (std::uint32_t i = 0; i < source.size(); ++i) {
        ++pass.steps;
        if (!IsDirEntry(source[i].caption) && !target.empty()) {
            const std::int64_t match = FirstMatch(index, target, source[i], newerOnly);
            if (match >= 0) {
                pass.steps += match + 1;  // the scan stops at the match
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
