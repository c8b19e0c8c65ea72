// Start-up to the first painted main window: in a small folder against Wine's own file manager
// (and, for information, a bare Win32 window program); in a big folder against a bare program
// that enumerates that folder and ends.
//   startup_bench.exe <program.exe> <bare_window.exe> <bare_enum.exe> <small folder> <big folder> [rounds]
// Each window program is started in the folder and timed until its window is visible and its
// thread is idle waiting for input (so the first paint is done), then ended; the enumeration until
// it ends. Rounds alternate the programs compared.
#include <cstdlib>
#include <optional>

#include "form/main_window.h"
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

// Seconds from starting the program to its end; negative on failure.
double RunToEnd(const std::wstring& exe, const std::wstring& folder) {
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    DWORD code = 1;
    const double spent = Seconds([&] {
        if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
            return;
        }
        WaitForSingleObject(pi.hProcess, 600000);
        GetExitCodeProcess(pi.hProcess, &code);
    });
    if (pi.hProcess) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return code == 0 ? spent : -1;
}

// The host's load average over the last minute, as its /proc tells it (Wine reaches it as Z:),
// printed beside a figure that a busy machine moves; "?" where there is none.
std::string HostLoad() {
    AutoCloseHandle f(CreateFileW(L"Z:\\proc\\loadavg", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char text[64] = {};
    DWORD n = 0;
    if (!f || !ReadFile(f.get(), text, sizeof text - 1, &n, nullptr) || n == 0) return "?";
    std::string load(text, n);
    return load.substr(0, load.find(' '));
}

// Medians of alternating rounds of two measures; false when one failed.
bool Alternate(int rounds, const std::function<double()>& a, const std::function<double()>& b, double& ma,
               double& mb) {
    std::vector<double> ta, tb;
    for (int i = 0; i < rounds; ++i) {
        ta.push_back(a());
        tb.push_back(b());
        if (ta.back() < 0 || tb.back() < 0) return false;
    }
    std::sort(ta.begin(), ta.end());
    std::sort(tb.begin(), tb.end());
    ma = ta[ta.size() / 2];
    mb = tb[tb.size() / 2];
    return true;
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
    std::optional<MainWindow> form;  // closed after the clock stops
    return Seconds([&] {
        form.emplace();
        form->Show();
        Pump();
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: startup_bench <program.exe> <bare_window.exe> <bare_enum.exe> <small folder> <big folder> "
                     "[rounds]\n");
        return 2;
    }
    const std::wstring program = argv[1], bareWindow = argv[2], bareEnum = argv[3], small = argv[4], big = argv[5];
    const int rounds = argc > 6 ? _wtoi(argv[6]) : 5;
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring winefile = std::wstring(system) + L"\\winefile.exe";
    StartUp(bareWindow, small);  // loads the system's files into the cache for all
    double p = 0, b = 0;
    if (!Alternate(rounds, [&] { return StartUp(program, small); }, [&] { return StartUp(bareWindow, small); }, p, b)) {
        std::fprintf(stderr, "startup_bench: a program did not show an idle window\n");
        return 1;
    }
    Row("start-up to the painted window", p, "bare window program", b, p / b, "");
    if (GetFileAttributesW(winefile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        double w = 0;
        if (!Alternate(rounds, [&] { return StartUp(program, small); }, [&] { return StartUp(winefile, small); }, p, w)) {
            std::fprintf(stderr, "startup_bench: a program did not show an idle window\n");
            return 1;
        }
        Row("start-up to the painted window", p, "winefile", w, p / w, "<= 0.8");
    }
    const std::string files = std::to_string(FilesIn(Narrow(big)));
    RunToEnd(bareEnum, big);  // the folder's entries into the system's cache for both
    double e = 0;
    const std::string loadBefore = HostLoad();
    if (!Alternate(rounds, [&] { return StartUp(program, big); }, [&] { return RunToEnd(bareEnum, big); }, p, e)) {
        std::fprintf(stderr, "startup_bench: a start in the big folder failed\n");
        return 1;
    }
    Row("start-up with its listing, " + files + " files (host load " + loadBefore + " to " + HostLoad() + ")", p,
        "enumeration, whole process", e, p / e, "<= 1.5");
    // Where the time goes: the windows alone, made in this process (already started, no target).
    InitControls();
    const double mainHere = MainWindowHere(small), bareHere = BareWindowHere();
    Row("main window made in a running process", mainHere, "bare window, same", bareHere, mainHere / bareHere, "");
    return 0;
}
