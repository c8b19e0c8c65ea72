// Start-up to the first painted main window, against a bare Win32 window program.
//   startup_bench.exe <program.exe> <bare_window.exe> <folder> [rounds]
// Each program is started in the folder and timed until its window is visible and its thread is
// idle waiting for input (so the first paint is done), then ended. Rounds alternate the two.
#include <cstdlib>
#include <optional>

#include "app/Unit1.h"
#include "bench/bench_util.h"
#include "platform/fs.h"

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

// The same two windows made inside this process, which splits start-up into the process's own
// start and the window's: a bare window of the reference's class, and the main window.
LRESULT CALLBACK BareProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        TextOutW(dc, 8, 8, L"bare window", 11);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

double BareWindowHere() {
    return Seconds([] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = BareProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"BareWindowHere";
        RegisterClassW(&wc);
        HWND h = CreateWindowW(L"BareWindowHere", L"Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                               CW_USEDEFAULT, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(h, SW_SHOW);
        UpdateWindow(h);
        Pump();
        DestroyWindow(h);
    });
}

double MainWindowHere(const std::wstring& folder) {
    ChangeDir(Narrow(folder));
    std::optional<TForm1> form;  // closed after the clock stops
    return Seconds([&] {
        form.emplace();
        form->Show();
        Pump();
    });
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
    // Where the time goes: the windows alone, made in this process (already started, no target).
    InitControls();
    const double mainHere = MainWindowHere(argv[3]), bareHere = BareWindowHere();
    Row("main window made in a running process", mainHere, "bare window, same", bareHere, mainHere / bareHere, "");
    return 0;
}
