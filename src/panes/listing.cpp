#include "panes/listing.h"

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <system_error>

#include "core/paths.h"
#include "panes/entry_rules.h"
#include "panes/sort_rules.h"
#include "platform/collate.h"
#include "platform/copy_temporaries.h"
#include "platform/fs.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr DWORD kNotListed = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */;
// A folder of up to kFirst names is read and made into entries on the calling thread. A bigger
// one is read on in batches of kBatch names on a thread of its own, each made into entries (and
// their name keys) while the system reads the next: starting a thread costs about a millisecond
// under Wine, a small folder's whole load. A batch's buffers are big enough (a megabyte or more)
// to be taken from the system and given back whole, not from the heap, where they would leave
// holes.
constexpr std::size_t kFirst = 1024;
constexpr std::size_t kBatch = 32768;
std::size_t g_first = kFirst, g_batch = kBatch;  // tests make them smaller
std::atomic<std::uint64_t> g_reads{0};

const std::atomic<bool> kNever{false};

// Names as they are read, kept in one buffer per batch: the thread that reads allocates next to
// nothing, so it does not wait on the heap for the thread that makes entries.
struct Found {
    std::size_t nameAt;  // in Batch::names, NUL-terminated
    DWORD attributes;
    std::int64_t size;
    FILETIME lastWrite;
    DWORD reparseTag;
};
struct Batch {
    std::vector<wchar_t> names;
    std::vector<Found> found;
    const wchar_t* Name(const Found& f) const { return names.data() + f.nameAt; }
    void Clear() {
        names.clear();
        found.clear();
    }
    // Reads up to `count` entries; false when the folder ended first or a stop was set (either).
    bool Fill(DirectoryReader& reader, std::size_t count, const std::atomic<bool>& stop,
              const std::atomic<bool>& quit = kNever) {
        FoundEntry f{};
        while (found.size() < count) {
            if (stop.load(std::memory_order_relaxed) || quit.load(std::memory_order_relaxed) || !reader.Next(f)) return false;
            found.push_back(Found{names.size(), f.attributes, f.size, f.lastWrite, f.reparseTag});
            names.insert(names.end(), f.name, f.name + wcslen(f.name) + 1);
        }
        return true;
    }
};

// What every entry needs besides its own name: read once per listing.
struct Facts {
    LocaleFacts locale = UserLocaleFacts();
    LocalTimes times;
    Collation collation = PlatformCollation();
};

// The entries made so far, in the order read, with their name keys end to end, each ended by a
// NUL, which no key holds (a hundred thousand small key strings kept until the sort would stay
// behind in the heap afterwards).
struct Made {
    std::vector<Entry> entries;
    std::string keys;
    std::vector<std::string> hiddenTwins;  // hidden names that may read like a listed one
    std::int64_t totalBytes = 0;
    std::int64_t files = 0;
    bool staleCopies = false;
};

Entry DirectoryEntry(const std::string& name, bool readOnly) {
    Entry e;
    e.kind = name == ".." ? EntryKind::Parent : EntryKind::Directory;
    e.caption = e.kind == EntryKind::Parent ? "[parent]" : "<" + name + ">";
    e.SetName(name);
    e.sizeText = readOnly ? "<DIR>r" : "<DIR>";
    e.dateText = " ";
    e.mark = Mark::Directory;
    e.image = kImageDir;
    return e;
}

Entry FileEntry(const std::string& name, const Found& f, const Facts& facts) {
    Entry e;
    e.caption = FileCaption(name);
    e.SetName(name);
    e.image = UntaggedImage(e.caption);
    e.size = f.size;
    e.sizeText = std::to_string(f.size);
    const LocalTime t = facts.times.Of(f.lastWrite);
    e.dateText = DateText(t, facts.locale);
    e.minute = MinuteStamp(t);
    e.mark = Mark::Untagged;
    return e;
}

