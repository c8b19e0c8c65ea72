// Paths beyond MAX_PATH (260 characters). Commands name files by full paths from the pane's
// directory; only the process's current directory keeps a limit.
#include <algorithm>

#include "fileops/confirm_dialog.h"
#include "fileops/text_dialog.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"

namespace bivane::test {

namespace {

class LongPaths : public ReliabilityTest {
protected:
    // Nested folders of 40-character names until the path is at least length characters long.
    std::string Deep(std::string dir, size_t length) {
        while (dir.size() < length) {
            dir += "\\" + std::string(40, static_cast<char>('a' + dir.size() % 26));
            EXPECT_TRUE(CreateDirectoryW(ExactPath(dir).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        }
        return dir;
    }
};

}  // namespace

// The current directory holds at most MAX_PATH - 2 characters (plus the trailing backslash and the
// NUL). Windows refuses more unless long paths are switched on system-wide; Wine accepted more and
// then overran its buffer, so the program keeps the limit itself, with error 206.
TEST_F(LongPaths, TheCurrentDirectoryLimit) {
    const std::string dir = Deep(L(), 200);
    const std::string fits = dir + "\\" + std::string(MAX_PATH - 2 - dir.size() - 1, 'f');
    const std::string tooLong = dir + "\\" + std::string(MAX_PATH - 1 - dir.size() - 1, 'g');
    ASSERT_EQ(fits.size(), static_cast<size_t>(MAX_PATH - 2));
    MakeDir(fits);
    MakeDir(tooLong);
    EXPECT_TRUE(TryChangeDir(fits));
    EXPECT_TRUE(TryChangeDir(fits + "\\"));
    EXPECT_EQ(GetCurrentDir(), fits);
    EXPECT_EQ(ShownPath(ExactPath("x.txt")), fits + "\\x.txt");
    EXPECT_FALSE(TryChangeDir(tooLong));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(GetCurrentDir(), fits);
    SetCurrentDirectoryW(L"C:\\");
}

// Below the limit everything works. The copy names the target by the other side's directory,
// which is never made current while files are written, so the target path may pass 260.
TEST_F(LongPaths, CopyMoveAndDeleteIntoAndBelowDeepFolders) {
    std::string deep = Deep(R(), 180);
    deep += "\\" + std::string(MAX_PATH - 2 - deep.size() - 1, 'q');  // as deep as a side can go
    MakeDir(deep);
    MakeFile(L() + "\\" + std::string(60, 'n') + ".txt", 3000);
    MakeFile(L() + "\\Other.txt", 10);
    StartSides(L(), deep);
    const std::string disk = std::string(60, 'n') + ".txt";
    const std::string name = FileCaption(disk);
    Pick(Left(), name);
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Copy);
    ASSERT_GT(deep.size() + 1 + name.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(ReadAll("\\\\?\\" + deep + "\\" + disk), before.at("L\\" + disk).content);  // its own name
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", name}));
    // Moved back over the first, which the move refuses: the name exists.
    form->Activate(form->side[1]);
    Pick(Right(), name);
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Can't move '" + disk + "'\rfrom " + deep + "\rto '" + L() + "'", IDOK, "Error");
    RunMenu(MenuItem::Move);
    // Deleted from the deep side, for good.
    Pick(Right(), name);
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, false);
        return IDOK;
    });
    RunMenu(MenuItem::Delete);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]"}));
    // A whole tree with paths past 260 characters goes in one delete, and moves whole.
    Right().Tree.SetDirectory(R());  // the right side is active: it loads R
    form->Activate(form->side[0]);
    MakeDir(L() + "\\Tree");
    const std::string inTree = Deep(L() + "\\Tree", 320);
    MakeFile("\\\\?\\" + inTree + "\\deep.txt", 5);
    form->Reread(form->Active());
    Pick(Left(), "<Tree>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Move);
    EXPECT_TRUE(Exists("\\\\?\\" + R() + inTree.substr(L().size()) + "\\deep.txt"));
    EXPECT_FALSE(Exists(L() + "\\Tree"));
    // Deleting it, to the bin and for good: the bin takes the tree whole (the shell never walks
    // it), and the deletion for good walks it with exact paths of any length.
    form->Activate(form->side[1]);
    for (bool recycle : {true, false}) {
        if (recycle) {
            MakeDir(R() + "\\Tree2");
            MakeFile("\\\\?\\" + Deep(R() + "\\Tree2", 320) + "\\deep.txt", 5);
            form->Reread(form->Active());
        }
        const std::string folder = recycle ? "<Tree2>" : "<Tree>";
        Pick(Right(), folder);
        modals.ExpectDialog("ConfirmDialog", [=](ModalForm& f) {
            static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, recycle);
            return IDOK;
        });
        RunMenu(MenuItem::Delete);
        EXPECT_EQ(IndexOfCaption(Right(), folder), -1) << folder;
        EXPECT_FALSE(Exists(R() + "\\" + folder.substr(1, folder.size() - 2))) << folder;
    }
}

