// What a folder's size counts, and how a side shows it: window-free, so it is tested natively.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry.h"

namespace bivane {

// What the walk does with one name a folder lists.
enum class WalkStep : std::uint8_t { Skip, Count, Descend };

// attributes and reparseTag as the system lists them. "." and ".." are skipped; so is every link
// (IsLink), file or folder: a link is never followed, and its target (elsewhere, or a loop) is never
// counted. Other reparse points are files and folders.
WalkStep StepFor(std::wstring_view name, std::uint32_t attributes, std::uint32_t reparseTag);

struct FolderTotal {
    std::int64_t bytes = 0;
    std::int64_t files = 0;
    std::int64_t folders = 0;      // below the folder itself
    std::int64_t linksSkipped = 0;
    std::int64_t unreadable = 0;   // folders that could not be listed: the total is a lower bound
};

// The Size cell of a sized folder: its bytes in plain digits, as a file's size shows, and "+"
// after them when some folder inside could not be read.
std::string FolderSizeText(const FolderTotal& total);

// Names of the side's folders a size is asked for: the current entry alone, or every folder
// listed. Never "[parent]" (it holds this folder) nor a link (never followed).
std::vector<std::string> FoldersToSize(const std::vector<Entry>& entries, int current, bool all);

// Shows text in the Size cell of the folder entry called name; its row, or -1 when the side no
// longer lists such a folder.
int ShowFolderSize(std::vector<Entry>& entries, const std::string& name, const std::string& text);

}  // namespace bivane
