// The tag panel text and the tag totals.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/entry.h"

namespace bivane {

// "Tag: 12k (3)" while files are tagged, else "7 Files".
std::string TagPanelText(std::int64_t tagBytes, std::int64_t tagCount, std::int64_t fileCount);

// How many entries are tagged, and their bytes as their Size cells show them.
struct TagTotals {
    std::int64_t count = 0;
    std::int64_t bytes = 0;
};
TagTotals CountTagged(const std::vector<Entry>& entries);

}  // namespace bivane
