// Reordering one side's list and finding an entry in it again by name. The sort and locate
// commands use them on the active side, the rename completion on the side that was renamed.
#pragma once
#include <string>

#include "panes/pane.h"
#include "panes/sort_rules.h"

namespace bivane {

// Brings the list to its top when it has a selection, reorders the entries, writes the title
// Selection, focus and CurrentItem stay with their entries.
void SortSide(Pane& s, SortOrder order);
// Scrolls to the top first when the list has a selection, as every reorder does.
void BringListToTop(Pane& s);
// Selects, focuses and shows the entry whose caption equals name ignoring a-z case.
void LocateInSide(Pane& s, std::string name);

}  // namespace bivane
