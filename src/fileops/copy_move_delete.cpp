// Copy, move and delete of the current entry or the tagged files, after the user confirms.
#include <cctype>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "form/main_window.h"
#include "controls/report_window.h"
#include "core/errors.h"
#include "fileops/confirm_dialog.h"
#include "fileops/copy_file.h"
#include "platform/copy_temporaries.h"
#include "fileops/copy_rules.h"
#include "fileops/folder_copy_rules.h"
#include "fileops/progress_dialog.h"
#include "fileops/replace_dialog.h"
#include "fileops/target_folder.h"
#include "panes/entry_rules.h"
#include "panes/reach.h"
#include "panes/shorten_path.h"
#include "platform/fs.h"
#include "platform/identity.h"
#include "platform/modal_seam.h"
#include "platform/removal.h"
#include "platform/utf.h"
#include "panes/side_order.h"

namespace bivane {

namespace {

char UpperFirst(const std::string& s) {
    return s.empty() ? ' ' : static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
}

// "(Left) " and the pane's title, its directory shortened to what the label itself can show.
std::string PaneLine(HWND label, const std::string& side, const Pane& p) {
    const std::string suffix = SortSuffix(p.order);
    auto width = [label](std::string_view text) { return TextWidthIn(label, text); };
    const int room = ClientRect(label).right - width(side) - width(suffix);
    return side + ShortenPath(p.Directory(), room, width) + suffix;
}

std::int64_t BarMaxFor(const std::string& sizeText) { return ReadSizeText(sizeText) / kCopyBlockSize + 1; }

// The target folder's free space, read at most once a second and lessened by each file copied
// since: asking the system for every file costs more than copying a small one. Only a file that
// seems not to fit is checked afresh (HasRoom).
class FreeSpaceEstimate {
public:
    explicit FreeSpaceEstimate(const std::string& targetDir) : folder_(targetDir) {}
    bool Fits(std::int64_t bytes) {
        if (GetTickCount64() - readAt_ >= 1000) {
            free_ = FolderFreeBytes(folder_);
            readAt_ = GetTickCount64();
        }
        if (free_ - bytes <= 0) {
            readAt_ = 0;  // read again after the fresh check, which may copy the file all the same
            return false;
        }
        free_ -= bytes;
        return true;
    }

private:
    std::string folder_;
    std::int64_t free_ = 0;
    ULONGLONG readAt_ = 0;
};

}  // namespace

void MainWindow::RunFileCommand(ConfirmMode mode, Pane& source) {
    Pane& target = OtherThan(source);
    const std::optional<RunRequest> request = ConfirmRun(mode, source, target);
    if (!request) return;
    // No reader of the program holds a folder open while the command looks at the folders (a
    // removed one would stay under Wine); the job keeps them paused for its own life.
    const std::optional<BackgroundWork::Paused> paused = PauseBackgroundReaders();
    switch (request->mode) {
        case ConfirmMode::Copy: RunCopy(*request, source, target); break;
        case ConfirmMode::Delete: RunDelete(*request, source, target); break;
        case ConfirmMode::Move: RunMove(*request, source, target); break;
    }
}

// A copy or move needs two folders; a move, one drive (or the user's word that a copy will do,
// which turns mode into Copy). False, after saying why, when the command ends here.
bool MainWindow::SidesAllow(ConfirmMode& mode) {
    const std::string leftDir = side[0].Directory();
    const std::string rightDir = side[1].Directory();
    // The same folder may be reached by another path (a link, another drive letter for it).
    if (mode != ConfirmMode::Delete && (EqualsIgnoreAsciiCase(leftDir, rightDir) || SameFolder(leftDir, rightDir))) {
        ShowBox(hwnd_, BoxKind::Warning,
                "Can't copy or move to the same directory...\r\r" + leftDir + "\r" + "is active on both sides.",
                BoxButtons::Ok);
        return false;
    }
    if (mode == ConfirmMode::Move && UpperFirst(leftDir) != UpperFirst(rightDir)) {
        const std::string text = "Can't move files... drives are \rdifferent on left (" +
                                 std::string(1, UpperFirst(leftDir)) + ":) and right (" +
                                 std::string(1, UpperFirst(rightDir)) + ":) sides." + "\r" + "\r" +
                                 "Copy files instead?";
        if (ShowBox(hwnd_, BoxKind::Warning, text, BoxButtons::YesNo) != IDYES) return false;
        mode = ConfirmMode::Copy;
    }
    return true;
}

std::optional<RunRequest> MainWindow::ConfirmRun(ConfirmMode mode, Pane& src, Pane& dst) {
    if (!SidesAllow(mode)) return std::nullopt;
    const bool sourceLeft = IsLeft(src);
    ConfirmDialog& dlg = *Confirm;
    dlg.SetMode(mode);

    dlg.SetText(dlg.FromDesc, PaneLine(dlg.FromDesc, sourceLeft ? "(Left) " : "(Right) ", src));
    dlg.SetText(dlg.ToDesc, PaneLine(dlg.ToDesc, sourceLeft ? "(Right) " : "(Left) ", dst));
    const Entry* current = src.Current();
    if (!current) {
        ShowBox(hwnd_, BoxKind::Warning, "TheItem = nil", BoxButtons::Ok);
        return std::nullopt;
    }
    dlg.SetText(dlg.CurDesc, current->caption);
    dlg.SetText(dlg.TagDesc, "(no tagged files)");
    dlg.SetTagDescColor(RGB(128, 128, 128));
    dlg.SetText(dlg.TagDescShadow, "(no tagged files)");
    if (DirDeleteRequest) {
        dlg.SetText(dlg.TagDesc, "");
        dlg.SetText(dlg.TagDescShadow, "");
        dlg.CheckRadio(dlg.CurrentEntryChoice);
        EnableWindow(dlg.TaggedFilesChoice, FALSE);
    } else if (src.TagCount < 1) {
        dlg.CheckRadio(dlg.CurrentEntryChoice);
        EnableWindow(dlg.TaggedFilesChoice, FALSE);
    } else {
        EnableWindow(dlg.TaggedFilesChoice, TRUE);
        EnableWindow(dlg.CurrentEntryChoice, TRUE);
        dlg.CheckRadio(dlg.TaggedFilesChoice);
        dlg.SetTagDescColor(RGB(0, 0, 0));
        dlg.SetText(dlg.TagDescShadow, "");
        dlg.SetText(dlg.TagDesc, std::to_string(src.TagBytes) + " bytes in " + std::to_string(src.TagCount) + " files");
    }
    dlg.SetChecked(dlg.VerifyChoice, false);  // off unless asked for this copy
    if (dlg.ShowModal(hwnd_) != IDOK) return std::nullopt;

    RunRequest r;
    r.mode = mode;
    r.currentOnly = dlg.IsChecked(dlg.CurrentEntryChoice);
    r.tagged = dlg.IsChecked(dlg.TaggedFilesChoice) && !src.Entries.empty();
    r.recycle = dlg.IsChecked(dlg.RecycleChoice);
    r.verify = mode == ConfirmMode::Copy && dlg.IsChecked(dlg.VerifyChoice);
    r.current = src.CurrentItem;
    return r;
}

// One copy run: what it acts on and what it left out.
struct MainWindow::CopyRun {
    RunRequest request;
    std::string sourceDir, targetDir;
    std::vector<Entry> entries;               // to copy, as listed when confirmed
    std::string nameToLocate = {};            // the first file copied
    std::vector<ChangedEntry> changed = {};   // gone or no longer a file since listed
    std::vector<std::string> twinsLeftOut = {};
    std::vector<std::string> notCopied = {};  // after a copy error: that file and the rest
    std::vector<TargetState> agreed = {};     // by entry: its target when the copy was confirmed
    std::vector<std::string> notReplaced = {};  // targets changed since then, left as they are
    std::shared_ptr<CopyBuffer> buffer = std::make_shared<CopyBuffer>();
    std::size_t total = 0;                    // files the run was to copy
    std::size_t copied = 0;
    bool stopped = false;                     // by Escape, between two blocks
    bool found = false;                       // the source lists a search's results
};

namespace {

// The file of that name the target folder holds, if any (a folder of the name is not one).
const TargetName* FileThere(const TargetFolder& there, const std::wstring& folded) {
    const auto found = there.find(folded);
    return found != there.end() && !(found->second.attributes & FILE_ATTRIBUTE_DIRECTORY) ? &found->second : nullptr;
}

// The target of e as the user agreed to it: the file there when asked, or none.
TargetState AgreedTarget(const TargetFolder& there, const Entry& e) {
    const TargetName* t = FileThere(there, FoldedName(Widen(e.TargetName())));
    return t ? TargetState{true, t->size, t->lastWrite} : TargetState{};
}

// The rows whose files the target folder holds.
std::vector<ExistingTarget> ExistingTargets(const std::vector<Entry>& entries, const std::vector<std::size_t>& rows,
                                            const TargetFolder& there) {
    std::vector<ExistingTarget> existing;
    for (const std::size_t row : rows) {
        const Entry& e = entries[row];
        if (const TargetName* t = FileThere(there, FoldedName(Widen(e.TargetName())))) {
            existing.push_back({row, Narrow(t->name), e.minute, t->minute, t->size});
        }
    }
    return existing;
}

// Files whose names the target takes as one (a.txt and A.txt, listed side by side where the source
// folder tells case apart) would land on one file: found before anything is written, one of each
// such group stays in rows, and the others are named in leftOut.
void LeaveOutTwinFiles(const std::vector<Entry>& entries, std::vector<std::size_t>& rows, const TargetFolder& there,
                       const std::string& targetDir, std::vector<std::string>& leftOut) {
    // Names the same but for case are one where the target folder takes them as one; names the
    // same to the letter (files found in two folders) always are.
    const auto keysFor = [&](bool folded) {
        std::vector<std::string> keys;
        keys.reserve(rows.size());
        for (const std::size_t row : rows) {
            const std::string name = entries[row].TargetName();
            keys.push_back(folded ? Narrow(FoldedName(Widen(name))) : name);
        }
        return keys;
    };
    auto twins = [&](const std::vector<std::string>& keys) {
        return TwinsWrittenInstead(keys, [&](std::size_t i) {
            const TargetName* t = FileThere(there, FoldedName(Widen(keys[i])));
            return t && Narrow(t->name) == entries[rows[i]].TargetName();
        });
    };
    std::vector<std::ptrdiff_t> instead = twins(keysFor(true));
    const auto none = [](const std::vector<std::ptrdiff_t>& v) {
        return std::all_of(v.begin(), v.end(), [](std::ptrdiff_t w) { return w < 0; });
    };
    if (none(instead)) return;
    if (FolderTellsCaseApart(targetDir)) {
        instead = twins(keysFor(false));
        if (none(instead)) return;
    }
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (instead[i] < 0) {
            kept.push_back(rows[i]);
        } else {
            leftOut.push_back(entries[rows[i]].Name() + " (" + entries[rows[static_cast<std::size_t>(instead[i])]].Name() +
                              " is there)");
        }
    }
    rows = std::move(kept);
}

}  // namespace

