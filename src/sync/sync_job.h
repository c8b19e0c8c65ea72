// A synchronization's plan applied, on the job thread. It is handed the plan, the progress dialog
// (reached through its controls' messages) and a way to ask the user (a box shown by the window's
// thread while this one waits); it touches nothing of the window. Copies come first; deletions
// last, only when every copy succeeded or the user says so, each entry looked at again (and the
// name on the side that is kept) at the moment it goes.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/modal_seam.h"
#include "sync/sync_window.h"

namespace bivane {

class ProgressDialog;

// What an applied plan did, read by the window once the job ended.
struct SyncOutcome {
    sync::Preview done;  // counted as the preview counts
    std::vector<std::string> changed;     // left alone: changed since the comparison
    std::vector<std::string> failed;      // copies that failed
    std::vector<std::string> mismatched;  // copies that did not verify (removed, the old file kept)
    std::vector<std::string> kept;        // found in a folder to delete, never compared: kept
    std::vector<std::string> notDeleted;  // deletions the system refused
    std::string refused;                  // why nothing was done at all
    bool deletionsKept = false;           // copies failed and the user kept everything
    bool stopped = false;
};

// The report of an ended job, and whether it warns.
std::string SyncOutcomeText(const SyncPlan& plan, const SyncOutcome& out);
bool SyncOutcomeBad(const SyncOutcome& out);

class SyncJobOnJobThread {
public:
    using Ask = std::function<int(BoxKind kind, const std::string& text, BoxButtons buttons)>;
    SyncJobOnJobThread(SyncPlan plan, ProgressDialog& progress, Ask ask);
    void Run();
    const SyncPlan& Plan() const { return plan_; }
    const SyncOutcome& Outcome() const { return out_; }

private:
    std::wstring Path(std::size_t i, bool right) const;
    std::string Shown(std::size_t i, bool right) const;
    bool Stopped();
    bool Overlapping();
    void CopyAll();
    bool CopyOne(std::size_t i);
    bool CopyFileLine(std::size_t i, const std::wstring& source, const std::wstring& target);
    void DateMadeFolders();
    bool DeletionsAgreed();
    void DeleteAll();
    bool StillToDelete(std::size_t i);
    void DeleteFileLine(std::size_t i);
    void DeleteFolderWhole(std::size_t i);
    bool TreeAsCompared(std::size_t i, bool right);
    bool DeleteChecked(std::size_t i, bool right, bool recycle);
    void DeleteEntry(std::size_t i, bool right, bool recycle);
    void RemoveFile(std::size_t i, bool right, bool recycle);
    void DeleteRefusedByBin();
    void ReportFiles();

    SyncPlan plan_;
    ProgressDialog& progress_;
    Ask ask_;
    SyncOutcome out_;
    std::wstring leftRoot_, rightRoot_;
    std::vector<std::size_t> made_;        // folders made, dated once filled
    std::vector<std::size_t> binRefused_;  // lines the recycle bin would not take
    std::int64_t files_ = 0, bytes_ = 0, filesDone_ = 0, bytesDone_ = 0;
    std::size_t copies_ = 0, copiesDone_ = 0;
    std::vector<std::string> notCopied_;
};

}  // namespace bivane
