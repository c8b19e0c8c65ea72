// Copy under faults: every file around is compared before and after (contents, sizes, times,
// attributes), and the user must have been told what failed in the program's own words.
#include <functional>
#include <memory>
#include <utility>

#include "fileops/confirm_dialog.h"
#include "core/errors.h"
#include "fileops/copy_file.h"
#include "fileops/progress_dialog.h"
#include "fileops/replace_dialog.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"
#include "support/unix_shell.h"

namespace bivane::test {

namespace {

// A case's fault, set up when called; it lasts while what it returns lives.
using Fault = std::function<std::shared_ptr<void>()>;
template <class T, class Arg>
Fault Lasting(Arg arg) {
    return [arg] { return std::make_shared<T>(arg); };
}

struct Locked {
    explicit Locked(const std::string& path) : handle(LockAgainstReading(path)) {}
    AutoCloseHandle handle;
};

struct ReadOnly {
    explicit ReadOnly(std::string file) : path(std::move(file)) { SetAttributes(path, FILE_ATTRIBUTE_READONLY); }
    ~ReadOnly() { SetAttributes(path, FILE_ATTRIBUTE_NORMAL); }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;
    std::string path;
};

class CopyFaults : public ReliabilityTest {
protected:
    // A, B, C tagged on the left (100, 20000 and 300 bytes); an older B on the right.
    void StartWithThreeTagged() {
        StartSidesWith({{"L\\A.txt", 100}, {"L\\B.txt", 20000}, {"L\\C.txt", 300}, {"R\\B.txt", 9, &old}});
        for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    }
    const SYSTEMTIME old = LocalTimeOf(1999, 12, 31, 23, 59);
};

}  // namespace

// B fails in its own way (its write or read falls short, or it cannot be
// opened at either end): A is copied, the old B on the right stays as it was, C is not tried, no
// temporary is left, and the user is told in the program's own words which were not copied.
TEST_F(CopyFaults, AFileThatFailsKeepsTheOldTargetAndEndsTheCopy) {
    const struct {
        const char* what;
        Fault fault;
        std::string error;
    } cases[] = {
        {"write falls short", Lasting<SimulatedCopyFaults>(DeviceFaults{.writeLimit = 10000}),
         "Failure writing file\r" + R() + "\\B.txt"},
        {"read falls short", Lasting<SimulatedCopyFaults>(DeviceFaults{.readLimit = 8192}),
         "Failure reading file\r" + L() + "\\B.txt"},
        {"source locked against reading", Lasting<Locked>(L() + "\\B.txt"), "Cannot open file " + L() + "\\B.txt"},
        {"target read-only", Lasting<ReadOnly>(R() + "\\B.txt"), "Cannot create file " + R() + "\\B.txt"},
        {"target held open by another program", Lasting<Locked>(R() + "\\B.txt"), "Cannot create file " + R() + "\\B.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTree(R() + "\\A.txt");  // the case before copied it
        StartWithThreeTagged();
        const Snapshot before = Snap(tmp.Path());
        {
            const std::shared_ptr<void> fault = c.fault();
            modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
            ExpectReplace(ReplaceDialog::IdReplaceAll);  // the older B on the right
            modals.ExpectBox(WithFullStop(c.error), IDOK, kAppTitle);
            modals.ExpectBox("2 of the 3 files were not copied:\rB.txt\rC.txt", IDOK, "Warning");
            RunMenu(MenuItem::Copy);
        }
        modals.VerifyDone();
        EXPECT_EQ(ChangedSince(before), std::set<std::string>{"R\\A.txt"});
        EXPECT_EQ(ReadAll(R() + "\\B.txt"), before.at("R\\B.txt").content);
        EXPECT_EQ(Temporaries(R()), 0);
        EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "A.txt", "B.txt"}));
        ExpectLeftActiveIn(L());
    }
}

// The target folder disappears while the question is on the screen.
TEST_F(CopyFaults, TargetDirectoryRemovedAfterConfirmation) {
    StartWithThreeTagged();
    const Snapshot before = Snap(L());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        RemoveTree(R());
        return IDOK;
    });
    modals.ExpectBox(WithFullStop("Cannot create file " + R() + "\\A.txt"), IDOK, kAppTitle);
    modals.ExpectBox("3 of the 3 files were not copied:\rA.txt\rB.txt\rC.txt", IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(Changes(before, Snap(L())), std::set<std::string>{});
    EXPECT_FALSE(Exists(R()));
    ExpectLeftActiveIn(L());
    EXPECT_EQ(Left().TagCount, 3);
}