std::optional<std::vector<std::size_t>> MainWindow::AskBeforeReplacing(const std::vector<ExistingTarget>& existing,
                                                                    const std::vector<std::size_t>& rows) {
    if (existing.empty()) return rows;
    Replace->SetText(ReplaceQuestionText(existing));
    const int id = Replace->ShowModal(hwnd_);
    const ReplaceAnswer answer = id == ReplaceDialog::IdReplaceAll     ? ReplaceAnswer::All
                                 : id == ReplaceDialog::IdReplaceOlder ? ReplaceAnswer::OlderOnly
                                 : id == ReplaceDialog::IdSkipExisting ? ReplaceAnswer::SkipExisting
                                                                  : ReplaceAnswer::Cancel;
    if (answer == ReplaceAnswer::Cancel) return std::nullopt;
    return RowsToCopy(rows, existing, answer);
}

void MainWindow::CopyAsJob(Pane& src, Pane& dst, const std::string& from, const std::string& to,
                           std::function<std::string()> locate,
                           std::function<void(const std::wstring& stagingDir)> copy, std::function<void(bool copied)> after) {
    const std::string sourceDir = src.Directory();
    const std::string targetDir = dst.Directory();
    RemoveStaleTemporaries(targetDir);
    auto staging = std::make_shared<std::optional<CopyStaging>>(std::in_place, ExactFolder(targetDir));
    const std::wstring stagingDir = (*staging)->Dir();
    Pane* s = &src;
    Pane* d = &dst;
    // Hides the dialog, reads the target again and re-selects the first copied file on both
    // panes; runs also when a copy fails, before the error is reported. In the foreground the
    // source pane is made active again in every case: a target folder that vanished meanwhile
    // must not leave the commands acting on the wrong pane. Its error is reported after that,
    // unless a copy error is already on its way.
    auto closing = [this, staging, s, d, sourceDir, targetDir, locate](const Job& job, bool copyFailed) {
        staging->reset();  // before the target is read again (the dialog is hidden already: EndJobs)
        const std::string name = locate();
        const DWORD targetError = DirectoryError(targetDir);
        // (Unless the user took the side elsewhere while the copy ran.)
        if (targetError == 0 && d->Directory() == targetDir &&
            ReloadsAfter(ConfirmMode::Copy, true, sourceDir, targetDir).target) {
            LoadSide(*d, targetDir);
            LocateInSide(*d, name);
        }
        if (!job.background) Activate(*s);
        if (s->Directory() == sourceDir) LocateInSide(*s, name);
        if (targetError != 0 && !copyFailed) throw IoError(static_cast<int>(targetError));
    };
    PendingJob pending{nullptr, "Copy", from, to, [this, closing, after](const Job& job) {
        if (!job.error) {
            closing(job, false);
            return after(true);
        }
        try {
            std::rethrow_exception(job.error);
        } catch (const FileError& e) {
            closing(job, true);
            ShowBox(hwnd_, BoxKind::AppError, WithFullStop(e.what()), BoxButtons::Ok);  // as the top-level report
            after(false);
        } catch (...) {
            closing(job, true);
            throw;
        }
    }, {}, nullptr};
    ProgressDialog* progress = Progress.get();
    StartJob(std::move(pending), [progress, copy, stagingDir, sourceDir, targetDir] {
        progress->SetText(progress->Totals, "");
        progress->SetText(progress->SourceDir, sourceDir);
        progress->SetText(progress->DestDir, targetDir);
        copy(stagingDir);
    });
}

