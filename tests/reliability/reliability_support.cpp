#include "reliability/reliability_support.h"

#include "support/unix_shell.h"

#include <cstdlib>

#include "platform/utf.h"

namespace bivane::test {

AutoCloseHandle LockAgainstReading(const std::string& path) {
    AutoCloseHandle h(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(static_cast<bool>(h)) << "cannot lock " << path;
    return h;
}

void RemoveBehindOurBack(const std::string& dir) {
    SetCurrentDirectoryW(L"C:\\");
    // Another program removes it, a Linux one here: under Wine a Windows program's removal would
    // wait for the side's follower to let the folder go.
    const std::string unix = UnixPath(dir);
    if (unix.empty()) {
        RemoveTree(dir);
    } else {
        EXPECT_EQ(RunShell("rm -rf '" + unix + "'"), 0);
    }
    EXPECT_FALSE(Exists(dir));
}

VanishingDrive::VanishingDrive() {
    const std::string build = BuildFolder();
    if (build.empty()) return;
    folder_ = build + "\\drive-missing";
    RemoveTree(folder_);
    ready_ = CreateDirectoryW(Widen(folder_).c_str(), nullptr) && GetFileAttributesW(L"M:\\") != INVALID_FILE_ATTRIBUTES;
}

VanishingDrive::~VanishingDrive() {
    if (!folder_.empty()) Vanish();
}

void VanishingDrive::Vanish() {
    SetCurrentDirectoryW(L"C:\\");
    RemoveTree(folder_);
}

void ReliabilityTest::ExpectLeftActiveIn(const std::string& dir) {
    EXPECT_TRUE(form->LeftActive);
    wchar_t cur[MAX_PATH * 4];
    GetCurrentDirectoryW(MAX_PATH * 4, cur);
    EXPECT_EQ(Narrow(cur), dir);
}

int ReliabilityTest::Temporaries(const std::string& dir) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW(Widen(dir + "\\~bvcopy*").c_str(), &fd));
    if (find) {
        do ++n;
        while (FindNextFileW(find.get(), &fd));
    }
    return n;
}

void EmptyTrash(const std::string& pattern) {
    const std::string trash = "$XDG_DATA_HOME/Trash/";
    // find, not a glob: the bin may hold 100,000 files, more than one command line takes.
    for (const char* part : {"files", "info"}) {
        RunShell("find " + trash + part + " -mindepth 1 -maxdepth 1 -name '" + pattern + "' -exec rm -rf {} +");
    }
}

}  // namespace bivane::test
