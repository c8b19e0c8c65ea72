// An entry as the load makes it, from the caption the list shows: its kind and its own name.
#pragma once
#include <string>

#include "core/entry.h"
#include "panes/entry_rules.h"

namespace bivane::test {

inline Entry Listed(std::string caption) {
    Entry e;
    std::string name = caption;
    if (caption == "[parent]") {
        e.kind = EntryKind::Parent;
        name = "..";
        e.mark = Mark::Directory;
    } else if (caption.size() >= 2 && caption.front() == '<' && caption.back() == '>') {
        e.kind = EntryKind::Directory;
        name = StripDirBrackets(caption);
        e.mark = Mark::Directory;
    }
    e.caption = std::move(caption);
    e.SetName(name);
    return e;
}

}  // namespace bivane::test
