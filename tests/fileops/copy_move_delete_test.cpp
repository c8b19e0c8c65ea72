// Copy, move and delete through the command, on real folders, with the dialogs scripted.
#include "fileops/confirm_dialog.h"
#include "fileops/fileops_support.h"
#include "fileops/replace_dialog.h"
#include "fileops/progress_dialog.h"
#include "platform/fs.h"
#include "platform/removal.h"
#include "platform/utf.h"

namespace bivane::test {

namespace {

TConfirm& AsConfirm(ModalForm& f) { return static_cast<TConfirm&>(f); }

// The recycle bin under Wine: the XDG trash of the user's home, which Wine passes on as
// WINEHOMEDIR ("\??\Z:\home\user"); XDG_DATA_HOME, when set, takes its place.
std::string TrashFiles() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        std::string path = std::string("Z:") + xdg + "/Trash/files";
        for (char& c : path) if (c == '/') c = '\\';
        return path;
    }
    const char* home = std::getenv("WINEHOMEDIR");
    std::string path = home ? home : "";
    if (path.rfind("\\??\\", 0) == 0) path = path.substr(4);
    return path + "\\.local\\share\\Trash\\files";
}

class CopyMoveDelete : public FileOpsTest {
protected:
    void SetUp() override { MakeSideFolders(); }
};

}  // namespace

TEST_F(CopyMoveDelete, CopiesTheCurrentFileAndSelectsItOnBothSides) {
    MakeFile(L() + "\\A.txt", 20000);
    MakeFile(L() + "\\B.txt", 10);
    MakeFile(R() + "\\Z.txt", 5);
    StartSides(L(), R());
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [&](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Copy");
        EXPECT_EQ(c.Text(c.Label3), "Copy:");
        EXPECT_EQ(c.TextColor(c.Label3), RGB(0, 0, 128));
        EXPECT_EQ(c.Text(c.CurDesc), "A.txt");
        EXPECT_EQ(c.Text(c.FromDesc), "(Left) " + L());  // whole: it fits the line
        EXPECT_EQ(c.Text(c.ToDesc), "(Right) " + R());
        EXPECT_TRUE(IsShown(c.Label2) && IsShown(c.ToDesc));
        EXPECT_FALSE(IsShown(c.CheckBox1));
        // No tags: the engraved grey text, and only the current file can be chosen.
        EXPECT_EQ(c.Text(c.TagDesc), "(no tagged files)");
        EXPECT_EQ(c.Text(c.TagDesc2), "(no tagged files)");
        EXPECT_EQ(c.TextColor(c.TagDesc), RGB(128, 128, 128));
        EXPECT_EQ(c.TextColor(c.TagDesc2), RGB(255, 255, 255));
        EXPECT_TRUE(c.IsChecked(c.RadioButton1));
        EXPECT_FALSE(c.IsChecked(c.RadioButton2));
        EXPECT_FALSE(IsWindowEnabled(c.RadioButton2));
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Copy);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"R\\A.txt"}));
    EXPECT_EQ(ReadAll(R() + "\\A.txt"), ReadAll(L() + "\\A.txt"));
    // 20000 bytes: maximum 3, and the bar ends full.
    TProgress& p = *form->Progress;
    EXPECT_EQ(p.BarMax(), 3);
    EXPECT_EQ(p.BarPosition(), 3);
    EXPECT_EQ(p.Text(p.FileNameDesc), "A.txt");
    EXPECT_EQ(p.Text(p.SourceDir), L());
    EXPECT_EQ(p.Text(p.DestDir), R());
    EXPECT_FALSE(IsShown(p.Handle()));
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "A.txt", "Z.txt"}));
    EXPECT_TRUE(form->LeftActive);
    EXPECT_EQ(Right().CurrentName, "A.txt");
    EXPECT_EQ(Left().CurrentName, "A.txt");
}

