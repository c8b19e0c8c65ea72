// Move, delete, make directory and rename under the faults that apply to them. A move is a rename
// on one drive (across drives it becomes a copy), so a full disk or a failing read cannot touch it.
#include <atomic>

#include "fileops/confirm_dialog.h"
#include "core/errors.h"
#include "fileops/text_dialog.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"

namespace bivane::test {

namespace {

ConfirmDialog& AsConfirm(ModalForm& f) { return static_cast<ConfirmDialog&>(f); }

std::function<int(ModalForm&)> Type(const std::string& text, std::function<void()> meanwhile = {}) {
    return [=](ModalForm& f) {
        static_cast<TextDialog&>(f).SetText(text);
        if (meanwhile) meanwhile();
        return IDOK;
    };
}

std::string MoveError(const std::string& name, const std::string& from, const std::string& to) {
    return "Can't move '" + name + "'\rfrom " + from + "\rto '" + to + "'";
}

class OtherFaults : public ReliabilityTest {
protected:
    void SetUp() override {
        ReliabilityTest::SetUp();
        Make({{"L\\A.txt", 100}, {"L\\B.txt", 200}, {"L\\C.txt", 300}});
    }
    // Confirms a delete, to the bin or not; then the box that says what stayed, when one is given.
    void Delete(bool recycle, const std::string& stayed = "") {
        modals.ExpectDialog("ConfirmDialog", [=](ModalForm& f) {
            AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, recycle);
            return IDOK;
        });
        if (!stayed.empty()) modals.ExpectBox(stayed, IDOK, "Warning");
        RunMenu(MenuItem::Delete);
    }
};

}  // namespace

// ---- move

TEST_F(OtherFaults, MoveOfALockedSourceIsRefusedAndTheRestMoves) {
    StartSides(L(), R());
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    const Snapshot before = Snap(tmp.Path());
    AutoCloseHandle lock = LockAgainstReading(L() + "\\B.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox(MoveError("B.txt", L(), R()), IDOK, "Error");
    RunMenu(MenuItem::Move);
    lock.reset();
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\A.txt", "L\\C.txt", "R\\A.txt", "R\\C.txt"}));
    EXPECT_EQ(ReadAll(R() + "\\A.txt"), before.at("L\\A.txt").content);
    ExpectLeftActiveIn(L());
}

TEST_F(OtherFaults, MoveOntoAReadOnlyOrExistingTargetIsRefused) {
    MakeFile(R() + "\\A.txt", 7);
    SetAttributes(R() + "\\A.txt", FILE_ATTRIBUTE_READONLY);
    StartSides(L(), R());
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox(MoveError("A.txt", L(), R()), IDOK, "Error");
    RunMenu(MenuItem::Move);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    SetAttributes(R() + "\\A.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(OtherFaults, MoveAfterTheTargetOrSourceWasRemoved) {
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    Tag(Left(), "B.txt");
    const Snapshot before = Snap(L());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        RemoveTree(R());
        return IDOK;
    });
    modals.ExpectBox(MoveError("A.txt", L(), R()), IDOK, "Error");
    modals.ExpectBox(MoveError("B.txt", L(), R()), IDOK, "Error");
    RunMenu(MenuItem::Move);
    EXPECT_EQ(Changes(before, Snap(L())), std::set<std::string>{});
    ExpectLeftActiveIn(L());

    MakeDir(R());
    const Snapshot before2 = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        RemoveTree(L() + "\\A.txt");  // another program takes it away meanwhile
        return IDOK;
    });
    // Gone since listed: left alone and named; the rest is moved.
    modals.ExpectBox("Changed since the side was read, so nothing was done to:\rA.txt (gone)\rThe side is read again.",
                     IDOK, "Warning");
    RunMenu(MenuItem::Move);
    EXPECT_EQ(ChangedSince(before2), (std::set<std::string>{"L\\A.txt", "L\\B.txt", "R\\B.txt"}));
    EXPECT_EQ(ReadAll(R() + "\\B.txt"), before2.at("L\\B.txt").content);
}

