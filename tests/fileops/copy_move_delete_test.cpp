// Copy, move and delete through the command, on real folders, with the dialogs scripted.
#include <algorithm>

#include "fileops/confirm_dialog.h"
#include "fileops/folder_copy_rules.h"
#include "fileops/copy_file.h"
#include "fileops/fileops_support.h"
#include "fileops/replace_dialog.h"
#include "fileops/progress_dialog.h"
#include "find/find_window.h"
#include "platform/fs.h"
#include "platform/removal.h"
#include "platform/utf.h"
#include "support/unix_shell.h"

namespace bivane::test {

namespace {

ConfirmDialog& AsConfirm(ModalForm& f) { return static_cast<ConfirmDialog&>(f); }

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
    StartSidesWith({{"L\\A.txt", 20000}, {"L\\B.txt", 10}, {"R\\Z.txt", 5}});
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Copy");
        EXPECT_EQ(c.Text(c.ModeLabel), "Copy:");
        EXPECT_EQ(c.TextColor(c.ModeLabel), RGB(0, 0, 128));
        EXPECT_EQ(c.Text(c.CurDesc), "A.txt");
        EXPECT_EQ(c.Text(c.FromDesc), "(Left) " + L());  // whole: it fits the line
        EXPECT_EQ(c.Text(c.ToDesc), "(Right) " + R());
        EXPECT_TRUE(IsShown(c.ToLabel) && IsShown(c.ToDesc));
        EXPECT_FALSE(IsShown(c.RecycleChoice));
        // No tags: the engraved grey text, and only the current file can be chosen.
        EXPECT_EQ(c.Text(c.TagDesc), "(no tagged files)");
        EXPECT_EQ(c.Text(c.TagDescShadow), "(no tagged files)");
        EXPECT_EQ(c.TextColor(c.TagDesc), RGB(128, 128, 128));
        EXPECT_EQ(c.TextColor(c.TagDescShadow), RGB(255, 255, 255));
        EXPECT_TRUE(c.IsChecked(c.CurrentEntryChoice));
        EXPECT_FALSE(c.IsChecked(c.TaggedFilesChoice));
        EXPECT_FALSE(IsWindowEnabled(c.TaggedFilesChoice));
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"R\\A.txt"}));
    EXPECT_EQ(ReadAll(R() + "\\A.txt"), ReadAll(L() + "\\A.txt"));
    // 20000 bytes, one block: maximum 1, and the bar ends full.
    ProgressDialog& p = *form->Progress;
    EXPECT_EQ(p.BarMax(), 1);
    EXPECT_EQ(p.BarPosition(), 1);
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
    StartSidesWith({{"L\\A.txt", 100}, {"L\\B.txt", 200}, {"L\\C.txt", 300}, {"L\\D.txt", 400}, {"L\\Sub\\"},
                    {"R\\B.txt", 7}});  // replaced after the question
    Tag(Left(), "A.txt");
    Tag(Left(), "B.txt");
    Tag(Left(), "C.txt");
    Pick(Left(), "D.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_EQ(c.Text(c.TagDesc), "600 bytes in 3 files");
        EXPECT_EQ(c.TextColor(c.TagDesc), RGB(0, 0, 0));
        EXPECT_EQ(c.Text(c.TagDescShadow), "");
        EXPECT_TRUE(c.IsChecked(c.TaggedFilesChoice));
        EXPECT_FALSE(c.IsChecked(c.CurrentEntryChoice));
        EXPECT_TRUE(IsWindowEnabled(c.CurrentEntryChoice) && IsWindowEnabled(c.TaggedFilesChoice));
        return IDOK;
    });
    ExpectReplace(ReplaceDialog::IdReplaceAll,
                  "The target folder already holds a file of this name:\rB.txt\rIt is not newer than the file that "
                  "would replace it.");
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"R\\A.txt", "R\\B.txt", "R\\C.txt"}));
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) EXPECT_EQ(ReadAll(R() + "\\" + n), ReadAll(L() + "\\" + n)) << n;
    EXPECT_EQ(form->Progress->Text(form->Progress->FileNameDesc), "C.txt");
    EXPECT_EQ(Left().TagCount, 3);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "B.txt"))].mark, Mark::Tagged);
    EXPECT_EQ(Right().CurrentName, "A.txt");
    EXPECT_EQ(Left().CurrentName, "A.txt");
}