namespace {

// The file row i of the run shown in the dialog, and whether the target has room for it.
void ShowFileToCopy(ProgressDialog& progress, const Entry& e, bool alone) {
    progress.SetText(progress.FileNameDesc, e.caption);
    progress.SetBarPosition(0);
    if (alone) progress.SetText(progress.Status, "");
    progress.Repaint();
    progress.PrepareBar(static_cast<int>(BarMaxFor(e.sizeText)));
}

}  // namespace

namespace {

// Whether the folder of targetPath has room for bytes; when not, says so through ask.
bool HasRoom(std::int64_t bytes, const std::string& targetPath, const std::function<int(BoxKind, const std::string&, BoxButtons)>& ask) {
    if (FolderFreeBytes(DirectoryPart(targetPath)) - bytes > 0) return true;
    ask(BoxKind::Warning,
        "Insufficient disk space\ron drive " + std::string(1, UpperFirst(targetPath)) + ": " + "\r" + "for " + FileNamePart(targetPath),
        BoxButtons::Ok);
    return false;
}

// The files of a copy run, copied on the job thread. It touches the run (the job's own copy of
// the entries), the progress dialog through its setters (which only hold what they are given) and
// the window only through the job's questions (AskFromJobThread).
class CopyRowsOnJobThread {
public:
    CopyRowsOnJobThread(ProgressDialog& progress, MainWindow::CopyRun& run) : progress_(progress), run_(run) {}
    void Run(const std::wstring& stagingDir);

private:
    bool CopyRow(std::size_t i, const std::string& target, const std::wstring& stagingDir);
    ProgressDialog& progress_;
    MainWindow::CopyRun& run_;
};

// Copies row i of the run. False when it was not copied and the run goes on, or stopped
// (run.stopped); what failed is kept for the message and raised.
bool CopyRowsOnJobThread::CopyRow(std::size_t i, const std::string& target, const std::wstring& stagingDir) {
    MainWindow::CopyRun& run = run_;
    const Entry& e = run.entries[i];
    CopyOptions options;
    options.stagingDir = stagingDir;
    options.verify = run.request.verify;
    options.agreed = run.agreed[i];
    options.buffer = run.buffer.get();
    options.replaceChanged = [](const std::string& path, bool appeared) {
        return AskFromJobThread(BoxKind::Warning, ChangedTargetQuestion(path, appeared), BoxButtons::YesNo) == IDYES;
    };
    try {
        CopyFileWithProgress(progress_, JoinPathRootAware(run.sourceDir, e.Name()), target, options);
        return true;
    } catch (const ECopyStopped&) {
        run.stopped = true;
        return false;
    } catch (const ETargetChanged&) {
        run.notReplaced.push_back(e.TargetName());
        return false;
    } catch (const FileOpenError&) {
        // Gone or no longer a file since the side was read: left alone, and said so at the end.
        const DiskKind now = KindNow(EntryPath(run.sourceDir, e.Name()));
        if (StillAsListed(e, now)) {
            for (std::size_t j = i; j < run.entries.size(); ++j) run.notCopied.push_back(run.entries[j].Name());
            throw;
        }
        run.changed.push_back({e.caption, now});
        return false;
    } catch (const FileError&) {
        for (std::size_t j = i; j < run.entries.size(); ++j) run.notCopied.push_back(run.entries[j].Name());
        throw;
    }
}

void CopyRowsOnJobThread::Run(const std::wstring& stagingDir) {
    MainWindow::CopyRun& run = run_;
    FreeSpaceEstimate space(run.targetDir);
    const std::vector<Entry>& toCopy = run.entries;
    run.total = toCopy.size();
    const auto files = static_cast<std::int64_t>(toCopy.size());
    std::int64_t bytes = 0, bytesDone = 0;
    for (const Entry& e : toCopy) bytes += ReadSizeText(e.sizeText);
    // Each file keeps its own name: the caption's letter case is only how the list shows it.
    for (std::size_t i = 0; i < toCopy.size(); ++i) {
        if (i > 0 && progress_.StopAsked()) {
            run.stopped = true;
            return;
        }
        const Entry& e = toCopy[i];
        JobQueue::Report(static_cast<std::int64_t>(run.copied), files, bytesDone, bytes);
        bytesDone += ReadSizeText(e.sizeText);
        const std::string target = JoinPathRootAware(run.targetDir, e.TargetName());
        // A single file shows its name before the space is checked; a run, only the files it copies.
        // The old file goes only once the copy is whole beside it: both take room meanwhile.
        if (run.request.currentOnly) ShowFileToCopy(progress_, e, true);
        if (!space.Fits(ReadSizeText(e.sizeText)) && !HasRoom(ReadSizeText(e.sizeText), target, AskFromJobThread)) continue;
        if (!run.request.currentOnly) ShowFileToCopy(progress_, e, false);
        if (!CopyRow(i, target, stagingDir)) {
            if (run.stopped) return;
            continue;
        }
        ++run.copied;
        if (run.nameToLocate.empty()) run.nameToLocate = e.TargetName();
        JobQueue::Report(static_cast<std::int64_t>(run.copied), files, bytesDone, bytes);
    }
}

}  // namespace

