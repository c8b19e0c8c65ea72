#include "find/file_finder.h"

#include <algorithm>
#include <utility>

#include "core/paths.h"
#include "core/wtf8.h"
#include "platform/code_pages.h"
#include "platform/copy_temporaries.h"
#include "platform/folder_scan.h"
#include "platform/fs.h"
#include "platform/handles.h"

namespace bivane {

namespace {

// A file read through its own handle, straight, at the offsets asked: the search holds the block.
class HandleSource : public viewer::ByteSource {
public:
    HandleSource(HANDLE file, std::int64_t size) : file_(file), size_(size) {}
    std::int64_t Size() const override { return size_; }
    std::size_t Read(std::int64_t offset, void* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            OVERLAPPED at{};
            const auto o = static_cast<std::uint64_t>(offset) + done;
            at.Offset = static_cast<DWORD>(o);
            at.OffsetHigh = static_cast<DWORD>(o >> 32);
            const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file_, static_cast<char*>(buffer) + done, ask, &got, &at) || got == 0) break;
            done += got;
            if (offset + static_cast<std::int64_t>(done) >= size_) break;  // no second call to learn the end
        }
        return done;
    }

private:
    HANDLE file_;
    std::int64_t size_;
};

std::wstring TopExact(const std::string& root) {
    std::wstring exact = ExactFolder(root);
    // The walk adds "\" and a name; a drive's root keeps its own.
    if (exact.size() > 1 && exact.back() == L'\\' && exact[exact.size() - 2] != L':') exact.pop_back();
    if (!exact.empty() && exact.back() == L'\\') exact.pop_back();
    return exact;
}

}  // namespace

find::TextPlatform FinderTextPlatform() {
    find::TextPlatform p;
    p.ansiCodePage = AnsiCodePage();
    p.oemCodePage = OemCodePage();
    p.fold = [](unsigned codePage) {
        viewer::CaseFold f;
        f.variants = CaseVariants;
        f.ansi = [codePage](char32_t c) { return InCodePage(c, codePage); };
        return f;
    };
    p.table = [](unsigned codePage) { return CodePageUnits(codePage); };
    p.isWordChar = IsWordCharacter;
    return p;
}

FileFinder::FileFinder(std::function<bool()> post) : news_(std::move(post)) {}

FileFinder::~FileFinder() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void FileFinder::Start(FindQuery query, find::TextPlatform platform) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        next_ = std::make_unique<FindQuery>(std::move(query));
        platform_ = std::move(platform);
        batch_ = FindBatch{};
        batch_.running = true;
        folderCount_ = 0;
        interrupt_ = true;
    }
    changed_.notify_all();
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
}

void FileFinder::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    next_.reset();
    interrupt_ = true;
    changed_.notify_all();
}

bool FileFinder::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return searching_ || next_ != nullptr;
}

FindBatch FileFinder::Take() {
    news_.Taken();
    std::lock_guard<std::mutex> lock(mutex_);
    FindBatch out;
    out.folders.swap(batch_.folders);
    out.found.swap(batch_.found);
    out.unreadable.swap(batch_.unreadable);
    out.counts = batch_.counts;
    out.current = batch_.current;
    out.firstFound = std::exchange(batch_.firstFound, 0);
    out.running = searching_ || next_ != nullptr;
    return out;
}

void FileFinder::Work() noexcept {
    for (;;) {
        std::unique_ptr<FindQuery> query;
        find::TextPlatform platform;
        unsigned generation = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || next_ != nullptr; });
            if (quit_) break;
            query = std::move(next_);
            platform = platform_;
            generation = generation_;
            searching_ = true;
        }
        try {
            Search(*query, platform, generation);
        } catch (...) {  // out of memory: the search ends with what it found
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            searching_ = false;
            holding_ = false;
            if (generation == generation_) batch_.current.clear();
            changed_.notify_all();
        }
        news_.Tell();
    }
    ended_ = true;
}