// The dialog names each file while it is copied, but paints at most about 60 times a second: on
// a clock where a paint is always due the names reach the label in order, each once (the job does
// not wait for the paint: a name the next one overtook is left out); on one that stands still only
// the last (when the copy ends) does.
TEST_F(CopyMoveDelete, ProgressNamesEachFileAtMostOncePerPaint) {
    StartSidesWith({{"L\\A.txt", 100}, {"L\\B.txt", 100}, {"L\\C.txt", 100}});
    ProgressDialog& p = *form->Progress;
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
        p.Flush();  // the last paint at this clock's time: a clock standing still makes none due after it
        TextRecorder names(p.FileNameDesc), status(p.Status);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        if (c.clock == ClockStandingStill) ExpectReplace(ReplaceDialog::IdReplaceAll);  // the second round
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        // In order, each once, the last one shown; for the status, no text twice in a row.
        EXPECT_TRUE(std::includes(c.names.begin(), c.names.end(), names.texts.begin(), names.texts.end()))
            << ::testing::PrintToString(names.texts);
        EXPECT_TRUE(std::adjacent_find(names.texts.begin(), names.texts.end()) == names.texts.end());
        EXPECT_TRUE(std::adjacent_find(status.texts.begin(), status.texts.end()) == status.texts.end());
        // A text that came back to what the label shows before a paint is not painted again.
        EXPECT_TRUE(status.texts.empty() || status.texts.back() == " ");
        EXPECT_EQ(WindowText(p.Status), " ");
        EXPECT_LE(status.texts.size(), c.status.size());
        // What was held back is shown when the copy ends.
        EXPECT_EQ(WindowText(p.FileNameDesc), "C.txt");
        EXPECT_EQ(static_cast<int>(SendMessageW(p.ProgressBar, PBM_GETPOS, 0, 0)), p.BarPosition());
        EXPECT_EQ(static_cast<int>(SendMessageW(p.ProgressBar, PBM_GETRANGE, FALSE, 0)), p.BarMax());
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
        {ReplaceDialog::IdReplaceAll, {"A.txt", "B.txt", "C.txt", "D.txt"}},
        {ReplaceDialog::IdReplaceOlder, {"A.txt", "D.txt"}},
        {ReplaceDialog::IdSkipExisting, {"D.txt"}},
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
        form->TagAll(form->Active());
        const Snapshot before = Snap(r);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        modals.ExpectDialog("ReplaceDialog", [&](ModalForm& f) {
            EXPECT_EQ(static_cast<ReplaceDialog&>(f).Text(), question);
            EXPECT_EQ(Changes(before, Snap(r)), std::set<std::string>{}) << "written before the answer";
            return c.answer;
        });
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        modals.VerifyDone();
        EXPECT_EQ(Changes(before, Snap(r)), c.changed) << c.answer;
        for (const std::string& name : c.changed) EXPECT_EQ(ReadAll(r + "\\" + name), ReadAll(l + "\\" + name));
        EXPECT_EQ(Left().TagCount, 4);
    }
}

TEST_F(CopyMoveDelete, NoAnswerOrTheParentCopiesNothing) {
    StartSidesWith({{"L\\A.txt", 100}});
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "A.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDCANCEL; });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    Pick(Left(), "[parent]");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

// A folder, copied whole: names in their case, empty folders, dates to the tick (an odd second, a
// fraction), read-only and hidden marks.
TEST_F(CopyMoveDelete, CopiesAFolderTreeExactly) {
    const SYSTEMTIME old = LocalTimeOf(2003, 4, 5, 6, 7, 9);
    const std::string t = L() + "\\Tree";
    for (const char* d : {"", "\\Sub A", "\\Sub A\\Deep", "\\Empty", "\\Hidden Folder"}) MakeDir(t + d);
    MakeFile(t + "\\Top.TXT", 20000, &old);
    MakeFile(t + "\\Sub A\\Deep\\mIxEd.Case", 5, &old);
    MakeFile(t + "\\ro.txt", 7, &old);
    MakeFile(t + "\\hid.txt", 8, &old);
    MakeFile(t + "\\Hidden Folder\\in.txt", 9, &old);
    SetLastWrite(t + "\\Top.TXT", LastWrite(t + "\\Top.TXT") + 1234567);
    SetAttributes(t + "\\ro.txt", FILE_ATTRIBUTE_READONLY);
    SetAttributes(t + "\\hid.txt", FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(t + "\\Hidden Folder", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    // Folder dates last: the files made in them changed them.
    for (const char* d : {"\\Sub A\\Deep", "\\Sub A", "\\Empty", "\\Hidden Folder", ""}) {
        SetLastWrite(t + d, LastWrite(t + "\\hid.txt") + 7654321);
    }
    StartSidesWith({{"R\\Z.txt", 5}});
    Pick(Left(), "<Tree>");
    const Snapshot source = Snap(t), left = Snap(L());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        EXPECT_EQ(AsConfirm(f).Text(AsConfirm(f).CurDesc), "<Tree>");
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    modals.VerifyDone();
    EXPECT_EQ(Snap(R() + "\\Tree"), source);
    EXPECT_EQ(Snap(L()), left);
    SetAttributes(t + "\\ro.txt", FILE_ATTRIBUTE_NORMAL);
    SetAttributes(R() + "\\Tree\\ro.txt", FILE_ATTRIBUTE_NORMAL);
    ProgressDialog& p = *form->Progress;
    EXPECT_EQ(p.Text(p.Totals), "5 of 5 files, 20 of 20 KB");
    EXPECT_EQ(p.Text(p.FileNameDesc), "Tree\\Sub A\\Deep\\mIxEd.Case");
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "<Tree>", "Z.txt"}));
    EXPECT_EQ(Right().CurrentName, "<Tree>");
    EXPECT_TRUE(form->LeftActive);
    EXPECT_EQ(Left().CurrentName, "<Tree>");
    // No staging folder or temporary stays behind.
    EXPECT_EQ(Changes({}, Snap(R())).size(), Snap(R()).size());
    for (const auto& [path, state] : Snap(R())) EXPECT_EQ(path.find("~bvcopy"), std::string::npos) << path;
}