TEST_F(CopyMoveDelete, CopiesTaggedFilesOnlyAndKeepsTheSourceTags) {
    MakeFile(L() + "\\A.txt", 100);
    MakeFile(L() + "\\B.txt", 200);
    MakeFile(L() + "\\C.txt", 300);
    MakeFile(L() + "\\D.txt", 400);
    MakeDir(L() + "\\Sub");
    MakeFile(R() + "\\B.txt", 7);  // replaced after the question
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    Tag(Left(), "B.txt");
    Tag(Left(), "C.txt");
    Pick(Left(), "D.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [&](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        EXPECT_EQ(c.Text(c.TagDesc), "600 bytes in 3 files");
        EXPECT_EQ(c.TextColor(c.TagDesc), RGB(0, 0, 0));
        EXPECT_EQ(c.Text(c.TagDesc2), "");
        EXPECT_TRUE(c.IsChecked(c.RadioButton2));
        EXPECT_FALSE(c.IsChecked(c.RadioButton1));
        EXPECT_TRUE(IsWindowEnabled(c.RadioButton1) && IsWindowEnabled(c.RadioButton2));
        return IDOK;
    });
    ExpectReplace(TReplace::IdReplaceAll,
                  "The target folder already holds a file of this name:\rB.txt\rIt is not newer than the file that "
                  "would replace it.");
    form->RunFileCommand(ConfirmMode::Copy);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"R\\A.txt", "R\\B.txt", "R\\C.txt"}));
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) EXPECT_EQ(ReadAll(R() + "\\" + n), ReadAll(L() + "\\" + n)) << n;
    EXPECT_EQ(form->Progress->Text(form->Progress->FileNameDesc), "C.txt");
    EXPECT_EQ(Left().TagCount, 3);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "B.txt"))].mark, 'Y');
    EXPECT_EQ(Right().CurrentName, "A.txt");
    EXPECT_EQ(Left().CurrentName, "A.txt");
}

// The dialog names each file while it is copied, but paints at most about 60 times a second: on
// a clock where a paint is always due every name reaches the label; on one that stands still only
// the first paint and the last (when the copy ends) do.
TEST_F(CopyMoveDelete, ProgressNamesEachFileAtMostOncePerPaint) {
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) MakeFile(L() + "\\" + n, 100);
    StartSides(L(), R());
    TProgress& p = *form->Progress;
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    const std::vector<std::string> dated = {"Setting file date...", " "};
    struct Case {
        ULONGLONG (*clock)();
        std::vector<std::string> names, status;
    };
    for (const Case& c : {Case{PaintAlwaysDue, {"A.txt", "B.txt", "C.txt"}, {dated[0], " ", dated[0], " ", dated[0], " "}},
                          Case{ClockStandingStill, {"C.txt"}, {" "}}}) {
        SCOPED_TRACE(c.names.size());
        p.Clock = c.clock;
        TextRecorder names(p.FileNameDesc), status(p.Status);
        modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
        if (c.clock == ClockStandingStill) ExpectReplace(TReplace::IdReplaceAll);  // the second round
        form->RunFileCommand(ConfirmMode::Copy);
        EXPECT_EQ(names.texts, c.names);
        EXPECT_EQ(status.texts, c.status);
        // What was held back is shown when the copy ends.
        EXPECT_EQ(WindowText(p.FileNameDesc), "C.txt");
        EXPECT_EQ(static_cast<int>(SendMessageW(p.Bar1, PBM_GETPOS, 0, 0)), p.BarPosition());
        EXPECT_EQ(static_cast<int>(SendMessageW(p.Bar1, PBM_GETRANGE, FALSE, 0)), p.BarMax());
        for (const char* n : {"A.txt", "B.txt", "C.txt"}) EXPECT_EQ(ReadAll(R() + "\\" + n), ReadAll(L() + "\\" + n));
    }
}