void MainWindow::RunCopy(const RunRequest& r, Pane& src, Pane& dst) {
    // A folder as the current entry is copied whole; "[parent]" never.
    if (r.currentOnly && r.current >= 0 && static_cast<std::size_t>(r.current) < src.Entries.size() &&
        src.Entries[static_cast<std::size_t>(r.current)].kind == EntryKind::Directory) {
        const Entry folder = src.Entries[static_cast<std::size_t>(r.current)];
        CopyFolder(folder, src, dst, r.verify);
        return;
    }
    std::vector<std::size_t> rows;
    for (const std::size_t row : EntriesToActOn(src.Entries, r)) {
        if (Reachable(hwnd_, src.Entries[row])) rows.push_back(row);
    }
    if (r.currentOnly && rows.empty()) return;
    const std::string sourceDir = src.Directory();
    const std::string targetDir = dst.Directory();
    // Nothing is written before the user has said what becomes of the files that exist.
    std::wstring exactDir = ExactFolder(targetDir);
    exactDir.pop_back();  // the folder scan adds its own separator
    const TargetFolder there = ReadTargetFolder(exactDir, LocalTimes());
    std::vector<std::string> twinsLeftOut;
    LeaveOutTwinFiles(src.Entries, rows, there, targetDir, twinsLeftOut);
    const std::optional<std::vector<std::size_t>> answered = AskBeforeReplacing(ExistingTargets(src.Entries, rows, there), rows);
    if (!answered) return;
    auto run = std::make_shared<CopyRun>(CopyRun{.request = r, .sourceDir = sourceDir, .targetDir = targetDir,
                                                 .entries = {}, .twinsLeftOut = std::move(twinsLeftOut),
                                                 .found = src.ShowsFound()});
    // The job's own copy: the side may be sorted or read again while it runs.
    for (const std::size_t row : *answered) {
        run->entries.push_back(src.Entries[row]);
        run->agreed.push_back(AgreedTarget(there, src.Entries[row]));
    }
    Pane* s = &src;
    CopyAsJob(
        src, dst, sourceDir, targetDir, [run] { return run->nameToLocate; },
        [progress = Progress.get(), run](const std::wstring& stagingDir) { CopyRowsOnJobThread(*progress, *run).Run(stagingDir); },
        [this, run, s](bool copied) {
            // After an error, what the stop left out of a run of several files.
            if (!copied && run->total > 1) {
                ShowReport(hwnd_, BoxKind::Warning, NotCopiedText(run->notCopied, run->total));
            }
            if (run->stopped) {
                ShowBox(hwnd_, BoxKind::Information,
                        StoppedText(static_cast<std::int64_t>(run->copied), static_cast<std::int64_t>(run->total)),
                        BoxButtons::Ok);
            }
            ReportLeftAlone(*run, *s);
        });
}

