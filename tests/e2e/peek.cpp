// Prints what the running Bivane window shows, for the end-to-end tests: the title panels, the
// status bars, every row of both lists with its selection and focus, the GoTo boxes, and the
// visible top-level windows of its process with their controls' texts. List view and status bar
// messages are not marshalled between processes, so their buffers live in Bivane's memory.
// Output, one fact per line, fields separated by tabs:
//   form <caption> | focus L|R|other <class> | title L|R <text> | panel <text> |
//   status L|R <part>... | goto L|R 0|1 | list L|R <rows> shown|hidden |
//   row L|R <index> <name> <size> <date> <mark> <S|-><F|-> <x>,<y> <x>,<y> <x>,<y> (screen points
//       on the name, on its icon and in its Size cell) |
//   window <class> <caption> | control <class> <text> [checked 0|1 for buttons]
//   (the other visible windows of the process and their controls)
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kIdCheckBox1 = 107, kIdCheckBox2 = 108, kIdList1 = 205, kIdList2 = 206;
const DWORD kTimeoutMs = 3000;

std::string Utf8(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

// Tabs and line breaks inside a text would break the line format.
std::string Clean(const std::wstring& w) {
    std::string s = Utf8(w);
    for (char& c : s) {
        if (c == '\t' || c == '\n') c = ' ';
        if (c == '\r') c = '|';
    }
    return s;
}

std::wstring Text(HWND w) {
    wchar_t buf[1024] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, kTimeoutMs, &n);
    return buf;
}

std::wstring ClassOf(HWND w) {
    wchar_t buf[256] = {};
    GetClassNameW(w, buf, 256);
    return buf;
}

LRESULT Send(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, kTimeoutMs, &r)) {
        std::printf("error\tno answer from the window\n");
        std::exit(3);
    }
    return static_cast<LRESULT>(r);
}

// A block of memory in the target process, freed at the end.
class Remote {
public:
    Remote(HANDLE process, size_t size)
        : process_(process), p_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~Remote() {
        if (p_) VirtualFreeEx(process_, p_, 0, MEM_RELEASE);
    }
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    char* get() const { return static_cast<char*>(p_); }
    void Write(size_t offset, const void* data, size_t n) const {
        WriteProcessMemory(process_, get() + offset, data, n, nullptr);
    }
    void Read(size_t offset, void* data, size_t n) const {
        ReadProcessMemory(process_, get() + offset, data, n, nullptr);
    }

private:
    HANDLE process_;
    void* p_;
};

const size_t kTextChars = 1024;

std::wstring ItemText(HWND list, const Remote& mem, int item, int column) {
    LVITEMW it{};
    it.iSubItem = column;
    it.cchTextMax = kTextChars;
    it.pszText = reinterpret_cast<LPWSTR>(mem.get() + sizeof(LVITEMW));
    mem.Write(0, &it, sizeof it);
    Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(mem.get()));
    std::wstring text(kTextChars, L'\0');
    mem.Read(sizeof(LVITEMW), text.data(), kTextChars * sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), kTextChars));
    return text;
}

std::wstring StatusText(HWND bar, const Remote& mem, int part) {
    const LRESULT len = Send(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    if (LOWORD(len) >= kTextChars) return L"";
    Send(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(mem.get()));
    std::wstring text(kTextChars, L'\0');
    mem.Read(0, text.data(), kTextChars * sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), kTextChars));
    return text;
}

std::vector<HWND> Children(HWND parent, const wchar_t* cls) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (ClassOf(c) == cls) out.push_back(c);
    }
    return out;
}

RECT RectIn(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct TopLevels {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND w, LPARAM lp) {
    auto* t = reinterpret_cast<TopLevels*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == t->pid && IsWindowVisible(w)) t->windows.push_back(w);
    return TRUE;
}

}  // namespace

