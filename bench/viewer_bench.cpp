// The viewer on big files against the same run's 1 KB file: time from opening to the painted
// first page, from End to the painted last page, and the private memory while each is shown.
//   viewer_bench.exe <folder> <text MB> <sparse MB>
// The files are made in the folder when missing: 1 KB and <text MB> of text lines, and a sparse
// file of <sparse MB> (shown in hex, as binary files are).
#include "bench/bench_util.h"
#include "viewer/viewer_window.h"

#include <winioctl.h>  // after windows.h

using namespace bivane;
using namespace bivane::bench;

namespace {

constexpr int kRounds = 5;

std::int64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &a)) return -1;
    return static_cast<std::int64_t>(a.nFileSizeHigh) << 32 | a.nFileSizeLow;
}

bool MakeText(const std::string& path, std::int64_t bytes) {
    if (FileSizeOf(path) == bytes) return true;
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    std::string block;
    for (int i = 0; block.size() < (1 << 20); ++i) {
        block += "Line " + std::to_string(i) + " of a text file, long enough to look like prose\twith a tab.\r\n";
    }
    for (std::int64_t left = bytes; left > 0;) {
        const DWORD n = static_cast<DWORD>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
        DWORD written = 0;
        if (!WriteFile(f.get(), block.data(), n, &written, nullptr) || written != n) return false;
        left -= n;
    }
    return true;
}

bool MakeSparse(const std::string& path, std::int64_t bytes) {
    if (FileSizeOf(path) == bytes) return true;
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    DWORD ignored = 0;
    DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = bytes;
    return SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(f.get());
}

struct Figures {
    double open = 0, end = 0, privateBytes = 0;
};

Figures Measure(const std::string& path) {
    std::vector<double> open, end;
    double bytes = 0;
    for (int i = 0; i < kRounds; ++i) {
        std::unique_ptr<viewer::ViewerWindow> w;
        // Open makes, shows and paints the window before it returns.
        open.push_back(Seconds([&] { w = viewer::ViewerWindow::Open(path, SW_SHOW); }));
        if (!w) return {};
        Pump();
        // The whole page is painted in every case: a 1 KB file's End moves nothing, and would
        // otherwise paint nothing.
        end.push_back(Seconds([&] {
            SendMessageW(w->Handle(), WM_KEYDOWN, VK_END, 1);
            InvalidateRect(w->Handle(), nullptr, FALSE);
            UpdateWindow(w->Handle());
        }));
        bytes = std::max(bytes, PrivateBytes());
    }
    std::sort(open.begin(), open.end());
    std::sort(end.begin(), end.end());
    return {open[open.size() / 2], end[end.size() / 2], bytes};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: viewer_bench <folder> <text MB> <sparse MB>\n");
        return 2;
    }
    const std::string dir = Narrow(argv[1]);
    const std::int64_t textMb = _wtoi64(argv[2]), sparseMb = _wtoi64(argv[3]);
    CreateDirectoryW(argv[1], nullptr);
    const std::string small = dir + "\\viewer-1k.txt", text = dir + "\\viewer-text.txt",
                      sparse = dir + "\\viewer-sparse.bin";
    if (!MakeText(small, 1024) || !MakeText(text, textMb << 20) || !MakeSparse(sparse, sparseMb << 20)) {
        std::fprintf(stderr, "viewer_bench: cannot make the files in %s\n", dir.c_str());
        return 1;
    }
    InitControls();
    NoModals modals;
    const Figures base = Measure(small);
    const Figures big[] = {Measure(text), Measure(sparse)};
    const std::string names[] = {std::to_string(textMb) + " MB text", std::to_string(sparseMb) + " MB sparse (hex)"};
    if (base.open <= 0 || big[0].open <= 0 || big[1].open <= 0 || modals.unexpected) {
        std::fprintf(stderr, "viewer_bench: a file did not open\n");
        return 1;
    }
    for (int i = 0; i < 2; ++i) {
        Row("viewer: open " + names[i] + " to the painted page", big[i].open, "1 KB file", base.open,
            big[i].open / base.open, "<= 2");
        Row("viewer: End on " + names[i] + " to the painted last page", big[i].end, "1 KB file", base.end,
            big[i].end / base.end, "<= 2");
        const double extraMb = (big[i].privateBytes - base.privateBytes) / (1 << 20);
        char value[32], ref[32];
        std::snprintf(value, sizeof value, "%+.2f MB", extraMb);
        std::snprintf(ref, sizeof ref, "%.1f MB", base.privateBytes / (1 << 20));
        RowText("viewer: private memory showing " + names[i] + ", over the 1 KB file's", value,
                "1 KB file's, limit +8 MB", ref, extraMb / 8, "<= 1");
    }
    return 0;
}
