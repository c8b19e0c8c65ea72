// The lists following the disk: from a file made by another process (a host program) to its row
// shown, in a small and in a big folder, and a burst of files made at once by another process:
// how many times the side was shown again and the longest a key would have waited; and the CPU time
// while a log in the big folder grows.
//   follow_bench.exe small big burst [runs]   (folders; counts make tiny folders here: smoke runs)
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "bench/bench_window.h"
#include "form/main_window.h"
#include "platform/fs.h"
#include "tests/support/unix_shell.h"

using namespace bivane;
using namespace bivane::bench;

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// Starts a host shell command and does not wait for it: the window's thread pumps meanwhile.
bool StartHost(const std::string& command) {
    std::wstring line = L"/bin/sh -c \"" + Widen(command) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"/bin/sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    AutoKernelHandle process(pi.hProcess), thread(pi.hThread);
    return true;
}

bool Listed(const Pane& s, const std::string& name) {
    return std::any_of(s.Entries.begin(), s.Entries.end(), [&](const Entry& e) { return e.Name() == name; });
}

// How many times a side showed what changed: read again, or by name.
std::uint64_t Shown(const MainWindow& form) { return form.FollowReloads + form.FollowChanges; }

// Pumps until done() (checked after every read of the side) or the deadline; the longest one
// round of messages took, which is how long a key could have waited.
double PumpUntil(MainWindow& form, const std::function<bool()>& done, double seconds) {
    const double end = Now() + seconds;
    double longest = 0;
    std::uint64_t seen = Shown(form);
    while (Now() < end) {
        const double t = Now();
        Pump();
        longest = std::max(longest, Now() - t);
        if (Shown(form) != seen) {
            seen = Shown(form);
            if (done()) break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return longest;
}

// One file made by a host program in dir: seconds from the moment it exists to its row shown.
double MadeToShown(MainWindow& form, Pane& s, const std::string& dir, int i) {
    const std::string name = "follow-" + std::to_string(i) + ".txt";
    const std::wstring path = Widen(dir + "\\" + name);
    PumpUntil(form, [] { return false; }, 0.4);  // quiet, past the gap since the last reading
    if (!StartHost("echo x > '" + test::UnixPath(dir + "\\" + name) + "'")) return -1;
    double made = 0, shown = 0;
    const double end = Now() + 10;
    while (!shown && Now() < end) {
        Pump();
        if (!made && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) made = Now();
        if (made && Listed(s, name)) shown = Now();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    DeleteFileW(path.c_str());
    PumpUntil(form, [&] { return !Listed(s, name); }, 5);
    return shown ? shown - made : -1;
}

// Median and worst of runs files made one after the other in dir; false when one never showed.
bool MadeToShownCase(MainWindow& form, const std::string& dir, int runs) {
    Pane& s = form.side[0];
    s.Tree.SetDirectory(dir);
    const int n = FilesIn(dir);
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const double secs = MadeToShown(form, s, dir, i);
        if (secs < 0) {
            std::fprintf(stderr, "follow_bench: the file made in %s never showed\n", dir.c_str());
            return false;
        }
        t.push_back(secs);
    }
    std::sort(t.begin(), t.end());
    const std::string what = "follow: made by another process to shown, " + std::to_string(n) + " files";
    Row(what + " (median of " + std::to_string(runs) + ")", t[t.size() / 2], "target", 0.1, t[t.size() / 2] / 0.1, "<= 1");
    Row(what + " (worst of " + std::to_string(runs) + ")", t.back(), "target", 0.2, t.back() / 0.2, "<= 1");
    return true;
}

// A command starts while the follower reads the big folder dir again: its pause is answered
// within a call to the file system, not after the whole reading.
bool PauseCase(MainWindow& form, const std::string& dir) {
    Pane& s = form.side[0];
    s.Tree.SetDirectory(dir);
    PumpUntil(form, [] { return false; }, 0.4);
    const std::uint64_t reads = ListingReads();
    // A name no Windows path reaches exactly cannot be looked at alone: the folder is read whole.
    if (test::RunShell("touch '" + test::UnixPath(dir) + "/pause?case'") != 0) return false;
    // Until the reading has begun (a whole round of messages may be shorter), then past its first
    // call, in which Wine reads every name at once: the pause is then asked while names are read.
    for (const double end = Now() + 5; ListingReads() == reads;) {
        if (Now() > end) return false;
        Pump();
        Sleep(1);
    }
    Sleep(100);
    const double start = Now();
    { const auto paused = form.PauseBackgroundReaders(); }
    const double took = Now() - start;
    test::RunShell("rm -f '" + test::UnixPath(dir) + "/pause?case'");
    Row("follow: a command's pause while " + std::to_string(FilesIn(dir)) + " names are read", took, "target", 0.1,
        took / 0.1, "<= 1");
    return true;
}

// count files made one after the other, as fast as a host program can, in the empty folder dir.
bool BurstCase(MainWindow& form, const std::string& dir, int count) {
    Pane& s = form.side[0];
    CreateDirectoryW(Widen(dir).c_str(), nullptr);
    const std::string unixDir = test::UnixPath(dir);
    if (test::RunShell("rm -f '" + unixDir + "'/b*") != 0) return false;
    s.Tree.SetDirectory(dir);
    PumpUntil(form, [] { return false; }, 0.4);
    const std::uint64_t before = Shown(form);
    const double start = Now();
    // One copy process per file, as a copying program makes them: some ten seconds for 10,000.
    if (!StartHost("cd '" + unixDir + "' && for i in $(seq 1 " + std::to_string(count) + "); do cp /dev/null b$i; done")) {
        return false;
    }
    const auto all = [&] { return s.Entries.size() == static_cast<size_t>(count) + 1; };  // and [parent]
    const double longest = PumpUntil(form, all, 120);
    const double took = Now() - start;
    const std::uint64_t reloads = Shown(form) - before;
    test::RunShell("rm -f '" + unixDir + "'/b*");
    if (!all()) {
        std::fprintf(stderr, "follow_bench: %zu of %d files shown\n", s.Entries.size() - 1, count);
        return false;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%llu showings in %.2f s", static_cast<unsigned long long>(reloads), took);
    // A few a second at most: four a second is the gap between two readings.
    RowText("follow: burst of " + std::to_string(count) + " files, side shown again", text, "4 a second",
            std::to_string(took * 4 + 1).substr(0, 4), static_cast<double>(reloads) / (took * 4 + 1), "<= 1");
    Row("follow: burst of " + std::to_string(count) + " files, longest key wait", longest, "target", 0.1,
        longest / 0.1, "<= 1");
    return true;
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto secs = [](const FILETIME& f) {
        return static_cast<double>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return secs(kernel) + secs(user);
}

// The window's messages for that long, as its own loop runs them: asleep until one comes. (PumpUntil
// wakes every millisecond to time what it waits for; ten thousand wakes cost 0.2 to 0.9 s of CPU
// under Wine, more than what is measured here, and as much as the machine's load makes them.)
void RunAsTheWindowDoes(double seconds) {
    const double end = Now() + seconds;
    for (double now = Now(); now < end; now = Now()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>((end - now) * 1000) + 1, QS_ALLINPUT);
        Pump();
    }
}

// A log in the big folder dir appended every 50 ms for 10 s by a host program: the program's CPU
// time meanwhile, against 10 s of the same window idle.
bool GrowingLogCase(MainWindow& form, const std::string& dir) {
    form.side[0].Tree.SetDirectory(dir);
    PumpUntil(form, [] { return false; }, 0.5);
    const std::string log = test::UnixPath(dir) + "/growing.log";
    double cpu = CpuSeconds();
    RunAsTheWindowDoes(10);
    const double idle = CpuSeconds() - cpu;
    const std::uint64_t before = Shown(form), reads = ListingReads();
    if (!StartHost("for i in $(seq 1 200); do echo line $i >> '" + log + "'; sleep 0.05; done")) return false;
    cpu = CpuSeconds();
    RunAsTheWindowDoes(10);
    const double busy = CpuSeconds() - cpu;
    PumpUntil(form, [] { return false; }, 1);
    test::RunShell("rm -f '" + log + "'");
    std::fprintf(stderr, "follow_bench: %llu showings, %llu readings of the folder while the log grew; CPU %.2f s, idle %.2f s\n",
                 static_cast<unsigned long long>(Shown(form) - before), static_cast<unsigned long long>(ListingReads() - reads),
                 busy, idle);
    Row("follow: CPU while a log in " + std::to_string(FilesIn(dir)) + " files grows every 50 ms for 10 s, beyond idle",
        busy - idle, "target", 0.2, (busy - idle) / 0.2, "<= 1");
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: follow_bench small big burst [runs]\n");
        return 2;
    }
    BenchWindow<> window;
    MainWindow& form = window.form;
    const int runs = argc > 4 ? _wtoi(argv[4]) : 20;
    bool ok = MadeToShownCase(form, CaseFolder(argv[1]), runs) && MadeToShownCase(form, CaseFolder(argv[2]), runs);
    const bool smoke = IsCount(argv[3]);
    const std::string burst = smoke ? BenchBase() + "\\burst" : Narrow(argv[3]);
    ok = ok && PauseCase(form, CaseFolder(argv[2])) && BurstCase(form, burst, smoke ? _wtoi(argv[3]) : 10000);
    ok = ok && (smoke || GrowingLogCase(form, CaseFolder(argv[2])));
    return ok && !window.modals.unexpected ? 0 : 1;
}
