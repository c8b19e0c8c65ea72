#include "controls/share_rules.h"

#include <algorithm>
#include <numeric>

namespace bivane {

std::vector<int> ShareByNeed(int width, const std::vector<int>& needs) {
    const int n = static_cast<int>(needs.size());
    std::vector<int> parts(needs.size(), 0);
    if (n == 0 || width <= 0) return parts;
    long long total = 0;
    for (int need : needs) total += std::max(0, need);
    int given = 0;
    for (int i = 0; i < n; ++i) {
        const int need = std::max(0, needs[static_cast<size_t>(i)]);
        if (total <= width) {
            parts[static_cast<size_t>(i)] = need + static_cast<int>((width - total) / n);
        } else {
            parts[static_cast<size_t>(i)] = static_cast<int>(static_cast<long long>(width) * need / total);
        }
        given += parts[static_cast<size_t>(i)];
    }
    parts.back() += width - given;  // what rounding left over
    return parts;
}

}  // namespace bivane
