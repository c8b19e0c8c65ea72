// The viewer on big files against the same run's 1 KB file: time from opening to the painted
// first page, from End to the painted last page, a sideways page on one long line, and the
// private memory while each is shown. Then its searches and Go to against plain reads of the
// same files: a case-ignoring search for text that is not there through <search MB> of UTF-8 and
// of UTF-16 (both read once before, so cached), and going to the middle line of a file of
// 1,000,000 lines of 100 bytes.
//   viewer_bench.exe <folder> <text MB> <sparse MB> [<search MB>]   (search MB: 1024 by default)
// The files are made in the folder when missing.
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

// count copies of a block, as the file's bytes (after a prefix).
bool MakeRepeated(const std::string& path, const std::string& prefix, const std::string& block, std::int64_t count) {
    const std::int64_t bytes = static_cast<std::int64_t>(prefix.size()) + static_cast<std::int64_t>(block.size()) * count;
    if (FileSizeOf(path) == bytes) return true;
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!f) return false;
    DWORD written = 0;
    if (!prefix.empty() && !WriteFile(f.get(), prefix.data(), static_cast<DWORD>(prefix.size()), &written, nullptr)) {
        return false;
    }
    for (std::int64_t i = 0; i < count; ++i) {
        if (!WriteFile(f.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr)) return false;
    }
    return true;
}

// A megabyte of prose in lines, with a few letters beyond ASCII (so it reads as UTF-8).
std::string ProseBlock() {
    std::string block;
    for (int i = 0; block.size() < (1 << 20) - 100; ++i) {
        block += "Line " + std::to_string(i) + " of a caf\xC3\xA9's menu, long enough to look like prose\twith a tab.\r\n";
    }
    block.resize(1 << 20, '.');
    return block;
}

std::string Utf16Of(const std::string& ascii) {
    std::string out;
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// 100 lines of 100 bytes, each numbered in the block (10,000 blocks make 1,000,000 lines).
std::string HundredLines() {
    std::string block;
    for (int i = 0; i < 100; ++i) {
        std::string line = "Line " + std::to_string(i) + " of a hundred, each a hundred bytes long with its line end";
        line.resize(98, '.');
        block += line + "\r\n";
    }
    return block;
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
    double open = 0, end = 0, sideways = 0, privateBytes = 0;
};

// The key with Ctrl held, as the window reads it from the keyboard state.
void CtrlKey(HWND w, WPARAM vk) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE old = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(w, WM_KEYDOWN, vk, 1);
    keys[VK_CONTROL] = old;
    SetKeyboardState(keys);
}

void PaintAll(HWND w) {
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
}

