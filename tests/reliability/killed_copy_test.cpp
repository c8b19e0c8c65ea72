// A copy ended from outside (the process killed) must leave the old target exactly as it was, and
// whatever temporary it leaves must not pass for the user's file; the next copy into that folder
// removes it.
#include "fileops/confirm_dialog.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"

namespace bivane::test {

namespace {

std::string HelperPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::string path = Narrow(self);
    return path.substr(0, path.find_last_of('\\') + 1) + "copy_victim.exe";
}

struct Found {
    std::string name;
    DWORD attributes;
    std::int64_t size;
};
std::vector<Found> FindTemporaries(const std::string& dir) {
    std::vector<Found> out;
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW(Widen(dir + "\\~bvcopy*").c_str(), &fd));
    if (find) {
        do out.push_back({Narrow(fd.cFileName), fd.dwFileAttributes,
                          (static_cast<std::int64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow});
        while (FindNextFileW(find.get(), &fd));
    }
    return out;
}

bool IsOwnTemporaryName(const std::string& n) {
    if (n.size() != 19 || n.rfind("~bvcopy", 0) != 0 || n.substr(15) != ".tmp") return false;
    return n.find_first_not_of("0123456789abcdef", 7) == 15;
}

class KilledCopy : public ReliabilityTest {};

}  // namespace

TEST_F(KilledCopy, OldTargetSurvivesAndTheLeftoverIsHiddenThenRemoved) {
    constexpr std::int64_t kSize = 400ll << 20;  // sparse: reads as zeros, takes no disk
    {
        AutoCloseHandle f(CreateFileW(Widen(L() + "\\Big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(static_cast<bool>(f));
        LARGE_INTEGER end;
        end.QuadPart = kSize;
        ASSERT_TRUE(SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(f.get()));
    }
    const SYSTEMTIME old = LocalTimeOf(2001, 2, 3, 4, 5);
    Make({{"R\\Big.bin", 5000, &old}, {"R\\Other.txt", 10, &old}});
    const Snapshot before = Snap(R());

    std::wstring cmd = L"\"" + Widen(HelperPath()) + L"\" \"" + Widen(L() + "\\Big.bin") + L"\" \"" +
                       Widen(R() + "\\Big.bin") + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << HelperPath();
    AutoKernelHandle process(pi.hProcess), thread(pi.hThread);
    // Wait until the temporary has grown past a megabyte, then end the copy without warning.
    bool grown = false;
    for (int i = 0; i < 6000 && !grown; ++i) {
        for (const Found& t : FindTemporaries(R())) grown = grown || t.size > (1 << 20);
        if (!grown) {
            ASSERT_EQ(WaitForSingleObject(process.get(), 10), WAIT_TIMEOUT) << "the copy ended before it was killed";
        }
    }
    ASSERT_TRUE(grown);
    ASSERT_TRUE(TerminateProcess(process.get(), 9));
    ASSERT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);

    // The old target and its neighbour are exactly as they were; one leftover, clearly a temporary.
    const std::set<std::string> changed = Changes(before, Snap(R()));
    ASSERT_EQ(changed.size(), 1u);
    const std::vector<Found> left = FindTemporaries(R());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(*changed.begin(), left[0].name);
    EXPECT_TRUE(IsOwnTemporaryName(left[0].name)) << left[0].name;
    EXPECT_TRUE(left[0].attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_LT(left[0].size, kSize);

    // The program never lists it, and the next listing of the folder clears it away; a file that
    // only looks like one (wrong pattern, or not hidden) and a temporary still open are kept.
    MakeFile(R() + "\\~bvcopy1234567.tmp", 3);
    MakeFile(R() + "\\~bvcopy0badc0de.tmp", 3);  // not hidden: the user's own
    MakeFile(R() + "\\~bvcopy0000abcd.tmp", 3);
    SetAttributes(R() + "\\~bvcopy0000abcd.tmp", FILE_ATTRIBUTE_HIDDEN);
    AutoCloseHandle busy = LockAgainstReading(R() + "\\~bvcopy0000abcd.tmp");
    // Staging folders: a killed copy's, with its temporary (cleared away); one a running copy
    // holds, as it does, without sharing deletion (kept); one that holds a file of the user's (kept).
    for (const char* d : {"~bvcopy0badf00d.dir", "~bvcopy0000beef.dir", "~bvcopy0000cafe.dir"}) {
        MakeDir(R() + "\\" + d);
        SetAttributes(R() + "\\" + d, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    }
    MakeFile(R() + "\\~bvcopy0badf00d.dir\\~bvcopy11112222.tmp", 3);  // hidden or not in there
    MakeFile(R() + "\\~bvcopy0badf00d.dir\\~bvcopy33334444.tmp", 3);
    SetAttributes(R() + "\\~bvcopy0badf00d.dir\\~bvcopy11112222.tmp", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(R() + "\\~bvcopy0000cafe.dir\\keep.txt", 3);
    AutoCloseHandle held(CreateFileW(Widen(R() + "\\~bvcopy0000beef.dir").c_str(), FILE_LIST_DIRECTORY,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(held);
    StartSidesWith({{"L\\Small.txt", 10}});
    EXPECT_EQ(IndexOfCaption(Right(), left[0].name), -1);
    EXPECT_FALSE(Exists(R() + "\\" + left[0].name)) << "still there after the side listed its folder";
    EXPECT_NE(IndexOfCaption(Right(), "~bvcopy0badc0de.tmp"), -1);
    EXPECT_FALSE(Exists(R() + "\\~bvcopy0badf00d.dir"));
    Pick(Left(), "Small.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Copy);
    busy.reset();
    held.reset();
    EXPECT_FALSE(Exists(R() + "\\" + left[0].name));
    EXPECT_TRUE(Exists(R() + "\\~bvcopy1234567.tmp"));
    EXPECT_TRUE(Exists(R() + "\\~bvcopy0badc0de.tmp"));
    EXPECT_TRUE(Exists(R() + "\\~bvcopy0000abcd.tmp"));
    // The copy's own staging folder is gone with it.
    EXPECT_EQ(Changes(before, Snap(R())),
              (std::set<std::string>{"Small.txt", "~bvcopy1234567.tmp", "~bvcopy0badc0de.tmp", "~bvcopy0000abcd.tmp",
                                     "~bvcopy0000beef.dir", "~bvcopy0000cafe.dir", "~bvcopy0000cafe.dir\\keep.txt"}));
}

}  // namespace bivane::test
