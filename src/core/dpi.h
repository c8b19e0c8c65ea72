// Pixels as designed (at 96 DPI, 100%) turned into pixels at a screen's DPI. Window-free, so the
// layout rules use it too.
#pragma once
#include <cstdint>

namespace bivane {

constexpr int kBaseDpi = 96;

// px * dpi / 96, rounded half away from zero as MulDiv rounds: at 96 every figure stays exactly
// what it was.
constexpr int Scaled(int px, int dpi) {
    const std::int64_t n = static_cast<std::int64_t>(px) * dpi;
    return static_cast<int>((n >= 0 ? n + kBaseDpi / 2 : n - kBaseDpi / 2) / kBaseDpi);
}

}  // namespace bivane
