// What a confirmed copy, move or delete acts on and what it reads again afterwards: window-free,
// so that it is tested natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry.h"

namespace bivane {

enum class ConfirmMode { Copy, Delete, Move };

// What the user confirmed.
struct RunRequest {
    ConfirmMode mode = ConfirmMode::Copy;
    bool currentOnly = false;  // the current entry
    bool tagged = false;       // the tagged files (when the list is not empty)
    bool recycle = false;      // a delete sends to the recycle bin
    bool verify = false;       // a copy reads each file back before it takes the target's place
    int current = -1;          // the current entry's row
};

// The rows a run acts on, in list order. Copies take files only; a delete or move of the current
// entry takes a directory too, never the parent; tagged runs take the tagged files.
std::vector<std::size_t> EntriesToActOn(const std::vector<Entry>& entries, const RunRequest& request);

// What a finished run reads again: a copy its target; a move both panes when anything moved; a
// delete its source, and first the other pane when that shows the source directory or one below.
struct Reloads {
    bool source = false;
    bool target = false;
    bool targetToSource = false;  // the other pane is moved to the source directory and read
};
Reloads ReloadsAfter(ConfirmMode mode, bool anyDone, std::string_view sourceDir, std::string_view targetDir);

// Whether what a command finds at an entry's path is still what was listed. A file may also read as
// Unknown (a FIFO under Wine has no attributes, yet its own name can be opened); a folder or link
// must be found as exactly that.
bool StillAsListed(const Entry& e, DiskKind now);

// A message line for each name, the first shown only, then how many more. A question names a few;
// a report (ShowReport: it scrolls) names every one.
constexpr std::size_t kNamesShown = 5;
constexpr std::size_t kEveryName = static_cast<std::size_t>(-1);
std::string NamesText(std::string header, const std::vector<std::string>& lines, std::size_t shown = kNamesShown);
// Asked when a copy comes to put a file in place of target and finds it made (appeared) or
// changed since the user agreed.
std::string ChangedTargetQuestion(const std::string& target, bool appeared);

// Entries a command left alone because they changed since the side was read.
struct ChangedEntry {
    std::string caption;
    DiskKind now;
};
std::string ChangedText(const std::vector<ChangedEntry>& changed);

// After a copy stopped by an error: what it did not copy, of how many.
std::string NotCopiedText(const std::vector<std::string>& names, std::size_t total);

// Names one copy writes into one folder that the target takes as one (the same but for letter
// case, where the source folder tells them apart): keys[i] is name i's folded form, with its folder
// in a tree. Of each group one is written: the one the target already holds spelled exactly so
// (heldAsIs, asked only of rows that have a twin), else the first. By row: the row written in its
// place, or -1 for a row that is written itself.
std::vector<std::ptrdiff_t> TwinsWrittenInstead(const std::vector<std::string>& keys,
                                                const std::function<bool(std::size_t)>& heldAsIs);

// What deletions for good left behind, said in one message at the end of the command: every link
// kept, and the first few of the entries the system would not delete, with why.
class DeleteReport {
public:
    void Add(const std::string& caption, bool folder, const std::vector<std::string>& linksKept,
             const std::vector<std::string>& failed);
    bool Empty() const { return captions_.empty(); }
    std::string Text() const;

private:
    std::vector<std::string> captions_, links_, failed_;
    bool folder_ = false;  // the first entry added is a folder
};

// A copy onto files that exist asks first, once for the whole command.
enum class ReplaceAnswer { All, OlderOnly, SkipExisting, Cancel };
// A source whose name the target folder already holds as a file, with both dates (local minutes)
// and the size of the file there.
struct ExistingTarget {
    std::size_t row;                 // the source's row
    std::string name;                // the name as the target folder holds it
    std::int64_t sourceMinute = 0;
    std::int64_t targetMinute = 0;
    std::int64_t targetSize = 0;
    bool TargetNewer() const { return targetMinute > sourceMinute; }
};
// The question: how many are there, the first few names, how many are newer than their source.
std::string ReplaceQuestionText(const std::vector<ExistingTarget>& existing);
// Of rows (in order), those the answer copies; nothing for Cancel.
std::vector<std::size_t> RowsToCopy(const std::vector<std::size_t>& rows, const std::vector<ExistingTarget>& existing,
                                    ReplaceAnswer answer);

// A short word for why a file could not be deleted, from the system's error code.
std::string ReasonText(unsigned long error);

}  // namespace bivane
