#include "panes/reach.h"

#include "panes/entry_rules.h"
#include "platform/modal_seam.h"

namespace bivane {

bool Reachable(HWND owner, const Entry& e) {
    if (e.reach == Reach::Exact) return true;
    ShowBox(owner, BoxKind::Warning, UnreachableText(e), BoxButtons::Ok);
    return false;
}

}  // namespace bivane