// ---- delete

TEST_F(OtherFaults, DeleteOfALockedFileLeavesItInPlace) {
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    Tag(Left(), "B.txt");
    const Snapshot before = Snap(tmp.Path());
    AutoCloseHandle lock = LockAgainstReading(L() + "\\B.txt");
    Delete(false, "Can't delete 'B.txt'.\r1 entry could not be deleted:\r" + L() + "\\B.txt (in use)");
    EXPECT_NE(IndexOfCaption(Left(), "B.txt"), -1);  // still listed after the reload
    Pick(Left(), "B.txt");
    // The bin cannot take a file in use; asked whether to delete it for good, the user says No.
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, true);
        return IDOK;
    });
    modals.ExpectBox("The recycle bin cannot take 'B.txt'.\r\rDelete it for good?", IDNO, "Warning");
    RunMenu(MenuItem::Delete);
    lock.reset();  // (the snapshot could not read it while locked)
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"L\\A.txt"});
}

TEST_F(OtherFaults, DeleteOfAReadOnlyFile) {
    SetAttributes(L() + "\\A.txt", FILE_ATTRIBUTE_READONLY);
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    // The plain deletion refuses read-only files; the user is told which and why.
    Delete(false, "Can't delete 'A.txt'.\r1 entry could not be deleted:\r" + L() + "\\A.txt (access denied)");
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    EXPECT_NE(IndexOfCaption(Left(), "A.txt"), -1);
    SetAttributes(L() + "\\A.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(OtherFaults, DeleteAfterTheSourceDirectoryWasRemoved) {
    StartSidesWith({{"Keep\\k.txt", 4}});
    Tag(Left(), "A.txt");
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        RemoveBehindOurBack(L());
        return IDOK;
    });
    modals.ExpectBox(WithFullStop("File not found"), IDOK, kAppTitle);
    RunMenu(MenuItem::Delete);
    EXPECT_TRUE(Exists(tmp / "Keep\\k.txt"));
    EXPECT_TRUE(Exists(R()));
}

TEST_F(OtherFaults, DeleteOfAFileAlreadyGoneReloadsTheSide) {
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    Tag(Left(), "B.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, false);
        RemoveTree(L() + "\\A.txt");
        return IDOK;
    });
    modals.ExpectBox("Changed since the side was read, so nothing was done to:\rA.txt (gone)\rThe side is read again.",
                     IDOK, "Warning");
    RunMenu(MenuItem::Delete);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\A.txt", "L\\B.txt"}));
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "C.txt"}));
}

TEST_F(OtherFaults, DeleteOnADriveWhoseFolderVanished) {
    VanishingDrive m;
    if (!m.Ready()) GTEST_SKIP() << "drive M: not linked (drives.sh)";
    MakeFile("M:\\Gone.txt", 10);
    StartSides("M:\\", R());
    Pick(Left(), "Gone.txt");
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        m.Vanish();
        return IDOK;
    });
    modals.ExpectBox(WithFullStop("Invalid filename"), IDOK, kAppTitle);
    RunMenu(MenuItem::Delete);
    EXPECT_TRUE(Exists(R()));
}

// ---- make directory

TEST_F(OtherFaults, MakeDirectoryFailuresAreReported) {
    MakeFile(L() + "\\Taken", 5);
    SetAttributes(L() + "\\Taken", FILE_ATTRIBUTE_READONLY);
    StartSides(L(), R());
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TextDialog", Type("Taken"));
    modals.ExpectBox("Error creating diectory\rTaken", IDOK, "Error");
    form->MakeNewDirectory(form->Active());
    modals.ExpectDialog("TextDialog", Type("M:\\New"));  // a drive letter whose folder is not there
    modals.ExpectBox("Error creating diectory\rM:\\New", IDOK, "Error");
    form->MakeNewDirectory(form->Active());
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    SetAttributes(L() + "\\Taken", FILE_ATTRIBUTE_NORMAL);
}

