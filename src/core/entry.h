// One row of a side's list: the file system's own name and what the list shows of it.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace bivane {

enum ImageIndex : std::uint8_t { kImageFile = 0, kImageDir = 1, kImageProgram = 2, kImageTagged = 3 };

enum class EntryKind : std::uint8_t { File, Directory, Parent };

// An entry's tag mark; the value is the letter the list's mark column shows.
enum class Mark : char { Tagged = 'Y', Untagged = 'N', Directory = 'D' };
inline char MarkLetter(Mark m) { return static_cast<char>(m); }

// Whether a path can name exactly this entry. Under Wine a Linux name may hold what Windows
// forbids, and such a name either cannot be reached or would reach another file.
enum class Reach : std::uint8_t {
    Exact,
    Wildcard,   // "?" or "*": the shell takes them as patterns, the kernel refuses them
    Separator,  // "\" or "/": a path splits the name into folders
    Twin,       // shown like another listed name (bytes the system cannot show): a path reaches either
};

struct Entry {
    std::string caption;   // "<name>", "[parent]" or the file caption (UTF-8): what the list shows
    std::string sizeText;  // decimal bytes, or "<DIR>" plus attribute letters
    std::string dateText;  // "mm/dd/yy hh:nnam/pm", or " " for directories
    std::int64_t size = 0;     // file size in bytes (0 for directories)
    std::int64_t minute = 0;   // local last-write time in whole minutes; what dates compare by
    Mark mark = Mark::Untagged;  // Directory for folders and the parent
    std::uint8_t image = kImageFile;
    EntryKind kind = EntryKind::File;
    Reach reach = Reach::Exact;
    bool link = false;         // listed as a link (a reparse point): a command must find one there

    bool IsFile() const { return kind == EntryKind::File; }
    // The file system's own name, exactly (WTF-8): what every command uses.
    std::string Name() const;
    // The name a copy or move gives it in another folder: its own name, also where the side lists
    // a path below its folder (a search's results).
    std::string TargetName() const;
    // Keeps name as the entry's own, and its reach; set after the caption. Most names are the
    // caption with some letters in the other case, so they cost a few bits, not a second copy (a
    // big folder holds many entries).
    void SetName(const std::string& name);

private:
    std::uint32_t caseFlips_ = 0;                     // bit i: letter i of the name is the caption's, case swapped
    std::shared_ptr<const std::string> ownName_;      // when the caption cannot say the name
};

// What a name leads to on the disk: as listed, or as found when a command runs.
enum class DiskKind : std::uint8_t { Missing, File, Directory, Link, Unknown };
// The kind the entry had when its side was read.
DiskKind ListedKind(const Entry& e);

// Whether a path can reach exactly the entry of this name, from the name alone.
Reach NameReach(std::string_view name);

// Whether an entry listed with these attributes and reparse tag (WIN32_FIND_DATAW's dwReserved0)
// is a link, never followed: a symbolic link or a junction, or a reparse point Wine lists with no
// tag (its form of a Linux symbolic link). Other reparse points (cloud placeholders, deduplicated
// files) hold their own data: they are files and folders like any other.
bool IsLink(std::uint32_t attributes, std::uint32_t reparseTag);

}  // namespace bivane
