// Tag all and Invert on a loaded side against the load of the same folder.
//   tag_bench.exe folder|count      (a count makes a tiny folder here: smoke runs only)
#include "form/main_window.h"
#include "bench/bench_window.h"
#include "platform/fs.h"

using namespace bivane;
using namespace bivane::bench;

namespace {

double MedianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tag_bench folder|count\n");
        return 2;
    }
    BenchWindow<> window;
    MainWindow& form = window.form;
    const std::string dir = CaseFolder(argv[1]);
    const int n = FilesIn(dir);
    ChangeDir(dir);
    Pane& s = form.side[0];
    std::vector<double> load, tagAll, invertTagged, invertUntagged;
    int rc = 0;
    auto expectTags = [&](int want, const char* after) {
        if (s.TagCount != want) {
            std::fprintf(stderr, "tag_bench: %lld tags after %s, expected %d\n",
                         static_cast<long long>(s.TagCount), after, want);
            rc = 1;
        }
    };
    for (int round = 0; round < 3; ++round) {
        load.push_back(Seconds([&] { form.LoadSide(form.side[0], dir); }));
        Pump();
        tagAll.push_back(Seconds([&] { form.TagAll(form.Active()); }));
        expectTags(n, "Tag all");
        invertTagged.push_back(Seconds([&] { form.InvertTags(form.Active()); }));
        expectTags(0, "Invert");
        invertUntagged.push_back(Seconds([&] { form.InvertTags(form.Active()); }));
        expectTags(n, "a second Invert");
        Pump();
    }
    const double l = MedianOf(load);
    const std::string ref = "load " + std::to_string(n);
    const std::string files = ", " + std::to_string(n) + " files";
    Row("Tag all" + files, MedianOf(tagAll), ref, l, MedianOf(tagAll) / l, "<= 0.1");
    Row("Invert, all tagged" + files, MedianOf(invertTagged), ref, l, MedianOf(invertTagged) / l, "<= 0.1");
    Row("Invert, none tagged" + files, MedianOf(invertUntagged), ref, l, MedianOf(invertUntagged) / l, "<= 0.1");
    return rc != 0 || window.modals.unexpected != 0 ? 1 : 0;
}
