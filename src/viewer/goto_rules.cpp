#include "viewer/goto_rules.h"

#include <cstdint>
#include <limits>

namespace bivane::viewer {

namespace {

int DigitValue(char c, int base) {
    int v = 99;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

// The number the whole text spells in base; -1 when it is empty, not a number or too big.
std::int64_t Number(std::string_view text, int base) {
    if (text.empty()) return -1;
    std::int64_t v = 0;
    for (const char c : text) {
        const int d = DigitValue(c, base);
        if (d < 0 || v > (std::numeric_limits<std::int64_t>::max() - d) / base) return -1;
        v = v * base + d;
    }
    return v;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

GoToTarget Of(GoToTarget::Kind kind, std::int64_t value) {
    return value < 0 ? GoToTarget{} : GoToTarget{kind, value};
}

}  // namespace

GoToTarget ParseGoTo(std::string_view text, bool hexView) {
    using Kind = GoToTarget::Kind;
    text = Trimmed(text);
    if (text.empty()) return {};
    if (text.back() == '%') {
        const std::int64_t p = Number(Trimmed(text.substr(0, text.size() - 1)), 10);
        return p > 100 ? GoToTarget{} : Of(Kind::Percent, p);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return Of(Kind::Offset, Number(text.substr(2), 16));
    }
    if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        return Of(Kind::Offset, Number(text.substr(0, text.size() - 1), 16));
    }
    if (text.front() == '@') return Of(Kind::Offset, Number(Trimmed(text.substr(1)), 10));
    const std::int64_t n = Number(text, 10);
    if (hexView) return Of(Kind::Offset, n);
    return n == 0 ? GoToTarget{} : Of(Kind::Line, n);
}

std::int64_t PercentOffset(std::int64_t percent, std::int64_t size) {
    if (size <= 0 || percent <= 0) return 0;
    if (percent >= 100) return size;
    // size / 100 * percent + the remainder's share: no overflow for any 63-bit size.
    return size / 100 * percent + size % 100 * percent / 100;
}

}  // namespace bivane::viewer
