// Finding files, against what the system's own calls cost on the same tree: by name against a bare
// recursive walk that only counts names; a text that no file holds against a plain ReadFile loop
// over the same files (the cache warm); and the memory a million results take.
//   find_bench.exe tree text-tree [million-folder]   (counts make tiny folders here: smoke runs only)
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "bench/bench_util.h"
#include "find/file_finder.h"
#include "find/find_window.h"
#include "platform/code_pages.h"
#include "platform/fs.h"

using namespace bivane;
using namespace bivane::bench;

namespace {

struct Search {
    FoundList found;
    double seconds = 0;
    double longestWait = 0;  // from a result found to its batch taken, the longest
};

Search Find(FileFinder& finder, HANDLE ready, FindQuery q) {
    Search s;
    s.seconds = Seconds([&] {
        finder.Start(std::move(q), FinderTextPlatform());
        for (;;) {
            WaitForSingleObject(ready, 100);
            FindBatch b = finder.Take();
            if (b.firstFound != 0) {
                LARGE_INTEGER now, f;
                QueryPerformanceCounter(&now);
                QueryPerformanceFrequency(&f);
                s.longestWait = std::max(s.longestWait, static_cast<double>(now.QuadPart - b.firstFound) / static_cast<double>(f.QuadPart));
            }
            s.found.folders.insert(s.found.folders.end(), b.folders.begin(), b.folders.end());
            s.found.files.insert(s.found.files.end(), std::make_move_iterator(b.found.begin()),
                                 std::make_move_iterator(b.found.end()));
            s.found.counts = b.counts;
            if (!b.running) break;
        }
    });
    return s;
}

FindQuery Query(const std::string& dir, const std::string& masks, const std::string& text = "",
                find::TextEncodings e = find::TextEncodings::Detected) {
    FindQuery q;
    q.upper = UpperCaseUnits();
    q.roots = {dir};
    q.masks = find::ParseMasks(masks, q.upper);
    q.text.text = text;
    q.text.encodings = e;
    return q;
}

double MedianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: find_bench tree text-tree [million-folder]\n");
        return 2;
    }
    AutoKernelHandle ready(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    FileFinder finder([&ready] { return SetEvent(ready.get()) != FALSE; });

    {  // By name: about a tenth of the names match.
        const std::string dir = CaseFolder(argv[1]);
        const std::wstring exact = ExactPath(dir);
        Sums bare;
        BareWalk(exact, bare);  // warm the cache
        std::vector<double> walks, finds;
        const int runs = bare.files >= 100000 ? 5 : 3;
        long long files = 0;
        double longestWait = 0;
        for (int i = 0; i < runs; ++i) {
            walks.push_back(Seconds([&] {
                Sums s;
                BareWalk(exact, s);
            }));
            const Search s = Find(finder, ready.get(), Query(dir, "*.c"));
            finds.push_back(s.seconds);
            files = s.found.counts.files;
            longestWait = std::max(longestWait, s.longestWait);
        }
        if (files != bare.files) {
            std::fprintf(stderr, "find_bench: the search looked at %lld files, the walk saw %lld\n", files, bare.files);
            return 1;
        }
        const double walk = MedianOf(walks), found = MedianOf(finds);
        Row("find by name, " + std::to_string(bare.files) + " files in " + std::to_string(bare.folders) + " folders", found,
            "recursive FindFirstFileExW, names counted", walk, found / walk, bare.files >= 100000 ? "<= 1.2" : "");
        // What the window's thread would wait: the message posted with a result, to the result taken.
        Row("longest wait from a result found to its taking, in those searches", longestWait, "limit", 0.1,
            longestWait / 0.1, "<= 1");
    }
    {  // By a text no file holds: every byte read and scanned.
        const std::string dir = CaseFolder(argv[2]);
        const std::wstring exact = ExactPath(dir);
        std::vector<char> buf(1 << 20);
        const long long bytes = ReadAllFiles(exact, buf);  // warm the cache
        const bool big = bytes >= (512LL << 20);
        struct Case {
            const char* name;
            find::TextEncodings encodings;
            const char* target;
        };
        const Case cases[] = {{"as detected", find::TextEncodings::Detected, ">= 0.5"},
                              {"all encodings", find::TextEncodings::All, ">= 0.3"}};
        for (const Case& c : cases) {
            std::vector<double> reads, finds;
            for (int i = 0; i < 3; ++i) {
                reads.push_back(Seconds([&] { ReadAllFiles(exact, buf); }));
                const Search s = Find(finder, ready.get(), Query(dir, "*", "qZ\xC3\xA9xw absent", c.encodings));
                finds.push_back(s.seconds);
                if (!s.found.files.empty()) {
                    std::fprintf(stderr, "find_bench: an absent text was found\n");
                    return 1;
                }
            }
            const double read = MedianOf(reads), found = MedianOf(finds);
            Row(std::string("find absent text, any case, ") + c.name + ", " + std::to_string(bytes >> 20) +
                    " MB (speed against the read's)",
                found, "plain ReadFile loop", read, read / found, big ? c.target : "");
        }
    }
    if (argc > 3) {  // Memory per result: every name of a big folder found and kept as the window keeps them.
        const std::string dir = CaseFolder(argv[3]);
        const double before = PrivateBytes();
        const Search s = Find(finder, ready.get(), Query(dir, "*"));
        const double after = PrivateBytes();
        const double n = static_cast<double>(std::max<std::size_t>(s.found.files.size(), 1));
        const double per = (after - before) / n;
        RowText("private memory per result, " + std::to_string(s.found.files.size()) + " results",
                std::to_string(static_cast<long long>(per)) + " bytes", "limit", "300 bytes", per / 300,
                s.found.files.size() >= 1000000 ? "<= 1" : "");
    }
    return 0;
}
