#include "find/file_finder.h"

#include <algorithm>
#include <utility>

#include "core/paths.h"
#include "core/wtf8.h"
#include "platform/code_pages.h"
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

struct PendingFolder {
    std::wstring exact;  // without a trailing "\"
    int depth = 0;
};

// One name of a folder listed whole; its characters kept in one buffer for the folder.
struct Listed {
    std::size_t at = 0, length = 0;  // in the folder's buffer of names
    DWORD attributes = 0;
    std::int64_t size = 0;
    std::int64_t date = 0;
};

std::int64_t Ticks(const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

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
    // told at every folder): the window hears at most every kTellEvery, and at once of a first
    // result. The search's end is always told.
    const auto at = std::chrono::steady_clock::now();
    if (!now && at - lastTold_ < kTellEvery) return;
    lastTold_ = at;
    news_.Tell();
}

void FileFinder::Search(const FindQuery& q, const find::TextPlatform& platform, unsigned generation) {
    const find::TextSearch text(q.text, platform);
    const bool byText = !text.Empty();
    std::vector<PendingFolder> pending;
    for (auto root = q.roots.rbegin(); root != q.roots.rend(); ++root) pending.push_back({TopExact(*root), 0});
    std::vector<Listed> names;
    std::vector<wchar_t> chars;
    std::vector<PendingFolder> subfolders;
    while (!pending.empty()) {
        const PendingFolder folder = std::move(pending.back());
        pending.pop_back();
        const std::string shown = ShownPath(folder.exact);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (generation != generation_) return;
            batch_.current = shown;
        }
        TellSoon(false);
        // The folder listed whole; a pause in the middle lists it again from its start.
        bool opened = false;
        for (bool listed = false; !listed;) {
            if (!Hold(generation)) return;
            names.clear();
            chars.clear();
            {
                FolderScan scan(folder.exact);
                opened = scan.Opened();
                listed = true;
                while (opened && scan.Next()) {
                    if (Interrupted()) {
                        listed = false;
                        break;
                    }
                    const std::wstring_view name = scan.Name();
                    if (name == L"." || name == L"..") continue;
                    names.push_back({chars.size(), name.size(), scan.Attributes(), scan.Size(), Ticks(scan.LastWrite())});
                    chars.insert(chars.end(), name.begin(), name.end());
                }
            }
            Release();
        }
        std::uint32_t folderIndex = UINT32_MAX;  // numbered when it first holds a result
        // Counts and results are kept here and told in one lock: at the folder's end, and at once
        // for a result of a text search (each of which takes a while to find).
        FindCounts counted;
        std::vector<FoundFile> results;
        std::int64_t firstFound = 0;
        auto tell = [&] {
            bool first = false;  // the first result the window has not taken: told at once
            bool any = false;    // results were told
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (generation != generation_) return;
                FindCounts& c = batch_.counts;
                for (std::int64_t FindCounts::*n : {&FindCounts::folders, &FindCounts::files, &FindCounts::links,
                                                    &FindCounts::notFiles, &FindCounts::unreachable,
                                                    &FindCounts::unreadableFiles}) {
                    c.*n += std::exchange(counted.*n, 0);
                }
                if (!results.empty()) {
                    first = batch_.found.empty();
                    any = true;
                    if (folderIndex == UINT32_MAX) {
                        folderIndex = folderCount_++;
                        batch_.folders.push_back(shown);
                    }
                    if (batch_.found.empty()) batch_.firstFound = firstFound;
                    for (FoundFile& f : results) {
                        f.folder = folderIndex;
                        batch_.found.push_back(std::move(f));
                    }
                    batch_.counts.found += static_cast<std::int64_t>(results.size());
                    results.clear();
                }
            }
            // A text search's results are few and slow to find: each is told at once.
            TellSoon(first || (byText && any));
        };
        auto nameOf = [&](const Listed& e) { return std::wstring_view(chars.data() + e.at, e.length); };
        auto found = [&](const Listed& e, const find::TextHit& hit) {
            if (results.empty()) {
                LARGE_INTEGER now;
                QueryPerformanceCounter(&now);
                firstFound = now.QuadPart;
            }
            const std::wstring_view name = nameOf(e);
            results.push_back({0, Utf16ToWtf8(std::u16string_view(reinterpret_cast<const char16_t*>(name.data()), name.size())),
                               e.size, e.date, e.attributes, hit.at, static_cast<std::uint32_t>(hit.length), hit.line});
            if (byText) tell();
        };
        auto count = [&](std::int64_t FindCounts::*what) { ++(counted.*what); };
        if (!opened) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (generation == generation_) batch_.unreadable.push_back(shown);
            continue;
        }
        count(&FindCounts::folders);
        subfolders.clear();
        for (const Listed& e : names) {
            if (!q.hiddenSystem && (e.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) continue;
            const bool isFolder = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            const std::wstring_view name = nameOf(e);
            const std::u16string_view name16(reinterpret_cast<const char16_t*>(name.data()), name.size());
            const bool named = q.masks.Matches(name16, q.upper) && q.sizeDate.Passes(e.size, e.date, isFolder);
            if (isFolder) {
                if (named && q.folders && !byText) found(e, {});
                if (link) {
                    count(&FindCounts::links);  // never followed: it may lead anywhere, above too
                } else if (q.depth < 0 || folder.depth < q.depth) {
                    subfolders.push_back({folder.exact + L"\\" + std::wstring(name), folder.depth + 1});
                }
                continue;
            }
            count(&FindCounts::files);
            if (!named) continue;
            if (!byText) {
                found(e, {});
                continue;
            }
            if (link) {
                count(&FindCounts::links);
                continue;
            }
            if (!NameReachedExactly(name)) {
                count(&FindCounts::unreachable);
                continue;
            }
            const std::wstring path = folder.exact + L"\\" + std::wstring(name);
            if (e.size == 0) {
                // Looked at, never opened: a FIFO or device is listed under Wine as an empty file,
                // and opening a FIFO would wait for a writer for ever. An empty file holds no text.
                if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
                    count(&FindCounts::notFiles);
                } else if (q.text.notContaining) {
                    found(e, {});
                }
                continue;
            }
            for (bool searched = false; !searched;) {
                if (!Hold(generation)) return;
                find::TextHit hit;
                bool readable = false, disk = false;
                {
                    AutoCloseHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
                    LARGE_INTEGER size{};
                    readable = file && GetFileSizeEx(file.get(), &size);
                    disk = readable && GetFileType(file.get()) == FILE_TYPE_DISK;
                    if (disk) {
                        HandleSource src(file.get(), size.QuadPart);
                        hit = text.FindIn(src, &interrupt_);
                    }
                }
                Release();
                if (Interrupted()) continue;  // paused or stopped: searched again, or the search ends
                searched = true;
                if (!readable) {
                    count(&FindCounts::unreadableFiles);
                } else if (!disk) {
                    count(&FindCounts::notFiles);
                } else if (hit.Found() != q.text.notContaining) {
                    found(e, hit);
                }
            }
        }
        tell();
        pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
    }
}

}  // namespace bivane