// What the run left alone, said once at its end; a side with changed entries is read again.
void MainWindow::ReportLeftAlone(const CopyRun& run, Pane& src) {
    if (!run.twinsLeftOut.empty()) {
        ShowReport(hwnd_, BoxKind::Warning,
                   NamesText(run.found ? "Not copied: a file of the same name, found in another folder, goes there:"
                                       : "Not copied: the target holds a file of the same name but for letter case:",
                             run.twinsLeftOut, kEveryName));
    }
    if (!run.notReplaced.empty()) {
        ShowReport(hwnd_, BoxKind::Warning,
                   NamesText("Not copied: the target changed since the copy was confirmed:", run.notReplaced, kEveryName));
    }
    ReportChanged(run.changed, src);
}

void MainWindow::ReportChanged(const std::vector<ChangedEntry>& changed, Pane& p) {
    if (changed.empty()) return;
    ShowReport(hwnd_, BoxKind::Warning, ChangedText(changed));
    RequireDirectory(p.Directory());
    Reload(p);
}

bool MainWindow::StillThere(const std::string& dir, const Entry& e, std::vector<ChangedEntry>& changed) {
    const DiskKind now = KindNow(EntryPath(dir, e.Name()));
    if (StillAsListed(e, now)) return true;
    changed.push_back({e.caption, now});
    return false;
}

