// Refusing, with a word to the user, an entry that no path reaches exactly.
#pragma once
#include "core/entry.h"
#include "platform/win.h"

namespace bivane {

// False, after telling the user why (a box owned by owner), for an entry that no path reaches
// exactly; true for every other.
bool Reachable(HWND owner, const Entry& e);

}  // namespace bivane
