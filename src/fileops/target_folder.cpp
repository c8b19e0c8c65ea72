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
                                 MinuteStamp(times.Of(scan.LastWrite()))});
    }
    return there;
}

}  // namespace bivane
