// The locale's string order as byte-comparable sort keys.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace bivane {

// Sort keys whose byte-wise comparison gives the locale's case-sensitive and case-insensitive
// string order.
struct Collation {
    std::function<std::string(std::string_view)> caseSensitiveKey, caseInsensitiveKey;
};

}  // namespace bivane