// Merged into a folder of its name: the files there are replaced only as the user answers; a file
// where the copy has a folder (and the reverse) is left out, and said so.
TEST_F(CopyMoveDelete, AFolderMergesAsTheUserAnswers) {
    const SYSTEMTIME older = LocalTimeOf(2001, 1, 1, 10, 0), now = LocalTimeOf(2010, 6, 1, 12, 0),
                     newer = LocalTimeOf(2020, 1, 1, 10, 0);
    const std::string question =
        "The target folder already holds 2 files of these names:\rBox\\A.txt\rBox\\sub\\b.TXT\r1 of them is NEWER "
        "than the file that would replace it.";
    const std::string leftOut = "2 entries were left out of the copy:\rThe target holds a file of that name (1):\rBox\\Clash"
                                "\rThe target holds a folder of that name (1):\rBox\\sub\\Shape";
    const struct {
        int answer;
        std::set<std::string> changed;  // below the target folder
    } cases[] = {
        {ReplaceDialog::IdReplaceAll, {"Box\\A.txt", "Box\\sub\\b.TXT", "Box\\New.txt", "Box\\sub\\new", "Box\\sub\\new\\n.txt"}},
        {ReplaceDialog::IdReplaceOlder, {"Box\\A.txt", "Box\\New.txt", "Box\\sub\\new", "Box\\sub\\new\\n.txt"}},
        {ReplaceDialog::IdSkipExisting, {"Box\\New.txt", "Box\\sub\\new", "Box\\sub\\new\\n.txt"}},
        {IDCANCEL, {}},
    };
    int round = 0;
    for (const auto& c : cases) {
        const std::string l = tmp / ("L" + std::to_string(round)), r = tmp / ("R" + std::to_string(round));
        ++round;
        for (const std::string& d : {l, l + "\\Box", l + "\\Box\\sub", l + "\\Box\\sub\\new", l + "\\Box\\Clash",
                                     r, r + "\\Box", r + "\\Box\\sub", r + "\\Box\\sub\\Shape"}) {
            MakeDir(d);
        }
        for (const char* n : {"\\Box\\A.txt", "\\Box\\sub\\B.txt", "\\Box\\New.txt", "\\Box\\sub\\new\\n.txt",
                              "\\Box\\Clash\\c.txt", "\\Box\\sub\\Shape"}) {
            MakeFile(l + n, 100, &now);
        }
        MakeFile(r + "\\Box\\A.txt", 7, &older);
        MakeFile(r + "\\Box\\sub\\b.TXT", 8, &newer);
        MakeFile(r + "\\Box\\Clash", 9, &now);
        StartSides(l, r);
        Pick(Left(), "<Box>");
        const Snapshot before = Snap(r);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        modals.ExpectDialog("ReplaceDialog", [&](ModalForm& f) {
            EXPECT_EQ(static_cast<ReplaceDialog&>(f).Text(), question);
            EXPECT_EQ(Changes(before, Snap(r)), std::set<std::string>{}) << "written before the answer";
            return c.answer;
        });
        if (c.answer != IDCANCEL) modals.ExpectBox(leftOut, IDOK, "Warning");
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        modals.VerifyDone();
        EXPECT_EQ(Changes(before, Snap(r)), c.changed) << c.answer;
        if (c.changed.count("Box\\sub\\b.TXT")) {
            EXPECT_EQ(ReadAll(r + "\\Box\\sub\\b.TXT"), ReadAll(l + "\\Box\\sub\\B.txt"));
        }
    }
}

