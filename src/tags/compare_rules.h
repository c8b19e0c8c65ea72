// The newer-or-duplicates comparison: which source entries match, and the progress step count.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/entry.h"

namespace bivane {

struct ComparePass {
    std::vector<std::uint32_t> matches;    // source indices that match, in list order
    std::vector<std::int64_t> stepAfter;   // step counter after each source entry
    std::int64_t steps = 0;                // counter at the end of the pass
};

// One pass, source against target. The step counter counts every source entry and every target
// entry the plain nested scan would visit; the scan itself uses an index of the target's names.
ComparePass ScanPass(const std::vector<Entry>& source, const std::vector<Entry>& target, bool newerOnly,
                     std::int64_t stepsBefore);
// The plain nested scan; the reference the indexed one must agree with.
ComparePass ScanPassLiteral(const std::vector<Entry>& source, const std::vector<Entry>& target, bool newerOnly,
                            std::int64_t stepsBefore);

// The closing report for the left and right tag counts; "\r" separates lines.
std::string CompareReport(bool newerMode, std::int64_t left, std::int64_t right);
// "Checking for newer files..." or "Checking for duplicate file names...".
const char* CompareMessage(bool newerMode);
// The message followed by "  (" counter ")".
std::string CompareProgressText(bool newerMode, std::int64_t counter);

}  // namespace bivane