bool MainWindow::TakeEntriesForJob(const Pane& src, const RunRequest& r, std::vector<Entry>& entries,
                                   std::vector<std::string>& folders) {
    const std::string sourceDir = src.Directory();
    for (const std::size_t row : EntriesToActOn(src.Entries, r)) {
        const Entry& e = src.Entries[row];
        const std::string path = JoinPathRootAware(sourceDir, e.Name());
        if (!e.IsFile() && !FolderFreeOfJobs(path)) return false;
        if (!Reachable(hwnd_, e)) continue;
        entries.push_back(e);
        if (!e.IsFile()) folders.push_back(path);
    }
    return true;
}

// What a delete's job works on and what it found, kept until its end.
struct DeleteState {
    std::vector<Entry> entries;  // the job's own copy (the side may be sorted meanwhile)
    std::vector<ChangedEntry> changed;
    DeleteReport report;
    std::vector<Entry> deleted;  // for good, as the system said: checked against the reloaded list
};

namespace {
void DeleteOnJobThread(DeleteState& state, const std::string& sourceDir, bool recycle);
}

void MainWindow::RunDelete(const RunRequest& r, Pane& src, Pane& dst) {
    const std::string sourceDir = src.Directory();
    RequireDirectory(sourceDir);
    auto state = std::make_shared<DeleteState>();
    std::vector<std::string> folders;
    if (!TakeEntriesForJob(src, r, state->entries, folders)) return;
    Pane* s = &src;
    Pane* d = &dst;
    const bool tagged = !r.currentOnly && r.tagged;
    auto end = [this, state, s, d, sourceDir, r, tagged](const Job& job) {
        if (tagged) SetVisible(MessagePanel.Handle(), false);
        // The other pane may show the deleted directory or one below it.
        if (ReloadsAfter(r.mode, true, sourceDir, d->Directory()).targetToSource) {
            RequireDirectory(sourceDir);
            d->Tree.SetDirectory(sourceDir);
            LoadSide(*d, sourceDir);
            if (!job.background) Activate(*s);
        }
        if (s->Directory() == sourceDir) LoadSide(*s, sourceDir);
        if (s->Directory() == sourceDir) AddStillListed(*s, state->deleted, state->report);
        if (!state->report.Empty()) ShowReport(hwnd_, BoxKind::Warning, state->report.Text());
        if (!state->changed.empty()) ShowReport(hwnd_, BoxKind::Warning, ChangedText(state->changed));
        if (job.error) std::rethrow_exception(job.error);
    };
    if (!r.currentOnly && !r.tagged) {
        Job nothing;
        return end(nothing);
    }
    if (tagged) {
        MessagePanel.SetCaption(r.recycle ? "Sending files to the recycle bin..." : "Deleting files...");
        SetVisible(MessagePanel.Handle(), true);
        MessagePanel.Repaint();
    }
    StartJob(PendingJob{nullptr, "Delete", sourceDir, "", end, std::move(folders), nullptr},
             [state, sourceDir, recycle = r.recycle] { DeleteOnJobThread(*state, sourceDir, recycle); });
}

