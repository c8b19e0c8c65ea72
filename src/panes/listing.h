// What a pane lists of a directory, read apart from any window: the entries sorted by name and
// their totals. A listing may be read ahead on another thread (start-up in a big folder reads it
// while the window is being made) and then shown by the pane.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/entry.h"
#include "panes/name_changes.h"

namespace bivane {

struct Listing {
    std::string dir;
    std::vector<Entry> entries;  // sorted by name
    std::int64_t totalBytes = 0;
    std::int64_t files = 0;
    bool staleCopies = false;  // a killed copy's hidden temporary lies there
    // The system's error that cut the listing short (0: read to its end): the entries are only
    // some of the folder's.
    unsigned long readError = 0;
};

// Reads dir: files and directories that are listed (not hidden or system), "." left out. Safe on
// any thread: it touches no window and changes nothing.
Listing ReadListing(const std::string& dir);
// The same, asked to stop between two names: nothing once stop is set (a pause or a close waits
// for one call to the file system, not for a whole folder).
std::optional<Listing> ReadListing(const std::string& dir, const std::atomic<bool>& stop);
// How many folders were read so far, by any thread: after a command each folder shown should
// cost one reading.
std::uint64_t ListingReads();

// Each name (a name the system reported changed in dir, in its own form) as a reading would list
// it now: its entry, or none when it is gone or not listed. Nothing when a name cannot be looked at
// alone (a wildcard or separator in it, bytes the system cannot show, a case twin the lookup cannot
// tell apart, an error): then the folder is read whole. Safe on any thread.
std::optional<std::vector<NameChange>> LookAtNames(const std::string& dir, const std::vector<std::wstring>& names);

// Tests read a few names in several batches, as a big folder is read.
class ScopedListingBatch {
public:
    explicit ScopedListingBatch(std::size_t names);
    ~ScopedListingBatch();
    ScopedListingBatch(const ScopedListingBatch&) = delete;
    ScopedListingBatch& operator=(const ScopedListingBatch&) = delete;
};

// Start-up reads its first folder on another thread while the window is made.
void ReadListingAhead(const std::string& dir);
// The listing read ahead for exactly dir (waiting for it if need be), once; none for another
// directory, or when none was started. A listing not taken is dropped at the next call.
std::optional<Listing> TakeListingAhead(const std::string& dir);

}  // namespace bivane