// Refused before anything is written: a target inside the folder or the folder itself, a file of
// its name there, a tree the drive has no room for.
TEST_F(CopyMoveDelete, AFolderCopyIsRefusedWholeWhereItCannotBeDone) {
    Make({{"L\\Box\\In\\Deeper\\"}, {"L\\Box\\f.txt", 300000}, {"L\\Box\\In\\g.txt", 300000}, {"R\\Box", 3}});
    const std::string shown = L() + "\\Box";
    const struct {
        std::string target;
        std::string box;
    } cases[] = {
        {L() + "\\Box\\In", "Can't copy a folder into itself:\r" + L() + "\\Box\\In\ris inside " + shown + ".\r\rNothing was copied."},
        {L() + "\\Box\\In\\Deeper", "Can't copy a folder into itself:\r" + L() + "\\Box\\In\\Deeper\ris inside " + shown +
                                          ".\r\rNothing was copied."},
        {R(), "Can't copy the folder: the target holds a file or link of its name:\r" + R() + "\\Box\r\rNothing was copied."},
        {DriveFolder('S'), "Insufficient disk space\ron drive S: \rfor Box"},
    };
    for (const auto& c : cases) {
        if (c.target.empty()) continue;  // no small drive S: (drives.sh could not mount a tmpfs)
        StartSides(L(), c.target);
        Pick(Left(), "<Box>");
        const Snapshot before = Snap(tmp.Path());
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        modals.ExpectBox(c.box, IDOK, "Warning");
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        modals.VerifyDone();
        EXPECT_EQ(ChangedSince(before), std::set<std::string>{}) << c.target;
        EXPECT_FALSE(Exists(c.target + "\\Box\\f.txt")) << c.target;
    }
    // The same folder reached by another drive letter (D: is a folder of the host, Z: its root).
    const std::string d = DriveFolder('D');
    if (d.empty()) return;
    MakeDir(d + "\\Box");
    MakeDir(d + "\\Box\\In");
    std::string viaZ = "Z:" + UnixPath(d + "\\Box\\In");
    for (char& ch : viaZ) ch = ch == '/' ? '\\' : ch;
    StartSides(d, viaZ);
    Pick(Left(), "<Box>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Can't copy a folder into itself:\r" + viaZ + "\ris inside " + d + "\\Box.\r\rNothing was copied.", IDOK, "Warning");
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    modals.VerifyDone();
    EXPECT_FALSE(Exists(viaZ + "\\Box"));
    RemoveTree(d);
}

// The copy runs beside the window: a key in the other list is answered while it goes on, and
// closing the window meanwhile asks first, lets the file under way end and leaves nothing partial.
TEST_F(CopyMoveDelete, TheWindowAnswersDuringACopyAndClosingStopsItAfterAFile) {
    StartSidesWith({{"L\\a.txt", 30000}, {"L\\b.txt", 30000}, {"L\\c.txt", 30000}, {"R\\1.txt", 1}, {"R\\2.txt", 1}});
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    const HWND window = form->Handle(), rightList = Right().List.Handle();
    const int focused = Right().List.Focused();
    bool once = false, answered = false;
    SimulatedCopyFaults meanwhile(DeviceFaults{.afterFirstBlock = [&] {
        if (std::exchange(once, true)) return;
        PostMessageW(rightList, WM_KEYDOWN, VK_DOWN, 1);
        for (int i = 0; i < 3000 && !answered; ++i, Sleep(1)) answered = Right().List.Focused() != focused;
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(UntilStopped());
    }});
    const Snapshot before = Snap(R());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("1 job is running. Stop it and exit?", IDYES, "Warning");  // then nothing more is said
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    EXPECT_TRUE(answered) << "the other list did not answer during the copy";
    EXPECT_EQ(Changes(before, Snap(R())), std::set<std::string>{"a.txt"});  // whole, and no temporary
    EXPECT_EQ(ReadAll(R() + "\\a.txt"), ReadAll(L() + "\\a.txt"));
    PumpMessages();
    EXPECT_FALSE(IsWindow(window));
}

// "Verify copies" in the confirmation, off unless asked: a copy that reads back otherwise is refused
// and the old file stays.
TEST_F(CopyMoveDelete, VerifyInTheConfirmationRefusesAGarbledCopy) {
    StartSidesWith({{"L\\a.txt", 5000}, {"R\\a.txt", 7}});
    const Snapshot before = Snap(tmp.Path());
    SimulatedCopyFaults garbled(DeviceFaults{.corruptAt = 100});
    Pick(Left(), "A.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_TRUE(IsShown(c.VerifyChoice));
        EXPECT_FALSE(c.IsChecked(c.VerifyChoice));
        c.SetChecked(c.VerifyChoice, true);
        return IDOK;
    });
    ExpectReplace(ReplaceDialog::IdReplaceAll);
    modals.ExpectBox(WithFullStop("The copy did not verify\r" + R() + "\\a.txt"), IDOK, kAppTitle);
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

