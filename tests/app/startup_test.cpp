#include "support/form_fixture.h"

namespace bivane::test {

class Startup : public FormTest {};

TEST_F(Startup, LeftSideListsTheStartDirectoryAndRightSideWaits) {
    MakeDir(tmp / "Program Files");
    MakeFile(tmp / "README.TXT", 999);
    MakeFile(tmp / "PROGRAM.EXE", 10);
    StartIn(tmp.Path());

    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "<Program Files>", "Program.exe", "Readme.txt"}));
    EXPECT_EQ(Left().Status.Text(0), "Dir: 1k");
    EXPECT_EQ(Left().Status.Text(1), "2 Files");
    EXPECT_EQ(Left().Status.Text(2).rfind("Free: ", 0), 0u);
    EXPECT_EQ(Left().CurrentItem, 0);
    EXPECT_EQ(Left().CurrentName, "[parent]");
    EXPECT_TRUE(form->LeftActive);
    EXPECT_TRUE(form->RightUnloaded);
    EXPECT_TRUE(Right().Entries.empty());
    EXPECT_EQ(Right().Title.Caption(), "No directory selected for right side");
    EXPECT_EQ(Right().Status.Text(0), "Dir: 0k");
    EXPECT_EQ(Right().Status.Text(1), "Tag: 0k");
    EXPECT_EQ(Right().Status.Text(2), "Free: 0k");
    EXPECT_TRUE(IsShown(form->Splash.Handle()));
    EXPECT_FALSE(IsShown(Left().Tree.Handle()));
    EXPECT_FALSE(IsShown(Right().Tree.Handle()));
    EXPECT_EQ(form->HelpFile, tmp.Path() + "\\WBivane.HLP");
}

TEST_F(Startup, WindowGeometryFollowsTheLayout) {
    StartIn(tmp.Path());
    RECT client = ClientRect(form->Handle());
    const int listW = client.right / 2 - 2;
    const RECT l = ChildRect(Left().List.Handle());
    const RECT r = ChildRect(Right().List.Handle());
    EXPECT_EQ(l.left, 0);
    EXPECT_EQ(l.right - l.left, listW);
    EXPECT_EQ(r.left, client.right - listW);
    EXPECT_EQ(r.right, client.right);
    EXPECT_TRUE(IsShown(Left().List.Handle()));
    EXPECT_TRUE(IsShown(Right().List.Handle()));
}

TEST_F(Startup, ClosingQuestionAnsweredBothWays) {
    MakeFile(tmp / "a.txt", 1);
    StartIn(tmp.Path());
    const std::string text = "Thank you for using\rof Bivane for Windows 95\rfrom Harlenby Software.";
    modals.ExpectBox(text, IDCANCEL, "Information");
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(Captions(Left()).size(), 2u);
    modals.ExpectBox(text, IDOK, "Information");
    HWND h = form->Handle();
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
}

}  // namespace bivane::test
