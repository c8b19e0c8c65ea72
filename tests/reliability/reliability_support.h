// Helpers of the reliability tests: locks, a drive letter whose folder comes and goes, and the
// menu run through the window's dispatch so that errors reach the top-level error box.
#pragma once
#include <string>

#include "fileops/fileops_support.h"
#include "platform/handles.h"

namespace bivane::test {

// Another handle on the file that shares nothing: others can neither read, write nor delete it.
AutoCloseHandle LockAgainstReading(const std::string& path);

// Another program removes the folder. Windows keeps the process's current directory from being
// removed, so this leaves it first, as a removal from the Linux side (which nothing stops) would.
void RemoveBehindOurBack(const std::string& dir);


// M: is linked to <build>/drive-missing, which normally does not exist. This brings it to life
// for a test and takes it away again (Vanish, or at the end of the scope).
class VanishingDrive {
public:
    VanishingDrive();
    ~VanishingDrive();
    VanishingDrive(const VanishingDrive&) = delete;
    VanishingDrive& operator=(const VanishingDrive&) = delete;
    bool Ready() const { return ready_; }
    void Vanish();  // removes the folder behind M: with everything in it

private:
    std::string folder_;
    bool ready_ = false;
};

// Removes what the recycle bin holds under names matching pattern, from the host side (so links in
// it go as links). Wine's bin refuses a name it already holds a leftover of.
void EmptyTrash(const std::string& pattern = "*");


class ReliabilityTest : public FileOpsTest {
protected:
    void SetUp() override { MakeSideFolders(); }
    // As the menu runs it: an error the command does not catch reaches the error box.
    void RunMenu(MenuItem item) {
        SendMessageW(form->Handle(), WM_COMMAND, static_cast<WPARAM>(IdMenuBase + static_cast<int>(item)), 0);
    }
    // The side's state after a failed command: still the source side active, its directory current.
    void ExpectLeftActiveIn(const std::string& dir);
    // Stale temporaries the copy leaves (there must be none).
    static int Temporaries(const std::string& dir);
};

}  // namespace bivane::test