// Escape in the Find Files window during a copy is that window's: it closes it, and the copy goes on.
TEST_F(CopyMoveDelete, EscapeInFindFilesDoesNotStopACopy) {
    StartSidesWith({{"L\\a.txt", 100}, {"L\\b.txt", 100}});
    form->ShowFindFiles(Left());
    const HWND find = form->FindFilesWindow->Handle();
    bool once = false;
    SimulatedCopyFaults meanwhile(DeviceFaults{.afterFirstBlock = [&] {
        if (std::exchange(once, true)) return;
        PostMessageW(form->FindFilesWindow->Field(FindWindow::IdNames), WM_KEYDOWN, VK_ESCAPE, 1);
        for (int i = 0; i < 2000 && IsWindowVisible(find); ++i) Sleep(1);
    }});
    for (const char* n : {"A.txt", "B.txt"}) Tag(Left(), n);
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    modals.VerifyDone();
    EXPECT_FALSE(IsWindowVisible(find));
    EXPECT_EQ(Changes({}, Snap(R())), (std::set<std::string>{"a.txt", "b.txt"}));
}

// A job blocked in a read (a device that stopped answering) does not keep the window from closing:
// it is left behind after a second.
TEST_F(CopyMoveDelete, ClosingDoesNotWaitForAJobBlockedInARead) {
    StartSidesWith({{"L\\a.txt", 100}});
    const HWND window = form->Handle();
    AutoKernelHandle answers(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ULONGLONG closed = 0;
    SimulatedCopyFaults blocked(DeviceFaults{.afterFirstBlock = [&] {
        closed = GetTickCount64();
        PostMessageW(window, WM_CLOSE, 0, 0);
        WaitForSingleObject(answers.get(), 20000);
    }});
    Pick(Left(), "A.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("1 job is running. Stop it and exit?", IDYES, "Warning");
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    ASSERT_EQ(form->PendingJobs.size(), 1u);
    const std::shared_ptr<Job> job = form->PendingJobs.front().job;
    PumpUntil([&] { return !IsWindow(window); }, 5.0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_LT(GetTickCount64() - closed, 2000u);
    SetEvent(answers.get());  // the device answers again: the job ends before the test does
    EXPECT_EQ(WaitForSingleObject(job->done.get(), 5000), WAIT_OBJECT_0);
}

// Background hides the progress and lets the command return while the job goes on, its progress in
// the title; a copy confirmed meanwhile waits behind it; the folder a job reads from is not deleted
// meanwhile; each job ends in turn, saying so once.
TEST_F(CopyMoveDelete, AJobSentToTheBackgroundGoesOnAndTheNextWaitsBehindIt) {
    StartSidesWith({{"L\\Box\\a.txt", 30000}, {"L\\Box\\b.txt", 100}, {"L\\x.txt", 100}, {"L\\y.txt", 100}, {"O\\"}});
    AutoKernelHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool once = false;
    SimulatedCopyFaults held(DeviceFaults{.afterFirstBlock = [&] {
        if (std::exchange(once, true)) return;
        SendMessageW(form->Progress->BackgroundButton, BM_CLICK, 0, 0);
        WaitForSingleObject(go.get(), 10000);  // the job runs on while the test goes on
    }});
    Pick(Left(), "<Box>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    EXPECT_FALSE(IsShown(form->Progress->Handle()));
    form->ShowJobProgress();
    EXPECT_EQ(WindowText(form->Handle()), "0% Copy Box\\a.txt - Bivane for Win95");
    for (const char* n : {"X.txt", "Y.txt"}) Tag(Left(), n);
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());  // queued: returns at once
    EXPECT_EQ(form->PendingJobs.size(), 2u);
    // A folder the jobs do not touch follows the disk meanwhile.
    form->Activate(Right());
    Right().Tree.SetDirectory(tmp / "O");
    Sleep(150);  // the watch starts on the follower's thread
    MakeFile(tmp / "O" + "\\new.txt", 1);
    const double shown = PumpUntil([&] { return IndexOfCaption(Right(), "New.txt") >= 0; }, 3.0);
    EXPECT_GE(shown, 0.0);
    EXPECT_LE(shown, 0.5);
    form->Activate(Left());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    const std::string first = "Copy from " + L() + "\\Box to " + R() + "\\Box", second = "Copy from " + L() + " to " + R();
    modals.ExpectBox("The folder " + L() + "\\Box\ris in use by a job: " + first +
                         ".\rWait for it to end, or cancel it (Ctrl+J).", IDOK, "Warning");
    Pick(Left(), "<Box>");
    form->DirDeleteRequest = true;
    form->RunFileCommand(ConfirmMode::Delete, form->Active());  // refused
    form->DirDeleteRequest = false;
    modals.VerifyDone();
    // A dialog open meanwhile (its owner disabled) holds back the jobs' ends, not the next job.
    EnableWindow(form->Handle(), FALSE);
    SetEvent(go.get());
    EXPECT_GE(PumpUntil([&] { return form->PendingJobs.size() == 2 && form->PendingJobs.back().job->Done(); }, 10.0), 0.0);
    EnableWindow(form->Handle(), TRUE);
    EXPECT_GE(PumpUntil([&] { return form->PendingJobs.empty(); }, 10.0), 0.0);
    EXPECT_EQ(Changes({}, Snap(R())), (std::set<std::string>{"Box", "Box\\a.txt", "Box\\b.txt", "x.txt", "y.txt"}));
    // Said in the title, not in a box that would take the user's next key.
    EXPECT_EQ(WindowText(form->Handle()), "The job ended: " + second + ", 2 of 2 files done - Bivane for Win95");
    EXPECT_TRUE(Exists(L() + "\\Box"));
}

// One file of several blocks, with something happening after its first block: the job knows how far
// it got within the file; Escape stops it there; a target another program made meanwhile is not
// replaced unasked. Either way no temporary stays.
TEST_F(CopyMoveDelete, OneBigFileStopsBetweenBlocksAndReplacesNothingUnasked) {
    StartSidesWith({{"L\\big.bin", 3 * kCopyBlockSize}, {"R\\old.txt", 5}});
    const std::string target = R() + "\\big.bin";
    const HWND progress = form->Progress->Handle();
    struct Box {
        std::string text;
        int answer;
        const char* kind;
    };
    const struct {
        const char* what;
        std::function<void()> meanwhile;
        std::vector<Box> boxes;
        std::set<std::string> changed;
    } cases[] = {
        {"Escape", [&] {
             PostMessageW(progress, WM_KEYDOWN, VK_ESCAPE, 1);
             EXPECT_TRUE(UntilStopped());
         }, {{StoppedText(0, 1), IDOK, "Information"}}, {}},
        {"made meanwhile", [&] { MakeFile(target, 6); },
         {{ChangedTargetQuestion(target, true), IDNO, "Warning"},
          {NamesText("Not copied: the target changed since the copy was confirmed:", {"big.bin"}), IDOK, "Warning"}},
         {"big.bin"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Snapshot before = Snap(R());
        std::int64_t doneInFile = -1;
        SimulatedCopyFaults faults(DeviceFaults{.afterFirstBlock = [&] {
            doneInFile = JobQueue::Current()->BytesDone();
            c.meanwhile();
        }});
        Pick(Left(), "Big.bin");
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        for (const Box& b : c.boxes) modals.ExpectBox(b.text, b.answer, b.kind);
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        modals.VerifyDone();
        EXPECT_EQ(doneInFile, kCopyBlockSize);
        EXPECT_EQ(Changes(before, Snap(R())), c.changed);
        if (Exists(target)) {
            EXPECT_EQ(ReadAll(target).size(), 6u);
        }
    }
}

// Escape stops a copy after the file being copied; a failed file stops it there. Either way no
// temporary and no staging folder stays, and the files before it stay.
TEST_F(CopyMoveDelete, AFolderCopyStopsAtEscapeOrAtAFailedFile) {
    StartSidesWith({{"L\\Box\\a.txt", 100}, {"L\\Box\\b.txt", 100}, {"L\\Box\\c.txt", 30000}, {"L\\Box\\d.txt", 100},
                    {"L\\X.txt", 100}, {"L\\Y.txt", 100}, {"L\\Z.txt", 100}});
    ProgressDialog& p = *form->Progress;
    p.Clock = PaintAlwaysDue;
    // On the job's thread: the window takes the key meanwhile and tells the job.
    auto escapeAfterFirstBlock = [&] {
        PostMessageW(p.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_TRUE(UntilStopped());
    };
    {
        SimulatedCopyFaults escape(DeviceFaults{.afterFirstBlock = escapeAfterFirstBlock});
        Pick(Left(), "<Box>");
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        modals.ExpectBox("The copy was stopped.\r1 of the 4 files were copied.", IDOK, "Information");
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        modals.VerifyDone();
        EXPECT_EQ(Changes({}, Snap(R())), (std::set<std::string>{"Box", "Box\\a.txt"}));
        // The same for tagged files.
        for (const char* n : {"X.txt", "Y.txt", "Z.txt"}) Tag(Left(), n);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        modals.ExpectBox("The copy was stopped.\r1 of the 3 files were copied.", IDOK, "Information");
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        modals.VerifyDone();
        EXPECT_EQ(Changes({}, Snap(R())), (std::set<std::string>{"Box", "Box\\a.txt", "X.txt"}));
    }
    RemoveTree(R() + "\\Box");
    SimulatedCopyFaults unreadable(DeviceFaults{.readLimit = 10000});
    form->UntagAll(form->Active());
    Pick(Left(), "<Box>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Failure reading file\r" + L() + "\\Box\\c.txt.", IDOK, kAppTitle);
    modals.ExpectBox("2 of the 4 files were not copied:\rBox\\c.txt\rBox\\d.txt", IDOK, "Warning");
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    modals.VerifyDone();
    EXPECT_EQ(Changes({}, Snap(R())), (std::set<std::string>{"Box", "Box\\a.txt", "Box\\b.txt", "X.txt"}));
    EXPECT_FALSE(IsShown(p.Handle()));
    EXPECT_EQ(Right().CurrentName, "<Box>");
}

TEST_F(CopyMoveDelete, CopyErrorEndsTheLoopAfterReloadingTheTarget) {
    Make({{"L\\A.txt", 100}, {"L\\B.txt", 200}, {"L\\C.txt", 300}, {"R\\B.txt", 9}});
    SetAttributes(R() + "\\B.txt", FILE_ATTRIBUTE_READONLY);
    StartSides(L(), R());
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    ExpectReplace(ReplaceDialog::IdReplaceAll);
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
    for (ConfirmMode mode : {ConfirmMode::Copy, ConfirmMode::Move}) {
        modals.ExpectBox(warning, IDOK, "Warning");
        form->RunFileCommand(mode, form->Active());
        EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    }
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        EXPECT_EQ(f.Caption(), "Confirm Delete");
        return IDCANCEL;
    });
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(CopyMoveDelete, TheItemNilWhenTheSideHasNoCurrentEntry) {
    StartSidesWith({{"L\\A.txt", 100}});
    Tag(Left(), "A.txt");
    Left().CurrentItem = -1;  // as after loading a directory that lists nothing
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectBox("TheItem = nil", IDOK, "Warning");
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
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
    form->RunFileCommand(ConfirmMode::Move, form->Active());
    EXPECT_FALSE(Exists(d + "\\A.txt"));
    modals.ExpectBox(ask, IDYES, "Warning");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Copy");
        EXPECT_EQ(c.Text(c.ModeLabel), "Copy:");
        EXPECT_EQ(c.TextColor(c.ModeLabel), RGB(0, 0, 128));
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Move, form->Active());
    EXPECT_EQ(ReadAll(d + "\\A.txt"), ReadAll(L() + "\\A.txt"));
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});  // the source stays: it was a copy
    // A folder, the same way: copied whole.
    Make({{"L\\Sub\\in.txt", 10}});
    form->Reload(Left());
    Pick(Left(), "<Sub>");
    modals.ExpectBox(ask, IDYES, "Warning");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Move, form->Active());
    modals.VerifyDone();
    EXPECT_EQ(ReadAll(d + "\\Sub\\in.txt"), ReadAll(L() + "\\Sub\\in.txt"));
    EXPECT_TRUE(Exists(L() + "\\Sub\\in.txt"));
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
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
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

TEST_F(CopyMoveDelete, SpaceCheckCountsTheCopyBesideTheFileItReplacesAndRefusesAnExactFit) {
    const std::string s = DriveFolder('S');
    if (s.empty()) GTEST_SKIP() << "no small drive S: (drives.sh could not mount a tmpfs)";
    MakeFile(s + "\\old.bin", 100000);
    StartIn(tmp.Path());
    ULARGE_INTEGER freeBytes{}, total{}, totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &freeBytes, &total, &totalFree));
    const std::int64_t room = static_cast<std::int64_t>(totalFree.QuadPart);
    // The old file goes only once its copy is whole beside it: it makes no room meanwhile.
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor old.bin", IDOK, "Warning");
    EXPECT_FALSE(form->CheckDiskSpace(std::to_string(room + 50000), s + "\\old.bin"));
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor new.bin", IDOK, "Warning");
    EXPECT_FALSE(form->CheckDiskSpace(std::to_string(room + 50000), s + "\\new.bin"));
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor new.bin", IDOK, "Warning");
    EXPECT_FALSE(form->CheckDiskSpace(std::to_string(room), s + "\\new.bin"));
    EXPECT_TRUE(form->CheckDiskSpace(std::to_string(room - 1), s + "\\new.bin"));
    RemoveTree(s);
}

