// A folder's size, walked beside the window as Z does, against a bare recursive FindFirstFileExW
// walk of the same tree.
//   size_bench.exe folder|count      (a count makes a tiny folder here: smoke runs only)
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "bench/bench_window.h"
#include "core/paths.h"
#include "panes/folder_walk.h"
#include "platform/fs.h"

using namespace bivane;
using namespace bivane::bench;

namespace {

// Z on the folder in the window, as the user waits for it: from the key to the total painted in
// the folder's Size cell.
double ZInTheWindow(MainWindow& form, const std::string& dir) {
    Pane& s = form.Active();
    form.ReloadActive();  // the cell shows "<DIR>" again
    form.Locate(s, "<" + FileNamePart(dir) + ">");
    Pump();
    const std::size_t row = static_cast<std::size_t>(s.CurrentItem);
    return Seconds([&] {
        SendMessageW(s.List.Handle(), WM_KEYDOWN, 'Z', 1);
        const ULONGLONG deadline = GetTickCount64() + 60000;
        while ((s.Entries[row].sizeText.empty() || s.Entries[row].sizeText[0] == '<') && GetTickCount64() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
            Pump();
        }
        UpdateWindow(s.List.Handle());
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: size_bench folder|count\n");
        return 2;
    }
    const std::string dir = CaseFolder(argv[1]);
    const std::wstring exact = ExactPath(dir);
    Sums bare;
    BareWalk(exact, bare);  // warm the cache, and the figures to check against
    AutoKernelHandle ready(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    FolderSizer sizer([&ready] { return SetEvent(ready.get()) != FALSE; });
    FolderTotal seen;
    bool failed = false;
    const int runs = bare.files >= 100000 ? 5 : 9;
    // The two alternate, so that a load that comes and goes (another build) falls on both alike.
    std::vector<double> walks, sizes;
    for (int i = 0; i < runs; ++i) {
        walks.push_back(Seconds([&] {
            Sums s;
            BareWalk(exact, s);
        }));
        sizes.push_back(Seconds([&] {
            sizer.Start({FolderSizeJob{0, 0, "tree", exact}});
            WaitForSingleObject(ready.get(), INFINITE);
            for (const FolderSizeResult& r : sizer.Take()) {
                failed = failed || r.failed;
                seen = r.total;
            }
        }));
    }
    const auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double walk = median(walks), sized = median(sizes);
    if (failed || seen.files != bare.files || seen.bytes != bare.bytes || seen.folders != bare.folders) {
        std::fprintf(stderr, "size_bench: sized %lld files, %lld bytes, %lld folders; the bare walk saw %lld, %lld, %lld\n",
                     static_cast<long long>(seen.files), static_cast<long long>(seen.bytes),
                     static_cast<long long>(seen.folders), bare.files, bare.bytes, bare.folders);
        return 1;
    }
    Row("size of " + std::to_string(bare.files) + " files in " + std::to_string(bare.folders) + " folders", sized,
        "recursive FindFirstFileExW", walk, sized / walk, bare.files >= 100000 ? "<= 1.2" : "");
    {
        // The same through the window, alternating with the bare walk again.
        BenchWindow<> window;
        window.form.CloseSplash();
        window.form.Active().Tree.SetDirectory(DirectoryPart(dir));
        std::vector<double> bareAgain, keyed;
        for (int i = 0; i < runs; ++i) {
            bareAgain.push_back(Seconds([&] {
                Sums s;
                BareWalk(exact, s);
            }));
            keyed.push_back(ZInTheWindow(window.form, dir));
        }
        const double z = median(keyed), reference = median(bareAgain);
        Row("Z on that folder, from the key to its Size cell painted", z, "recursive FindFirstFileExW", reference,
            z / reference, bare.files >= 100000 ? "<= 1.2" : "");
        if (window.modals.unexpected) return 1;
    }
    // A command's pause halfway through the walk is answered within a call to the file system.
    sizer.Start({FolderSizeJob{0, 0, "tree", exact}});
    Sleep(static_cast<DWORD>(sized * 500));
    const double paused = Seconds([&] { sizer.Pause(); });
    sizer.Stop();
    sizer.Resume();
    Row("a pause halfway through that walk", paused, "target", 0.1, paused / 0.1, "<= 1");
    return 0;
}
