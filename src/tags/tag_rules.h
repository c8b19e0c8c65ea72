// The tag panel text and the tag mark test.
#pragma once
#include <cstdint>
#include <string>

namespace bivane {

// "Tag: 12k (3)" while files are tagged, else "7 Files".
std::string TagPanelText(std::int64_t tagBytes, std::int64_t tagCount, std::int64_t fileCount);
// Marks compare ignoring case.
bool MarkIs(char mark, char want);

}  // namespace bivane
