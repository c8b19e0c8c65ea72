// Ctrl+Y: synchronizing the folders of the two sides, and applying the plan as a job: copies
// first, deletions last, each file looked at again first and left alone when it changed since
// the comparison; copies read back when asked; one report at the end and both sides read again.
#include <algorithm>
#include <cstring>

#include "core/paths.h"
#include "core/wtf8.h"
#include "fileops/copy_file.h"
#include "fileops/copy_rules.h"
#include "fileops/progress_dialog.h"
#include "form/main_window.h"
#include "platform/folder_scan.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/job_queue.h"
#include "platform/modal_seam.h"
#include "platform/removal.h"
#include "sync/sync_window.h"

namespace bivane {

using sync::Action;
using sync::Kind;
using sync::Line;
using sync::Side;

namespace {

std::int64_t Ticks(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

// Whether what is at path now is what the comparison listed there (kind, and a file's size and date).
bool StillAsCompared(const std::wstring& path, const Side& then) {
    WIN32_FILE_ATTRIBUTE_DATA now{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now)) {
        const DWORD e = GetLastError();
        return !then.There() && (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND);
    }
    if (!then.There()) return false;
    const bool folder = (now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (now.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (link || folder != (then.kind == Kind::Folder)) return false;
    if (folder) return true;
    const std::int64_t size = (static_cast<std::int64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
    return size == then.size && Ticks(now.ftLastWriteTime) == then.date;
}

// Byte for byte, read back through handles of their own.
bool SameFiles(const std::wstring& a, const std::wstring& b) {
    auto open = [](const std::wstring& p) {
        return AutoCloseHandle(CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    AutoCloseHandle fa = open(a), fb = open(b);
    if (!fa || !fb) return false;
    std::vector<char> x(1 << 20), y(1 << 20);
    for (;;) {
        DWORD ga = 0, gb = 0;
        if (!ReadFile(fa.get(), x.data(), static_cast<DWORD>(x.size()), &ga, nullptr) ||
            !ReadFile(fb.get(), y.data(), static_cast<DWORD>(y.size()), &gb, nullptr) || ga != gb) {
            return false;
        }
        if (ga == 0) return true;
        if (std::memcmp(x.data(), y.data(), ga) != 0) return false;
    }
}

void MakeFolders(const std::string& dir) {
    if (DirectoryError(dir) == 0) return;
    const std::string up = DirectoryPart(dir);
    if (up != dir && !up.empty()) MakeFolders(up);
    (void)CreateDirectoryW(ExactFolder(dir).c_str(), nullptr);  // a failure shows in the copy's own
}

std::string Counted(std::int64_t n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

std::string Listed(const std::vector<std::string>& names, const char* head) {
    if (names.empty()) return "";
    std::string s = "\r\r" + std::string(head);
    for (std::size_t i = 0; i < names.size() && i < 20; ++i) s += "\r" + names[i];
    if (names.size() > 20) s += "\r(and " + std::to_string(names.size() - 20) + " more)";
    return s;
}

}  // namespace

// What an applied plan did, kept until its end.
struct SyncRun {
    SyncPlan plan;
    std::int64_t copied = 0, bytes = 0, made = 0, deleted = 0;
    std::vector<std::string> changed, failed, mismatched;
    DeleteReport deleteReport;
    bool stopped = false;
};

void MainWindow::ShowSynchronize() {
    if (!Background) return;
    if (!SynchronizeWindow) SynchronizeWindow = std::make_unique<SyncWindow>();
    SyncWindow& w = *SynchronizeWindow;
    if (!Comparer) {
        const HWND news = w.Handle();
        Comparer = &Background->Adopt(std::make_unique<TreeComparer>(
            [news] { return PostMessageW(news, SyncWindow::kComparerNews, 0, 0) != FALSE; }));
    }
    w.Apply = [this](const SyncPlan& plan) { ApplySync(plan); };
    // Left is the left side's folder, whichever side is active: the window's columns follow the sides.
    w.Open(hwnd_, *Comparer, side[0].Directory(), side[1].Directory());
}

void MainWindow::ApplySync(const SyncPlan& plan) {
    if (!FolderFreeOfJobs(plan.left) || !FolderFreeOfJobs(plan.right)) return;
    auto run = std::make_shared<SyncRun>();
    run->plan = plan;
    std::vector<std::string> goes;
    const std::vector<Line>& lines = run->plan.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (!l.IsFolder() || (l.action != Action::DeleteLeft && l.action != Action::DeleteRight)) continue;
        const bool right = l.action == Action::DeleteRight;
        goes.push_back(JoinPathRootAware(right ? plan.right : plan.left, Utf16ToWtf8(sync::LinePath(lines, i, right))));
    }
    auto end = [this, run](const Job& job) {
        for (Pane& p : side) {
            if (AtOrBelow(p.Directory(), run->plan.left) || AtOrBelow(p.Directory(), run->plan.right)) {
                if (DirectoryError(p.Directory()) == 0) Reload(p);
            }
        }
        std::string text = "Synchronized " + run->plan.left + " and " + run->plan.right + ".\r" + Counted(run->copied, "file") +
                           " copied (" + Counted(run->bytes, "byte") + "), " + Counted(run->made, "folder") + " made, " +
                           std::to_string(run->deleted) + " deleted.";
        if (run->stopped) text += "\rStopped before the end: the rest was left as it was.";
        text += Listed(run->changed, "Left alone, changed since the comparison:");
        text += Listed(run->failed, "Failed:");
        text += Listed(run->mismatched, "Read back unlike their source (renamed with \".unverified\"):");
        if (!run->deleteReport.Empty()) text += "\r\r" + run->deleteReport.Text();
        const bool bad = !run->failed.empty() || !run->mismatched.empty() || !run->deleteReport.Empty();
        if (job.error) {
            try {
                std::rethrow_exception(job.error);
            } catch (const std::exception& e) {
                text += "\r\rThe job ended with an error: " + WithFullStop(e.what());
            }
        }
        ShowBox(hwnd_, bad || job.error ? BoxKind::Warning : BoxKind::Information, text, BoxButtons::Ok);
        // The window compares again: what is left to do shows at once.
        if (SynchronizeWindow && Comparer) {
            SynchronizeWindow->Open(hwnd_, *Comparer, run->plan.left, run->plan.right);
            SynchronizeWindow->StartCompare();
        }
    };
    ProgressDialog* progress = Progress.get();
    StartJob(PendingJob{nullptr, "Synchronize", plan.left, plan.right, end, std::move(goes), nullptr},
             [this, run, progress] { RunSync(*run, *progress); });
}

void MainWindow::RunSync(SyncRun& run, ProgressDialog& progress) {
    const std::vector<Line>& lines = run.plan.lines;
    const std::wstring leftRoot = ExactFolder(run.plan.left), rightRoot = ExactFolder(run.plan.right);
    auto path = [&](std::size_t i, bool right) {
        const std::u16string below = sync::LinePath(lines, i, right);
        return (right ? rightRoot : leftRoot) + std::wstring(below.begin(), below.end());
    };
    auto gone = [](const std::wstring& p) { return GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES; };
    auto shown = [&](std::size_t i, bool right) { return std::string(right ? "right: " : "left: ") + Utf16ToWtf8(sync::LinePath(lines, i, right)); };
    progress.SetText(progress.Totals, "");
    progress.SetText(progress.SourceDir, run.plan.left);
    progress.SetText(progress.DestDir, run.plan.right);
    std::int64_t files = 0, bytes = 0, filesDone = 0, bytesDone = 0;
    for (const Line& l : lines) {
        if (l.action == Action::Leave || l.IsFolder()) continue;
        ++files;
        if (l.action == Action::CopyRight) bytes += l.left.size;
        if (l.action == Action::CopyLeft) bytes += l.right.size;
    }
    // Copies first, in the tree's order: a folder is made before what goes in it, and given its
    // source's date once everything is in it.
    std::vector<std::size_t> made;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.action != Action::CopyRight && l.action != Action::CopyLeft) continue;
        if (JobQueue::StopAsked()) {
            run.stopped = true;
            return;
        }
        const bool toRight = l.action == Action::CopyRight;
        const Side& from = toRight ? l.left : l.right;
        const Side& to = toRight ? l.right : l.left;
        const std::wstring source = path(i, !toRight), target = path(i, toRight);
        if (!StillAsCompared(source, from)) {
            run.changed.push_back(shown(i, !toRight));
            continue;
        }
        if (!StillAsCompared(target, to)) {
            run.changed.push_back(shown(i, toRight));
            continue;
        }
        if (l.IsFolder()) {
            if (CreateDirectoryW(target.c_str(), nullptr)) {
                ++run.made;
                made.push_back(i);
            } else {
                run.failed.push_back(shown(i, toRight) + " (" + ReasonText(GetLastError()) + ")");
            }
            continue;
        }
        JobQueue::Report(filesDone, files, bytesDone, bytes);
        // Folders left alone above a file copied are made now.
        const std::string dir = DirectoryPart(ShownPath(target));
        MakeFolders(dir);
        const std::int64_t room = FolderFreeBytes(dir);
        if (room >= 0 && room < from.size - (to.There() ? to.size : 0)) {
            run.failed.push_back(shown(i, toRight) + " (not enough room on the drive)");
            continue;
        }
        progress.SetText(progress.FileNameDesc, Utf16ToWtf8(l.name));
        progress.SetBarPosition(0);
        progress.PrepareBar(static_cast<int>(from.size / kCopyBlockSize + 1));
        try {
            CopyFileWithProgress(progress, ShownPath(source), ShownPath(target), std::wstring(), true);
        } catch (const ELinkedSource&) {  // Wine lists a link to a file as the file
            run.failed.push_back(shown(i, !toRight) + " (a link: never followed)");
            continue;
        } catch (const FileError& e) {
            run.failed.push_back(shown(i, toRight) + " (" + e.what() + ")");
            continue;
        }
        ++run.copied;
        run.bytes += from.size;
        ++filesDone;
        bytesDone += from.size;
        if (AfterSyncCopy) AfterSyncCopy(ShownPath(target));
        // A copy that does not read back as its source is not left under its name as if good.
        if (run.plan.verify && !SameFiles(source, target)) {
            std::wstring aside = target + L".unverified";
            for (int n = 2; GetFileAttributesW(aside.c_str()) != INVALID_FILE_ATTRIBUTES; ++n) {
                aside = target + L".unverified" + std::to_wstring(n);
            }
            const bool moved = MoveFileExW(target.c_str(), aside.c_str(), 0) != FALSE;
            run.mismatched.push_back(shown(i, toRight) + (moved ? "" : " (could not be renamed)"));
        }
    }
    for (auto m = made.rbegin(); m != made.rend(); ++m) {
        const Line& l = lines[*m];
        const bool toRight = l.action == Action::CopyRight;
        const std::int64_t date = (toRight ? l.left : l.right).date;
        AutoCloseHandle dir(CreateFileW(path(*m, toRight).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        const FILETIME t{static_cast<DWORD>(date), static_cast<DWORD>(static_cast<std::uint64_t>(date) >> 32)};
        if (dir) SetFileTime(dir.get(), nullptr, nullptr, &t);
    }
    // Deletions last. A folder deleted whole goes at once when nothing in it changed; otherwise
    // its files go one by one and the folders that are left empty after them.
    std::vector<std::size_t> folders;
    std::size_t wholeEnd = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (i < wholeEnd || (l.action != Action::DeleteLeft && l.action != Action::DeleteRight)) continue;
        if (JobQueue::StopAsked()) {
            run.stopped = true;
            return;
        }
        const bool right = l.action == Action::DeleteRight;
        const std::wstring target = path(i, right);
        const Side& then = right ? l.right : l.left;
        if (l.IsFolder()) {
            if (!sync::DeletedWhole(lines, i)) continue;  // something below it stays
            std::size_t end = i + 1;
            while (end < lines.size() && lines[end].depth > l.depth) ++end;
            bool same = true;
            for (std::size_t j = i; j < end && same; ++j) {
                same = StillAsCompared(path(j, right), right ? lines[j].right : lines[j].left);
                // A name added since the comparison would go with the folder.
                if (same && (right ? lines[j].right : lines[j].left).kind == Kind::Folder) {
                    std::size_t below = 0;
                    for (std::size_t k = j + 1; k < end && lines[k].depth > lines[j].depth; ++k) below += lines[k].depth == lines[j].depth + 1;
                    std::size_t there = 0;
                    FolderScan scan(path(j, right));
                    while (scan.Opened() && scan.Next()) {
                        if (std::wcscmp(scan.Name(), L".") != 0 && std::wcscmp(scan.Name(), L"..") != 0) ++there;
                    }
                    same = scan.Opened() && !scan.Failed() && there == below;  // a listing cut short proves nothing
                }
            }
            if (!same) {
                folders.push_back(i);
                continue;  // its lines are taken one by one below
            }
            wholeEnd = end;
            Entry e;
            e.kind = EntryKind::Directory;
            e.caption = shown(i, right);
            (void)RemoveEntry(target, e, run.plan.recycle, run.deleteReport);
            if (gone(target)) ++run.deleted;
            filesDone += static_cast<std::int64_t>(end - i - 1);
            JobQueue::Report(filesDone, files, bytesDone, bytes);
            continue;
        }
        if (!StillAsCompared(target, then)) {
            run.changed.push_back(shown(i, right));
            continue;
        }
        Entry e;
        e.caption = shown(i, right);
        (void)RemoveEntry(target, e, run.plan.recycle, run.deleteReport);
        if (gone(target)) ++run.deleted;
        JobQueue::Report(++filesDone, files, bytesDone, bytes);
    }
    // The folders whose lines went one by one, deepest first: removed only when empty now.
    for (auto f = folders.rbegin(); f != folders.rend(); ++f) {
        const bool right = lines[*f].action == Action::DeleteRight;
        if (RemoveDirectoryW(path(*f, right).c_str())) {
            ++run.deleted;
        } else {
            run.changed.push_back(shown(*f, right));
        }
    }
}

}  // namespace bivane
