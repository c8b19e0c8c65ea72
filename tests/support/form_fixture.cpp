#include "support/form_fixture.h"

#include <atomic>
#include <cstdlib>

#include "platform/fs.h"
#include "platform/utf.h"

namespace bivane::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = Narrow(base) + "bvt" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
    RemoveTree(path_);
    MakeDir(path_);
}

TempDir::~TempDir() {
    SetCurrentDirectoryW(L"C:\\");
    RemoveTree(path_);
}

void MakeDir(const std::string& path) {
    if (!CreateDirectoryW(Widen(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        ADD_FAILURE() << "cannot create " << path;
    }
}

void MakeFile(const std::string& path, std::int64_t size, const SYSTEMTIME* localWrite) {
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(f)) << "cannot create " << path;
    std::string block(65536, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
    std::int64_t left = size;
    while (left > 0) {
        const DWORD n = static_cast<DWORD>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(f.get(), block.data(), n, &written, nullptr) && written == n);
        left -= n;
    }
    if (localWrite) {
        FILETIME local{}, utc{};
        SystemTimeToFileTime(localWrite, &local);
        LocalFileTimeToFileTime(&local, &utc);
        SetFileTime(f.get(), nullptr, nullptr, &utc);
    }
}

void MakeSparse(const std::string& path, std::int64_t size) {
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(f));
    LARGE_INTEGER end;
    end.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(f.get()));
}

void SetAttributes(const std::string& path, DWORD attributes) {
    SetFileAttributesW(Widen(path).c_str(), attributes);
}

std::string ReadAll(const std::string& path) {
    AutoCloseHandle f(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return {};
    std::string out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    return out;
}

bool Exists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::string& path) {
    // Exact form: names with a trailing dot or space, and paths past MAX_PATH, go too.
    const std::wstring w = ExactPath(path);
    const DWORD attr = GetFileAttributesW(w.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(w.c_str(), FILE_ATTRIBUTE_NORMAL | (attr & FILE_ATTRIBUTE_DIRECTORY));
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(w.c_str());
        return;
    }
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW((w + L"\\*").c_str(), &fd));
    if (find) {
        do {
            if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L"..")) {
                RemoveTree(ShownPath(w) + "\\" + Narrow(fd.cFileName));
            }
        } while (FindNextFileW(find.get(), &fd));
    }
    find.reset();
    RemoveDirectoryW(w.c_str());
}

SYSTEMTIME LocalTimeOf(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    return st;
}

