// Helpers of the file operation tests: what a folder tree holds, before and after, and the two
// sides set up on real folders.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/form_fixture.h"

namespace bivane::test {

struct FileState {
    bool dir = false;
    DWORD attributes = 0;
    std::int64_t size = 0;
    std::uint64_t lastWrite = 0;
    std::string content;
    bool operator==(const FileState&) const = default;
};
using Snapshot = std::map<std::string, FileState>;  // by path relative to the root

Snapshot Snap(const std::string& root);
// Relative paths that were added, removed or changed in any way.
std::set<std::string> Changes(const Snapshot& before, const Snapshot& after);
std::uint64_t LastWrite(const std::string& path);
void SetLastWrite(const std::string& path, std::uint64_t ticks);  // a file's or a folder's

// On a job's thread: whether the window told the job to stop within two seconds (it handles its
// messages while a job runs).
bool UntilStopped();

// Extra drive letters made by drives.sh; empty when the drive is not there.
std::string DriveFolder(char letter);  // a fresh folder on that drive, e.g. "D:\bvt12_3"

// Every text a control is given while this lives, in order.
class TextRecorder {
public:
    explicit TextRecorder(HWND control);
    ~TextRecorder();
    TextRecorder(const TextRecorder&) = delete;
    TextRecorder& operator=(const TextRecorder&) = delete;
    std::vector<std::string> texts;

private:
    HWND control_;
};

// Clocks for the progress dialog: one on which a paint is always due, one that stands still.
ULONGLONG PaintAlwaysDue();
ULONGLONG ClockStandingStill();

class FileOpsTest : public FormTest {
protected:
    void Tag(Pane& s, const std::string& caption);  // tags it and recomputes the active side's totals
    std::set<std::string> ChangedSince(const Snapshot& before) const { return Changes(before, Snap(tmp.Path())); }
    // Answers the question about the files the target holds already (ReplaceDialog::IdReplaceAll...,
    // or IDCANCEL), after checking its text when one is given.
    void ExpectReplace(int answer, const std::string& text = "");
};

}  // namespace bivane::test
