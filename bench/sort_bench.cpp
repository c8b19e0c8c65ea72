// Loads a folder of many files into a side, then sorts that side in each of the four orders and
// prints every sort's time as a share of the load time (the goal: at most 0.5 of a load).
//   sort_bench.exe [files]      makes a folder of that many files (default 100000), removes it after
//   sort_bench.exe folder       uses a folder that exists, as it is
// Under Wine every new name costs a search of the whole folder (names are looked up ignoring
// case), so making 100,000 files there takes most of an hour: make them outside and pass the folder.
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

#include "app/Unit1.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

using namespace bivane;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// No box may appear while measuring; one that does is reported and counted as a failure.
class NoModals : public ModalHandler {
public:
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

// A small fixed generator, so every run sorts the same folder.
struct Lcg {
    std::uint64_t state = 88172645463325252ull;
    std::uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
};

// Files with mixed names, extensions, sizes (sparse, nothing written) and dates.
bool MakeFiles(const std::wstring& dir, int count) {
    static const wchar_t* const exts[] = {L".txt", L".doc", L".exe", L".c", L".h", L".zip", L".bmp", L""};
    Lcg rng;
    for (int i = 0; i < count; ++i) {
        std::wstring name;
        const int letters = 3 + static_cast<int>(rng.Next() % 8);
        for (int k = 0; k < letters; ++k) {
            const wchar_t base = rng.Next() % 2 ? L'a' : L'A';
            name += static_cast<wchar_t>(base + rng.Next() % 26);
        }
        name += std::to_wstring(i) + exts[rng.Next() % 8];
        AutoCloseHandle f(CreateFileW((dir + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) {
            std::fprintf(stderr, "cannot create file %d\n", i);
            return false;
        }
        LARGE_INTEGER size{};
        size.QuadPart = rng.Next() % 2000000;
        SetFilePointerEx(f.get(), size, nullptr, FILE_BEGIN);
        SetEndOfFile(f.get());
        // Some minutes shared by many files, so the name tie-breaks run too.
        ULARGE_INTEGER t{};
        t.QuadPart = 125000000000000000ull + static_cast<std::uint64_t>(rng.Next() % 500000) * 600000000ull;
        FILETIME ft{t.LowPart, t.HighPart};
        SetFileTime(f.get(), nullptr, nullptr, &ft);
    }
    return true;
}

void RemoveFolder(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    {
        AutoFindHandle find(FindFirstFileW((dir + L"\\*").c_str(), &fd));
        if (find) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir + L"\\" + fd.cFileName).c_str());
            } while (FindNextFileW(find.get(), &fd));
        }
    }
    RemoveDirectoryW(dir.c_str());
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring arg = argc > 1 ? argv[1] : L"100000";
    const bool make = arg.find_first_not_of(L"0123456789") == std::wstring::npos;
    const int count = make ? _wtoi(arg.c_str()) : -1;
    if (make && count <= 0) {
        std::fprintf(stderr, "usage: sort_bench [files | folder]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    NoModals modals;
    SetModalHandler(&modals);

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"bivane_sort_bench_" + std::to_wstring(GetCurrentProcessId());
    const std::wstring start = root + L"_start";  // an empty folder to start the window in
    const std::wstring files = make ? root + L"_files" : arg;
    CreateDirectoryW(start.c_str(), nullptr);

    int rc = 0;
    if (make) {
        CreateDirectoryW(files.c_str(), nullptr);
        const auto t = Clock::now();
        if (!MakeFiles(files, count)) rc = 1;
        std::printf("files made:  %d in %.0f ms\n", count, MsSince(t));
    }

    if (rc == 0) {
        SetCurrentDirectoryW(start.c_str());
        TForm1 form;
        form.Show();
        Pump();
        ChangeDir(Narrow(files));
        auto t = Clock::now();
        form.LoadLeftSide();
        const double load = MsSince(t);
        Side& s = form.side[0];
        if (make && static_cast<int>(s.Entries.size()) != count + 1) {
            std::fprintf(stderr, "loaded %zu entries, expected %d\n", s.Entries.size(), count + 1);
            rc = 1;
        }
        std::printf("load:        %9.1f ms   (%zu entries)\n", load, s.Entries.size());
        // A selected current entry in the middle, as a user would have after scrolling.
        form.LocateItem2(s.Entries[s.Entries.size() / 2].caption);

        struct Order { const char* name; void (TForm1::*sort)(); };
        const Order orders[] = {{"by ext", &TForm1::SortByExt},
                                {"by size", &TForm1::SortBySize},
                                {"by date", &TForm1::SortByDate},
                                {"by name", &TForm1::SortByName}};
        for (const Order& o : orders) {
            const std::string current = s.Entries[static_cast<size_t>(s.CurrentItem)].caption;
            t = Clock::now();
            (form.*o.sort)();
            const double ms = MsSince(t);
            std::printf("%-12s %9.1f ms   ratio %.3f%s\n", o.name, ms, ms / load, ms / load <= 0.5 ? "" : "   (over 0.5)");
            if (s.Entries[static_cast<size_t>(s.CurrentItem)].caption != current) {
                std::fprintf(stderr, "%s lost the current entry\n", o.name);
                rc = 1;
            }
        }
        Pump();
    }
    SetCurrentDirectoryW(temp);
    if (make) RemoveFolder(files);
    RemoveFolder(start);
    SetModalHandler(nullptr);
    return rc != 0 || modals.unexpected != 0 ? 1 : 0;
}
