// Synchronizing, against what the system's own calls cost on the same trees: comparing two trees by
// size and date against two bare recursive walks; by content against a plain ReadFile loop over
// both copies (the cache warm); and the memory of a million lines, with the time to filter them.
//   sync_bench.exe left right content-left content-right [million-folder]   (counts: smoke folders)
#include <algorithm>
#include <vector>

#include "bench/bench_util.h"
#include "platform/code_pages.h"
#include "platform/fs.h"
#include "sync/tree_compare.h"

using namespace bivane;
using namespace bivane::bench;

namespace {

std::unique_ptr<TreeResult> CompareTrees(TreeComparer& c, HANDLE ready, const std::string& left, const std::string& right,
                                         bool byContent) {
    TreeQuery q;
    q.left = left;
    q.right = right;
    q.options.byContent = byContent;
    q.upper = UpperCaseUnits();
    c.Start(std::move(q));
    for (;;) {
        WaitForSingleObject(ready, 100);
        if (std::unique_ptr<TreeResult> r = c.Take()) return r;
    }
}

double MedianOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Every line equal: the two trees are copies, so anything else is a fault of the comparison.
bool AllEqual(const TreeResult& r) {
    return r.failure.empty() && std::all_of(r.lines.begin(), r.lines.end(), [](const sync::Line& l) {
               return l.relation == sync::Relation::Equal;
           });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: sync_bench left right content-left content-right [million-folder]\n");
        return 2;
    }
    AutoKernelHandle ready(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    TreeComparer comparer([&ready] { return SetEvent(ready.get()) != FALSE; });

    {  // By size and date.
        const std::string left = CaseFolder(argv[1]), right = CaseFolder(argv[2]);
        const std::wstring l = ExactPath(left), r = ExactPath(right);
        Sums warm;
        BareWalk(l, warm);
        BareWalk(r, warm);
        std::vector<double> walks, compares;
        std::size_t lines = 0;
        for (int i = 0; i < 3; ++i) {
            walks.push_back(Seconds([&] {
                Sums s;
                BareWalk(l, s);
                BareWalk(r, s);
            }));
            std::unique_ptr<TreeResult> result;
            compares.push_back(Seconds([&] { result = CompareTrees(comparer, ready.get(), left, right, false); }));
            if (!AllEqual(*result)) {
                std::fprintf(stderr, "sync_bench: two copies compared unequal\n");
                return 1;
            }
            lines = result->lines.size();
        }
        Sums s;
        BareWalk(l, s);
        const double walk = MedianOf(walks), compare = MedianOf(compares);
        Row("compare two trees by size and date, " + std::to_string(s.files) + " files in " + std::to_string(s.folders) +
                " folders each (" + std::to_string(lines) + " lines)",
            compare, "two recursive FindFirstFileExW walks", walk, compare / walk, s.files >= 100000 ? "<= 2.5" : "");
    }
    {  // By content: every byte of both copies read and compared.
        const std::string left = CaseFolder(argv[3]), right = CaseFolder(argv[4]);
        std::vector<char> buf(1 << 20);
        const long long bytes = ReadAllFiles(ExactPath(left), buf) + ReadAllFiles(ExactPath(right), buf);
        std::vector<double> reads, compares;
        for (int i = 0; i < 3; ++i) {
            reads.push_back(Seconds([&] {
                ReadAllFiles(ExactPath(left), buf);
                ReadAllFiles(ExactPath(right), buf);
            }));
            std::unique_ptr<TreeResult> result;
            compares.push_back(Seconds([&] { result = CompareTrees(comparer, ready.get(), left, right, true); }));
            if (!AllEqual(*result)) {
                std::fprintf(stderr, "sync_bench: two copies compared unequal by content\n");
                return 1;
            }
        }
        const double read = MedianOf(reads), compare = MedianOf(compares);
        Row("compare by content, " + std::to_string(bytes >> 21) + " MB of equal files in two copies (speed against the read's)",
            compare, "plain ReadFile loop over both copies", read, read / compare, (bytes >> 1) >= (1000LL << 20) ? ">= 0.4" : "");
    }
    if (argc > 5) {  // A million lines: every file of one folder, against an empty one.
        const std::string dir = CaseFolder(argv[5]);
        const std::string empty = EmptyFolder();
        const double before = PrivateBytes();
        std::unique_ptr<TreeResult> result = CompareTrees(comparer, ready.get(), dir, empty, false);
        const double after = PrivateBytes();
        const double n = static_cast<double>(std::max<std::size_t>(result->lines.size(), 1));
        const double per = (after - before) / n;
        const bool million = result->lines.size() >= 1000000;
        RowText("private memory per line, " + std::to_string(result->lines.size()) + " lines",
                std::to_string(static_cast<long long>(per)) + " bytes", "limit", "300 bytes", per / 300, million ? "<= 1" : "");
        std::size_t shown = 0;
        const double filter = Seconds([&] {
            sync::ApplyMode(result->lines, sync::Mode::MirrorRight);
            shown = sync::VisibleLines(result->lines, sync::Show::Differences, nullptr).size();
        });
        if (shown != result->lines.size()) {
            std::fprintf(stderr, "sync_bench: %zu of %zu lines shown\n", shown, result->lines.size());
            return 1;
        }
        Row("a mode and a filter over those lines (the list shows at once)", filter, "limit", 0.1, filter / 0.1,
            million ? "<= 1" : "");
    }
    return 0;
}
