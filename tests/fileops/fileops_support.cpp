#include "fileops/fileops_support.h"

#include "platform/job_queue.h"

#include "fileops/replace_dialog.h"

#include <atomic>

#include "platform/utf.h"

namespace bivane::test {

namespace {
LRESULT CALLBACK RecordText(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_SETTEXT) {
        reinterpret_cast<std::vector<std::string>*>(ref)->push_back(Narrow(reinterpret_cast<const wchar_t*>(lp)));
    }
    return DefSubclassProc(h, msg, wp, lp);
}
}  // namespace

TextRecorder::TextRecorder(HWND control) : control_(control) {
    SetWindowSubclass(control_, &RecordText, 7, reinterpret_cast<DWORD_PTR>(&texts));
}
TextRecorder::~TextRecorder() { RemoveWindowSubclass(control_, &RecordText, 7); }

ULONGLONG PaintAlwaysDue() {
    static ULONGLONG now = 0;
    return now += 1000;
}
ULONGLONG ClockStandingStill() { return 1000000; }

namespace {
void SnapInto(const std::string& root, const std::string& rel, Snapshot& out) {
    WIN32_FIND_DATAW fd;
    const std::string dir = rel.empty() ? root : root + "\\" + rel;
    AutoFindHandle find(FindFirstFileW(Widen(dir + "\\*").c_str(), &fd));
    if (!find) return;
    do {
        const std::string name = Narrow(fd.cFileName);
        if (name == "." || name == "..") continue;
        const std::string path = rel.empty() ? name : rel + "\\" + name;
        FileState st;
        st.dir = fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        st.attributes = fd.dwFileAttributes;
        if (!st.dir) {
            st.size = (static_cast<std::int64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            st.lastWrite = (static_cast<std::uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
                           fd.ftLastWriteTime.dwLowDateTime;
            st.content = ReadAll(root + "\\" + path);
        }
        out[path] = st;
        if (st.dir) SnapInto(root, path, out);
    } while (FindNextFileW(find.get(), &fd));
}
}  // namespace

Snapshot Snap(const std::string& root) {
    Snapshot s;
    SnapInto(root, "", s);
    return s;
}

std::set<std::string> Changes(const Snapshot& before, const Snapshot& after) {
    std::set<std::string> out;
    for (const auto& [path, st] : before) {
        auto it = after.find(path);
        if (it == after.end() || !(it->second == st)) out.insert(path);
    }
    for (const auto& [path, st] : after) {
        if (!before.count(path)) out.insert(path);
    }
    return out;
}

std::uint64_t LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &d)) return 0;
    return (static_cast<std::uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
}

void SetLastWrite(const std::string& path, std::uint64_t ticks) {
    AutoCloseHandle h(CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const FILETIME t{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    ASSERT_TRUE(h && SetFileTime(h.get(), nullptr, nullptr, &t)) << path;
}

std::string DriveFolder(char letter) {
    static std::atomic<int> counter{0};
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeW(Widen(root).c_str()) != DRIVE_FIXED) return {};
    if (GetFileAttributesW(Widen(root).c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    const std::string dir = root + "bvt" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
    RemoveTree(dir);
    MakeDir(dir);
    return dir;
}

void FileOpsTest::Tag(Pane& s, const std::string& caption) {
    const int i = IndexOfCaption(s, caption);
    ASSERT_GE(i, 0) << caption;
    form->TagEntry(s, i);
    form->UpdateTagTotals(form->Active());
}

void FileOpsTest::ExpectReplace(int answer, const std::string& text) {
    modals.ExpectDialog("ReplaceDialog", [=](ModalForm& f) {
        if (!text.empty()) {
            EXPECT_EQ(static_cast<ReplaceDialog&>(f).Text(), text);
        }
        return answer;
    });
}

bool UntilStopped() {
    const Job* job = JobQueue::Current();
    for (int i = 0; job && i < 2000 && !job->stop; ++i) Sleep(1);
    return job && job->stop;
}

}  // namespace bivane::test