// Files the target holds already: one question before anything is written, and each answer
// does what it says. A is older there, B newer, C of the same minute, D not there.
TEST_F(CopyMoveDelete, FilesThatExistAreReplacedOnlyAsTheUserAnswers) {
    const SYSTEMTIME older = LocalTimeOf(2001, 1, 1, 10, 0), now = LocalTimeOf(2010, 6, 1, 12, 0),
                     newer = LocalTimeOf(2020, 1, 1, 10, 0);
    const std::string question =
        "The target folder already holds 3 files of these names:\rA.txt\rB.txt\rC.txt\r1 of them is NEWER than the "
        "file that would replace it.";
    const struct {
        int answer;
        std::set<std::string> changed;  // names in the target folder
    } cases[] = {
        {TReplace::IdReplaceAll, {"A.txt", "B.txt", "C.txt", "D.txt"}},
        {TReplace::IdReplaceOlder, {"A.txt", "D.txt"}},
        {TReplace::IdSkipExisting, {"D.txt"}},
        {IDCANCEL, {}},
    };
    int round = 0;
    for (const auto& c : cases) {
        // A pair of folders of its own each round.
        const std::string l = tmp / ("L" + std::to_string(round)), r = tmp / ("R" + std::to_string(round));
        ++round;
        MakeDir(l);
        MakeDir(r);
        for (const char* n : {"A.txt", "B.txt", "C.txt", "D.txt"}) MakeFile(l + "\\" + n, 100, &now);
        MakeFile(r + "\\A.txt", 7, &older);
        MakeFile(r + "\\B.txt", 8, &newer);
        MakeFile(r + "\\C.txt", 9, &now);
        StartSides(l, r);
        form->TagAll();
        const Snapshot before = Snap(r);
        modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
        modals.ExpectDialog("TReplace", [&](ModalForm& f) {
            EXPECT_EQ(static_cast<TReplace&>(f).Text(), question);
            EXPECT_EQ(Changes(before, Snap(r)), std::set<std::string>{}) << "written before the answer";
            return c.answer;
        });
        form->RunFileCommand(ConfirmMode::Copy);
        modals.VerifyDone();
        EXPECT_EQ(Changes(before, Snap(r)), c.changed) << c.answer;
        for (const std::string& name : c.changed) EXPECT_EQ(ReadAll(r + "\\" + name), ReadAll(l + "\\" + name));
        EXPECT_EQ(Left().TagCount, 4);
    }
}

TEST_F(CopyMoveDelete, NoAnswerOrADirectoryEntryCopiesNothing) {
    MakeFile(L() + "\\A.txt", 100);
    MakeDir(L() + "\\Sub");
    MakeFile(L() + "\\Sub\\x.txt", 5);
    StartSides(L(), R());
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "A.txt");
    modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDCANCEL; });
    form->RunFileCommand(ConfirmMode::Copy);
    Pick(Left(), "<Sub>");
    modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy);
    Pick(Left(), "[parent]");
    modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(CopyMoveDelete, CopyErrorEndsTheLoopAfterReloadingTheTarget) {
    MakeFile(L() + "\\A.txt", 100);
    MakeFile(L() + "\\B.txt", 200);
    MakeFile(L() + "\\C.txt", 300);
    MakeFile(R() + "\\B.txt", 9);
    SetAttributes(R() + "\\B.txt", FILE_ATTRIBUTE_READONLY);
    StartSides(L(), R());
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
    ExpectReplace(TReplace::IdReplaceAll);
    modals.ExpectBox("Cannot create file " + R() + "\\B.txt.", IDOK, "Bivane for Windows 95");
    modals.ExpectBox("2 of the 3 files were not copied:\rB.txt\rC.txt", IDOK, "Warning");
    // Through the window's dispatch, as the menu runs it.
    SendMessageW(form->Handle(), WM_COMMAND, IdMenuBase + static_cast<int>(MenuItem::Copy), 0);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"R\\A.txt"}));
    EXPECT_FALSE(IsShown(form->Progress->Handle()));
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "A.txt", "B.txt"}));
    EXPECT_TRUE(form->LeftActive);
    SetAttributes(R() + "\\B.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopyMoveDelete, SameDirectoryRefusesCopyAndMoveButNotDelete) {
    MakeFile(L() + "\\A.txt", 100);
    StartSides(L(), L());
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    const std::string warning = "Can't copy or move to the same directory...\r\r" + L() + "\ris active on both sides.";
    modals.ExpectBox(warning, IDOK, "Warning");
    form->RunFileCommand(ConfirmMode::Copy);
    modals.ExpectBox(warning, IDOK, "Warning");
    form->RunFileCommand(ConfirmMode::Move);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        EXPECT_EQ(f.Caption(), "Confirm Delete");
        return IDCANCEL;
    });
    form->RunFileCommand(ConfirmMode::Delete);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(CopyMoveDelete, TheItemNilWhenTheSideHasNoCurrentEntry) {
    MakeFile(L() + "\\A.txt", 100);
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    Left().CurrentItem = -1;  // as after loading a directory that lists nothing
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectBox("TheItem = nil", IDOK, "Warning");
    form->RunFileCommand(ConfirmMode::Copy);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(CopyMoveDelete, MoveAcrossDrivesOffersACopy) {
    const std::string d = DriveFolder('D');
    if (d.empty()) GTEST_SKIP() << "drive D: not linked (drives.sh)";
    MakeFile(L() + "\\A.txt", 100);
    StartSides(L(), d);
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    const std::string ask = "Can't move files... drives are \rdifferent on left (C:) and right (D:) sides.\r\rCopy files instead?";
    modals.ExpectBox(ask, IDNO, "Warning");
    form->RunFileCommand(ConfirmMode::Move);
    EXPECT_FALSE(Exists(d + "\\A.txt"));
    modals.ExpectBox(ask, IDYES, "Warning");
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Copy");
        EXPECT_EQ(c.Text(c.Label3), "Copy:");
        EXPECT_EQ(c.TextColor(c.Label3), RGB(0, 0, 128));
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Move);
    EXPECT_EQ(ReadAll(d + "\\A.txt"), ReadAll(L() + "\\A.txt"));
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});  // the source stays: it was a copy
    RemoveTree(d);
}

