// What a confirmed copy, move or delete acts on and what it reads again afterwards: window-free,
// so that it is tested natively.
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "core/entry.h"

namespace bivane {

enum class ConfirmMode { Copy, Delete, Move };

// What the user confirmed.
struct RunRequest {
    ConfirmMode mode = ConfirmMode::Copy;
    bool currentOnly = false;  // the current entry
    bool tagged = false;       // the tagged files (when the list is not empty)
    bool recycle = false;      // a delete sends to the recycle bin
    int current = -1;          // the current entry's row
};

// The rows a run acts on, in list order. Copies take files only; a delete or move of the current
// entry takes a directory too, never the parent; tagged runs take the tagged files.
std::vector<std::size_t> EntriesToActOn(const std::vector<Entry>& entries, const RunRequest& request);

// What a finished run reads again: a copy its target; a move both panes when anything moved; a
// delete its source, and first the other pane when that shows the source directory or one below.
struct Reloads {
    bool source = false;
    bool target = false;
    bool targetToSource = false;  // the other pane is moved to the source directory and read
};
Reloads ReloadsAfter(ConfirmMode mode, bool anyDone, std::string_view sourceDir, std::string_view targetDir);

}  // namespace bivane
