// A side's entries kept up to date by name: the system says which names of the folder changed, the
// follower looks at each, and the window applies what it found, without reading the folder again.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/collation.h"
#include "core/entry.h"
#include "panes/sort_rules.h"

namespace bivane {

// A name the system reported (added, removed, renamed from or to, modified), as it was looked at
// afterwards: its entry as a reading makes it, or none when it is gone or not listed (hidden).
struct NameChange {
    std::string name;  // the file system's own name, exactly (WTF-8)
    std::optional<Entry> now;
};

// Where the old rows went. moved: for each old row, its entry's new row, or -1 when it went.
// tookPlace: for each old row, the row of an entry of its name but of another kind, or -1.
struct RowMoves {
    std::vector<int> moved, tookPlace;
    bool inPlace = false;  // no row moved: only the changed rows need painting
    std::vector<int> changedRows;  // in place: the rows changed
    bool folders = false;  // a folder came, went or changed: the side's folder tree is read again
};

// What the user had on an entry that a new reading of the same name and kind keeps: its tag, the
// size counted on demand for a folder, and a caption as typed in a rename.
void CarryOver(const Entry& was, Entry& now);

// Applies changes (each name once) to entries, which are in order as the side sorts them; the
// totals of file bytes and files follow. Entries not named stay as they are, in their order; a
// changed entry goes where a full sort would put it.
RowMoves ApplyNameChanges(std::vector<Entry>& entries, const std::vector<NameChange>& changes, SortOrder order,
                          const Collation& collation, std::int64_t& totalBytes, std::int64_t& files);

}  // namespace bivane
