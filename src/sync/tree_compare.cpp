#include "sync/tree_compare.h"

#include <algorithm>
#include <cstring>

#include "core/paths.h"
#include "core/wtf8.h"
#include "platform/copy_temporaries.h"
#include "platform/folder_scan.h"
#include "platform/fs.h"
#include "platform/handles.h"

namespace bivane {

using sync::Kind;
using sync::Line;
using sync::Side;

// One folder listed whole: its names and their folded forms each in one buffer, so a folder of a
// million names costs three allocations, not two million small ones left scattered in the heap.
struct TreeComparer::Listed {
    struct Item {
        std::uint32_t at = 0, length = 0;
        Side side;
    };
    std::u16string names, keys;  // keys: empty when names are compared as they are
    std::vector<Item> items;
    std::u16string_view Name(int i) const { return {names.data() + Get(i).at, Get(i).length}; }
    std::u16string_view Key(int i) const { return keys.empty() ? Name(i) : std::u16string_view{keys.data() + Get(i).at, Get(i).length}; }
    const Item& Get(int i) const { return items[static_cast<std::size_t>(i)]; }
    void Clear() {
        names.clear();
        keys.clear();
        items.clear();
    }
};

namespace {

struct Stopped {};

constexpr std::size_t kBlock = 1 << 20;

std::wstring TopExact(const std::string& root) {
    std::wstring exact = ExactFolder(root);
    while (!exact.empty() && exact.back() == L'\\') exact.pop_back();  // the walk adds "\" and a name
    return exact;
}

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

// One folder being walked: its line, its exact paths on each side (empty: not there) and its names paired.
struct Frame {
    std::uint32_t line = UINT32_MAX;
    std::wstring left, right;
    struct Child {
        int l = -1, r = -1;
        bool caseTwin = false;
    };
    std::vector<Child> children;
    std::size_t next = 0;
};

// The frame of a folder (or of a pair of folders) whose two listings are l and r: its names paired,
// folders first, each kind in the order of its names.
template <typename Listing>
Frame PairedFrame(std::uint32_t line, std::wstring left, std::wstring right, const Listing& l, const Listing& r) {
    std::vector<sync::Named> ln, rn;
    ln.reserve(l.items.size());
    rn.reserve(r.items.size());
    for (int i = 0; i < static_cast<int>(l.items.size()); ++i) ln.push_back({l.Name(i), l.Key(i)});
    for (int i = 0; i < static_cast<int>(r.items.size()); ++i) rn.push_back({r.Name(i), r.Key(i)});
    Frame f;
    f.line = line;
    f.left = std::move(left);
    f.right = std::move(right);
    for (const sync::Pair& p : sync::PairNames(ln, rn)) f.children.push_back({p.left, p.right, p.caseTwin});
    std::stable_partition(f.children.begin(), f.children.end(), [&](const Frame::Child& c) {
        return (c.l >= 0 && l.Get(c.l).side.kind == Kind::Folder) || (c.r >= 0 && r.Get(c.r).side.kind == Kind::Folder);
    });
    return f;
}

// The line of child c of a frame whose listings are l and r.
template <typename Listing>
Line PairedLine(const Frame::Child& c, const Listing& l, const Listing& r, const sync::CompareOptions& options) {
    Line line;
    if (c.l >= 0) {
        line.name = l.Name(c.l);
        line.left = l.Get(c.l).side;
    }
    if (c.r >= 0) {
        const std::u16string_view name = r.Name(c.r);
        if (c.l < 0) {
            line.name = name;
        } else if (name != line.name) {
            line.rightName = name;
        }
        line.right = r.Get(c.r).side;
    }
    line.relation = c.caseTwin ? sync::Relation::Error : sync::Relate(line.left, line.right, options);
    return line;
}

// Whether the walk goes into the line's folder: both sides' when whole trees are compared, and a
// folder of one side always (its line says what it holds).
bool Descends(const Line& line, bool wholeTrees) {
    const bool leftFolder = line.left.kind == Kind::Folder, rightFolder = line.right.kind == Kind::Folder;
    return line.relation != sync::Relation::Error && ((leftFolder && rightFolder && wholeTrees) ||
                                                      (leftFolder && !line.right.There()) || (rightFolder && !line.left.There()));
}

}  // namespace

TreeComparer::TreeComparer(std::function<bool()> post) : news_(std::move(post)) {}

TreeComparer::~TreeComparer() {
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void TreeComparer::Start(TreeQuery query) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++generation_;
        next_ = std::make_unique<TreeQuery>(std::move(query));
        result_.reset();
        progress_ = TreeProgress{};
        progress_.running = true;
        interrupt_ = true;
    }
    changed_.notify_all();
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
}

void TreeComparer::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++generation_;
    next_.reset();
    result_.reset();
    progress_.running = false;
    interrupt_ = true;
    changed_.notify_all();
}