// False when stop was set meanwhile (looked at every few hundred names: a batch takes a while).
bool MakeEntries(const Batch& batch, const Facts& facts, Made& made, const std::atomic<bool>& stop) {
    std::size_t n = 0;
    for (const Found& f : batch.found) {
        if (++n % 256 == 0 && stop.load(std::memory_order_relaxed)) return false;
        const wchar_t* name = batch.Name(f);
        if (f.attributes & kNotListed) {
            if (IsCopyTemporaryName(name)) made.staleCopies = true;
            std::string narrow = Narrow(name);
            if (HasReplacementChar(narrow)) made.hiddenTwins.push_back(std::move(narrow));
            continue;
        }
        if (f.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(name, L".") == 0) continue;
            made.entries.push_back(DirectoryEntry(Narrow(name), f.attributes & FILE_ATTRIBUTE_READONLY));
            made.entries.back().link = IsLink(f.attributes, f.reparseTag);
        } else {
            made.entries.push_back(FileEntry(Narrow(name), f, facts));
            made.entries.back().link = IsLink(f.attributes, f.reparseTag);
            made.totalBytes += f.size;
            ++made.files;
        }
        made.keys += NameSortKey(made.entries.back(), facts.collation);
        made.keys += '\0';
    }
    return true;
}

// Reads a folder on a thread of its own, in batches, while the caller makes entries of the
// batches already read. The caller's thread makes every entry, as it would alone: the entries'
// strings lie together in the heap, with little left between them once the listing is made.
class FolderReader {
public:
    // Reads on from where reader is, until the folder ends or stop (the caller's) is set.
    FolderReader(DirectoryReader reader, const std::atomic<bool>& stop)
        : stop_(stop), read_(std::async(std::launch::async, [this, r = std::move(reader)]() mutable {
              struct End {  // told also when reading fails, or Next would wait for ever
                  FolderReader* reader;
                  ~End() { reader->Publish(nullptr); }
              } end{this};
              for (bool more = true; more;) {
                  Batch* batch = Empty();
                  // The caller's stop is looked at between names too: a pause waits for one name.
                  more = batch->Fill(r, g_batch, stop_, quit_) && !stop_.load(std::memory_order_relaxed);
                  if (!more) error_ = r.Error();
                  Publish(batch);
              }
          })) {}
    ~FolderReader() {
        quit_ = true;  // the reader ends at its next name
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;  // and keeps nothing more
        }
        changed_.notify_all();
    }  // then the future waits for the thread
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // The next batch read, in order; null at the end.
    Batch* Next() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !filled_.empty(); });
        Batch* b = filled_.front();
        filled_.pop_front();
        if (!b) read_.get();  // its exception, if any, reaches the caller
        return b;
    }
    // Why the reading ended early (0: the folder's end); known once Next gave null.
    DWORD Error() const { return error_; }
    // A batch made into entries, to be filled again.
    void Done(Batch* b) {
        b->Clear();
        std::lock_guard<std::mutex> lock(mutex_);
        spare_.push_back(b);
    }

private:
    Batch* Empty() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (spare_.empty()) {
            Batch& b = batches_.emplace_back();
            b.names.reserve(kBatch * 24);
            b.found.reserve(kBatch);
            return &b;
        }
        Batch* b = spare_.front();
        spare_.pop_front();
        return b;
    }
    void Publish(Batch* b) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!stopped_) filled_.push_back(b);
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> batches_;  // every batch, by address: a deque does not move them
    std::deque<Batch*> filled_, spare_;
    bool stopped_ = false;
    DWORD error_ = 0;  // written by the reading thread before its last Publish
    const std::atomic<bool>& stop_;
    std::atomic<bool> quit_{false};  // the caller gave up (stopped, or failed)
    std::future<void> read_;  // last: the thread starts once the rest is there
};

struct Ahead {
    std::string dir;
    std::future<Listing> listing;
};
Ahead g_ahead;  // touched by the window's thread only

}  // namespace

Listing ReadListing(const std::string& dir) {
    const std::atomic<bool> never{false};
    return std::move(*ReadListing(dir, never));
}

