// C on a folder: the folder and all it holds copied into the other side's folder, merged into a
// folder of its name there, links never followed, nothing replaced without the user's word.
#include <unordered_map>

#include "core/errors.h"
#include "controls/report_window.h"
#include "fileops/copy_file.h"
#include "fileops/copy_rules.h"
#include "fileops/folder_copy_rules.h"
#include "fileops/progress_dialog.h"
#include "fileops/target_folder.h"
#include "form/main_window.h"
#include "panes/entry_rules.h"
#include "panes/folder_walk.h"
#include "panes/reach.h"
#include "platform/folder_scan.h"
#include "platform/fs.h"
#include "platform/identity.h"
#include "platform/modal_seam.h"
#include "platform/removal.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

std::wstring LastPart(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }
std::wstring FolderPart(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

}  // namespace

// Gives the folders a copy made their dates and marks when it ends, however it ends: the files
// written into a folder change its date, so the deepest go first, after all files.
class FolderDates {
public:
    void Made(std::wstring path, DWORD attributes, FILETIME lastWrite) {
        made_.push_back({std::move(path), attributes, lastWrite});
    }
    ~FolderDates() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            {
                AutoCloseHandle h(CreateFileW(it->path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
                if (h) SetFileTime(h.get(), nullptr, nullptr, &it->lastWrite);
            }
            if (it->attributes & kKeptAttributes) SetFileAttributesW(it->path.c_str(), it->attributes & kKeptAttributes);
        }
    }
    FolderDates() = default;
    FolderDates(const FolderDates&) = delete;
    FolderDates& operator=(const FolderDates&) = delete;

private:
    struct Folder {
        std::wstring path;
        DWORD attributes;
        FILETIME lastWrite;
    };
    std::vector<Folder> made_;
};

namespace {

void MakeFolder(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return;
    // One made meanwhile (by another program) is merged into like one found before.
    if (KindNow(path) != DiskKind::Directory) throw FileCreateError("Cannot create folder " + ShownPath(path));
}

}  // namespace

namespace {

// The room a folder copy frees by replacing the files of existing it copies: each old file goes
// only once its copy is whole beside it, so the biggest of them takes its room twice meanwhile.
std::int64_t RoomFreedByReplacing(const std::vector<ExistingTarget>& existing, const std::vector<bool>& copied) {
    std::int64_t replaced = 0, biggest = 0;
    for (const ExistingTarget& t : existing) {
        if (!copied[t.row]) continue;
        replaced += t.targetSize;
        biggest = std::max(biggest, t.targetSize);
    }
    return replaced - biggest;
}

}  // namespace

// One folder copy: the tree, what the target holds of it, and what becomes of each item.
struct MainWindow::FolderCopy {
    std::wstring from, to;          // exact paths of the folder and of its copy
    std::string caption;            // the folder's name, as messages show it
    bool toExists = false;          // merged into a folder of its name
    DWORD attributes = 0;           // the folder's own, for its copy
    FILETIME lastWrite{};
    TreeListing tree;
    std::vector<bool> exists;       // by item: a folder the target has already
    std::vector<bool> skip;         // by item: not copied
    std::vector<ExistingTarget> existing;  // files the target holds; row: the item
    std::vector<LeftOut> leftOut;
    CopyTally total, done;
    std::vector<std::string> notCopied;  // after a failed file: that file and the rest
    std::unordered_map<std::size_t, TargetState> agreed;  // by item: a file the user agreed to replace
    bool verify = false;
    bool stopped = false;
    CopyBuffer buffer = {};
};