TreeProgress TreeComparer::Progress() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

std::unique_ptr<TreeResult> TreeComparer::Take() {
    news_.Taken();
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(result_);
}

void TreeComparer::Tell(const std::string& current, bool force) {
    // At most every 50 ms: each message costs the window a repaint of its status.
    const std::int64_t now = static_cast<std::int64_t>(GetTickCount64());
    if (!force && now - lastTold_ < 50) return;
    lastTold_ = now;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_.current = current;
    }
    news_.Tell();
}

void TreeComparer::Work() noexcept {
    for (;;) {
        std::unique_ptr<TreeQuery> query;
        unsigned generation = 0;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return quit_ || next_ != nullptr; });
            if (quit_) break;
            query = std::move(next_);
            generation = generation_;
        }
        auto result = std::make_unique<TreeResult>();
        try {
            *result = Compare(*query, generation);
        } catch (const Stopped&) {
            result->stopped = true;
            result->lines.clear();
        } catch (const std::bad_alloc&) {
            result->lines.clear();
            result->failure = "Not enough memory for the comparison";
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            holding_ = false;
            changed_.notify_all();
            if (generation != generation_) continue;  // stopped or started again: dropped
            result_ = std::move(result);
            progress_.running = false;
        }
        news_.Tell();
    }
    ended_ = true;
}

bool TreeComparer::List(const std::wstring& folder, bool caseApart, const std::vector<char16_t>& upper,
                        Listed& out, unsigned generation) {
    if (BeforeOpen) BeforeOpen(ShownPath(folder));
    for (;;) {
        if (!Hold(generation)) throw Stopped{};
        out.Clear();
        bool opened = false, whole = true, inPart = false;
        {
            FolderScan scan(folder);
            opened = scan.Opened();
            while (opened && scan.Next()) {
                if (Interrupted()) {
                    whole = false;
                    break;
                }
                const wchar_t* name = scan.Name();
                // A copy's own temporaries are no data of the user's: never compared, so never copied.
                if (IsDotOrDotDot(name) || IsCopyTemporaryName(name)) continue;
                Listed::Item l;
                const std::size_t length = std::wcslen(name);
                l.at = static_cast<std::uint32_t>(out.names.size());
                l.length = static_cast<std::uint32_t>(length);
                out.names.append(reinterpret_cast<const char16_t*>(name), length);
                if (!caseApart) {
                    for (std::size_t k = 0; k < length; ++k) out.keys.push_back(upper[static_cast<char16_t>(name[k])]);
                }
                const DWORD attr = scan.Attributes();
                l.side.attributes = attr;
                l.side.kind = scan.Link()                         ? Kind::Link
                              : (attr & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder
                                                                  : Kind::File;
                l.side.size = scan.Size();
                l.side.date = FileTimeTicks(scan.LastWrite());
                // A name no path reaches exactly would be reached as another file: never acted on.
                l.side.unreadable = !NameReachedExactly(name);
                out.items.push_back(l);
            }
            inPart = whole && scan.Failed();
        }
        Release();
        if (!whole) continue;  // paused: listed again from its start
        if (!opened) return false;
        // An empty file that has no attributes is a FIFO or device under Wine: never opened.
        for (std::size_t i = 0; i < out.items.size(); ++i) {
            Listed::Item& l = out.items[i];
            const std::u16string_view name = out.Name(static_cast<int>(i));
            if (l.side.kind == Kind::File && l.side.size == 0 && !l.side.unreadable &&
                GetFileAttributesW((folder + L"\\" + std::wstring(name.begin(), name.end())).c_str()) == INVALID_FILE_ATTRIBUTES) {
                l.side.kind = Kind::Other;
            }
        }
        // Cut short: the names it did not list would look gone, and be deleted on the other side.
        return !inPart;
    }
}

TreeResult TreeComparer::Compare(const TreeQuery& q, unsigned generation) {
    TreeResult result;
    std::vector<Line>& lines = result.lines;
    // Each frame keeps its two listings until its last child is walked.
    std::vector<Frame> frames;
    std::vector<Listed> leftLists, rightLists;
    auto enter = [&](std::uint32_t line, std::wstring left, std::wstring right, bool& leftOk, bool& rightOk) {
        Listed l, r;
        leftOk = left.empty() || List(left, q.caseApart, q.upper, l, generation);
        rightOk = right.empty() || List(right, q.caseApart, q.upper, r, generation);
        Frame f = PairedFrame(line, std::move(left), std::move(right), l, r);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++progress_.folders;
            progress_.names += static_cast<std::int64_t>(l.items.size() + r.items.size());
        }
        Tell(ShownPath(f.left.empty() ? f.right : f.left));
        frames.push_back(std::move(f));
        leftLists.push_back(std::move(l));
        rightLists.push_back(std::move(r));
    };
    bool leftOk = true, rightOk = true;
    enter(UINT32_MAX, TopExact(q.left), TopExact(q.right), leftOk, rightOk);
    if (!leftOk || !rightOk) {
        result.failure = "Cannot read " + (leftOk ? q.right : q.left);
        lines.clear();
        return result;
    }
    while (!frames.empty()) {
        Frame& f = frames.back();
        if (f.next == f.children.size()) {
            frames.pop_back();
            leftLists.pop_back();
            rightLists.pop_back();
            continue;
        }
        Line line = PairedLine(f.children[f.next++], leftLists.back(), rightLists.back(), q.options);
        line.parent = f.line;
        line.depth = static_cast<std::uint16_t>(frames.size() - 1);
        const auto index = static_cast<std::uint32_t>(lines.size());
        const bool descend = Descends(line, q.wholeTrees);
        std::wstring leftPath = line.left.kind == Kind::Folder ? f.left + L"\\" + Wide(line.name) : std::wstring();
        std::wstring rightPath = line.right.kind == Kind::Folder ? f.right + L"\\" + Wide(line.RightName()) : std::wstring();
        lines.push_back(std::move(line));
        if (!descend) continue;
        bool lok = true, rok = true;
        enter(index, std::move(leftPath), std::move(rightPath), lok, rok);  // f is not used from here on
        // A folder that could not be read: its lines, and the other side's below it, are errors.
        if (!lok) lines[index].left.unreadable = true;
        if (!rok) lines[index].right.unreadable = true;
        if (!lok || !rok) lines[index].relation = sync::Relation::Error;
    }
    sync::MarkErrorsBelow(lines);
    if (q.options.byContent) CompareContent(q, lines, generation);
    return result;
}

