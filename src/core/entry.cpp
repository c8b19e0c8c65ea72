#include "core/entry.h"

namespace bivane {

namespace {
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char SwapCase(char c) { return static_cast<char>(c ^ 0x20); }
}  // namespace

std::string Entry::Name() const {
    if (ownName_) return *ownName_;
    if (kind == EntryKind::Parent) return "..";
    if (kind == EntryKind::Directory) {
        std::string_view name = caption;
        if (!name.empty() && name.front() == '<') name.remove_prefix(1);
        if (!name.empty() && name.back() == '>') name.remove_suffix(1);
        return std::string(name);
    }
    std::string name = caption;
    for (std::uint32_t flips = caseFlips_, i = 0; flips != 0; flips >>= 1, ++i) {
        if (flips & 1) name[i] = SwapCase(name[i]);
    }
    return name;
}

std::string Entry::TargetName() const {
    // Only a "\" parts a listed name from the folders above it: a name under Wine may hold ":".
    const std::string name = Name();
    const std::size_t slash = name.find_last_of('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

void Entry::SetName(const std::string& name) {
    reach = kind == EntryKind::Parent ? Reach::Exact : NameReach(name);
    ownName_.reset();
    caseFlips_ = 0;
    bool derived = false;
    if (kind == EntryKind::Parent) {
        derived = name == "..";
    } else if (kind == EntryKind::Directory) {
        derived = caption.size() == name.size() + 2 && caption.front() == '<' && caption.back() == '>' &&
                  caption.compare(1, name.size(), name) == 0;
    } else if (caption.size() == name.size()) {
        derived = true;
        for (std::size_t i = 0; i < name.size() && derived; ++i) {
            if (name[i] == caption[i]) continue;
            derived = i < 32 && IsAsciiLetter(name[i]) && SwapCase(name[i]) == caption[i];
            if (derived) caseFlips_ |= std::uint32_t{1} << i;
        }
    }
    if (!derived) {
        caseFlips_ = 0;
        ownName_ = std::make_shared<const std::string>(name);
    }
}

DiskKind ListedKind(const Entry& e) {
    if (e.link) return DiskKind::Link;
    return e.IsFile() ? DiskKind::File : DiskKind::Directory;
}

Reach NameReach(std::string_view name) {
    if (name.find_first_of("?*") != std::string_view::npos) return Reach::Wildcard;
    if (name.find_first_of("\\/") != std::string_view::npos) return Reach::Separator;
    return Reach::Exact;
}

bool IsLink(std::uint32_t attributes, std::uint32_t reparseTag) {
    // The system's values, spelled here so that window-free rules can ask too.
    constexpr std::uint32_t kReparsePoint = 0x400, kSymlink = 0xA000000C, kMountPoint = 0xA0000003;
    if (!(attributes & kReparsePoint)) return false;
    return reparseTag == kSymlink || reparseTag == kMountPoint || reparseTag == 0;
}

}  // namespace bivane