std::uint64_t ListingReads() { return g_reads; }

std::optional<Listing> ReadListing(const std::string& dir, const std::atomic<bool>& stop) {
    ++g_reads;
    const Facts facts;
    Made made;
    DirectoryReader reader(dir);
    Batch first;
    first.found.reserve(g_first);
    DWORD error = 0;
    if (!first.Fill(reader, g_first, stop)) {
        if (stop || !MakeEntries(first, facts, made, stop)) return std::nullopt;
        error = reader.Error();
    } else {
        FolderReader rest(std::move(reader), stop);
        if (!MakeEntries(first, facts, made, stop)) return std::nullopt;
        // A big folder's keys from the system, not from the heap (see kBatch).
        made.keys.reserve(2 * kBatch * 48);
        while (Batch* b = rest.Next()) {
            if (stop || !MakeEntries(*b, facts, made, stop)) return std::nullopt;
            rest.Done(b);
        }
        if (stop) return std::nullopt;
        error = rest.Error();
    }
    MarkTwins(made.entries, made.hiddenTwins);
    std::vector<std::string_view> keys;
    keys.reserve(made.entries.size());
    for (const char* k = made.keys.data(); keys.size() < made.entries.size(); k += keys.back().size() + 1) {
        keys.emplace_back(k);
    }
    Listing out;
    out.dir = dir;
    out.totalBytes = made.totalBytes;
    out.files = made.files;
    out.staleCopies = made.staleCopies;
    out.readError = error;
    out.entries.reserve(made.entries.size());
    for (std::uint32_t i : PermutationByNameKeys(keys)) out.entries.push_back(std::move(made.entries[i]));
    return out;
}

std::optional<std::vector<NameChange>> LookAtNames(const std::string& dir, const std::vector<std::wstring>& names) {
    const Facts facts;
    std::vector<NameChange> changes;
    changes.reserve(names.size());
    for (const std::wstring& name : names) {
        if (name.empty() || name.find_first_of(L"\\/*?") != std::wstring::npos) return std::nullopt;
        std::string narrow = Narrow(name);
        if (HasReplacementChar(narrow)) return std::nullopt;
        WIN32_FIND_DATAW fd{};
        const std::wstring path = ExactPath(JoinPathRootAware(dir, narrow));
        AutoFindHandle find(FindFirstFileExW(path.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
        if (!find) {
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return std::nullopt;
            changes.push_back({std::move(narrow), std::nullopt});
            continue;
        }
        if (name != fd.cFileName) return std::nullopt;  // found its case twin, or another form of it
        Batch one;
        one.found.push_back(Found{0, fd.dwFileAttributes,
                                  static_cast<std::int64_t>((static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow),
                                  fd.ftLastWriteTime, fd.dwReserved0});
        one.names.assign(name.c_str(), name.c_str() + name.size() + 1);
        Made made;
        MakeEntries(one, facts, made, kNever);
        std::optional<Entry> now;
        if (!made.entries.empty()) now = std::move(made.entries.front());
        changes.push_back({std::move(narrow), std::move(now)});
    }
    return changes;
}

ScopedListingBatch::ScopedListingBatch(std::size_t names) { g_first = g_batch = names; }
ScopedListingBatch::~ScopedListingBatch() {
    g_first = kFirst;
    g_batch = kBatch;
}

void ReadListingAhead(const std::string& dir) {
    try {
        g_ahead.listing = std::async(std::launch::async, [dir] { return ReadListing(dir); });
        g_ahead.dir = dir;
    } catch (const std::system_error&) {
        g_ahead = Ahead{};  // no thread to be had: the first load reads the folder itself
    }
}

std::optional<Listing> TakeListingAhead(const std::string& dir) {
    Ahead ahead = std::move(g_ahead);
    g_ahead = Ahead{};
    if (!ahead.listing.valid() || ahead.dir != dir) return std::nullopt;  // a running one is waited for here
    return ahead.listing.get();
}

}  // namespace bivane