TEST_F(CopyMoveDelete, CopyIntoADriveRootAndTheSpaceCheck) {
    const std::string d = DriveFolder('D');
    if (d.empty()) GTEST_SKIP() << "drive D: not linked (drives.sh)";
    RemoveTree(d);
    const std::string name = "Bvroot" + std::to_string(GetCurrentProcessId()) + ".txt";
    MakeFile(L() + "\\" + name, 1000);
    StartSides(L(), "D:\\");
    Pick(Left(), name);
    const Snapshot drive = Snap("D:\\");
    modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy);
    EXPECT_EQ(Changes(drive, Snap("D:\\")), std::set<std::string>{name});
    EXPECT_EQ(ReadAll("D:\\" + name), ReadAll(L() + "\\" + name));
    EXPECT_EQ(form->Progress->Text(form->Progress->DestDir), "D:\\");
    DeleteFileW(Widen("D:\\" + name).c_str());
    // Free space in 64 bits: a disk with more than 2 GB free takes a 3 GB file.
    ULARGE_INTEGER freeBytes{}, total{}, totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"D:\\", &freeBytes, &total, &totalFree));
    if (totalFree.QuadPart > 4000000000ull) {
        EXPECT_TRUE(form->CheckDiskSpace("3000000000", "D:\\big.bin"));
    }
    const std::string tooBig = std::to_string(totalFree.QuadPart + 1000000000ull);
    modals.ExpectBox("Insufficient disk space\ron drive D: \rfor big.bin", IDOK, "Warning");
    EXPECT_FALSE(form->CheckDiskSpace(tooBig, "d:\\big.bin"));
}

TEST_F(CopyMoveDelete, SpaceCheckCountsTheReplacedFileAndRefusesAnExactFit) {
    const std::string s = DriveFolder('S');
    if (s.empty()) GTEST_SKIP() << "no small drive S: (drives.sh could not mount a tmpfs)";
    MakeFile(s + "\\old.bin", 100000);
    StartIn(tmp.Path());
    ULARGE_INTEGER freeBytes{}, total{}, totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &freeBytes, &total, &totalFree));
    const std::int64_t room = static_cast<std::int64_t>(totalFree.QuadPart);
    EXPECT_TRUE(form->CheckDiskSpace(std::to_string(room + 50000), s + "\\old.bin"));
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor new.bin", IDOK, "Warning");
    EXPECT_FALSE(form->CheckDiskSpace(std::to_string(room + 50000), s + "\\new.bin"));
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor new.bin", IDOK, "Warning");
    EXPECT_FALSE(form->CheckDiskSpace(std::to_string(room), s + "\\new.bin"));
    EXPECT_TRUE(form->CheckDiskSpace(std::to_string(room - 1), s + "\\new.bin"));
    RemoveTree(s);
}

