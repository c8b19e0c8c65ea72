// What the viewer's Go to bar (Ctrl+G) takes: a line number, an offset in decimal or hex, or a
// percent of the file.
#pragma once
#include <cstdint>
#include <string_view>

namespace bivane::viewer {

struct GoToTarget {
    enum class Kind { Invalid, Line, Offset, Percent };
    Kind kind = Kind::Invalid;
    std::int64_t value = 0;
};

// "1234": line 1234 (in the hex view, offset 1234); "@1234": offset 1234; "0x4D2" or "4D2h":
// offset 0x4D2; "50%": half way. Blanks around are ignored; anything else, a line 0, a percent
// over 100 or a number past 63 bits is Invalid.
GoToTarget ParseGoTo(std::string_view text, bool hexView);

// The byte a percent of a file of size bytes falls on.
std::int64_t PercentOffset(std::int64_t percent, std::int64_t size);

}  // namespace bivane::viewer