void MainWindow::CopyFolder(const Entry& folder, Pane& src, Pane& dst, bool verify) {
    if (!Reachable(hwnd_, folder)) return;
    const std::string sourceDir = src.Directory();
    const std::string targetDir = dst.Directory();
    std::vector<ChangedEntry> changed;
    if (!StillThere(sourceDir, folder, changed)) return ReportChanged(changed, src);
    if (folder.link) {
        ShowBox(hwnd_, BoxKind::Warning, LinkNotCopiedText(folder.caption), BoxButtons::Ok);
        return;
    }
    auto shared = std::make_shared<FolderCopy>();
    FolderCopy& copy = *shared;
    copy.from = EntryPath(sourceDir, folder.Name());
    copy.to = EntryPath(targetDir, folder.TargetName());
    copy.caption = folder.TargetName();
    copy.verify = verify;
    if (InsideOrSame(targetDir, ShownPath(copy.from))) {
        ShowBox(hwnd_, BoxKind::Warning, IntoItselfText(ShownPath(copy.from), targetDir), BoxButtons::Ok);
        return;
    }
    const DiskKind there = KindNow(copy.to);
    if (there != DiskKind::Missing && there != DiskKind::Directory) {
        ShowBox(hwnd_, BoxKind::Warning, TargetTakenText(ShownPath(copy.to)), BoxButtons::Ok);
        return;
    }
    copy.toExists = there == DiskKind::Directory;
    if (!PlanFolderCopy(copy)) {
        ShowBox(hwnd_, BoxKind::Warning, UnreadableFolderText(ShownPath(copy.from)), BoxButtons::Ok);
        return;
    }
    // Nothing is written before the user has said what becomes of the files that exist.
    std::vector<std::size_t> files;
    for (std::size_t i = 0; i < copy.tree.items.size(); ++i) {
        if (!copy.skip[i] && !copy.tree.items[i].IsFolder()) files.push_back(i);
    }
    const std::optional<std::vector<std::size_t>> answered = AskBeforeReplacing(copy.existing, files);
    if (!answered) return;
    std::vector<bool> copied(copy.tree.items.size());
    for (const std::size_t i : *answered) copied[i] = true;
    for (const std::size_t i : files) {
        if (!copied[i]) {
            copy.skip[i] = true;
            continue;
        }
        ++copy.total.files;
        copy.total.bytes += copy.tree.items[i].size;
    }
    // Once for the whole tree, before the first file: a copy that cannot end is not begun.
    if (!HasSpaceFor(copy.total.bytes - RoomFreedByReplacing(copy.existing, copied), JoinPathRootAware(targetDir, folder.TargetName()))) return;

    const std::string name = folder.TargetName();
    CopyAsJob(
        src, dst, ShownPath(copy.from), ShownPath(copy.to), [name] { return name; }, [this, shared](const std::wstring& stagingDir) { CopyTree(*shared, stagingDir); },
        [this, shared](bool done) {
            const FolderCopy& c = *shared;
            if (!done && c.total.files > 1) {
                ShowReport(hwnd_, BoxKind::Warning, NotCopiedText(c.notCopied, static_cast<std::size_t>(c.total.files)));
            }
            if (c.stopped) ShowBox(hwnd_, BoxKind::Information, StoppedText(c.done.files, c.total.files), BoxButtons::Ok);
            if (!c.leftOut.empty()) ShowReport(hwnd_, BoxKind::Warning, LeftOutText(c.leftOut));
        });
}

