// Sharing a width among parts by what each needs: window-free, tested natively.
#pragma once
#include <vector>

namespace bivane {

// Widths for parts that need needs[i] pixels, in all exactly width (never negative). With room
// to spare each gets its need and an equal share of the rest; without, each gets a share in
// proportion to its need.
std::vector<int> ShareByNeed(int width, const std::vector<int>& needs);

}  // namespace bivane