TEST_F(CopyMoveDelete, TaggedMoveReportsTheNameThatExistsAndMovesTheRest) {
    StartSidesWith({{"L\\A.txt", 100}, {"L\\B.txt", 200}, {"L\\C.txt", 300}, {"L\\Keep.txt", 300}, {"R\\B.txt", 9}});
    for (const char* n : {"A.txt", "B.txt", "C.txt"}) Tag(Left(), n);
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Move");
        EXPECT_EQ(c.Text(c.ModeLabel), "Move:");
        EXPECT_EQ(c.TextColor(c.ModeLabel), RGB(0, 128, 0));
        return IDOK;
    });
    modals.ExpectBox("Can't move 'B.txt'\rfrom " + L() + "\rto '" + R() + "'", IDOK, "Error");
    form->RunFileCommand(ConfirmMode::Move, form->Active());
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\A.txt", "L\\C.txt", "R\\A.txt", "R\\C.txt"}));
    EXPECT_EQ(ReadAll(R() + "\\C.txt").size(), 300u);
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "B.txt", "Keep.txt"}));
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "A.txt", "B.txt", "C.txt"}));
    EXPECT_EQ(Left().TagCount, 0);  // reloaded
    EXPECT_TRUE(form->LeftActive);
}

TEST_F(CopyMoveDelete, MovesACurrentDirectoryWhole) {
    StartSidesWith({{"L\\Old\\in.txt", 10}});
    Pick(Left(), "<Old>");
    const Snapshot inside = Snap(L() + "\\Old");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    form->RunFileCommand(ConfirmMode::Move, form->Active());
    EXPECT_FALSE(Exists(L() + "\\Old"));
    EXPECT_EQ(Changes(inside, Snap(R() + "\\Old")), std::set<std::string>{});
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "<Old>"}));
}

