// What a copy's target folder holds, read once before anything is written.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/fs.h"
#include "platform/win.h"

namespace bivane {

struct TargetName {
    std::wstring name;  // as stored
    DWORD attributes = 0;
    std::int64_t size = 0;
    std::int64_t minute = 0;  // local minutes, as the replace question compares them
    std::int64_t lastWrite = 0;  // exact (FILETIME ticks): what a copy agreed to replace
    DWORD reparseTag = 0;
    bool Link() const { return IsLink(attributes, reparseTag); }
};
// By name as the system folds it: one reading of the folder, where under Wine a look-up of each
// name would search the folder each time. The copy's own temporaries are left out.
using TargetFolder = std::unordered_map<std::wstring, TargetName>;

// folder: an exact path (EntryPath, or one made from it), without a trailing "\". Throws
// FileError when the listing failed part way: the names it did not reach are not known.
TargetFolder ReadTargetFolder(const std::wstring& folder, const LocalTimes& times);

}  // namespace bivane
