#include "viewer/command_rules.h"

#include <vector>

namespace bivane::viewer {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

}  // namespace

std::string_view CommandTail(std::string_view commandLine) {
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    }
    return Trim(commandLine.substr(i));
}

std::string FileFromTail(std::string_view tail, const std::function<bool(const std::string&)>& isFile) {
    tail = Trim(tail);
    if (!tail.empty() && tail[0] == '"') {
        const std::size_t close = tail.find('"', 1);
        return std::string(tail.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    }
    const std::string whole(tail);
    if (whole.empty() || isFile(whole)) return whole;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < tail.size();) {
        while (i < tail.size() && IsBlank(tail[i])) ++i;
        const std::size_t start = i;
        while (i < tail.size() && !IsBlank(tail[i])) ++i;
        if (i > start) words.emplace_back(tail.substr(start, i - start));
    }
    for (const std::string& w : words) {
        if (!isFile(w)) return whole;
    }
    return words.front();
}

std::string_view TakeStartAt(std::string_view tail, StartAt& at) {
    const std::string_view trimmed = Trim(tail);
    if (trimmed.substr(0, 4) != "/at=") return tail;
    std::int64_t number[2] = {0, 0};
    std::size_t i = 4;
    for (int n = 0; n < 2; ++n) {
        const std::size_t start = i;
        while (i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9' && i - start < 18) {
            number[n] = number[n] * 10 + (trimmed[i++] - '0');
        }
        if (i == start) return tail;
        if (n == 1 || i >= trimmed.size() || trimmed[i] != ',') break;
        ++i;
    }
    if (i < trimmed.size() && !IsBlank(trimmed[i])) return tail;
    at = {number[0], number[1]};
    return Trim(trimmed.substr(i));
}

}  // namespace bivane::viewer