std::string BuildFolder() {
    const char* unix = std::getenv("BIVANE_BUILD_DIR");
    if (!unix || !*unix) return {};
    std::string path = std::string("Z:") + unix;
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

double PumpUntil(const std::function<bool()>& done, double timeoutSeconds) {
    LARGE_INTEGER freq{}, start{}, now{};
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    for (;;) {
        PumpMessages();
        QueryPerformanceCounter(&now);
        const double elapsed = static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
        if (done()) return elapsed;
        if (elapsed > timeoutSeconds) return -1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

int RunWindowsCommand(const std::string& command) {
    std::wstring line = L"cmd.exe /c " + Widen(command);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        return -1;
    }
    AutoKernelHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

// ---- ScriptedModals

ScriptedModals::ScriptedModals() { SetModalHandler(this); }
ScriptedModals::~ScriptedModals() { SetModalHandler(nullptr); }

ScriptedModals& ScriptedModals::ExpectBox(const std::string& text, int answer, const std::string& caption) {
    expects_.push_back({true, text, caption, answer, nullptr});
    return *this;
}

ScriptedModals& ScriptedModals::ExpectDialog(const std::string& className, std::function<int(ModalForm&)> act) {
    expects_.push_back({false, className, "", 0, std::move(act)});
    return *this;
}

int ScriptedModals::Box(const BoxRequest& box) {
    boxes.push_back(box);
    if (expects_.empty() || !expects_.front().isBox) {
        ADD_FAILURE() << "unexpected message box [" << box.caption << "] " << box.text;
        return box.buttons == BoxButtons::YesNo || box.buttons == BoxButtons::YesNoDefaultNo ? IDNO : box.buttons == BoxButtons::OkCancel ? IDCANCEL : IDOK;
    }
    Expect e = expects_.front();
    expects_.pop_front();
    EXPECT_EQ(box.text, e.text);
    if (!e.caption.empty()) {
        EXPECT_EQ(box.caption, e.caption);
    }
    return e.answer;
}

int ScriptedModals::Dialog(ModalForm& form) {
    const std::string cls = form.ClassName();
    if (expects_.empty() || expects_.front().isBox || expects_.front().text != cls) {
        ADD_FAILURE() << "unexpected dialog " << cls << " \"" << form.Caption() << "\"";
        return IDCANCEL;
    }
    Expect e = expects_.front();
    expects_.pop_front();
    return e.act ? e.act(form) : IDCANCEL;
}

void ScriptedModals::VerifyDone() {
    for (const Expect& e : expects_) {
        ADD_FAILURE() << "expected " << (e.isBox ? "message box: " : "dialog: ") << e.text << " never came";
    }
    expects_.clear();
}

// ---- FormTest

void FormTest::SetUp() {}

void FormTest::TearDown() {
    modals.VerifyDone();
    form.reset();
    PumpMessages();
}

void FormTest::StartIn(const std::string& dir) {
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir).c_str())) << dir;
    form = std::make_unique<MainWindow>();
    form->HelpViewer = [this](const std::string& file, int context) {
        ++helpCalls;
        helpFile = file;
        EXPECT_EQ(context, 2);
    };
    form->HelpBrowser = [this](const std::string& file) {
        ++helpCalls;
        helpFile = file;
    };
    form->Show();
    PumpMessages();
}

void FormTest::StartSides(const std::string& left, const std::string& right) {
    StartIn(left);
    form->CloseSplash();
    form->Activate(form->side[1]);
    Right().Tree.SetDirectory(right);
    form->Activate(form->side[0]);
    ASSERT_TRUE(form->LeftActive);
    ASSERT_EQ(Right().Tree.Directory(), right);
}

void FormTest::Make(const std::vector<Made>& items) {
    for (const Made& m : items) {
        for (size_t at = m.path.find('\\'); at != std::string::npos; at = m.path.find('\\', at + 1)) {
            MakeDir(tmp / m.path.substr(0, at));
        }
        if (!m.path.ends_with('\\')) MakeFile(tmp / m.path, m.size, m.time);
    }
}

void FormTest::StartSidesWith(const std::vector<Made>& items) {
    MakeSideFolders();
    Make(items);
    StartSides(L(), R());
}

void FormTest::StartWith(const std::vector<Made>& items) {
    Make(items);
    StartIn(tmp.Path());
}

std::vector<std::string> FormTest::Captions(const Pane& s) const {
    std::vector<std::string> out;
    for (const Entry& e : s.Entries) out.push_back(e.caption);
    return out;
}

int FormTest::IndexOfCaption(const Pane& s, const std::string& caption) const {
    for (size_t i = 0; i < s.Entries.size(); ++i) {
        if (s.Entries[i].caption == caption) return static_cast<int>(i);
    }
    return -1;
}

std::string FormTest::CellText(const Pane& s, int row, int column) const {
    wchar_t text[256] = {};
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = text;
    it.cchTextMax = 256;
    SendMessageW(s.List.Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    return Narrow(text);
}

void FormTest::Pick(Pane& s, const std::string& caption) {
    const int i = IndexOfCaption(s, caption);
    ASSERT_GE(i, 0) << caption;
    s.List.ClearSelection();
    s.List.SetSelected(i, true);
    s.List.SetFocused(i);
    s.CurrentItem = i;
    s.CurrentName = caption;
}

}  // namespace bivane::test
