// Loading a side against a bare enumeration of the same directory.
// Usage: load_bench.exe [files...]   (default 10000 100000)
#include <cstdlib>

#include "app/Unit1.h"
#include "bench/bench_util.h"
#include "platform/fs.h"

using namespace bivane;
using namespace bivane::bench;

static std::size_t BareEnumeration(const std::string& dir) {
    std::size_t n = 0, bytes = 0;
    WIN32_FIND_DATAW fd;
    AutoFindHandle f(FindFirstFileExW(Widen(dir + "\\*.*").c_str(), FindExInfoBasic, &fd,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!f) return 0;
    do {
        ++n;
        bytes += wcslen(fd.cFileName);
    } while (FindNextFileW(f.get(), &fd));
    return n + bytes;
}

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(_wtoi(argv[i]));
    if (sizes.empty()) sizes = {10000, 100000};
    for (int n : sizes) {
        const std::string dir = FolderOfFiles(BenchBase(), n);
        SetCurrentDirectoryW(Widen(dir).c_str());
        TForm1 form;
        const int runs = n >= 1000000 ? 3 : 5;
        volatile std::size_t sink = 0;
        BareEnumeration(dir);  // warm the cache
        const double bare = Median(runs, [&] { sink = sink + BareEnumeration(dir); });
        const double load = Median(runs, [&] { form.LoadLeftSide(); });
        if (form.side[0].Entries.size() < static_cast<size_t>(n)) {
            std::printf("load_bench: listed %zu of %d files\n", form.side[0].Entries.size(), n);
            return 1;
        }
        Row("load " + std::to_string(n) + " files", load, "FindFirstFileExW", bare, load / bare, "<= 1.5");
    }
    return 0;
}