// A pane shows and works in a folder of any depth. The process's current directory (at most
// MAX_PATH - 2 characters) follows the active pane where it can and stays where it is beyond.
TEST_F(LongPaths, APaneBrowsesCopiesRenamesAndDeletesPastTheLimit) {
    const std::string deep = Deep(R(), 320);
    StartSidesWith({{"L\\a.txt", 10}});
    form->Activate(form->side[1]);
    // Down with Enter, one folder at a time; up one level and in again.
    auto enter = [&](const std::string& caption) {
        Pick(Right(), caption);
        WORD key = VK_RETURN;
        form->ListKeyDown(key, 0);
    };
    while (Right().Directory() != deep) {
        const size_t end = deep.find('\\', Right().Directory().size() + 1);
        const std::string next = deep.substr(0, end);
        ASSERT_GE(IndexOfCaption(Right(), "<" + FileNamePart(next) + ">"), 0) << next;
        enter("<" + FileNamePart(next) + ">");
        ASSERT_EQ(Right().Directory(), next);
    }
    ASSERT_GT(deep.size(), 300u);
    const std::string title = Right().Title.Caption();  // shortened to the tree's width
    EXPECT_EQ(title.substr(title.size() - 40), FileNamePart(deep)) << title;
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]"}));
    form->UpOneLevel(form->side[1]);
    EXPECT_EQ(Right().Directory(), DirectoryPart(deep));
    enter("<" + FileNamePart(deep) + ">");
    EXPECT_EQ(Right().Directory(), deep);
    EXPECT_FALSE(form->LeftActive);

    // Copied into it from the left.
    form->Activate(form->side[0]);
    Pick(Left(), "A.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(ReadAll("\\\\?\\" + deep + "\\a.txt"), ReadAll(L() + "\\a.txt"));
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "A.txt"}));
    ExpectLeftActiveIn(L());

    // Renamed there, a directory made there, then both deleted there, for good.
    form->Activate(form->side[1]);
    Pick(Right(), "A.txt");
    modals.ExpectDialog("TextDialog", [](ModalForm& f) {
        static_cast<TextDialog&>(f).SetText("b.txt");
        return IDOK;
    });
    form->RenameCurrent(form->Active());
    EXPECT_TRUE(Exists("\\\\?\\" + deep + "\\b.txt"));
    EXPECT_FALSE(Exists("\\\\?\\" + deep + "\\a.txt"));
    modals.ExpectDialog("TextDialog", [](ModalForm& f) {
        static_cast<TextDialog&>(f).SetText("Sub");
        return IDOK;
    });
    form->MakeDirectoryIn(form->side[1]);
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "<Sub>", "B.txt"}));
    for (const char* caption : {"B.txt", "<Sub>"}) {
        Pick(Right(), caption);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
            static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, false);
            return IDOK;
        });
        RunMenu(MenuItem::Delete);
    }
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]"}));
    EXPECT_FALSE(Exists("\\\\?\\" + deep + "\\b.txt"));
    EXPECT_FALSE(Exists("\\\\?\\" + deep + "\\Sub"));
    EXPECT_EQ(Right().Directory(), deep);
    EXPECT_EQ(ReadAll(L() + "\\a.txt").size(), 10u);
    modals.VerifyDone();
}

}  // namespace bivane::test
