// The benchmarks' shared harness: a timer, a median of repeated runs, folders of many files, and
// one row format so bench.sh can print every case in one table.
#pragma once
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/utf.h"
#include "platform/win.h"

namespace bivane::bench {

inline double Seconds(const std::function<void()>& fn) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    fn();
    QueryPerformanceCounter(&b);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

inline double Median(int runs, const std::function<void()>& fn) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) t.push_back(Seconds(fn));
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// "ROW|case|seconds|reference|reference seconds|ratio|target" — bench.sh turns these into a table.
// The target is "<= x" or ">= x"; met is judged here so the table can say so.
inline void Row(const std::string& name, double secs, const std::string& ref, double refSecs,
                double ratio, const std::string& target) {
    bool met = true;
    if (target.size() > 3) {
        const double bound = std::stod(target.substr(3));
        met = target[0] == '<' ? ratio <= bound : ratio >= bound;
    }
    std::printf("ROW|%s|%.4f|%s|%.4f|%.3f|%s|%s\n", name.c_str(), secs, ref.c_str(), refSecs, ratio,
                target.c_str(), target.empty() ? "-" : (met ? "met" : "MISSED"));
    std::fflush(stdout);
}

// A folder with n empty-ish files named f0000000.txt ..., made once and reused between runs.
inline std::string FolderOfFiles(const std::string& base, int n) {
    const std::string dir = base + "\\files" + std::to_string(n);
    const std::wstring wdir = Widen(dir);
    const std::wstring marker = wdir + L"\\.complete";
    if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return dir;
    CreateDirectoryW(Widen(base).c_str(), nullptr);
    CreateDirectoryW(wdir.c_str(), nullptr);
    for (int i = 0; i < n; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\f%07d.txt", i);
        AutoCloseHandle h(CreateFileW((wdir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (i % 7 == 0) {
            DWORD w = 0;
            WriteFile(h.get(), "0123456789", static_cast<DWORD>(i % 10), &w, nullptr);
        }
    }
    AutoCloseHandle m(CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr));
    return dir;
}

// Where benchmark folders live: BIVANE_BENCH_DIR, else the temporary folder.
inline std::string BenchBase() {
    wchar_t buf[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"BIVANE_BENCH_DIR", buf, MAX_PATH) == 0) GetTempPathW(MAX_PATH, buf);
    std::string s = Narrow(buf);
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s + "\\bivane-bench";
}

}  // namespace bivane::bench