namespace {

// A delete's entries, deleted on the job thread: the job's own state, its questions through the job.
void DeleteOnJobThread(DeleteState& state, const std::string& sourceDir, bool recycle) {
    FolderLookupBatch oneFolder;
    const auto n = static_cast<std::int64_t>(state.entries.size());
    std::int64_t i = 0;
    for (const Entry& e : state.entries) {
        JobQueue::Report(i++, n, 0, 0);
        if (i > 1 && JobQueue::StopAsked()) break;
        if (MainWindow::StillThere(sourceDir, e, state.changed) &&
            MainWindow::RemoveEntry(EntryPath(sourceDir, e.Name()), e, recycle, state.report)) {
            state.deleted.push_back(e);
        }
        JobQueue::Report(i, n, 0, 0);
    }
}

}  // namespace

// Under Wine a refused deletion may report success: what the reloaded side still lists stayed.
void MainWindow::AddStillListed(const Pane& p, const std::vector<Entry>& deleted, DeleteReport& report) {
    if (deleted.empty()) return;
    std::unordered_set<std::string> listed;
    for (const Entry& e : p.Entries) listed.insert(e.Name());
    for (const Entry& e : deleted) {
        if (!listed.count(e.Name())) continue;
        const std::string path = ShownPath(EntryPath(p.Directory(), e.Name()));
        report.Add(e.caption, !e.IsFile(), {}, {path + " (" + ReasonText(kKeptSilently) + ")"});
    }
}

// What a move's job works on and what it found, kept until its end.
struct MoveState {
    std::vector<Entry> entries;  // the job's own copy (the side may be sorted meanwhile)
    std::vector<ChangedEntry> changed;
    bool anyMoved = false;
};

namespace {
void MoveOnJobThread(MoveState& state, const std::string& sourceDir, const std::string& targetDir);
}

