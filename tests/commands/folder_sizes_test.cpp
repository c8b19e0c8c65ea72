// Folder sizes through the keys of the real lists: Z, Shift+Z and Escape, on real trees.
#include "commands/keys_support.h"
#include "fileops/confirm_dialog.h"
#include "platform/fs.h"
#include "support/unix_shell.h"

namespace bivane::test {

namespace {

constexpr int kSize = 1;  // the Size column

}  // namespace

class FolderSizes : public KeysTest {
protected:
    // Pumps the window's messages until the walk is over and its answers are in.
    void WaitForSizes() {
        for (int waited = 0; form->Sizer && form->Sizer->Busy() && waited < 60000; waited += 5) {
            PumpMessages();
            Sleep(5);
        }
        ASSERT_TRUE(form->Sizer && !form->Sizer->Busy()) << "the walk did not end";
        PumpMessages();
    }
    std::string SizeCell(const std::string& caption) {
        const int row = IndexOfCaption(Left(), caption);
        EXPECT_GE(row, 0) << caption;
        // The model and what the control shows must agree.
        EXPECT_EQ(CellText(Left(), row, kSize), Left().Entries[static_cast<size_t>(row)].sizeText);
        return CellText(Left(), row, kSize);
    }
    // sub: 10 + 20 + 30 bytes in three levels; empty: nothing; top.txt: 5 bytes beside them.
    void MakeTree() {
        MakeSideFolders();
        Make({{"L\\sub\\deeper\\void\\"}, {"L\\sub\\a.txt", 10}, {"L\\sub\\deeper\\b.txt", 20},
              {"L\\sub\\deeper\\deepest\\c.txt", 30}, {"L\\empty\\"}, {"L\\top.txt", 5}});
    }
    // The Dir and Files panels: the Free one moves with whatever else writes to the disk meanwhile.
    std::string StatusTexts() { return Left().Status.Text(0) + "|" + Left().Status.Text(1); }
};

TEST_F(FolderSizes, ZSizesTheCurrentFolderShiftZEveryFolderTheStatusCountsFilesOnly) {
    MakeTree();
    StartSides(L(), R());
    const std::string status = StatusTexts();
    Pick(Left(), "<sub>");
    Press('Z', 0, L'z');
    WaitForSizes();
    EXPECT_EQ(SizeCell("<sub>"), "60");
    EXPECT_EQ(SizeCell("<empty>"), "<DIR>");  // not asked for
    EXPECT_EQ(SizeCell("[parent]"), "<DIR>");
    EXPECT_EQ(SizeCell("Top.txt"), "5");
    EXPECT_EQ(StatusTexts(), status);

    // On a file and on [parent], Z does nothing.
    Pick(Left(), "Top.txt");
    Press('Z', 0, L'z');
    Pick(Left(), "[parent]");
    Press('Z', 0, L'z');
    PumpMessages();
    EXPECT_EQ(SizeCell("[parent]"), "<DIR>");
    EXPECT_EQ(SizeCell("Top.txt"), "5");

    Press('Z', ssShift, L'Z');
    WaitForSizes();
    EXPECT_EQ(SizeCell("<empty>"), "0");
    EXPECT_EQ(SizeCell("<sub>"), "60");
    EXPECT_EQ(SizeCell("[parent]"), "<DIR>");
    EXPECT_EQ(StatusTexts(), status);
    EXPECT_EQ(Left().FileCount, 1);

    // Sorted by size, the folders stay ahead of the files, in name order.
    Press(VK_F7, ssShift);
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "<empty>", "<sub>", "Top.txt"}));
    EXPECT_EQ(SizeCell("<sub>"), "60");

    // Read again, the side shows "<DIR>" once more.
    Press('R', ssCtrl, 18);
    EXPECT_EQ(SizeCell("<sub>"), "<DIR>");
    EXPECT_EQ(SizeCell("<empty>"), "<DIR>");
    EXPECT_EQ(StatusTexts(), status);
}

