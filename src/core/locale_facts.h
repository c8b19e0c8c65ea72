// What the date and free-space texts take from the user's locale, and a local time in parts.
#pragma once
#include <string>

namespace bivane {

// Locale facts the date and free-space texts depend on.
struct LocaleFacts {
    std::string dateSep = "/";
    std::string timeSep = ":";
    std::string decimalSep = ".";
};

struct LocalTime {
    int year, month, day, hour, minute;
};

}  // namespace bivane