// The target folder goes while a folder is copied into it: the copy stops at once and names what it
// did not copy.
TEST_F(CopyFaults, TargetFolderRemovedDuringAFolderCopy) {
    StartSidesWith({{"L\\Box\\a.txt", 30000}, {"L\\Box\\b.txt", 100}, {"L\\Box\\c.txt", 100}, {"L\\Box\\d.txt", 100}});
    bool removed = false;
    SimulatedCopyFaults faults(DeviceFaults{.afterFirstBlock = [&] {
        if (!std::exchange(removed, true)) RemoveBehindOurBack(R());
    }});
    Pick(Left(), "<Box>");
    const Snapshot before = Snap(L());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox(WithFullStop("Cannot create file " + R() + "\\Box\\a.txt"), IDOK, kAppTitle);
    modals.ExpectBox("4 of the 4 files were not copied:\rBox\\a.txt\rBox\\b.txt\rBox\\c.txt\rBox\\d.txt", IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    modals.VerifyDone();
    EXPECT_EQ(Changes(before, Snap(L())), std::set<std::string>{});
    EXPECT_FALSE(Exists(R()));
    ExpectLeftActiveIn(L());
}

TEST_F(CopyFaults, SourceRemovedAfterConfirmation) {
    StartWithThreeTagged();
    Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        RemoveTree(L() + "\\A.txt");
        return IDOK;
    });
    ExpectReplace(ReplaceDialog::IdReplaceAll);  // the older B on the right
    // Gone since listed: named, left alone, the others copied, the source side read again.
    modals.ExpectBox("Changed since the side was read, so nothing was done to:\rA.txt (gone)\rThe side is read again.",
                     IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\A.txt", "R\\B.txt", "R\\C.txt"}));
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "B.txt", "C.txt"}));
    EXPECT_EQ(Temporaries(R()), 0);
    ExpectLeftActiveIn(L());
}

// A program of the host cuts, grows or only re-dates the source while it is copied (under Wine the
// open's sharing does not keep it out): the file fails, nothing is left at the target and the old
// target stays as it was.
TEST_F(CopyFaults, SourceChangedWhileItWasCopied) {
    const std::string unixB = UnixPath(L() + "\\B.txt");
    if (unixB.empty()) GTEST_SKIP() << "changes from the host need Wine";
    StartWithThreeTagged();
    for (const char* change : {"truncate -s 9000", "truncate -s 40000", "touch -d '2001-02-03 04:05'"}) {
        MakeFile(L() + "\\B.txt", 20000);
        form->Reread(form->Active());
        Pick(Left(), "B.txt");
        const Snapshot before = Snap(R());
        SimulatedCopyFaults faults(DeviceFaults{.afterFirstBlock = [&] {
            EXPECT_EQ(RunShell(std::string(change) + " '" + unixB + "'"), 0);
        }});
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        ExpectReplace(ReplaceDialog::IdReplaceAll);  // the older B on the right
        modals.ExpectBox(WithFullStop("File changed while it was copied\r" + L() + "\\B.txt"), IDOK, kAppTitle);
        RunMenu(MenuItem::Copy);
        modals.VerifyDone();
        EXPECT_EQ(Changes(before, Snap(R())), std::set<std::string>{}) << change;
        EXPECT_EQ(Temporaries(R()), 0);
    }
}

// The target drive's folder vanishes after the question: the space check cannot read the drive.
TEST_F(CopyFaults, TargetDriveVanishedAfterConfirmation) {
    VanishingDrive m;
    if (!m.Ready()) GTEST_SKIP() << "drive M: not linked (drives.sh)";
    MakeFile(L() + "\\A.txt", 100);
    StartSides(L(), "M:\\");
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        m.Vanish();
        return IDOK;
    });
    modals.ExpectBox("Insufficient disk space\ron drive M: \rfor A.txt", IDOK, "Warning");
    modals.ExpectBox(WithFullStop("Invalid filename"), IDOK, kAppTitle);  // the target side cannot be read again
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    ExpectLeftActiveIn(L());
}

// A real small disk: replacing a file needs room for the old and the new copy at once, because the
// new one is written beside the old; the space check counts both, so nothing is begun.
TEST_F(CopyFaults, DiskFullMidFileOnASmallDrive) {
    const std::string s = DriveFolder('S');
    if (s.empty()) GTEST_SKIP() << "no small drive S: (drives.sh could not mount a tmpfs)";
    MakeFile(L() + "\\Big.bin", 300000);
    MakeFile(s + "\\Big.bin", 200000, &old);
    ULARGE_INTEGER a{}, t{}, freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &a, &t, &freeBytes));
    const std::int64_t filler = static_cast<std::int64_t>(freeBytes.QuadPart) - 250000;
    if (filler > 0) MakeFile(s + "\\filler.bin", filler);
    StartSides(L(), s);
    Pick(Left(), "Big.bin");
    const Snapshot before = Snap(tmp.Path());
    const Snapshot drive = Snap(s);
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    ExpectReplace(ReplaceDialog::IdReplaceAll);  // the older Big.bin there
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor Big.bin", IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    EXPECT_EQ(Changes(drive, Snap(s)), std::set<std::string>{});
    EXPECT_EQ(Temporaries(s), 0);
    // A new file that does not fit at all is refused before anything is written.
    MakeFile(L() + "\\Huge.bin", 400000);
    form->Reread(form->Active());
    Pick(Left(), "Huge.bin");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor Huge.bin", IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(Changes(drive, Snap(s)), std::set<std::string>{});
    RemoveTree(s);
}

}  // namespace bivane::test