// Lists the tree and what the target holds of it. False when the folder cannot be listed.
bool MainWindow::PlanFolderCopy(FolderCopy& copy) {
    WaitCursor wait;
    WIN32_FILE_ATTRIBUTE_DATA own{};
    if (!GetFileAttributesExW(copy.from.c_str(), GetFileExInfoStandard, &own)) return false;
    copy.attributes = own.dwFileAttributes;
    copy.lastWrite = own.ftLastWriteTime;
    std::optional<TreeListing> tree = ListTree(copy.from);
    if (!tree) return false;
    copy.tree = std::move(*tree);
    const std::vector<TreeItem>& items = copy.tree.items;
    const std::string top = copy.caption + "\\";
    for (const std::wstring& p : copy.tree.links) copy.leftOut.push_back({top + Narrow(p), LeftOutWhy::Link});
    for (const std::wstring& p : copy.tree.unreachable) copy.leftOut.push_back({top + Narrow(p), LeftOutWhy::Unreachable});
    for (const std::wstring& p : copy.tree.unreadable) copy.leftOut.push_back({top + Narrow(p), LeftOutWhy::Unreadable});
    for (const std::wstring& p : copy.tree.readInPart) {
        copy.leftOut.push_back({p.empty() ? copy.caption : top + Narrow(p), LeftOutWhy::ReadInPart});
    }
    copy.exists.assign(items.size(), false);
    copy.skip.assign(items.size(), false);
    const LocalTimes times;
    LeaveOutTwins(copy, times);
    if (!copy.toExists) return true;  // a new folder: nothing in it exists

    // Each target folder that exists is read once, as its source folder's items come.
    std::unordered_map<int, TargetFolder> merged;  // by folder item; -1: the top
    merged.emplace(-1, ReadTargetFolder(copy.to, times));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TreeItem& item = items[i];
        if (copy.skip[i]) continue;
        if (item.folder >= 0 && copy.skip[static_cast<std::size_t>(item.folder)]) {
            copy.skip[i] = true;  // its folder is left out
            continue;
        }
        const auto folderThere = merged.find(item.folder);
        if (folderThere == merged.end()) continue;  // a folder the copy makes: nothing in it exists
        const auto found = folderThere->second.find(FoldedName(LastPart(item.path)));
        if (found == folderThere->second.end()) continue;
        const TargetName& t = found->second;
        const bool folderThereToo = (t.attributes & FILE_ATTRIBUTE_DIRECTORY) && !t.Link();
        const std::string shown = top + Narrow(FolderPart(item.path) + t.name);
        if (item.IsFolder()) {
            if (folderThereToo) {
                copy.exists[i] = true;
                merged.emplace(static_cast<int>(i), ReadTargetFolder(copy.to + L"\\" + item.path, times));
            } else {
                copy.skip[i] = true;
                copy.leftOut.push_back({shown, LeftOutWhy::TargetNotAFolder});
            }
        } else if ((t.attributes & FILE_ATTRIBUTE_DIRECTORY) || t.Link()) {
            copy.skip[i] = true;
            copy.leftOut.push_back({shown, LeftOutWhy::TargetNotAFile});
        } else {
            copy.existing.push_back({i, shown, MinuteStamp(times.Of(item.lastWrite)), t.minute, t.size});
            copy.agreed[i] = TargetState{true, t.size, t.lastWrite};
        }
    }
    return true;
}

// Names of one folder that the target takes as one (the same but for letter case, where the source
// folder tells them apart) would land on one file or merge two folders: of each such group one is
// copied, the others are left out with all they hold, and named.
void MainWindow::LeaveOutTwins(FolderCopy& copy, const LocalTimes& times) {
    const std::vector<TreeItem>& items = copy.tree.items;
    std::vector<std::string> keys;
    keys.reserve(items.size());
    for (const TreeItem& item : items) {
        keys.push_back(std::to_string(item.folder) + "\\" + Narrow(FoldedName(LastPart(item.path))));
    }
    std::unordered_map<int, TargetFolder> there;  // read only for folders that hold twins
    const std::vector<std::ptrdiff_t> instead = TwinsWrittenInstead(keys, [&](std::size_t i) {
        if (!copy.toExists) return false;
        const int folder = items[i].folder;
        auto read = there.find(folder);
        if (read == there.end()) {
            const std::wstring path = folder < 0 ? copy.to : copy.to + L"\\" + items[static_cast<std::size_t>(folder)].path;
            read = there.emplace(folder, ReadTargetFolder(path, times)).first;
        }
        const std::wstring name = LastPart(items[i].path);
        const auto found = read->second.find(FoldedName(name));
        return found != read->second.end() && found->second.name == name;
    });
    bool any = false;
    for (const std::ptrdiff_t w : instead) any = any || w >= 0;
    if (!any || FolderTellsCaseApart(DirectoryPart(ShownPath(copy.to)))) return;
    const std::string top = copy.caption + "\\";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].folder >= 0 && copy.skip[static_cast<std::size_t>(items[i].folder)]) {
            copy.skip[i] = true;  // inside a folder left out
        } else if (instead[i] >= 0) {
            copy.skip[i] = true;
            copy.leftOut.push_back(
                {top + Narrow(items[i].path), LeftOutWhy::CaseTwin, Narrow(LastPart(items[static_cast<std::size_t>(instead[i])].path))});
        }
    }
}