// Under Wine a folder that a handle holds open is not removed, though the removal reports success:
// a folder that a side's follower watches goes at once while following is paused, as it is around
// the program's own copy, move, delete and rename; and the follower tells that it went.
TEST_F(OtherFaults, AWatchedFolderIsReallyRemovedWhileFollowingIsPaused) {
    const std::string shown = L() + "\\Shown";
    MakeDir(shown);
    std::atomic<int> told{0};
    FolderFollower follower([&] { ++told; return true; });
    follower.Follow(shown);
    Sleep(150);  // the follower's thread has started watching
    {
        PausedFollowing paused(&follower, nullptr);
        ASSERT_TRUE(RemoveDirectoryW(Widen(shown).c_str()));
        EXPECT_FALSE(Exists(shown));
    }
    EXPECT_GE(PumpUntil([&] { return told > 0; }, 2.0), 0.0);
}

// F2 on the folder the other side shows: it goes, and the other side with it to the folder above.
TEST_F(OtherFaults, AFolderTheOtherSideShowsIsGoneOnceF2DeletedIt) {
    Make({{"L\\Shown\\x.txt", 1}});
    StartSides(L(), L() + "\\Shown");
    Pick(Left(), "<Shown>");
    Sleep(150);  // the follower's thread has started watching
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, false);  // for good
        return IDOK;
    });
    form->DirDeleteRequest = true;
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
    form->DirDeleteRequest = false;
    EXPECT_FALSE(Exists(L() + "\\Shown"));
    EXPECT_EQ(Right().Directory(), L());
    EXPECT_LT(IndexOfCaption(Left(), "<Shown>"), 0);
}

TEST_F(OtherFaults, MakeDirectoryAfterTheSideDirectoryWasRemoved) {
    StartSides(L(), R());
    RemoveBehindOurBack(L());
    modals.ExpectBox(WithFullStop("File not found"), IDOK, kAppTitle);
    form->Guard([&] { form->MakeNewDirectory(form->Active()); });
    EXPECT_FALSE(Exists(L()));
    EXPECT_FALSE(Exists("C:\\New"));
}

// ---- rename

TEST_F(OtherFaults, RenameFailuresKeepTheOldName) {
    MakeFile(L() + "\\Ro.txt", 5);
    SetAttributes(L() + "\\Ro.txt", FILE_ATTRIBUTE_READONLY);
    StartSides(L(), R());
    const Snapshot before = Snap(tmp.Path());
    auto rename = [&](const std::string& from, const std::string& to, std::function<void()> meanwhile = {}) {
        Pick(Left(), from);
        modals.ExpectDialog("TextDialog", Type(to, meanwhile));
        modals.ExpectBox("Can't rename '" + from + "'\rto '" + to + "'", IDOK, "Error");
        form->RenameCurrent(form->Active());
        EXPECT_EQ(Left().Entries[static_cast<size_t>(Left().CurrentItem)].caption, from);
        EXPECT_FALSE(Left().RenamePending);
    };
    rename("A.txt", "Ro.txt");  // a read-only file has that name
    rename("B.txt", "M:\\B.txt");  // a drive letter whose folder is not there
    {
        AutoCloseHandle lock = LockAgainstReading(L() + "\\C.txt");
        rename("C.txt", "D.txt");
    }
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    rename("A.txt", "Z.txt", [&] { RemoveTree(L() + "\\A.txt"); });  // gone meanwhile
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"L\\A.txt"});
    SetAttributes(L() + "\\Ro.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(OtherFaults, RenameAfterTheSideDirectoryWasRemoved) {
    StartSidesWith({{"Keep\\"}});
    Pick(Left(), "A.txt");
    modals.ExpectDialog("TextDialog", Type("Z.txt", [&] { RemoveBehindOurBack(L()); }));
    modals.ExpectBox("Can't rename 'A.txt'\rto 'Z.txt'", IDOK, "Error");
    form->RenameCurrent(form->Active());
    EXPECT_TRUE(Exists(tmp / "Keep"));
    EXPECT_FALSE(Exists(tmp / "Z.txt"));
}

}  // namespace bivane::test
