// Synchronizing two folders, without a window: how two entries of one relative path relate, which
// names of two folders are one entry, what each mode does with a line, which lines a filter shows,
// and what a plan would do before anything is written.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bivane::sync {

enum class Kind : std::uint8_t { None, File, Folder, Link, Other };  // Other: a FIFO, socket or device

// One side of a line, as the comparison listed it.
struct Side {
    Kind kind = Kind::None;
    bool unreadable = false;  // a folder that could not be listed: nothing below it is known
    std::uint32_t attributes = 0;
    std::int64_t size = 0;
    std::int64_t date = 0;  // last written, FILETIME ticks (UTC)
    bool There() const { return kind != Kind::None; }
};

constexpr std::int64_t kTicksPerSecond = 10000000;

struct CompareOptions {
    bool byContent = false;
    bool ignoreHours = false;  // dates a whole number of hours apart (up to 24) are the same
    std::int64_t tolerance = 2 * kTicksPerSecond;  // FAT keeps dates to 2 seconds
};

enum class Content : std::uint8_t { NotCompared, Equal, Different, Unreadable };

enum class Relation : std::uint8_t {
    Equal,
    EqualOtherDate,  // by content: the same bytes, dates that differ
    OnlyLeft,
    OnlyRight,
    LeftNewer,
    RightNewer,
    Different,    // the same date, other size or bytes
    KindsDiffer,  // a file on one side, a folder on the other
    NotFollowed,  // a link, FIFO or device on either side: never followed, never written
    Error,        // a folder that could not be read, or below one; a case twin the other side cannot hold apart
};
const char* RelationText(Relation r);

// -1: left older, 0: the same date, 1: left newer.
int CompareDates(std::int64_t left, std::int64_t right, const CompareOptions& o);
Relation Relate(const Side& left, const Side& right, const CompareOptions& o, Content content = Content::NotCompared);
// Whether the bytes of a pair are to be compared (by content, two files of one size).
bool NeedsContent(const Side& left, const Side& right, const CompareOptions& o);

enum class Action : std::uint8_t { Leave, CopyRight, CopyLeft, DeleteLeft, DeleteRight };
const char* ActionText(Action a);
enum class Mode : std::uint8_t { MirrorRight, UpdateRight, BothWays, MirrorLeft, UpdateLeft };
// The action a mode gives a line of that relation; the "both ways" lines of one date and other
// bytes are conflicts, left alone.
Action Planned(Relation r, Mode m);
// Whether a user may set the action on such a line: nothing is done to an error or a link, and a
// copy or delete needs something there to copy or delete.
bool Allowed(Relation r, const Side& left, const Side& right, Action a);

// Pairing the names of one folder on each side. With caseApart, names pair only exactly; else two
// names that differ only in letter case are one entry, unless either side holds more than one of
// them: then each of those that has no exact twin is a case twin the other side cannot hold apart
// (also where the other side has none of them: two copied there would land on one name).
struct Named {
    std::u16string_view name;
    std::u16string_view key;  // the name as the file systems compare it (folded, unless caseApart)
};
struct Pair {
    int left = -1, right = -1;  // indexes into the lists given; -1: none
    bool caseTwin = false;      // an error: the other side cannot hold it apart from its twin
};
std::vector<Pair> PairNames(const std::vector<Named>& left, const std::vector<Named>& right);

// One line: a path below the two folders, kept as its parent's line and its own name.
struct Line {
    std::uint32_t parent = UINT32_MAX;  // UINT32_MAX: a name of the top folders
    std::uint16_t depth = 0;
    Relation relation = Relation::Equal;
    Action action = Action::Leave;
    bool open = false;  // a folder on one side only: its lines are shown
    std::u16string name;       // the left's name, else the right's
    std::u16string rightName;  // the right's, when it is spelled otherwise
    Side left, right;
    const std::u16string& RightName() const { return rightName.empty() ? name : rightName; }
    bool IsFolder() const { return left.kind == Kind::Folder || right.kind == Kind::Folder; }
};

// The relative path of a line ("a\b\c.txt"), as the left (or the right) spells it.
std::u16string LinePath(const std::vector<Line>& lines, std::size_t i, bool right = false);
// Lines below folders with an error are errors too; nothing under an unreadable folder is acted on.
void MarkErrorsBelow(std::vector<Line>& lines);
void ApplyMode(std::vector<Line>& lines, Mode m);
// Sets the action of line i and, when it is a folder on one side only, of every line below it.
// False (nothing changed) where the action is not allowed on line i.
bool SetAction(std::vector<Line>& lines, std::size_t i, Action a);

// What a folder on one side only holds: its files and their bytes, at any depth.
struct FolderTotal {
    std::uint32_t line = 0;
    std::int64_t files = 0, bytes = 0;
};
std::vector<FolderTotal> OneSidedTotals(const std::vector<Line>& lines);  // in the lines' order

enum class Show : std::uint8_t { All, Differences, OnlyLeft, OnlyRight, Equal };
// The lines shown, in order: each passes the filter and the name test (files; a folder is shown
// when a line below it is), and lies in no closed folder of one side.
std::vector<std::uint32_t> VisibleLines(const std::vector<Line>& lines, Show show,
                                        const std::function<bool(const std::u16string&)>& nameTaken);

// What a plan does, before anything is written.
struct Preview {
    std::int64_t files[5] = {};  // by Action
    std::int64_t bytes[5] = {};
    std::int64_t folders[5] = {};
    std::int64_t conflicts = 0, errors = 0;
    std::vector<std::uint32_t> deletions;  // the lines deleted, a folder deleted whole once
    bool Empty() const;
};
Preview MakePreview(const std::vector<Line>& lines);
// Counts line l at its action: a file with its bytes, or a folder. The preview and the report of
// what was done both count through it, so a folder deleted whole is its files and folders in both.
void CountLine(Preview& p, const Line& l);
// "2 files and 1 folder": the deletions counted, both sides together.
std::string DeletedText(const Preview& done);
// The end of line i's branch: the first line after it that is not below it.
std::size_t SubtreeEnd(const std::vector<Line>& lines, std::size_t i);
// Whether line i is a folder deleted with everything below it (every line below deleted too).
bool DeletedWhole(const std::vector<Line>& lines, std::size_t i);
std::string PreviewText(const Preview& p, const std::vector<Line>& lines, bool recycle);
// The lines acted on that the filter and the name test hide (closed folders aside), counted as the
// preview counts; and the preview's sentence that says so, empty when none is hidden.
Preview HiddenActions(const std::vector<Line>& lines, Show show, const std::function<bool(const std::u16string&)>& nameTaken);
std::string HiddenText(const Preview& hidden);

// A plan that deletes or replaces much of a side, which a user mirroring onto the wrong folder, or
// from a source listed only in part, would not mean: the side's top folder when more than a tenth
// of its files go or are replaced, and each folder (the topmost of a branch) where more than half do.
struct Sweep {
    bool right = false;   // the side changed
    std::u16string path;  // below the side's folder; empty: the side's folder itself
    std::int64_t changed = 0, files = 0;
};
std::vector<Sweep> LargeSweeps(const std::vector<Line>& lines);
std::string SweepsText(const std::vector<Sweep>& sweeps);

}  // namespace bivane::sync
