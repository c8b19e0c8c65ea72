#include "fileops/target_folder.h"

#include "core/errors.h"
#include "panes/entry_rules.h"
#include "platform/copy_temporaries.h"
#include "platform/folder_scan.h"

namespace bivane {

TargetFolder ReadTargetFolder(const std::wstring& folder, const LocalTimes& times) {
    TargetFolder there;
    FolderScan scan(folder);
    while (scan.Next()) {
        if (IsDotOrDotDot(scan.Name()) || IsCopyTemporaryName(scan.Name())) continue;
        const std::wstring_view name = scan.Name();
        there.emplace(FoldedName(std::wstring(name)),
                      TargetName{std::wstring(name), scan.Attributes(), scan.Size(),
                                 MinuteStamp(times.Of(scan.LastWrite())), FileTimeTicks(scan.LastWrite()),
                                 scan.ReparseTag()});
    }
    // A name the listing did not reach would be taken as absent and replaced without a question.
    if (scan.Failed()) {
        throw FileError("Can't read the target folder whole:\r" + ShownPath(folder) + "\r" + IoErrorText(static_cast<int>(scan.Error())) +
                        "\r\rNothing was copied.");
    }
    return there;
}

}  // namespace bivane