// The centre of a part of row item (LVM_GETITEMRECT with code, or of subitem with
// LVM_GETSUBITEMRECT), in screen pixels; the rectangle travels through the list's process.
POINT RowPoint(HWND list, const Remote& mem, int item, UINT msg, LONG subitem, LONG code) {
    RECT r{};
    r.top = subitem;
    r.left = code;
    mem.Write(0, &r, sizeof r);
    Send(list, msg, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(mem.get()));
    mem.Read(0, &r, sizeof r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

int wmain() {
    _setmode(_fileno(stdout), _O_BINARY);  // plain \n line ends for the shell
    HWND form = FindWindowW(L"MainWindow", nullptr);
    if (!form) {
        std::printf("error\tno Bivane window\n");
        return 2;
    }
    std::printf("caption\t%s\n", Clean(Text(form)).c_str());
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(form, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) {
        std::printf("error\tcannot open the process\n");
        return 2;
    }
    {
        const Remote mem(process, sizeof(LVITEMW) + (kTextChars + 1) * sizeof(wchar_t));
        std::printf("form\t%s\n", Clean(Text(form)).c_str());

        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(thread, &gui);
        HWND lists[2] = {GetDlgItem(form, kIdList1), GetDlgItem(form, kIdList2)};
        const char* sides[2] = {"L", "R"};
        std::printf("focus\t%s\t%s\n", gui.hwndFocus == lists[0] ? "L" : gui.hwndFocus == lists[1] ? "R" : "other",
                    Clean(ClassOf(gui.hwndFocus)).c_str());

        // Title panels: the two 17-pixel panels along the top, left one first.
        std::vector<HWND> titles;
        for (HWND p : Children(form, L"BivanePanel")) {
            const RECT r = RectIn(form, p);
            if (r.top == 0 && r.bottom - r.top == 17 && IsWindowVisible(p)) titles.push_back(p);
        }
        std::sort(titles.begin(), titles.end(), [&](HWND a, HWND b) { return RectIn(form, a).left < RectIn(form, b).left; });
        for (size_t i = 0; i < titles.size() && i < 2; ++i) std::printf("title\t%s\t%s\n", sides[i], Clean(Text(titles[i])).c_str());
        // Any other visible panel with a text (the progress message, the splash).
        for (HWND p : Children(form, L"BivanePanel")) {
            if (IsWindowVisible(p) && std::find(titles.begin(), titles.end(), p) == titles.end()) {
                std::printf("panel\t%s\n", Clean(Text(p)).c_str());
            }
        }

        std::vector<HWND> bars = Children(form, STATUSCLASSNAMEW);
        std::sort(bars.begin(), bars.end(), [&](HWND a, HWND b) { return RectIn(form, a).left < RectIn(form, b).left; });
        for (size_t i = 0; i < bars.size() && i < 2; ++i) {
            std::printf("status\t%s", sides[i]);
            const int parts = static_cast<int>(Send(bars[i], SB_GETPARTS, 0, 0));
            for (int p = 0; p < parts; ++p) std::printf("\t%s", Clean(StatusText(bars[i], mem, p)).c_str());
            std::printf("\n");
        }

        const int boxes[2] = {kIdCheckBox1, kIdCheckBox2};
        for (int s = 0; s < 2; ++s) {
            std::printf("goto\t%s\t%d\n", sides[s],
                        Send(GetDlgItem(form, boxes[s]), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        }
        for (int s = 0; s < 2; ++s) {
            if (!lists[s]) continue;
            const int n = static_cast<int>(Send(lists[s], LVM_GETITEMCOUNT, 0, 0));
            std::printf("list\t%s\t%d\t%s\n", sides[s], n, IsWindowVisible(lists[s]) ? "shown" : "hidden");
            for (int i = 0; i < n; ++i) {
                const UINT state = static_cast<UINT>(Send(lists[s], LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED | LVIS_FOCUSED));
                std::printf("row\t%s\t%d", sides[s], i);
                for (int c = 0; c < 4; ++c) std::printf("\t%s", Clean(ItemText(lists[s], mem, i, c)).c_str());
                std::printf("\t%s%s", state & LVIS_SELECTED ? "S" : "-", state & LVIS_FOCUSED ? "F" : "-");
                // Where a click lands on the row's name, on its icon and in its Size cell (beside
                // the name), in screen pixels.
                const POINT at = RowPoint(lists[s], mem, i, LVM_GETITEMRECT, 0, LVIR_LABEL);
                std::printf("\t%ld,%ld", static_cast<long>(at.x), static_cast<long>(at.y));
                const POINT icon = RowPoint(lists[s], mem, i, LVM_GETITEMRECT, 0, LVIR_ICON);
                const POINT size = RowPoint(lists[s], mem, i, LVM_GETSUBITEMRECT, 1, LVIR_BOUNDS);
                std::printf("\t%ld,%ld\t%ld,%ld\n", static_cast<long>(icon.x), static_cast<long>(icon.y),
                            static_cast<long>(size.x), static_cast<long>(size.y));
            }
        }
    }
    CloseHandle(process);

    TopLevels t{pid, {}};
    EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&t));
    for (HWND w : t.windows) {
        if (w == form) continue;
        std::printf("window\t%s\t%s\n", Clean(ClassOf(w)).c_str(), Clean(Text(w)).c_str());
        for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsWindowVisible(c)) continue;
            std::printf("control\t%s\t%s", Clean(ClassOf(c)).c_str(), Clean(Text(c)).c_str());
            if (ClassOf(c) == L"Button") std::printf("\t%d", Send(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
            std::printf("\n");
        }
    }
    std::fflush(stdout);
    return 0;
}