TEST_F(CopyMoveDelete, TaggedMoveReportsTheNameThatExistsAndMovesTheRest) {
    MakeFile(L() + "\\A.txt", 100);
    MakeFile(L() + "\\B.txt", 200);
    MakeFile(L() + "\\C.txt", 300);
    MakeFile(L() + "\\Keep.txt", 300);
    MakeFile(R() + "\\B.txt", 9);
    StartSides(L(), R());
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Move");
        EXPECT_EQ(c.Text(c.Label3), "Move:");
        EXPECT_EQ(c.TextColor(c.Label3), RGB(0, 128, 0));
        return IDOK;
    });
    modals.ExpectBox("Can't move 'B.txt'\rfrom " + L() + "\rto '" + R() + "'", IDOK, "Error");
    form->RunFileCommand(ConfirmMode::Move);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\A.txt", "L\\C.txt", "R\\A.txt", "R\\C.txt"}));
    EXPECT_EQ(ReadAll(R() + "\\C.txt").size(), 300u);
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "B.txt", "Keep.txt"}));
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "A.txt", "B.txt", "C.txt"}));
    EXPECT_EQ(Left().TagCount, 0);  // reloaded
    EXPECT_TRUE(form->LeftActive);
}

TEST_F(CopyMoveDelete, MovesACurrentDirectoryWhole) {
    MakeDir(L() + "\\Old");
    MakeFile(L() + "\\Old\\in.txt", 10);
    StartSides(L(), R());
    Pick(Left(), "<Old>");
    const Snapshot inside = Snap(L() + "\\Old");
    modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Move);
    EXPECT_FALSE(Exists(L() + "\\Old"));
    EXPECT_EQ(Changes(inside, Snap(R() + "\\Old")), std::set<std::string>{});
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "<Old>"}));
}

TEST_F(CopyMoveDelete, DeletesTheCurrentFileToTheRecycleBin) {
    const std::string name = "Bin" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount()) + ".txt";
    MakeFile(L() + "\\" + name, 123);
    MakeFile(L() + "\\Other.txt", 5);
    StartSides(L(), R());
    Pick(Left(), name);
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Delete");
        EXPECT_EQ(c.Text(c.Label3), "Delete:");
        EXPECT_EQ(c.TextColor(c.Label3), RGB(128, 0, 0));
        EXPECT_FALSE(IsShown(c.Label2) || IsShown(c.ToDesc));
        EXPECT_TRUE(IsShown(c.CheckBox1));
        EXPECT_TRUE(c.IsChecked(c.CheckBox1));  // checked at start-up
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"L\\" + name});
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Other.txt"}));
    // The trash may add a suffix when the name is there already.
    std::vector<std::string> trashed;
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW(Widen(TrashFiles() + "\\" + name + "*").c_str(), &fd));
    if (find) {
        do trashed.push_back(TrashFiles() + "\\" + Narrow(fd.cFileName));
        while (FindNextFileW(find.get(), &fd));
    }
    find.reset();
    ASSERT_EQ(trashed.size(), 1u) << TrashFiles();
    EXPECT_EQ(ReadAll(trashed[0]), before.at("L\\" + name).content);
    RemoveTree(trashed[0]);
    RemoveTree(TrashFiles() + "\\..\\info\\" + trashed[0].substr(TrashFiles().size() + 1) + ".trashinfo");
}

