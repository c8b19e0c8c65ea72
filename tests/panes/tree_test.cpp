#include "support/form_fixture.h"

#include "core/errors.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"

namespace bivane::test {

class Tree : public FormTest {
protected:
    void SetUp() override {
        StartWith({{"A\\B\\"}, {"A\\b2\\"}, {"A\\C1\\"}});
        tree = &Left().Tree;
        tree->OnChange = [this] { ++changes; };
    }
    DirectoryListBox* tree = nullptr;
    int changes = 0;
};

TEST_F(Tree, EveryPathFormResolvesWithExactlyOneNotification) {
    tree->SetDirectory("A");  // relative to the tree's directory
    EXPECT_EQ(tree->Directory(), tmp / "A");
    EXPECT_EQ(GetCurrentDir(), tmp.Path());  // the current directory is the form's business
    EXPECT_EQ(changes, 1);
    tree->SetDirectory("..");
    EXPECT_EQ(tree->Directory(), tmp.Path());
    EXPECT_EQ(changes, 2);
    tree->SetDirectory(tmp.Path().substr(0, 2) + "\\" + tmp.Path().substr(3) + "\\A\\B");  // doubled after the root
    EXPECT_EQ(tree->Directory(), tmp / "A" + "\\B");
    EXPECT_EQ(changes, 3);
    tree->SetDirectory(tmp.Path().substr(0, 2));  // drive letter alone: that drive's current directory
    EXPECT_EQ(tree->Directory(), tmp / "A" + "\\B");
    EXPECT_EQ(changes, 4);  // not the same text, so it is read again
    tree->SetDirectory(tmp / "A" + "\\B\\..\\.\\C1");
    EXPECT_EQ(tree->Directory(), tmp / "A" + "\\C1");
    EXPECT_EQ(changes, 5);
}

TEST_F(Tree, SamePathInOtherCaseChangesNothing) {
    std::string upper = AsciiUpper(tree->Directory());
    tree->SetDirectory(upper);
    EXPECT_EQ(changes, 0);
    tree->SetDirectory("");
    EXPECT_EQ(changes, 0);
}

TEST_F(Tree, RereadReadsTheSameDirectoryAgain) {
    const std::string dir = tree->Directory();
    MakeDir(tmp / "NEW");
    tree->Reread();
    EXPECT_EQ(changes, 1);
    tree->SetDirectory(dir);  // the same again: nothing to read
    EXPECT_EQ(changes, 1);
    bool found = false;
    for (const auto& item : tree->Items()) found = found || item.text == "NEW";
    EXPECT_TRUE(found);
}

TEST_F(Tree, FailureRaisesAndLeavesTreeAndCurrentDirectory) {
    const std::string before = tree->Directory();
    const size_t items = tree->Items().size();
    try {
        tree->SetDirectory(tmp / "missing");
        ADD_FAILURE() << "no error raised";
    } catch (const IoError& e) {
        EXPECT_EQ(std::string(e.what()), IoErrorText(e.Code()));
        EXPECT_TRUE(e.Code() == 2 || e.Code() == 3) << e.Code();
    }
    EXPECT_EQ(tree->Directory(), before);
    EXPECT_EQ(tree->Items().size(), items);
    EXPECT_EQ(GetCurrentDir(), before);
    EXPECT_EQ(changes, 0);
}

TEST_F(Tree, FailureInAHandlerReachesTheErrorReport) {
    const std::string before = Left().Title.Caption();
    modals.ExpectBox("File not found.", IDOK, "Bivane for Windows 95");
    form->Guard([&] { tree->SetDirectory(tmp / "missing"); });
    EXPECT_EQ(Left().Title.Caption(), before);
}

TEST_F(Tree, ItemsShowThePathAndSortedSubdirectories) {
    tree->SetDirectory(tmp / "A");
    const auto& items = tree->Items();
    const int depth = static_cast<int>(std::count(tree->Directory().begin(), tree->Directory().end(), '\\'));
    ASSERT_EQ(static_cast<int>(items.size()), depth + 1 + 3);
    EXPECT_EQ(items[0].text, tmp.Path().substr(0, 3));
    EXPECT_EQ(items[0].icon, DirectoryListBox::kOpen);
    EXPECT_EQ(items[0].indent, 2);
    EXPECT_EQ(items[static_cast<size_t>(depth)].text, "A");
    EXPECT_EQ(items[static_cast<size_t>(depth)].icon, DirectoryListBox::kCurrent);
    EXPECT_EQ(items[static_cast<size_t>(depth)].indent, depth * 4 + 2);
    EXPECT_EQ(items[static_cast<size_t>(depth + 1)].text, "B");  // case-insensitive order: B, b2, C1
    EXPECT_EQ(items[static_cast<size_t>(depth + 2)].text, "b2");
    EXPECT_EQ(items[static_cast<size_t>(depth + 3)].text, "C1");
    EXPECT_EQ(items[static_cast<size_t>(depth + 1)].icon, DirectoryListBox::kClosed);
    EXPECT_EQ(items[static_cast<size_t>(depth + 1)].indent, depth * 4 + 6);
    EXPECT_EQ(tree->Selected(), depth);
    // Paths of the items: root, a directory on the path (without drive), itself, a child.
    EXPECT_EQ(tree->ItemPath(0), tmp.Path().substr(0, 3));
    EXPECT_EQ(tree->ItemPath(depth), tmp / "A");
    EXPECT_EQ(tree->ItemPath(depth + 2), tmp / "A" + "\\b2");
    EXPECT_EQ(tree->ItemPath(depth - 1), tmp.Path().substr(2));
}

// A hidden tree lists its path only (its folder may hold many files); shown, it lists the
// subdirectories too, and keeps doing so as it moves.
TEST_F(Tree, AShownTreeListsItsSubdirectories) {
    auto count = [&] { return static_cast<int>(SendMessageW(tree->Handle(), LB_GETCOUNT, 0, 0)); };
    tree->SetDirectory(tmp / "A");
    const int depth = static_cast<int>(std::count(tree->Directory().begin(), tree->Directory().end(), '\\'));
    EXPECT_EQ(count(), depth + 1);
    form->ToggleTree(form->side[0]);
    EXPECT_EQ(count(), depth + 1 + 3);
    tree->SetDirectory(tmp.Path());
    EXPECT_EQ(count(), depth + 1);  // one level up: the path, and A
    tree->SetDirectory(tmp / "A");
    EXPECT_EQ(count(), depth + 1 + 3);
}

TEST_F(Tree, OpenSelectedEntersTheClickedItem) {
    tree->SetDirectory(tmp / "A");
    tree->Show(true);  // only a shown tree is clicked; it lists the subdirectories from then on
    const int depth = static_cast<int>(std::count(tree->Directory().begin(), tree->Directory().end(), '\\'));
    SendMessageW(tree->Handle(), LB_SETCURSEL, static_cast<WPARAM>(depth + 3), 0);
    tree->OpenSelected();
    EXPECT_EQ(tree->Directory(), tmp / "A" + "\\C1");
    EXPECT_EQ(changes, 2);
}

TEST_F(Tree, SetDriveOnTheSameDriveDoesNothing) {
    tree->SetDrive(tmp.Path()[0]);
    tree->SetDrive(static_cast<char>(tolower(tmp.Path()[0])));
    EXPECT_EQ(changes, 0);
}

TEST_F(Tree, TitleIsTheDirectoryShortenedInTheLabelFont) {
    std::string deep = tmp.Path();
    for (const char* n : {"WINDOWS", "SYSTEM", "COLOR"}) {
        deep += "\\";
        deep += n;
        MakeDir(deep);
    }
    form->Guard([&] { Left().Tree.SetDirectory(deep); });
    Left().Tree.OnChange = nullptr;
    const std::string title = Left().Path.Caption();
    EXPECT_TRUE(title == deep || title.find("...\\") != std::string::npos || title == "COLOR") << title;
    EXPECT_EQ(title.substr(title.size() - 5), "COLOR");
    // In a narrow tree only the name is left.
    MoveTo(Left().Tree.Handle(), 0, 0, 40, 100);
    Left().Tree.SetDirLabel(&Left().Path);
    EXPECT_EQ(Left().Path.Caption(), "COLOR");
}

}  // namespace bivane::test