TEST_F(FolderSizes, TheWalkCountsEveryFileAndFolderOnceAndNothingElse) {
    MakeTree();
    const std::atomic<bool> go{false};
    const std::optional<FolderTotal> t = SumFolder(EntryPath(L(), "sub"), go);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->bytes, 60);
    EXPECT_EQ(t->files, 3);
    EXPECT_EQ(t->folders, 3);  // deeper, deepest, void
    EXPECT_EQ(t->linksSkipped, 0);
    EXPECT_EQ(t->unreadable, 0);
    const std::optional<FolderTotal> empty = SumFolder(EntryPath(L(), "empty"), go);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->files + empty->folders + empty->bytes, 0);
    // A folder that is not there gives no total, and a stopped walk none either.
    EXPECT_FALSE(SumFolder(EntryPath(L(), "missing"), go));
    const std::atomic<bool> stop{true};
    EXPECT_FALSE(SumFolder(EntryPath(L(), "sub"), stop));
}

TEST_F(FolderSizes, WithGoToOnZTypesIntoTheSearch) {
    MakeTree();
    StartSides(L(), R());
    Pick(Left(), "<sub>");
    Press('G', ssAlt);
    Press('Z', 0, L'z');
    PumpMessages();
    EXPECT_FALSE(form->Sizer && form->Sizer->Busy());
    EXPECT_EQ(SizeCell("<sub>"), "<DIR>");
}

TEST_F(FolderSizes, AnAnswerForAListingReadAgainIsDropped) {
    MakeTree();
    StartSides(L(), R());
    Pick(Left(), "<sub>");
    form->SizeFolders(form->Active(), false);
    // The walk ends, but its answer reaches the window only after the side was read again.
    for (int waited = 0; form->Sizer->Busy() && waited < 10000; waited += 5) Sleep(5);
    ASSERT_FALSE(form->Sizer->Busy());
    form->Reload(Left());
    PumpMessages();
    EXPECT_EQ(SizeCell("<sub>"), "<DIR>");
    // A new folder of the same name on the other side takes no answer either.
    MakeDir(R() + "\\sub");
    form->Reload(Right());
    Pick(Left(), "<sub>");
    form->SizeFolders(form->Active(), false);
    WaitForSizes();
    EXPECT_EQ(SizeCell("<sub>"), "60");
    EXPECT_EQ(Right().Entries[static_cast<size_t>(IndexOfCaption(Right(), "<sub>"))].sizeText, "<DIR>");
}

// Links made on the host (Wine cannot make them): a link to a folder inside the tree, a link to a
// big folder outside it, a loop, a link to a file and a FIFO. No folder link is followed, no FIFO read.
TEST_F(FolderSizes, LinksAreNeverFollowedAndAFifoIsNotRead) {
    MakeTree();
    Make({{"outside\\big.bin", 100000}});
    const std::string unixL = UnixPath(L());
    if (unixL.empty()) GTEST_SKIP() << "links are made on the host, under Wine";
    // The host removes the tree: a removal from here would go round the loop.
    struct HostRemoval {
        std::string dir;
        ~HostRemoval() { RunShell("rm -rf '" + dir + "'"); }
    } removal{unixL};
    ASSERT_EQ(RunShell("cd '" + unixL + "' && ln -s \"$PWD/sub/deeper\" sub/again && ln -s \"$PWD/../outside\" "
                       "sub/far && ln -s \"$PWD/../outside/big.bin\" sub/flink && mkfifo sub/pipe && "
                       "ln -s \"$PWD/../outside\" linked && ln -s \"$PWD/sub\" sub/deeper/loop"),
              0);
    StartSides(L(), R());
    Pick(Left(), "<sub>");
    Press('Z', 0, L'z');
    WaitForSizes();
    // Wine lists a link to a file as a plain file (no reparse attribute, unlike Windows), so there
    // its target's 100,000 bytes count; the folder links and the loop add nothing.
    const std::string sub = UnixPath(L()).empty() ? "60" : "100060";
    EXPECT_EQ(SizeCell("<sub>"), sub);
    // A listed link to a folder is not walked either.
    Press('Z', ssShift, L'Z');
    WaitForSizes();
    EXPECT_EQ(SizeCell("<linked>"), "<DIR>");
    EXPECT_EQ(SizeCell("<sub>"), sub);
}

