#include "panes/shorten_path.h"

#include "core/paths.h"

namespace bivane {

namespace {

// Drops the first name of a directory part: "\A\B\" -> "\...\B\", "...\B\" -> "", "\" -> "".
std::string CutFirstDirectory(std::string dir) {
    if (dir == "\\") return {};
    const bool root = !dir.empty() && dir.front() == '\\';
    if (root) dir.erase(0, 1);
    if (dir.starts_with("...\\")) dir.erase(0, 4);
    const auto sep = dir.find('\\');
    dir = sep == std::string::npos ? std::string() : "...\\" + dir.substr(sep + 1);
    return root ? "\\" + dir : dir;
}

}  // namespace

std::string ShortenPath(std::string_view path, int maxWidth,
                        const std::function<int(std::string_view)>& measure) {
    std::string drive;
    if (HasDriveLetter(path)) {
        drive = path.substr(0, 2);
        path.remove_prefix(2);
    }
    const auto lastSep = path.rfind('\\');
    std::string dir = lastSep == std::string_view::npos ? std::string() : std::string(path.substr(0, lastSep + 1));
    const std::string name(lastSep == std::string_view::npos ? path : path.substr(lastSep + 1));

    while ((!drive.empty() || !dir.empty()) && measure(drive + dir + name) > maxWidth) {
        if (dir == "\\...\\") {
            drive.clear();
            dir = "...\\";
        } else if (dir.empty()) {
            drive.clear();
        } else {
            dir = CutFirstDirectory(dir);
        }
    }
    return drive + dir + name;
}

}  // namespace bivane