void MainWindow::RunMove(const RunRequest& r, Pane& src, Pane& dst) {
    const std::string sourceDir = src.Directory();
    const std::string targetDir = dst.Directory();
    auto state = std::make_shared<MoveState>();
    std::vector<std::string> folders;
    if (!TakeEntriesForJob(src, r, state->entries, folders)) return;
    Pane* s = &src;
    auto end = [this, state, s, sourceDir, targetDir, r](const Job& job) {
        if (!state->changed.empty()) {
            ShowReport(hwnd_, BoxKind::Warning, ChangedText(state->changed));
            state->anyMoved = true;  // both sides are read again
        }
        if (job.error) std::rethrow_exception(job.error);
        if (!ReloadsAfter(r.mode, state->anyMoved, sourceDir, targetDir).source) return;
        for (Pane& p : side) {
            RequireDirectory(p.Directory());
            Reload(p);
        }
        if (!job.background) Activate(*s);
    };
    // One rename per entry; a name that exists on the other side fails alone.
    StartJob(PendingJob{nullptr, "Move", sourceDir, targetDir, end, std::move(folders), nullptr},
             [state, sourceDir, targetDir] { MoveOnJobThread(*state, sourceDir, targetDir); });
}

namespace {

// A move's entries, renamed on the job thread: the job's own state, its questions through the job.
void MoveOnJobThread(MoveState& state, const std::string& sourceDir, const std::string& targetDir) {
    const auto n = static_cast<std::int64_t>(state.entries.size());
    std::int64_t i = 0;
    for (const Entry& e : state.entries) {
        JobQueue::Report(i++, n, 0, 0);
        if (i > 1 && JobQueue::StopAsked()) break;
        if (!MainWindow::StillThere(sourceDir, e, state.changed)) continue;
        const std::wstring from = EntryPath(sourceDir, e.Name());
        // No copy across file systems: a move that cannot be one rename fails whole, leaving the
        // source as it was and nothing at the target. A link is moved only where the system
        // moves the link itself and not what it points to.
        if (ActsOnItself(from) && MoveFileExW(from.c_str(), EntryPath(targetDir, e.TargetName()).c_str(), 0)) {
            state.anyMoved = true;
            JobQueue::Report(i, n, 0, 0);
        } else {
            AskFromJobThread(BoxKind::Error,
                             "Can't move '" + e.Name() + "'" + "\r" + "from " + sourceDir + "\r" + "to '" + targetDir + "'",
                             BoxButtons::Ok);
        }
    }
}

}  // namespace

bool MainWindow::AskReplaceChanged(const std::string& target, bool appeared) {
    return JobBox(BoxKind::Warning, ChangedTargetQuestion(target, appeared), BoxButtons::YesNo) == IDYES;
}

bool MainWindow::CheckDiskSpace(const std::string& sizeText, const std::string& targetPath) {
    // The old file goes only once the copy is whole beside it: both take room meanwhile.
    return HasSpaceFor(ReadSizeText(sizeText), targetPath);
}

bool MainWindow::HasSpaceFor(std::int64_t bytes, const std::string& targetPath) {
    return HasRoom(bytes, targetPath, [this](BoxKind kind, const std::string& text, BoxButtons buttons) {
        return JobBox(kind, text, buttons);
    });
}

bool MainWindow::RemoveEntry(const std::wstring& path, const Entry& e, bool recycle, DeleteReport& report) {
    if (recycle) {
        const RecycleResult r = Recycle(path);
        if (r == RecycleResult::Recycled) return false;
        if (r == RecycleResult::Failed) return false;  // the reload shows it is still there
        // Nothing was deleted: the user decides whether it goes for good.
        if (AskFromJobThread(BoxKind::Warning, "The recycle bin cannot take '" + e.caption + "'.\r\rDelete it for good?",
                             BoxButtons::YesNo) != IDYES) {
            return false;
        }
    }
    Leftovers left;
    if (DeleteForGood(path, !e.IsFile() && !e.link, left)) return true;
    std::vector<std::string> failed;
    for (const DeleteFailure& f : left.failed) failed.push_back(f.path + " (" + ReasonText(f.error) + ")");
    report.Add(e.caption, !e.IsFile(), left.linksKept, failed);
    return false;
}

}  // namespace bivane
