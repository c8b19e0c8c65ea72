#include "panes/folder_size_rules.h"

namespace bivane {

namespace {
// The system's values, spelt out so that this file needs no system header.
constexpr std::uint32_t kDirectory = 0x10;

bool Sizable(const Entry& e) { return e.kind == EntryKind::Directory && !e.link; }
}  // namespace

WalkStep StepFor(std::wstring_view name, std::uint32_t attributes, std::uint32_t reparseTag) {
    if (name == L"." || name == L"..") return WalkStep::Skip;
    if (IsLink(attributes, reparseTag)) return WalkStep::Skip;
    return attributes & kDirectory ? WalkStep::Descend : WalkStep::Count;
}

std::string FolderSizeText(const FolderTotal& total) {
    return std::to_string(total.bytes) + (total.unreadable > 0 ? "+" : "");
}

std::vector<std::string> FoldersToSize(const std::vector<Entry>& entries, int current, bool all) {
    std::vector<std::string> names;
    if (all) {
        for (const Entry& e : entries) {
            if (Sizable(e)) names.push_back(e.Name());
        }
    } else if (current >= 0 && current < static_cast<int>(entries.size())) {
        const Entry& e = entries[static_cast<std::size_t>(current)];
        if (Sizable(e)) names.push_back(e.Name());
    }
    return names;
}

int ShowFolderSize(std::vector<Entry>& entries, const std::string& name, const std::string& text) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& e = entries[i];
        if (Sizable(e) && e.Name() == name) {
            e.sizeText = text;
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace bivane
