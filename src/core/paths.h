// Path text rules every floor shares. Paths are UTF-8 with "\" separators; nothing here asks the
// file system.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace bivane {

// "C:..." (a drive letter and its colon).
bool HasDriveLetter(std::string_view path);
// Length of the root: 3 for "C:\", 2 for "C:", the "\\server\share\" part of a network path, 0 else.
std::size_t RootLength(std::string_view path);
// The part after the last "\" or ":".
std::string FileNamePart(std::string_view path);
// The directory holding path: "C:\A" for "C:\A\b", "C:\" for "C:\b"; the root itself stays.
std::string DirectoryPart(std::string_view path);
// Directory + "\" + name, without the "\" when the directory is a 3-character root.
std::string JoinPathRootAware(std::string_view dir, std::string_view name);
// Whether path is folder or lies inside it, by their texts, ASCII letters compared ignoring case
// (a folder of another case is the same one on Windows; on Linux it is taken as the same, to be safe).
bool AtOrBelow(std::string_view path, std::string_view folder);
// A name (as listed) that a path reaches exactly: no wildcard or separator (a Linux name under Wine
// may hold them) and no character the system could not show (a path may reach another name shown
// the same).
inline bool NameReachedExactly(std::wstring_view name) { return name.find_first_of(L"?*\\/\uFFFD") == std::wstring_view::npos; }

}  // namespace bivane
