// Loading a side against a bare enumeration of the same directory.
//   load_bench.exe folder|count ...     (a count makes a tiny folder here: smoke runs only)
#include <cstdlib>

#include "form/main_window.h"
#include "bench/bench_window.h"
#include "platform/fs.h"

using namespace bivane;
using namespace bivane::bench;

static std::size_t BareEnumeration(const std::string& dir) {
    std::size_t n = 0, chars = 0;
    WIN32_FIND_DATAW fd;
    AutoFindHandle f(FindFirstFileExW(Widen(dir + "\\*.*").c_str(), FindExInfoBasic, &fd,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!f) return 0;
    do {
        ++n;
        chars += wcslen(fd.cFileName);
    } while (FindNextFileW(f.get(), &fd));
    return n + chars;
}

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: load_bench folder|count ...\n");
        return 2;
    }
    BenchWindow<> window;
    MainWindow& form = window.form;
    for (int i = 1; i < argc; ++i) {
        const std::string dir = CaseFolder(argv[i]);
        const int n = FilesIn(dir);
        ChangeDir(dir);
        const int runs = n >= 1000000 ? 3 : 5;
        volatile std::size_t sink = 0;
        BareEnumeration(dir);  // warm the cache
        const double bare = Median(runs, [&] { sink = sink + BareEnumeration(dir); });
        const double load = Median(runs, [&] { form.LoadSide(form.side[0], dir); });
        Pump();
        if (form.side[0].Entries.size() != static_cast<size_t>(n) + 1) {  // the files and [parent]
            std::fprintf(stderr, "load_bench: listed %zu entries for %d files\n", form.side[0].Entries.size(), n);
            return 1;
        }
        // The target is for big folders; a small one shows what a load costs beyond the enumeration.
        Row("load " + std::to_string(n) + " files", load, "FindFirstFileExW", bare, load / bare,
            n >= 100000 ? "<= 1.5" : "");
    }
    return window.modals.unexpected ? 1 : 0;
}