void TreeComparer::CompareContent(const TreeQuery& q, std::vector<Line>& lines, unsigned generation) {
    std::int64_t total = 0;
    for (const Line& l : lines) {
        if (l.relation != sync::Relation::Error && sync::NeedsContent(l.left, l.right, q.options)) total += 2 * l.left.size;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        progress_.contentBytes = total;
    }
    const std::wstring left = TopExact(q.left), right = TopExact(q.right);
    std::vector<char> a(kBlock), b(kBlock);  // once: clearing 2 MB per pair would cost more than small files
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Line& l = lines[i];
        if (l.relation == sync::Relation::Error || !sync::NeedsContent(l.left, l.right, q.options)) continue;
        const std::wstring lp = left + L"\\" + Wide(sync::LinePath(lines, i, false));
        const std::wstring rp = right + L"\\" + Wide(sync::LinePath(lines, i, true));
        Tell(ShownPath(lp));
        l.relation = sync::Relate(l.left, l.right, q.options, SameBytes(lp, rp, l.left.size, generation, a, b));
    }
}

sync::Content TreeComparer::SameBytes(const std::wstring& left, const std::wstring& right, std::int64_t size,
                                      unsigned generation, std::vector<char>& a, std::vector<char>& b) {
    for (;;) {
        if (BeforeOpen) BeforeOpen(ShownPath(left));
        if (!Hold(generation)) throw Stopped{};
        sync::Content result = sync::Content::Equal;
        std::int64_t done = 0;
        {
            auto open = [](const std::wstring& p) {
                return AutoCloseHandle(CreateFileW(p.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            };
            AutoCloseHandle lf = open(left), rf = open(right);
            if (!lf || !rf || GetFileType(lf.get()) != FILE_TYPE_DISK || GetFileType(rf.get()) != FILE_TYPE_DISK) {
                result = sync::Content::Unreadable;
            }
            while (result == sync::Content::Equal && done < size && !Interrupted()) {
                const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(kBlock, size - done));
                DWORD gotA = 0, gotB = 0;
                if (!ReadFile(lf.get(), a.data(), want, &gotA, nullptr) || !ReadFile(rf.get(), b.data(), want, &gotB, nullptr)) {
                    result = sync::Content::Unreadable;
                } else if (gotA != gotB || gotA == 0) {
                    result = sync::Content::Different;  // one was cut or grown since it was listed
                } else if (std::memcmp(a.data(), b.data(), gotA) != 0) {
                    result = sync::Content::Different;
                }
                done += gotA;
                std::lock_guard<std::mutex> lock(mutex_);
                progress_.contentDone += 2 * static_cast<std::int64_t>(gotA);
            }
        }
        Release();
        if (Interrupted() && result == sync::Content::Equal && done < size) {
            std::lock_guard<std::mutex> lock(mutex_);
            progress_.contentDone -= 2 * done;  // paused: compared again from its start
            continue;
        }
        if (done >= size && result == sync::Content::Equal) Tell(ShownPath(left));
        return result;
    }
}

}  // namespace bivane
