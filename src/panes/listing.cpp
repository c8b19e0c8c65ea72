#include "panes/listing.h"

#include <future>

#include "panes/entry_rules.h"
#include "panes/sort_rules.h"
#include "platform/collate.h"
#include "platform/copy_temporaries.h"
#include "platform/fs.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr DWORD kNotListed = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */;
// A big folder is read in batches of this many names: each is made into entries (and their name
// keys) on another thread while the system goes on reading the next. Smaller folders are made on
// the reading thread.
constexpr std::size_t kBatch = 8192;

// Names as they are read, kept in one buffer per batch: the thread that reads allocates next to
// nothing, so it does not wait on the heap for the thread that makes entries.
struct Found {
    std::size_t nameAt;  // in Batch::names, NUL-terminated
    DWORD attributes;
    std::int64_t size;
    FILETIME lastWrite;
};
struct Batch {
    std::vector<wchar_t> names;
    std::vector<Found> found;
    const wchar_t* Name(const Found& f) const { return names.data() + f.nameAt; }
};

// One batch made into entries, with what it adds to the listing.
struct Part {
    std::vector<Entry> entries;
    std::vector<std::string> keys;  // the name order's, one per entry
    std::vector<std::string> hiddenTwins;  // hidden names that may read like a listed one
    std::int64_t totalBytes = 0;
    std::int64_t files = 0;
    bool staleCopies = false;
};

// What a batch needs besides its names: read once per listing.
struct Facts {
    LocaleFacts locale = UserLocaleFacts();
    LocalTimes times;
    Collation collation = PlatformCollation();
};

Entry DirectoryEntry(const std::string& name, bool readOnly) {
    Entry e;
    e.kind = name == ".." ? EntryKind::Parent : EntryKind::Directory;
    e.caption = e.kind == EntryKind::Parent ? "[parent]" : "<" + name + ">";
    e.SetName(name);
    e.sizeText = readOnly ? "<DIR>r" : "<DIR>";
    e.dateText = " ";
    e.mark = 'D';
    e.image = kImageDir;
    return e;
}

Entry FileEntry(const wchar_t* fileName, const Found& f, const Facts& facts, Part& part) {
    Entry e;
    const std::string name = Narrow(fileName);
    e.caption = FileCaption(name);
    e.SetName(name);
    e.image = UntaggedImage(e.caption);
    e.size = f.size;
    e.sizeText = std::to_string(f.size);
    const LocalTime t = facts.times.Of(f.lastWrite);
    e.dateText = DateText(t, facts.locale);
    e.minute = MinuteStamp(t);
    e.mark = 'N';
    part.totalBytes += f.size;
    ++part.files;
    return e;
}

Part MakePart(const Batch& batch, const Facts& facts) {
    Part part;
    part.entries.reserve(batch.found.size());
    for (const Found& f : batch.found) {
        const wchar_t* name = batch.Name(f);
        if (f.attributes & kNotListed) {
            if (IsCopyTemporaryName(name)) part.staleCopies = true;
            std::string narrow = Narrow(name);
            if (HasReplacementChar(narrow)) part.hiddenTwins.push_back(std::move(narrow));
        } else if (f.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(name, L".") != 0) {
                part.entries.push_back(DirectoryEntry(Narrow(name), f.attributes & FILE_ATTRIBUTE_READONLY));
            }
        } else {
            part.entries.push_back(FileEntry(name, f, facts, part));
        }
    }
    part.keys.reserve(part.entries.size());
    for (const Entry& e : part.entries) part.keys.push_back(NameSortKey(e, facts.collation));
    return part;
}

struct Ahead {
    std::string dir;
    std::future<Listing> listing;
};
Ahead g_ahead;  // touched by the window's thread only

}  // namespace

Listing ReadListing(const std::string& dir) {
    const Facts facts;
    std::vector<std::future<Part>> parts;
    Batch batch;
    EnumerateDirectory(dir, [&](const FoundEntry& f) {
        if (batch.found.empty()) {
            batch.names.reserve(kBatch * 24);
            batch.found.reserve(kBatch);
        }
        batch.found.push_back(Found{batch.names.size(), f.attributes, f.size, f.lastWrite});
        batch.names.insert(batch.names.end(), f.name, f.name + wcslen(f.name) + 1);
        if (batch.found.size() < kBatch) return;
        parts.push_back(std::async(std::launch::async, [&facts, b = std::move(batch)] { return MakePart(b, facts); }));
        batch = Batch{};
    });
    std::promise<Part> last;
    last.set_value(MakePart(batch, facts));
    parts.push_back(last.get_future());

    Listing out;
    out.dir = dir;
    std::vector<Entry> entries;
    std::vector<std::string> keys, hiddenTwins;
    for (std::future<Part>& f : parts) {
        Part p = f.get();
        if (entries.empty()) {
            entries = std::move(p.entries);
            keys = std::move(p.keys);
        } else {
            std::move(p.entries.begin(), p.entries.end(), std::back_inserter(entries));
            std::move(p.keys.begin(), p.keys.end(), std::back_inserter(keys));
        }
        std::move(p.hiddenTwins.begin(), p.hiddenTwins.end(), std::back_inserter(hiddenTwins));
        out.totalBytes += p.totalBytes;
        out.files += p.files;
        out.staleCopies = out.staleCopies || p.staleCopies;
    }
    MarkTwins(entries, hiddenTwins);
    const std::vector<std::uint32_t> perm = PermutationByNameKeys(keys);
    out.entries.reserve(entries.size());
    for (std::uint32_t i : perm) out.entries.push_back(std::move(entries[i]));
    return out;
}

void ReadListingAhead(const std::string& dir) {
    g_ahead.dir = dir;
    g_ahead.listing = std::async(std::launch::async, [dir] { return ReadListing(dir); });
}

std::optional<Listing> TakeListingAhead(const std::string& dir) {
    Ahead ahead = std::move(g_ahead);
    g_ahead = Ahead{};
    if (!ahead.listing.valid() || ahead.dir != dir) return std::nullopt;  // a running one is waited for here
    return ahead.listing.get();
}

}  // namespace bivane