void FileFinder::TellSoon(bool now) {
    // Each message costs the system a round trip or two (a tenth of a walk of 100,000 names when
    // told at every folder), and a message always waiting keeps the window's keys behind it: the
    // window hears at most every kTellEvery, matches included, and at once of a first result.
    // The search's end is always told.
    const auto at = std::chrono::steady_clock::now();
    if (!now && at - lastTold_ < kTellEvery) return;
    lastTold_ = at;
    news_.Tell();
}

// One folder of a search, on the finder's thread: its names listed whole, and what was found in
// it kept until told.
struct FinderFolder {
    PendingFolder at;
    std::string shown;
    std::vector<Listed> names;
    std::vector<wchar_t> chars;
    bool opened = false;
    bool inPart = false;  // the listing failed part way: the names listed are searched all the same
    std::uint32_t index = UINT32_MAX;  // numbered when it first holds a result
    FindCounts counted;
    std::vector<FoundFile> results;
    std::int64_t firstFound = 0;
    std::wstring_view NameOf(const Listed& e) const { return std::wstring_view(chars.data() + e.at, e.length); }
};

bool FileFinder::ListWhole(FinderFolder& f, unsigned generation) {
    // The folder listed whole; a pause in the middle lists it again from its start.
    for (bool listed = false; !listed;) {
        if (!Hold(generation)) return false;
        f.names.clear();
        f.chars.clear();
        {
            FolderScan scan(f.at.exact);
            f.opened = scan.Opened();
            listed = true;
            while (f.opened && scan.Next()) {
                if (Interrupted()) {
                    listed = false;
                    break;
                }
                if (IsDotOrDotDot(scan.Name())) continue;
                const std::wstring_view name = scan.Name();
                f.names.push_back({f.chars.size(), name.size(), scan.Attributes(), scan.ReparseTag(), scan.Size(),
                                   FileTimeTicks(scan.LastWrite())});
                f.chars.insert(f.chars.end(), name.begin(), name.end());
            }
            f.inPart = listed && scan.Failed();
        }
        Release();
    }
    return true;
}

void FileFinder::Tell(FinderFolder& f, unsigned generation) {
    bool first = false;  // told at once
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (generation != generation_) return;
        FindCounts& c = batch_.counts;
        for (std::int64_t FindCounts::*n : {&FindCounts::folders, &FindCounts::files, &FindCounts::links,
                                            &FindCounts::notFiles, &FindCounts::unreachable,
                                            &FindCounts::unreadableFiles}) {
            c.*n += std::exchange(f.counted.*n, 0);
        }
        if (!f.results.empty()) {
            first = batch_.counts.found == 0;  // the search's very first result
            if (f.index == UINT32_MAX) {
                f.index = folderCount_++;
                batch_.folders.push_back(f.shown);
            }
            if (batch_.found.empty()) batch_.firstFound = f.firstFound;
            for (FoundFile& r : f.results) {
                r.folder = f.index;
                batch_.found.push_back(std::move(r));
            }
            batch_.counts.found += static_cast<std::int64_t>(f.results.size());
            f.results.clear();
        }
    }
    TellSoon(first);
}

void FileFinder::Found(FinderFolder& f, const Listed& e, const find::TextHit& hit, bool byText, unsigned generation) {
    if (f.results.empty()) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        f.firstFound = now.QuadPart;
    }
    const std::wstring_view name = f.NameOf(e);
    f.results.push_back({0, Utf16ToWtf8(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size())),
                         e.size, e.date, e.attributes, hit.at, static_cast<std::uint32_t>(hit.length), hit.line, e.tag});
    if (byText) Tell(f, generation);  // each takes a while to find: the window hears within kTellEvery
}

// Reads the file at path for text; false when the search is to end. A pause searches it again.
bool FileFinder::SearchFile(const std::wstring& path, const find::TextSearch& text, FileSearched& out, unsigned generation) {
    for (;;) {
        if (!Hold(generation)) return false;
        out = FileSearched{};
        {
            AutoCloseHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            LARGE_INTEGER size{};
            out.readable = file && GetFileSizeEx(file.get(), &size);
            out.disk = out.readable && GetFileType(file.get()) == FILE_TYPE_DISK;
            if (out.disk) {
                HandleSource src(file.get(), size.QuadPart);
                out.hit = text.FindIn(src, &interrupt_);
            }
        }
        Release();
        if (!Interrupted()) return true;  // else paused or stopped: searched again, or the search ends
    }
}

