#include "sync/sync_job.h"

#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "core/errors.h"
#include "core/paths.h"
#include "core/wtf8.h"
#include "fileops/copy_file.h"
#include "fileops/copy_rules.h"
#include "fileops/progress_dialog.h"
#include "platform/folder_scan.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/identity.h"
#include "platform/job_queue.h"
#include "platform/removal.h"

namespace bivane {

using sync::Action;
using sync::Kind;
using sync::Line;
using sync::Side;

namespace {


// Whether what is at path now is what the comparison listed there (kind, and a file's size and date).
bool StillAsCompared(const std::wstring& path, const Side& then) {
    WIN32_FILE_ATTRIBUTE_DATA now{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now)) {
        const DWORD e = GetLastError();
        return !then.There() && (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND);
    }
    if (!then.There()) return false;
    const bool folder = (now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = IsLinkAt(path, now.dwFileAttributes);
    if (link || folder != (then.kind == Kind::Folder)) return false;
    if (folder) return true;
    const std::int64_t size = (static_cast<std::int64_t>(now.nFileSizeHigh) << 32) | now.nFileSizeLow;
    return size == then.size && FileTimeTicks(now.ftLastWriteTime) == then.date;
}

void MakeFolders(const std::string& dir) {
    if (DirectoryError(dir) == 0) return;
    const std::string up = DirectoryPart(dir);
    if (up != dir && !up.empty()) MakeFolders(up);
    (void)CreateDirectoryW(ExactFolder(dir).c_str(), nullptr);  // a failure shows in the copy's own
}

bool Deletes(const Line& l) { return l.action == Action::DeleteLeft || l.action == Action::DeleteRight; }
bool Copies(const Line& l) { return l.action == Action::CopyRight || l.action == Action::CopyLeft; }

std::string Counted(std::int64_t n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// A question names the first 20; the report at the end (it scrolls) names every one.
std::string Listed(const std::vector<std::string>& names, const char* head, std::size_t shown = 20) {
    if (names.empty()) return "";
    std::string s = "\r\r" + std::string(head);
    for (std::size_t i = 0; i < names.size() && i < shown; ++i) s += "\r" + names[i];
    if (names.size() > shown) s += "\r(and " + std::to_string(names.size() - shown) + " more)";
    return s;
}

}  // namespace

SyncJobOnJobThread::SyncJobOnJobThread(SyncPlan plan, ProgressDialog& progress, Ask ask)
    : plan_(std::move(plan)), progress_(progress), ask_(std::move(ask)),
      leftRoot_(ExactFolder(plan_.left)), rightRoot_(ExactFolder(plan_.right)) {}

std::wstring SyncJobOnJobThread::Path(std::size_t i, bool right) const {
    const std::u16string below = sync::LinePath(plan_.lines, i, right);
    return (right ? rightRoot_ : leftRoot_) + std::wstring(below.begin(), below.end());
}

std::string SyncJobOnJobThread::Shown(std::size_t i, bool right) const {
    return std::string(right ? "right: " : "left: ") + Utf16ToWtf8(sync::LinePath(plan_.lines, i, right));
}

bool SyncJobOnJobThread::Stopped() {
    if (JobQueue::StopAsked()) out_.stopped = true;
    return out_.stopped;
}

void SyncJobOnJobThread::ReportFiles() { JobQueue::Report(filesDone_, files_, bytesDone_, bytes_); }

void SyncJobOnJobThread::Run() {
    if (Overlapping()) return;
    progress_.SetText(progress_.Totals, "");
    progress_.SetText(progress_.SourceDir, plan_.left);
    progress_.SetText(progress_.DestDir, plan_.right);
    for (const Line& l : plan_.lines) {
        if (Copies(l)) ++copies_;
        if (l.action == Action::Leave || l.IsFolder()) continue;
        ++files_;
        if (Copies(l)) bytes_ += (l.action == Action::CopyRight ? l.left : l.right).size;
    }
    CopyAll();
    DateMadeFolders();
    if (!out_.stopped && DeletionsAgreed()) DeleteAll();
}

// Two folders that lie one in the other would copy into, and delete from, what they copy. The
// window refuses them before comparing; a drive letter mapped onto a folder of the other tree is
// found only among the folders compared (under Wine a drive's top folder has no way up).
bool SyncJobOnJobThread::Overlapping() {
    const std::string why = "Nothing was done: the two folders are one, or lie one in the other";
    if (FoldersOverlap(plan_.left, plan_.right)) {
        out_.refused = why + ".";
        return true;
    }
    FolderIdentity roots[2];
    if (!IdentityOf(plan_.left, roots[0]) || !IdentityOf(plan_.right, roots[1])) return false;
    for (std::size_t i = 0; i < plan_.lines.size() && !Stopped(); ++i) {
        for (const bool right : {false, true}) {
            FolderIdentity id;
            if ((right ? plan_.lines[i].right : plan_.lines[i].left).kind != Kind::Folder) continue;
            if (IdentityOf(ShownPath(Path(i, right)), id) && id == roots[right ? 0 : 1]) {
                out_.refused = why + " (" + Shown(i, right) + " is the other side's folder).";
                return true;
            }
        }
    }
    return false;
}

// In the tree's order: a folder is made before what goes in it.
void SyncJobOnJobThread::CopyAll() {
    for (std::size_t i = 0; i < plan_.lines.size(); ++i) {
        if (!Copies(plan_.lines[i])) continue;
        if (Stopped()) return;
        if (!CopyOne(i)) notCopied_.push_back(Shown(i, plan_.lines[i].action == Action::CopyRight));
    }
}

bool SyncJobOnJobThread::CopyOne(std::size_t i) {
    const Line& l = plan_.lines[i];
    const bool toRight = l.action == Action::CopyRight;
    const std::wstring source = Path(i, !toRight), target = Path(i, toRight);
    if (!StillAsCompared(source, toRight ? l.left : l.right)) {
        out_.changed.push_back(Shown(i, !toRight));
        return false;
    }
    if (!StillAsCompared(target, toRight ? l.right : l.left)) {
        out_.changed.push_back(Shown(i, toRight));
        return false;
    }
    if (!l.IsFolder()) return CopyFileLine(i, source, target);
    if (!CreateDirectoryW(target.c_str(), nullptr)) {
        out_.failed.push_back(Shown(i, toRight) + " (" + ReasonText(GetLastError()) + ")");
        return false;
    }
    sync::CountLine(out_.done, l);
    made_.push_back(i);
    return true;
}

bool SyncJobOnJobThread::CopyFileLine(std::size_t i, const std::wstring& source, const std::wstring& target) {
    const Line& l = plan_.lines[i];
    const bool toRight = l.action == Action::CopyRight;
    const Side& from = toRight ? l.left : l.right;
    const Side& to = toRight ? l.right : l.left;
    ReportFiles();
    // Folders left alone above a file copied are made now.
    const std::string dir = DirectoryPart(ShownPath(target));
    MakeFolders(dir);
    const std::int64_t room = FolderFreeBytes(dir);
    if (room >= 0 && room < from.size - (to.There() ? to.size : 0)) {
        out_.failed.push_back(Shown(i, toRight) + " (not enough room on the drive)");
        return false;
    }
    progress_.SetText(progress_.FileNameDesc, Utf16ToWtf8(l.name));
    progress_.SetBarPosition(0);
    progress_.PrepareBar(static_cast<int>(from.size / kCopyBlockSize + 1));
    // The target is looked at again as the copy takes its place, and with Verify the copy is read
    // back from the disk before the old file goes.
    CopyOptions options;
    options.noLinks = true;
    options.verify = plan_.verify;
    options.agreed = TargetState{to.There(), to.size, to.date};
    try {
        CopyFileWithProgress(progress_, ShownPath(source), ShownPath(target), options);
    } catch (const ELinkedSource&) {  // Wine lists a link to a file as the file
        out_.failed.push_back(Shown(i, !toRight) + " (a link: never followed)");
        return false;
    } catch (const ETargetChanged&) {
        out_.changed.push_back(Shown(i, toRight));
        return false;
    } catch (const ECopyNotVerified&) {
        out_.mismatched.push_back(Shown(i, toRight));
        return false;
    } catch (const FileError& e) {
        out_.failed.push_back(Shown(i, toRight) + " (" + e.what() + ")");
        return false;
    }
    sync::CountLine(out_.done, l);
    ++filesDone_;
    bytesDone_ += from.size;
    return true;
}

// A folder made takes its source's date once everything is in it.
void SyncJobOnJobThread::DateMadeFolders() {
    for (auto m = made_.rbegin(); m != made_.rend(); ++m) {
        const Line& l = plan_.lines[*m];
        const bool toRight = l.action == Action::CopyRight;
        const std::int64_t date = (toRight ? l.left : l.right).date;
        AutoCloseHandle dir(CreateFileW(Path(*m, toRight).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        const FILETIME t{static_cast<DWORD>(date), static_cast<DWORD>(static_cast<std::uint64_t>(date) >> 32)};
        if (dir) SetFileTime(dir.get(), nullptr, nullptr, &t);
    }
}

// A plan deletes what it has copied elsewhere: with a copy missing, a deletion may take the only
// one left. The user is told which, and nothing goes unless they say so.
bool SyncJobOnJobThread::DeletionsAgreed() {
    if (notCopied_.empty()) return true;
    const sync::Preview planned = sync::MakePreview(plan_.lines);
    if (planned.deletions.empty()) return true;
    const std::string text = std::to_string(notCopied_.size()) + " of " + std::to_string(copies_) + " copies did not succeed:" +
                             Listed(notCopied_, "").substr(2) + "\r\rThe plan then deletes " + sync::DeletedText(planned) +
                             ".\rDelete as planned all the same? No keeps everything.";
    if (ask_(BoxKind::Warning, text, BoxButtons::YesNoDefaultNo) == IDYES) return true;
    out_.deletionsKept = true;
    return false;
}

void SyncJobOnJobThread::DeleteAll() {
    const std::vector<Line>& lines = plan_.lines;
    // A folder that keeps a line left alone below it stays: its lines go one by one.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!Deletes(lines[i])) continue;
        if (Stopped()) return;
        if (!lines[i].IsFolder()) {
            DeleteFileLine(i);
        } else if (sync::DeletedWhole(lines, i)) {
            DeleteFolderWhole(i);
            i = sync::SubtreeEnd(lines, i) - 1;
        }
    }
    DeleteRefusedByBin();
}

// Line i's entry is as compared, and so is the name on the side that is kept: a file that is back
// there (or new) since the comparison means the user's plan no longer holds for it.
bool SyncJobOnJobThread::StillToDelete(std::size_t i) {
    const Line& l = plan_.lines[i];
    for (const bool right : {l.action == Action::DeleteRight, l.action == Action::DeleteLeft}) {
        if (StillAsCompared(Path(i, right), right ? l.right : l.left)) continue;
        out_.changed.push_back(Shown(i, right));
        return false;
    }
    return true;
}

void SyncJobOnJobThread::DeleteFileLine(std::size_t i) {
    if (StillToDelete(i)) RemoveFile(i, plan_.lines[i].action == Action::DeleteRight, plan_.recycle);
}

// To the recycle bin, a folder found as compared at this moment goes as one item, which the user
// restores as one: what another program puts in it between the look and the move goes to the bin
// with it, where nothing is lost. For good, or when it changed, each entry is checked and deleted
// alone, deepest first, and a folder goes only once it is empty: nothing unchecked is ever deleted.
void SyncJobOnJobThread::DeleteFolderWhole(std::size_t i) {
    const bool right = plan_.lines[i].action == Action::DeleteRight;
    if (!StillToDelete(i)) return;
    if (plan_.recycle && TreeAsCompared(i, right)) {
        const RecycleResult r = Recycle(Path(i, right));
        if (r == RecycleResult::Refused) return binRefused_.push_back(i);
        if (GetFileAttributesW(Path(i, right).c_str()) == INVALID_FILE_ATTRIBUTES) {
            for (std::size_t j = i, end = sync::SubtreeEnd(plan_.lines, i); j < end; ++j) {
                sync::CountLine(out_.done, plan_.lines[j]);
                filesDone_ += plan_.lines[j].IsFolder() ? 0 : 1;
            }
            return ReportFiles();
        }
    }
    DeleteChecked(i, right, plan_.recycle);
}

// Every entry below line i as compared, and no name there that was not.
bool SyncJobOnJobThread::TreeAsCompared(std::size_t i, bool right) {
    const std::vector<Line>& lines = plan_.lines;
    for (std::size_t j = i, end = sync::SubtreeEnd(lines, i); j < end; ++j) {
        const Side& side = right ? lines[j].right : lines[j].left;
        if (!StillAsCompared(Path(j, right), side)) return false;
        if (side.kind != Kind::Folder) continue;
        std::size_t below = 0, there = 0;
        for (std::size_t k = j + 1; k < end && lines[k].depth > lines[j].depth; ++k) below += lines[k].parent == j;
        FolderScan scan(Path(j, right));
        while (scan.Opened() && scan.Next()) there += !IsDotOrDotDot(scan.Name());
        if (!scan.Opened() || scan.Failed() || there != below) return false;
    }
    return true;
}

// Line i's folder emptied of what was compared and is as it was, deepest first; what else is
// there stays and is named. True when the folder itself went.
bool SyncJobOnJobThread::DeleteChecked(std::size_t i, bool right, bool recycle) {
    const std::vector<Line>& lines = plan_.lines;
    const std::wstring dir = Path(i, right);
    std::map<std::wstring, std::size_t> compared;  // the lines of its entries, by their names on that side
    for (std::size_t j = i + 1, end = sync::SubtreeEnd(lines, i); j < end; ++j) {
        const std::u16string& n = right ? lines[j].RightName() : lines[j].name;
        if (lines[j].parent == i) compared[std::wstring(n.begin(), n.end())] = j;
    }
    std::vector<std::wstring> names;
    FolderScan scan(dir);
    while (scan.Opened() && scan.Next()) {
        if (!IsDotOrDotDot(scan.Name())) names.emplace_back(scan.Name());
    }
    for (const std::wstring& name : names) {
        const auto found = compared.find(name);
        if (found == compared.end() || lines[found->second].action != lines[i].action) {
            out_.kept.push_back(Shown(i, right) + "\\" + Utf16ToWtf8(std::u16string(name.begin(), name.end())));
            continue;
        }
        DeleteEntry(found->second, right, recycle);
    }
    if (!RemoveDirectoryW(dir.c_str())) return false;
    sync::CountLine(out_.done, lines[i]);
    return true;
}

// Line i's entry, when it is as compared: a folder emptied of what was compared, or a file.
void SyncJobOnJobThread::DeleteEntry(std::size_t i, bool right, bool recycle) {
    const Side& side = right ? plan_.lines[i].right : plan_.lines[i].left;
    if (!StillAsCompared(Path(i, right), side)) {
        out_.changed.push_back(Shown(i, right));
    } else if (side.kind == Kind::Folder) {
        DeleteChecked(i, right, recycle);
    } else {
        RemoveFile(i, right, recycle);
    }
}

void SyncJobOnJobThread::RemoveFile(std::size_t i, bool right, bool recycle) {
    const std::wstring path = Path(i, right);
    Leftovers left;
    if (recycle) {
        const RecycleResult r = Recycle(path);
        if (r == RecycleResult::Refused) return binRefused_.push_back(i);
        if (r == RecycleResult::Failed && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            out_.notDeleted.push_back(Shown(i, right) + " (the recycle bin failed)");
            return;
        }
    } else if (!DeleteForGood(path, false, left)) {
        for (const std::string& link : left.linksKept) out_.notDeleted.push_back(link + " (a link: kept)");
        for (const DeleteFailure& f : left.failed) out_.notDeleted.push_back(f.path + " (" + ReasonText(f.error) + ")");
        return;
    }
    sync::CountLine(out_.done, plan_.lines[i]);
    ++filesDone_;
    ReportFiles();
}

// One question for all the bin refused, never one per entry; folders above them that are left
// empty go too.
void SyncJobOnJobThread::DeleteRefusedByBin() {
    if (binRefused_.empty()) return;
    std::vector<std::string> names;
    for (const std::size_t i : binRefused_) names.push_back(Shown(i, plan_.lines[i].action == Action::DeleteRight));
    const std::string text = Counted(static_cast<std::int64_t>(names.size()), "item") + " cannot go to the recycle bin:" +
                             Listed(names, "").substr(2) + "\r\rDelete them for good? No keeps them.";
    if (ask_(BoxKind::Warning, text, BoxButtons::YesNoDefaultNo) != IDYES) {
        for (const std::string& n : names) out_.notDeleted.push_back(n + " (kept: the recycle bin cannot take it)");
        return;
    }
    const std::vector<Line>& lines = plan_.lines;
    std::set<std::size_t, std::greater<>> above;  // deepest first
    for (const std::size_t i : binRefused_) {
        DeleteEntry(i, lines[i].action == Action::DeleteRight, false);
        for (std::uint32_t p = lines[i].parent; p != UINT32_MAX && lines[p].action == lines[i].action; p = lines[p].parent) above.insert(p);
    }
    binRefused_.clear();
    for (const std::size_t p : above) {
        if (RemoveDirectoryW(Path(p, lines[p].action == Action::DeleteRight).c_str())) sync::CountLine(out_.done, lines[p]);
    }
}

std::string SyncOutcomeText(const SyncPlan& plan, const SyncOutcome& out) {
    std::string text = "Synchronized " + plan.left + " and " + plan.right + ".\r";
    if (!out.refused.empty()) return text + out.refused;
    const sync::Preview& d = out.done;
    const auto r = static_cast<int>(Action::CopyRight), l = static_cast<int>(Action::CopyLeft);
    text += Counted(d.files[r] + d.files[l], "file") + " copied (" + Counted(d.bytes[r] + d.bytes[l], "byte") + "), " +
            Counted(d.folders[r] + d.folders[l], "folder") + " made, " + sync::DeletedText(d) + " deleted.";
    if (out.stopped) text += "\rStopped before the end: the rest was left as it was.";
    if (out.deletionsKept) text += "\rNothing was deleted: some copies did not succeed, and everything was kept.";
    text += Listed(out.changed, "Left alone, changed since the comparison:", kEveryName);
    text += Listed(out.failed, "Failed:", kEveryName);
    text += Listed(out.mismatched, "Did not verify (each copy removed, the old file as it was):", kEveryName);
    text += Listed(out.kept, "Kept, never compared (made since the comparison):", kEveryName);
    text += Listed(out.notDeleted, "Not deleted:", kEveryName);
    return text;
}

bool SyncOutcomeBad(const SyncOutcome& out) {
    return !out.refused.empty() || out.deletionsKept || !out.failed.empty() || !out.mismatched.empty() || !out.kept.empty() ||
           !out.notDeleted.empty();
}

}  // namespace bivane