double Middle(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A plain ReadFile loop over the whole file, 1 MB at a time.
double PlainRead(const std::string& path) {
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<char> buf(1 << 20);
    return Seconds([&] {
        DWORD got = 0;
        while (ReadFile(f.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got > 0) {
        }
    });
}

// Types into the viewer's bar (F7 or Ctrl+G first) and presses Enter; then waits for the job.
double TypedInBar(viewer::ViewerWindow& w, WPARAM open, bool ctrl, const std::string& text) {
    if (ctrl) {
        CtrlKey(w.Handle(), open);
    } else {
        SendMessageW(w.Handle(), WM_KEYDOWN, open, 1);
    }
    HWND edit = FindWindowExW(w.Handle(), nullptr, L"Edit", nullptr);
    SetWindowTextW(edit, Widen(text).c_str());
    return Seconds([&] {
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        MSG msg;
        while ((w.Searching() || w.CountingLines()) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
}

// The median of three runs of the viewer's job against three plain reads of the file; the
// file is read once first, so both find it cached.
void JobAgainstRead(const std::string& name, const std::string& path, WPARAM open, bool ctrl,
                    const std::string& text, const std::string& expectMode, bool lowerIsBetter) {
    PlainRead(path);
    std::vector<double> job, read;
    std::string mode;
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<viewer::ViewerWindow> w = viewer::ViewerWindow::Open(path, SW_SHOW);
        if (!w) return;
        Pump();
        job.push_back(TypedInBar(*w, open, ctrl, text));
        mode = w->StatusPart(4);
        read.push_back(PlainRead(path));
    }
    if (mode.rfind(expectMode, 0) != 0) std::fprintf(stderr, "viewer_bench: %s ended with \"%s\"\n", name.c_str(), mode.c_str());
    const double j = Middle(job), r = Middle(read);
    if (lowerIsBetter) {
        Row(name, j, "plain ReadFile loop", r, j / r, "<= 1.5");
    } else {
        Row(name + " (speed against the read's)", j, "plain ReadFile loop", r, r / j, ">= 0.5");
    }
}

Figures Measure(const std::string& path) {
    std::vector<double> open, end, sideways;
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
            PaintAll(w->Handle());
        }));
        // Unwrapped (W finds the line's end once), then a page to the right.
        SendMessageW(w->Handle(), WM_KEYDOWN, 'W', 1);
        Pump();
        sideways.push_back(Seconds([&] {
            CtrlKey(w->Handle(), VK_RIGHT);
            PaintAll(w->Handle());
        }));
        bytes = std::max(bytes, PrivateBytes());
    }
    return {Middle(open), Middle(end), Middle(sideways), bytes};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: viewer_bench <folder> <text MB> <sparse MB> [<search MB>]\n");
        return 2;
    }
    const std::string dir = Narrow(argv[1]);
    const std::int64_t textMb = _wtoi64(argv[2]), sparseMb = _wtoi64(argv[3]);
    const std::int64_t searchMb = argc == 5 ? _wtoi64(argv[4]) : 1024;
    CreateDirectoryW(argv[1], nullptr);
    const std::string small = dir + "\\viewer-1k.txt", text = dir + "\\viewer-text.txt",
                      sparse = dir + "\\viewer-sparse.bin", line = dir + "\\viewer-one-line.txt",
                      utf8 = dir + "\\viewer-search-utf8.txt", utf16 = dir + "\\viewer-search-utf16.txt",
                      lines = dir + "\\viewer-lines.txt";
    const std::string prose = ProseBlock();
    if (!MakeText(small, 1024) || !MakeText(text, textMb << 20) || !MakeSparse(sparse, sparseMb << 20) ||
        !MakeRepeated(line, "", std::string(1 << 20, 'x').replace(0, 10, "0123456789"), textMb) ||
        !MakeRepeated(utf8, "", prose, searchMb) || !MakeRepeated(utf16, "\xFF\xFE", Utf16Of(prose), searchMb / 2) ||
        !MakeRepeated(lines, "", HundredLines(), textMb * 100)) {
        std::fprintf(stderr, "viewer_bench: cannot make the files in %s\n", dir.c_str());
        return 1;
    }
    InitControls();
    NoModals modals;
    const Figures base = Measure(small);
    const Figures big[] = {Measure(text), Measure(sparse), Measure(line)};
    const std::string names[] = {std::to_string(textMb) + " MB text", std::to_string(sparseMb) + " MB sparse (hex)",
                                 std::to_string(textMb) + " MB single line"};
    if (base.open <= 0 || big[0].open <= 0 || big[1].open <= 0 || big[2].open <= 0 || modals.unexpected) {
        std::fprintf(stderr, "viewer_bench: a file did not open\n");
        return 1;
    }
    for (int i = 0; i < 3; ++i) {
        Row("viewer: open " + names[i] + " to the painted page", big[i].open, "1 KB file", base.open,
            big[i].open / base.open, "<= 2");
        Row("viewer: End on " + names[i] + " to the painted last page", big[i].end, "1 KB file", base.end,
            big[i].end / base.end, "<= 2");
        if (i == 2) {
            Row("viewer: Ctrl+Right on " + names[i] + ", unwrapped, to the painted page", big[i].sideways,
                "1 KB file", base.sideways, big[i].sideways / base.sideways, "<= 2");
        }
        const double extraMb = (big[i].privateBytes - base.privateBytes) / (1 << 20);
        char value[32], ref[32];
        std::snprintf(value, sizeof value, "%+.2f MB", extraMb);
        std::snprintf(ref, sizeof ref, "%.1f MB", base.privateBytes / (1 << 20));
        RowText("viewer: private memory showing " + names[i] + ", over the 1 KB file's", value,
                "1 KB file's, limit +8 MB", ref, extraMb / 8, "<= 1");
    }
    const std::string searched = std::to_string(searchMb) + " MB";
    JobAgainstRead("viewer: find absent text, any case, in " + searched + " UTF-8", utf8, VK_F7, false, "Quartz",
                   "Not found", false);
    JobAgainstRead("viewer: find absent text, any case, in " + searched + " UTF-16", utf16, VK_F7, false, "Quartz",
                   "Not found", false);
    const std::string middle = std::to_string(textMb * 100 * 100 / 2);
    JobAgainstRead("viewer: go to the middle line, " + middle + ", of " + std::to_string(textMb * 10000) + " (" +
                       std::to_string(textMb) + " MB)",
                   lines, 'G', true, middle, "Line " + middle, true);
    return 0;
}