// A tree of 60,000 files made on the host: Escape stops its walk; meanwhile the window answers keys.
TEST_F(FolderSizes, EscapeStopsTheWalkOfABigTreeAndTheWindowAnswersKeysMeanwhile) {
    MakeSideFolders();
    Make({{"L\\a.txt", 1}, {"L\\b.txt", 1}});
    const std::string unixL = UnixPath(L());
    if (unixL.empty()) GTEST_SKIP() << "the big tree is made on the host, under Wine";
    struct HostRemoval {  // 60,000 files go faster from the host
        std::string dir;
        ~HostRemoval() { RunShell("rm -rf '" + dir + "'"); }
    } removal{unixL};
    ASSERT_EQ(RunShell("cd '" + unixL + "' && mkdir big && cd big && for i in $(seq 1 200); do mkdir d$i && "
                       "(cd d$i && seq 1 300 | xargs touch); done"),
              0);
    StartSides(L(), R());
    Pick(Left(), "<big>");
    Press('Z', 0, L'z');
    ASSERT_TRUE(form->Sizer->Busy());
    // Keys work while it counts: down to A.txt, tagged with F9.
    Press(VK_DOWN);
    Press(VK_F9);
    EXPECT_EQ(Left().TagCount, 1);
    EXPECT_TRUE(form->Sizer->Busy()) << "the walk ended too soon to test a stop";
    Press(VK_ESCAPE, 0, 27);
    const DWORD stopped = GetTickCount();
    while (form->Sizer->Busy() && GetTickCount() - stopped < 5000) Sleep(1);
    EXPECT_FALSE(form->Sizer->Busy());
    EXPECT_LT(GetTickCount() - stopped, 500u);
    PumpMessages();
    EXPECT_EQ(SizeCell("<big>"), "<DIR>");  // a stopped walk shows nothing

    // Asked again, it runs to the end: 60,000 empty files.
    MakeFile(L() + "\\big\\d7\\x.bin", 1234);
    Pick(Left(), "<big>");
    Press('Z', 0, L'z');
    WaitForSizes();
    EXPECT_EQ(SizeCell("<big>"), "1234");
}

}  // namespace bivane::test

namespace bivane::test {

// A command pauses the walk, which lets go of every folder: Shift+Z, then Shift+F2 on the folder
// walked removes it for good (under Wine a folder held open stays, though its removal succeeds),
// and the walk asked for during a command is made once it ends.
TEST_F(FolderSizes, AFolderBeingWalkedIsReallyRemovedByACommandAndAPausedWalkIsMadeAfterIt) {
    MakeSideFolders();
    const std::string unixL = UnixPath(L());
    if (unixL.empty()) GTEST_SKIP() << "the tree is made on the host, under Wine";
    ASSERT_EQ(RunShell("cd '" + unixL + "' && mkdir tree && cd tree && for i in $(seq 1 60); do mkdir d$i && "
                       "(cd d$i && seq 1 200 | xargs touch); done"),
              0);
    MakeDir(L() + "\\kept");
    MakeFile(L() + "\\kept\\a.bin", 77);
    StartSides(L(), R());
    Pick(Left(), "<tree>");
    Press('Z', ssShift, L'Z');
    ASSERT_TRUE(form->Sizer->Busy());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, false);
        return IDOK;
    });
    Press(VK_F2, ssShift);
    modals.VerifyDone();
    EXPECT_FALSE(Exists(L() + "\\tree"));
    WaitForSizes();  // the paused walk went on after the command (the side was read again since)
    Pick(Left(), "<kept>");
    Press('Z', 0, L'z');
    WaitForSizes();
    EXPECT_EQ(SizeCell("<kept>"), "77");
    EXPECT_TRUE(modals.boxes.empty());
}

}  // namespace bivane::test