TEST_F(CopyMoveDelete, DeletesTheCurrentFileToTheRecycleBin) {
    const std::string name = "Bin" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount()) + ".txt";
    MakeFile(L() + "\\" + name, 123);
    StartSidesWith({{"L\\Other.txt", 5}});
    Pick(Left(), name);
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_EQ(c.Caption(), "Confirm Delete");
        EXPECT_EQ(c.Text(c.ModeLabel), "Delete:");
        EXPECT_EQ(c.TextColor(c.ModeLabel), RGB(128, 0, 0));
        EXPECT_FALSE(IsShown(c.ToLabel) || IsShown(c.ToDesc));
        EXPECT_TRUE(IsShown(c.RecycleChoice));
        EXPECT_TRUE(c.IsChecked(c.RecycleChoice));  // checked at start-up
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
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
    StartSidesWith({{"L\\Old\\Deep\\x.txt", 10}, {"L\\Stay.txt", 10}});
    Pick(Left(), "<Old>");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        c.SetChecked(c.RecycleChoice, false);
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\Old", "L\\Old\\Deep", "L\\Old\\Deep\\x.txt"}));
    EXPECT_FALSE(Exists(TrashFiles() + "\\Old"));
    // The parent entry is never deleted; the box keeps the last choice.
    Pick(Left(), "[parent]");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        EXPECT_FALSE(AsConfirm(f).IsChecked(AsConfirm(f).RecycleChoice));
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
    EXPECT_TRUE(Exists(L()));
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Stay.txt"}));
}

