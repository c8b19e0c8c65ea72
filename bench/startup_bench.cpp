// Start-up to the first painted main window, against a bare Win32 window program.
//   startup_bench.exe <program.exe> <bare_window.exe> <folder> [rounds]
// Each program is started in the folder and timed until its window is visible and its thread is
// idle waiting for input (so the first paint is done), then ended. Rounds alternate the two.
#include <cstdlib>

#include "bench/bench_util.h"

using namespace bivane;
using namespace bivane::bench;

namespace {

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == s->pid && IsWindowVisible(h)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

// Seconds from starting the program to its painted, idle window; negative on failure.
double StartUp(const std::wstring& exe, const std::wstring& folder) {
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    double secs = -1;
    const double spent = Seconds([&] {
        if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
            return;
        }
        if (WaitForInputIdle(pi.hProcess, 60000) != 0) return;
        Search s{pi.dwProcessId, nullptr};
        for (int i = 0; i < 6000 && !s.found; ++i) {
            EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&s));
            if (!s.found) Sleep(1);
        }
        // Answered only once the program is back in its message loop, after its first paint.
        DWORD_PTR r = 0;
        if (s.found && SendMessageTimeoutW(s.found, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &r)) secs = 0;
    });
    if (pi.hProcess) {
        AutoCloseHandle process(pi.hProcess), thread(pi.hThread);
        TerminateProcess(process.get(), 0);
        WaitForSingleObject(process.get(), 30000);
    }
    return secs < 0 ? -1 : spent;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_bench <program.exe> <bare_window.exe> <folder> [rounds]\n");
        return 2;
    }
    const int rounds = argc > 4 ? _wtoi(argv[4]) : 5;
    std::vector<double> prog, bare;
    StartUp(argv[2], argv[3]);  // loads the system's files into the cache for both
    for (int i = 0; i < rounds; ++i) {
        prog.push_back(StartUp(argv[1], argv[3]));
        bare.push_back(StartUp(argv[2], argv[3]));
        if (prog.back() < 0 || bare.back() < 0) {
            std::fprintf(stderr, "startup_bench: a program did not show an idle window\n");
            return 1;
        }
    }
    std::sort(prog.begin(), prog.end());
    std::sort(bare.begin(), bare.end());
    const double p = prog[prog.size() / 2], b = bare[bare.size() / 2];
    Row("start-up to the painted window", p, "bare window program", b, p / b, "<= 1.5");
    return 0;
}
