// Finding files on a thread of its own: the folders asked for are walked depth first, one folder
// listed whole before its files are looked at, so a pause lets go of every handle at once and
// takes up the folder (or file) it was in from its start. Results are kept for the window's thread
// to take in batches; links are never followed; FIFOs, sockets and devices are never opened.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "find/find_rules.h"
#include "panes/background_work.h"
#include "platform/win.h"
#include "platform/window_news.h"

namespace bivane {

struct FindQuery {
    std::vector<std::string> roots;  // full folder paths
    int depth = -1;                  // levels below a root searched; -1: every level
    find::UpperTable upper;  // the system's upper case, the masks' too
    find::NameMasks masks;
    find::SizeDate sizeDate;
    bool hiddenSystem = true;  // hidden and system files and folders are looked at
    bool folders = false;      // folders are found too (by name, size and date only)
    find::TextQuery text;
};

// The platform's case mappings, code pages and word characters, for a text search.
find::TextPlatform FinderTextPlatform();

struct FoundFile {
    std::uint32_t folder = 0;  // FindBatch::folders, counted over every batch of the search
    std::string name;          // its own name, as listed (WTF-8)
    std::int64_t size = 0;
    std::int64_t date = 0;  // last written, FILETIME ticks (UTC)
    std::uint32_t attributes = 0;
    std::int64_t matchAt = -1;  // a text search: the first match's offset and length
    std::uint32_t matchLength = 0;
    std::string line;           // ... and its line
    std::uint32_t reparseTag = 0;  // for a reparse point: what kind (IsLink)
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

struct FindCounts {
    std::int64_t folders = 0, files = 0, found = 0;
    std::int64_t links = 0;     // links and junctions passed over
    std::int64_t notFiles = 0;  // FIFOs, sockets, devices, never opened
    std::int64_t unreachable = 0;  // names no path reaches exactly: found by name, never read
    std::int64_t unreadableFiles = 0;
};

// What the window takes: new folders (their full paths, numbered on from the last batch's), new
// results, and the state of the search now.
struct FindBatch {
    std::vector<std::string> folders;
    std::vector<FoundFile> found;
    std::vector<std::string> unreadable;  // folders that could not be listed
    FindCounts counts;
    std::string current;  // the folder being searched
    bool running = false;
    std::int64_t firstFound = 0;  // when the batch's first result was found (performance counter)
};

struct PendingFolder {
    std::wstring exact;  // without a trailing "\"
    int depth = 0;
};
// One name of a folder listed whole; its characters kept in one buffer for the folder.
struct Listed {
    std::size_t at = 0, length = 0;  // in the folder's buffer of names
    DWORD attributes = 0;
    DWORD tag = 0;  // the reparse tag, for a reparse point
    std::int64_t size = 0;
    std::int64_t date = 0;
};
struct FinderFolder;
// What reading one file for text gave.
struct FileSearched {
    bool readable = false, disk = false;
    find::TextHit hit;
};

class FileFinder : public HandleWalker {
public:
    explicit FileFinder(std::function<bool()> post);
    ~FileFinder() override;
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    // The window's thread. A search under way stops; what it found and was not taken is dropped.
    void Start(FindQuery query, find::TextPlatform platform);
    void Stop();  // returns at once; the search stops at its next name or block
    bool Busy() const;
    FindBatch Take();

private:
    void Work() noexcept;
    // The finder's thread, all of them.
    void Search(const FindQuery& q, const find::TextPlatform& platform, unsigned generation);
    bool ListWhole(FinderFolder& f, unsigned generation);
    bool LookAt(const FindQuery& q, const find::TextSearch& text, FinderFolder& f, const Listed& e,
                std::vector<PendingFolder>& subfolders, unsigned generation);
    bool LookInside(const FindQuery& q, const find::TextSearch& text, FinderFolder& f, const Listed& e, unsigned generation);
    bool SearchFile(const std::wstring& path, const find::TextSearch& text, FileSearched& out, unsigned generation);
    void Found(FinderFolder& f, const Listed& e, const find::TextHit& hit, bool byText, unsigned generation);
    void Tell(FinderFolder& f, unsigned generation);
    void TellSoon(bool now);
    static constexpr std::chrono::milliseconds kTellEvery{25};

    WindowNews news_;
    std::unique_ptr<FindQuery> next_;
    find::TextPlatform platform_;
    FindBatch batch_;            // kept for the window
    std::uint32_t folderCount_ = 0;
    std::chrono::steady_clock::time_point lastTold_{};  // the finder's thread
    bool searching_ = false;
};

}  // namespace bivane