TEST_F(CopyMoveDelete, TaggedDeleteNeverRemovesDirectories) {
    StartSidesWith({{"L\\A.txt", 1}, {"L\\B.txt", 2}, {"L\\C.txt", 3}, {"L\\Dir\\"}});
    Tag(Left(), "A.txt");
    Tag(Left(), "C.txt");
    Pick(Left(), "<Dir>");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_TRUE(c.IsChecked(c.TaggedFilesChoice));
        c.SetChecked(c.RecycleChoice, false);
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\A.txt", "L\\C.txt"}));
    EXPECT_EQ(form->MessagePanel.Caption(), "Deleting files...");
    EXPECT_FALSE(IsShown(form->MessagePanel.Handle()));
    EXPECT_EQ(Left().TagCount, 0);
}

TEST_F(CopyMoveDelete, DirectoryDeleteRequestOffersTheCurrentEntryOnly) {
    StartSidesWith({{"L\\A.txt", 1}, {"L\\Dir\\"}});
    Tag(Left(), "A.txt");
    Pick(Left(), "<Dir>");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        ConfirmDialog& c = AsConfirm(f);
        EXPECT_EQ(c.Text(c.TagDesc), "");
        EXPECT_EQ(c.Text(c.TagDescShadow), "");
        EXPECT_TRUE(c.IsChecked(c.CurrentEntryChoice));
        EXPECT_FALSE(IsWindowEnabled(c.TaggedFilesChoice));
        return IDCANCEL;
    });
    form->DirDeleteRequest = true;
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
    form->DirDeleteRequest = false;
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(CopyMoveDelete, DeletingAboveTheOtherSideSwitchesItThere) {
    Make({{"L\\Old\\x.txt", 1}, {"L\\Gone.txt", 1}});
    StartSides(L(), L() + "\\Old");
    Pick(Left(), "Gone.txt");
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        AsConfirm(f).SetChecked(AsConfirm(f).RecycleChoice, false);
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete, form->Active());
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
    StartWith({{"L\\Stay.txt", 1}});
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