TEST_F(CopyMoveDelete, DeletesADirectoryWithItsContentsForGoodAndKeepsTheChoice) {
    MakeDir(L() + "\\Old");
    MakeDir(L() + "\\Old\\Deep");
    MakeFile(L() + "\\Old\\Deep\\x.txt", 10);
    MakeFile(L() + "\\Stay.txt", 10);
    StartSides(L(), R());
    Pick(Left(), "<Old>");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        c.SetChecked(c.CheckBox1, false);
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\Old", "L\\Old\\Deep", "L\\Old\\Deep\\x.txt"}));
    EXPECT_FALSE(Exists(TrashFiles() + "\\Old"));
    // The parent entry is never deleted; the box keeps the last choice.
    Pick(Left(), "[parent]");
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        EXPECT_FALSE(AsConfirm(f).IsChecked(AsConfirm(f).CheckBox1));
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete);
    EXPECT_TRUE(Exists(L()));
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Stay.txt"}));
}

TEST_F(CopyMoveDelete, TaggedDeleteNeverRemovesDirectories) {
    MakeFile(L() + "\\A.txt", 1);
    MakeFile(L() + "\\B.txt", 2);
    MakeFile(L() + "\\C.txt", 3);
    MakeDir(L() + "\\Dir");
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    Tag(Left(), "C.txt");
    Pick(Left(), "<Dir>");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        EXPECT_TRUE(c.IsChecked(c.RadioButton2));
        c.SetChecked(c.CheckBox1, false);
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\A.txt", "L\\C.txt"}));
    EXPECT_EQ(form->MessagePanel.Caption(), "Deleting files...");
    EXPECT_FALSE(IsShown(form->MessagePanel.Handle()));
    EXPECT_EQ(Left().TagCount, 0);
}

TEST_F(CopyMoveDelete, DirectoryDeleteRequestOffersTheCurrentEntryOnly) {
    MakeFile(L() + "\\A.txt", 1);
    MakeDir(L() + "\\Dir");
    StartSides(L(), R());
    Tag(Left(), "A.txt");
    Pick(Left(), "<Dir>");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        TConfirm& c = AsConfirm(f);
        EXPECT_EQ(c.Text(c.TagDesc), "");
        EXPECT_EQ(c.Text(c.TagDesc2), "");
        EXPECT_TRUE(c.IsChecked(c.RadioButton1));
        EXPECT_FALSE(IsWindowEnabled(c.RadioButton2));
        return IDCANCEL;
    });
    form->DirDeleteRequest = true;
    form->RunFileCommand(ConfirmMode::Delete);
    form->DirDeleteRequest = false;
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(CopyMoveDelete, DeletingAboveTheOtherSideSwitchesItThere) {
    MakeDir(L() + "\\Old");
    MakeFile(L() + "\\Old\\x.txt", 1);
    MakeFile(L() + "\\Gone.txt", 1);
    StartSides(L(), L() + "\\Old");
    Pick(Left(), "Gone.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TConfirm", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).CheckBox1, false);
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"L\\Gone.txt"});
    EXPECT_EQ(Right().Tree.Directory(), L());
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "<Old>"}));
    EXPECT_TRUE(form->LeftActive);
    wchar_t cur[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cur);
    EXPECT_EQ(Narrow(cur), L());
}

TEST_F(CopyMoveDelete, DeleteForGoodTakesPathsLongerThanTheOldBuffer) {
    std::string dir = L();
    while (dir.size() < 300) {
        dir += "\\" + std::string(40, 'd');
        MakeDir(dir);
    }
    MakeFile(dir + "\\long.txt", 10);
    MakeFile(L() + "\\Stay.txt", 1);
    StartIn(tmp.Path());
    const Snapshot before = Snap(tmp.Path());
    Leftovers left;
    EXPECT_TRUE(DeleteForGood(ExactPath(dir + "\\long.txt"), false, left));
    EXPECT_EQ(ChangedSince(before).size(), 1u);
    EXPECT_FALSE(Exists(dir + "\\long.txt"));
    EXPECT_TRUE(left.Empty());
    // What is not there is reported as gone, by its long path.
    EXPECT_FALSE(DeleteForGood(ExactPath(dir + "\\missing.txt"), false, left));
    ASSERT_EQ(left.failed.size(), 1u);
    EXPECT_EQ(left.failed[0].path, dir + "\\missing.txt");
    EXPECT_EQ(ReasonText(left.failed[0].error), "gone");
    EXPECT_TRUE(left.linksKept.empty());
}

}  // namespace bivane::test
