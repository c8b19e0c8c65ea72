#include "core/paths.h"

namespace bivane {

bool HasDriveLetter(std::string_view path) { return path.size() >= 2 && path[1] == ':'; }

std::size_t RootLength(std::string_view path) {
    if (HasDriveLetter(path)) return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
    if (path.rfind("\\\\", 0) == 0) {
        std::size_t p = path.find('\\', 2);
        if (p == std::string_view::npos) return path.size();
        p = path.find('\\', p + 1);
        return p == std::string_view::npos ? path.size() : p + 1;
    }
    return 0;
}

std::string FileNamePart(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string DirectoryPart(std::string_view path) {
    const std::size_t root = RootLength(path);
    const std::size_t cut = path.find_last_of('\\');
    if (cut == std::string_view::npos || cut + 1 <= root) return std::string(path.substr(0, root));
    return std::string(path.substr(0, cut));
}

std::string JoinPathRootAware(std::string_view dir, std::string_view name) {
    std::string r(dir);
    if (dir.size() != 3) r += '\\';
    r += name;
    return r;
}

bool AtOrBelow(std::string_view path, std::string_view folder) {
    if (path.size() < folder.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (lower(path[i]) != lower(folder[i])) return false;
    }
    return path.size() == folder.size() || path[folder.size()] == '\\' || (!folder.empty() && folder.back() == '\\');
}

}  // namespace bivane
