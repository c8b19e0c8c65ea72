// Each sort order of a loaded side against the load of the same folder.
//   sort_bench.exe folder|count      (a count makes a tiny folder here: smoke runs only)
#include "form/main_window.h"
#include "bench/bench_window.h"
#include "platform/fs.h"

using namespace bivane;
using namespace bivane::bench;

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sort_bench folder|count\n");
        return 2;
    }
    BenchWindow<> window;
    MainWindow& form = window.form;
    const std::string dir = CaseFolder(argv[1]);
    const int n = FilesIn(dir);
    ChangeDir(dir);
    const double load = Median(3, [&] { form.LoadSide(form.side[0], dir); });
    Pane& s = form.side[0];
    if (s.Entries.size() != static_cast<size_t>(n) + 1) {
        std::fprintf(stderr, "sort_bench: listed %zu entries for %d files\n", s.Entries.size(), n);
        return 1;
    }
    // A current entry in the middle, as a user would have after scrolling; every order keeps it.
    form.Locate(form.Active(), s.Entries[s.Entries.size() / 2].caption);

    struct Order { const char* name; void (MainWindow::*sort)(Pane&); std::vector<double> secs; };
    Order orders[] = {{"by ext", &MainWindow::SortByExt, {}},
                      {"by size", &MainWindow::SortBySize, {}},
                      {"by date", &MainWindow::SortByDate, {}},
                      {"by name", &MainWindow::SortByName, {}}};
    int rc = 0;
    for (int round = 0; round < 3; ++round) {
        for (Order& o : orders) {
            const std::string current = s.Entries[static_cast<size_t>(s.CurrentItem)].caption;
            o.secs.push_back(Seconds([&] { (form.*o.sort)(form.Active()); }));
            if (s.Entries[static_cast<size_t>(s.CurrentItem)].caption != current) {
                std::fprintf(stderr, "sort_bench: %s lost the current entry\n", o.name);
                rc = 1;
            }
        }
    }
    Pump();
    for (Order& o : orders) {
        std::sort(o.secs.begin(), o.secs.end());
        const double t = o.secs[o.secs.size() / 2];
        Row(std::string("sort ") + o.name + ", " + std::to_string(n) + " files", t,
            "load " + std::to_string(n), load, t / load, "<= 0.5");
    }
    return rc != 0 || window.modals.unexpected != 0 ? 1 : 0;
}