// Makes the folders and copies the files, in tree order; Escape stops it after a file. A folder or
// file that fails stops it there, and what it did not copy is kept for the message.
void MainWindow::CopyTree(FolderCopy& copy, const std::wstring& stagingDir) {
    ProgressDialog& progress = *Progress;
    FolderLookupBatch finalPaths;  // each folder's final path looked up once, for the links among its files
    FolderDates dates;
    std::size_t at = 0;
    try {
        if (!copy.toExists) {
            MakeFolder(copy.to);
            dates.Made(copy.to, copy.attributes, copy.lastWrite);
        }
        progress.SetText(progress.Totals, TallyText(copy.done, copy.total));
        for (; at < copy.tree.items.size(); ++at) {
            if (copy.skip[at]) continue;
            if (copy.done.files > 0 && progress.StopAsked()) {
                copy.stopped = true;
                return;
            }
            CopyItem(copy, at, stagingDir, dates);
            if (copy.stopped) return;
        }
    } catch (const FileError&) {
        NotCopiedFrom(copy, at);
        throw;
    }
}

void MainWindow::CopyItem(FolderCopy& copy, std::size_t i, const std::wstring& stagingDir, FolderDates& dates) {
    ProgressDialog& progress = *Progress;
    const TreeItem& item = copy.tree.items[i];
    const std::wstring from = copy.from + L"\\" + item.path;
    const std::wstring to = copy.to + L"\\" + item.path;
    if (item.IsFolder()) {
        if (!copy.exists[i]) {
            MakeFolder(to);
            dates.Made(to, item.attributes, item.lastWrite);
        }
        return;
    }
    const std::string shown = copy.caption + "\\" + Narrow(item.path);
    progress.SetText(progress.FileNameDesc, shown);
    progress.PrepareBar(static_cast<int>(item.size / kCopyBlockSize + 1));
    progress.Repaint();
    CopyOptions options{stagingDir, true, copy.verify, TargetState{}, [this](const std::string& path, bool appeared) {
                            return AskReplaceChanged(path, appeared);
                        }};
    if (const auto agreed = copy.agreed.find(i); agreed != copy.agreed.end()) options.agreed = agreed->second;
    options.buffer = &copy.buffer;
    try {
        CopyFileWithProgress(progress, Narrow(from), Narrow(to), options);
    } catch (const ECopyStopped&) {
        copy.stopped = true;
        return;
    } catch (const ETargetChanged&) {
        copy.leftOut.push_back({shown, LeftOutWhy::TargetChanged});
        return;
    } catch (const ELinkedSource&) {
        copy.leftOut.push_back({shown, LeftOutWhy::Link});  // listed as a file (under Wine)
        return;
    } catch (const FileOpenError&) {
        // A FIFO, socket or device is never read; a file gone or changed since is left alone.
        const DiskKind now = KindNow(from);
        if (now == DiskKind::File) throw;
        copy.leftOut.push_back({shown, now == DiskKind::Unknown ? LeftOutWhy::NotAFile : LeftOutWhy::Changed});
        return;
    }
    ++copy.done.files;
    copy.done.bytes += item.size;
    JobQueue::Report(copy.done.files, copy.total.files, copy.done.bytes, copy.total.bytes);
    progress.SetText(progress.Totals, TallyText(copy.done, copy.total));
}

void MainWindow::NotCopiedFrom(FolderCopy& copy, std::size_t first) {
    for (std::size_t i = first; i < copy.tree.items.size(); ++i) {
        if (!copy.skip[i] && !copy.tree.items[i].IsFolder()) {
            copy.notCopied.push_back(copy.caption + "\\" + Narrow(copy.tree.items[i].path));
        }
    }
}

}  // namespace bivane
