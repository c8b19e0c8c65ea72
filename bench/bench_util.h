// The benchmarks' shared harness: a timer, a median of repeated runs, the folder a case runs on,
// and one row format so bench.sh can print every case in one table.
#pragma once
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"
#include "platform/win.h"

#include <psapi.h>  // after windows.h, which it needs

namespace bivane::bench {

inline double Seconds(const std::function<void()>& fn) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    fn();
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

// The process's private bytes.
inline double PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    // Wine leaves PrivateUsage at 0 and reports its private bytes as PagefileUsage, which Windows
    // keeps equal to PrivateUsage.
    return static_cast<double>(std::max(pmc.PrivateUsage, pmc.PagefileUsage));
}

inline double Median(int runs, const std::function<void()>& fn) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) t.push_back(Seconds(fn));
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// "ROW|case|value|reference|reference value|ratio|target|met" — bench.sh turns these into a table.
// Values carry their unit. The target is "<= x" or ">= x"; met is judged here so the table can say so.
inline void RowText(const std::string& name, const std::string& value, const std::string& ref,
                    const std::string& refValue, double ratio, const std::string& target) {
    bool met = true;
    if (target.size() > 3) {
        const double bound = std::stod(target.substr(3));
        met = target[0] == '<' ? ratio <= bound : ratio >= bound;
    }
    std::printf("ROW|%s|%s|%s|%s|%.3f|%s|%s\n", name.c_str(), value.c_str(), ref.c_str(), refValue.c_str(), ratio,
                target.c_str(), target.empty() ? "-" : (met ? "met" : "MISSED"));
    std::fflush(stdout);
}

inline std::string SecondsText(double secs) {
    char buf[32];
    std::snprintf(buf, sizeof buf, secs < 1 ? "%.4f s" : "%.3f s", secs);
    return buf;
}

inline void Row(const std::string& name, double secs, const std::string& ref, double refSecs, double ratio,
                const std::string& target) {
    RowText(name, SecondsText(secs), ref, SecondsText(refSecs), ratio, target);
}

inline bool IsCount(const std::wstring& arg) {
    return !arg.empty() && arg.find_first_not_of(L"0123456789") == std::wstring::npos;
}

// Files listed in a folder (no directories), for checking that a case saw all of them.
inline int FilesIn(const std::string& dir) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    AutoFindHandle f(FindFirstFileW(Widen(dir + "\\*").c_str(), &fd));
    if (!f) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileW(f.get(), &fd));
    return n;
}

// Where tiny smoke folders are made: BIVANE_BENCH_DIR, else the temporary folder.
inline std::string BenchBase() {
    wchar_t buf[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"BIVANE_BENCH_DIR", buf, MAX_PATH) == 0) GetTempPathW(MAX_PATH, buf);
    std::string s = Narrow(buf);
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s + "\\bivane-bench";
}

// A folder of n small files made here, for the smoke runs only: under Wine every new name is
// looked up in the whole folder ignoring case, so big folders are made on the host (bench.sh).
inline std::string SmokeFolder(int n) {
    const std::string base = BenchBase();
    const std::string dir = base + "\\smoke" + std::to_string(n);
    const std::wstring wdir = Widen(dir);
    CreateDirectoryW(Widen(base).c_str(), nullptr);
    CreateDirectoryW(wdir.c_str(), nullptr);
    if (FilesIn(dir) == n) return dir;
    static const wchar_t* const exts[] = {L".txt", L".doc", L".exe", L".c", L""};
    for (int i = 0; i < n; ++i) {
        wchar_t name[40];
        swprintf(name, 40, L"\\%c%07d%ls", L'a' + i % 26, i, exts[i % 5]);
        AutoCloseHandle h(CreateFileW((wdir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD w = 0;
        WriteFile(h.get(), "0123456789", static_cast<DWORD>(i % 10), &w, nullptr);
        FILETIME ft{static_cast<DWORD>(i) * 600000000u, 30000000u + static_cast<DWORD>(i % 97)};
        SetFileTime(h.get(), nullptr, nullptr, &ft);
    }
    return dir;
}

// The folder a case runs on: a path as given, or a count for a smoke folder made here.
inline std::string CaseFolder(const std::wstring& arg) {
    return IsCount(arg) ? SmokeFolder(_wtoi(arg.c_str())) : Narrow(arg);
}

// A bare recursive walk of a tree (an exact path): what the system's own enumeration costs.
struct Sums {
    long long files = 0, folders = 0, bytes = 0;
};
inline void BareWalk(const std::wstring& dir, Sums& s) {
    WIN32_FIND_DATAW fd;
    AutoFindHandle f(FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH));
    if (!f) return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(fd.cFileName, L".") == 0 || wcscmp(fd.cFileName, L"..") == 0) continue;
            ++s.folders;
            BareWalk(dir + L"\\" + fd.cFileName, s);
        } else {
            ++s.files;
            s.bytes += static_cast<long long>((static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
        }
    } while (FindNextFileW(f.get(), &fd));
}

// Reads every file of the tree through, as a plain program would.
inline long long ReadAllFiles(const std::wstring& dir, std::vector<char>& buf) {
    long long bytes = 0;
    WIN32_FIND_DATAW fd;
    AutoFindHandle f(FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH));
    if (!f) return 0;
    do {
        const std::wstring path = dir + L"\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(fd.cFileName, L".") != 0 && wcscmp(fd.cFileName, L"..") != 0) bytes += ReadAllFiles(path, buf);
            continue;
        }
        AutoCloseHandle h(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        DWORD got = 0;
        while (h && ReadFile(h.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got > 0) bytes += got;
    } while (FindNextFileW(f.get(), &fd));
    return bytes;
}

// An empty folder to start a window in, so the window's own start loads nothing big.
inline std::string EmptyFolder() {
    const std::string dir = BenchBase() + "\\empty";
    CreateDirectoryW(Widen(BenchBase()).c_str(), nullptr);
    CreateDirectoryW(Widen(dir).c_str(), nullptr);
    return dir;
}

inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// No box or dialog may appear while measuring; one that does is reported and counted.
class NoModals : public ModalHandler {
public:
    NoModals() { SetModalHandler(this); }
    ~NoModals() override { SetModalHandler(nullptr); }
    NoModals(const NoModals&) = delete;
    NoModals& operator=(const NoModals&) = delete;
    int Box(const BoxRequest& box) override {
        std::fprintf(stderr, "unexpected box: %s\n", box.text.c_str());
        ++unexpected;
        return box.buttons == BoxButtons::YesNo ? IDNO : IDCANCEL;
    }
    int Dialog(ModalForm&) override {
        std::fprintf(stderr, "unexpected dialog\n");
        ++unexpected;
        return IDCANCEL;
    }
    int unexpected = 0;
};

inline void InitControls() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
}

}  // namespace bivane::bench
