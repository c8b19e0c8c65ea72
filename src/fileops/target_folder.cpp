#include "fileops/target_folder.h"

#include "panes/entry_rules.h"
#include "platform/copy_temporaries.h"
#include "platform/folder_scan.h"

namespace bivane {

TargetFolder ReadTargetFolder(const std::wstring& folder, const LocalTimes& times) {
    TargetFolder there;
    FolderScan scan(folder);
    while (scan.Next()) {
        const std::wstring_view name = scan.Name();
        if (name == L"." || name == L".." || IsCopyTemporaryName(name)) continue;
        there.emplace(FoldedName(std::wstring(name)),
                      TargetName{std::wstring(name), scan.Attributes(), scan.Size(),
                                 MinuteStamp(times.Of(scan.LastWrite())),
                                 static_cast<std::int64_t>((std::uint64_t{scan.LastWrite().dwHighDateTime} << 32) |
                                                           scan.LastWrite().dwLowDateTime)});
    }
    return there;
}

}  // namespace bivane