// A file whose name and figures passed, searched for its text; false when the search is to end.
bool FileFinder::LookInside(const FindQuery& q, const find::TextSearch& text, FinderFolder& f, const Listed& e,
                            unsigned generation) {
    const std::wstring_view name = f.NameOf(e);
    if (IsLink(e.attributes, e.tag)) {
        ++f.counted.links;
        return true;
    }
    if (!NameReachedExactly(name)) {
        ++f.counted.unreachable;
        return true;
    }
    const std::wstring path = f.at.exact + L"\\" + std::wstring(name);
    if (e.size == 0) {
        // Looked at, never opened: a FIFO or device is listed under Wine as an empty file, and
        // opening a FIFO would wait for a writer for ever. An empty file holds no text.
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ++f.counted.notFiles;
        } else if (q.text.notContaining) {
            Found(f, e, {}, true, generation);
        }
        return true;
    }
    FileSearched searched;
    if (!SearchFile(path, text, searched, generation)) return false;
    if (!searched.readable) {
        ++f.counted.unreadableFiles;
    } else if (!searched.disk) {
        ++f.counted.notFiles;
    } else if (searched.hit.Found() != q.text.notContaining) {
        Found(f, e, searched.hit, true, generation);
    }
    return true;
}

// One name of a folder listed whole; false when the search is to end.
bool FileFinder::LookAt(const FindQuery& q, const find::TextSearch& text, FinderFolder& f, const Listed& e,
                        std::vector<PendingFolder>& subfolders, unsigned generation) {
    if (!q.hiddenSystem && (e.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) return true;
    const std::wstring_view name = f.NameOf(e);
    if (IsCopyTemporaryName(name)) return true;  // a copy's leftover, not the user's data
    const bool isFolder = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::u16string_view name16(reinterpret_cast<const char16_t*>(name.data()), name.size());
    const bool named = q.masks.Matches(name16, q.upper) && q.sizeDate.Passes(e.size, e.date, isFolder);
    if (isFolder) {
        if (named && q.folders && text.Empty()) Found(f, e, {}, false, generation);
        if (IsLink(e.attributes, e.tag)) {
            ++f.counted.links;  // never followed: it may lead anywhere, above too
        } else if (q.depth < 0 || f.at.depth < q.depth) {
            subfolders.push_back({f.at.exact + L"\\" + std::wstring(name), f.at.depth + 1});
        }
        return true;
    }
    ++f.counted.files;
    if (!named) return true;
    if (text.Empty()) {
        Found(f, e, {}, false, generation);
        return true;
    }
    return LookInside(q, text, f, e, generation);
}

void FileFinder::Search(const FindQuery& q, const find::TextPlatform& platform, unsigned generation) {
    const find::TextSearch text(q.text, platform);
    std::vector<PendingFolder> pending;
    for (auto root = q.roots.rbegin(); root != q.roots.rend(); ++root) pending.push_back({TopExact(*root), 0});
    FinderFolder f;
    std::vector<PendingFolder> subfolders;
    while (!pending.empty()) {
        f.at = std::move(pending.back());
        pending.pop_back();
        f.shown = ShownPath(f.at.exact);
        f.index = UINT32_MAX;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (generation != generation_) return;
            batch_.current = f.shown;
        }
        TellSoon(false);
        if (!ListWhole(f, generation)) return;
        if (!f.opened || f.inPart) {
            // Counted with the folders that could not be read: what it did not list was not searched.
            std::lock_guard<std::mutex> lock(mutex_);
            if (generation == generation_) batch_.unreadable.push_back(f.shown);
            if (!f.opened) continue;
        }
        ++f.counted.folders;
        subfolders.clear();
        for (const Listed& e : f.names) {
            if (!LookAt(q, text, f, e, subfolders, generation)) return;
        }
        Tell(f, generation);
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
}

}  // namespace bivane
