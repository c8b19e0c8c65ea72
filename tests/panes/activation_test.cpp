#include "support/form_fixture.h"

#include "platform/fs.h"

namespace bivane::test {

class Activation : public FormTest {
protected:
    void SetUp() override {
        StartWith({{"SUB\\inner.txt", 5}, {"a.txt", 1}, {"b.txt", 2}});
    }
    int loads = 0;
    void CountLoads() {
        for (Pane& s : form->side) s.Tree.OnChange = [this] { ++loads; form->ReloadActive(); };
    }
};

TEST_F(Activation, FirstRightActivationLoadsTheStartDirectoryOnce) {
    ASSERT_TRUE(Right().Entries.empty());
    form->TitleClick(form->side[1]);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_FALSE(form->RightUnloaded);
    EXPECT_FALSE(IsShown(form->Splash.Handle()));
    EXPECT_EQ(Captions(Right()), Captions(Left()));
    EXPECT_EQ(Right().Title.Caption(), Right().Path.Caption());
    EXPECT_EQ(Right().Title.BackColor(), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(Left().Title.BackColor(), GetSysColor(COLOR_INACTIVECAPTION));
    EXPECT_EQ(GetFocus(), Right().List.Handle());

    // Later activations never reload: a tag mark survives a round trip.
    Right().Entries[2].mark = Mark::Tagged;
    form->TitleClick(form->side[0]);
    EXPECT_TRUE(form->LeftActive);
    form->TitleClick(form->side[1]);
    EXPECT_EQ(Right().Entries[2].mark, Mark::Tagged);
}

TEST_F(Activation, PressInTheActiveListRunsNoActivation) {
    SetCurrentDirectoryW(L"C:\\");
    form->ListMouseDown(form->side[0], MouseButton::Left, 0, 5, 5);
    EXPECT_EQ(GetCurrentDir(), "C:\\");  // no activation made the directory current
    form->ListMouseDown(form->side[1], MouseButton::Right, 0, 5, 5);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(GetCurrentDir(), tmp.Path());
}

TEST_F(Activation, FreeAreaSplitsAtHalfTheOuterWidth) {
    RECT outer{};
    GetWindowRect(form->Handle(), &outer);
    const int half = (outer.right - outer.left) / 2;
    form->BackgroundClick(half, 30);
    EXPECT_FALSE(form->LeftActive);
    form->BackgroundClick(half - 1, 30);
    EXPECT_TRUE(form->LeftActive);
}

TEST_F(Activation, SideWhoseDirectoryVanishedKeepsItsList) {
    form->TitleClick(form->side[1]);
    form->Guard([&] { Right().Tree.SetDirectory(tmp / "SUB"); });
    form->TitleClick(form->side[0]);
    {
        // Under Wine a folder the right side's follower holds open would stay until it lets go.
        PausedFollowing paused(Left().Follower, Right().Follower);
        RemoveTree(tmp / "SUB");
    }
    const auto before = Captions(Right());
    const char x = static_cast<char>(toupper(Right().Drive.Drive()));
    const std::string d(1, x);
    modals.ExpectBox("Check disk in drive " + d + "\r\rDrive [" + d + ":] did not respond!", IDOK, "Error");
    form->TitleClick(form->side[1]);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(Captions(Right()), before);
}

TEST_F(Activation, TreeArrangementsShowAndHideTheNamedControls) {
    form->ToggleTree(form->side[0]);  // left tree over the right half
    EXPECT_TRUE(IsShown(Left().Tree.Handle()));
    EXPECT_FALSE(IsShown(Right().Tree.Handle()));
    for (HWND w : {Right().List.Handle(), Right().NewDir, Right().UpLevel, Right().GoTo}) EXPECT_FALSE(IsShown(w));
    for (HWND w : {Right().Title.Handle(), Right().Status.Handle(), Right().Drive.Handle(), Left().Drive.Handle()}) {
        EXPECT_TRUE(IsShown(w));
    }
    EXPECT_EQ(form->hints.Get(Left().ShowTree), "Hide directory list");
    EXPECT_TRUE(form->LeftActive);

    form->ToggleTree(form->side[1]);  // the right tree replaces it, over the left half
    EXPECT_FALSE(IsShown(Left().Tree.Handle()));
    EXPECT_TRUE(IsShown(Right().Tree.Handle()));
    EXPECT_FALSE(IsShown(Left().Drive.Handle()));
    for (HWND w : {Right().List.Handle(), Right().NewDir, Right().UpLevel, Right().GoTo, Left().List.Handle()}) {
        EXPECT_TRUE(IsShown(w));
    }
    EXPECT_EQ(form->hints.Get(Right().ShowTree), "Hide directory list");
    EXPECT_EQ(form->hints.Get(Left().ShowTree), "Show directory list for left");
    EXPECT_FALSE(form->LeftActive);

    form->ToggleTree(form->side[1]);  // and away again: two panes
    EXPECT_FALSE(IsShown(Right().Tree.Handle()));
    EXPECT_TRUE(IsShown(Left().Drive.Handle()));
    EXPECT_EQ(form->hints.Get(Right().ShowTree), "Show directory list for right");

    form->ToggleTree(form->side[1]);
    form->TitleClick(form->side[0]);  // activating the left side hides the right tree
    EXPECT_FALSE(IsShown(Right().Tree.Handle()));
}

TEST_F(Activation, UpOneLevelAtRootAndFromASubfolder) {
    form->Guard([&] { Left().Tree.SetDirectory(tmp / "SUB"); });
    ASSERT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Inner.txt"}));
    form->UpOneLevel(form->side[0]);
    EXPECT_EQ(Left().Tree.Directory(), tmp.Path());
    EXPECT_EQ(Left().CurrentItem, 0);
    EXPECT_EQ(Left().CurrentName, "[parent]");
    form->Guard([&] { Left().Tree.SetDirectory("C:\\"); });
    CountLoads();
    form->UpOneLevel(form->side[0]);
    EXPECT_EQ(Left().Tree.Directory(), "C:\\");
    EXPECT_EQ(loads, 0);
}

TEST_F(Activation, TreeClickOpensTheSelectedItem) {
    form->ToggleTree(form->side[0]);
    const auto& items = Left().Tree.Items();
    int sub = -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].text == "SUB") sub = static_cast<int>(i);
    }
    ASSERT_GE(sub, 0);
    SendMessageW(Left().Tree.Handle(), LB_SETCURSEL, static_cast<WPARAM>(sub), 0);
    form->OpenTreeSelection();
    EXPECT_EQ(Left().Tree.Directory(), tmp / "SUB");
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Inner.txt"}));
}

TEST_F(Activation, GoToBoxActivatesItsSide) {
    SendMessageW(Right().GoTo, BM_CLICK, 0, 0);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_TRUE(form->GoToChecked(Right()));
    form->SetGoToChecked(Left(), true);
    EXPECT_TRUE(form->LeftActive);
}

class EnterDir : public Activation {};

TEST_F(EnterDir, ParentAndSubdirectoryInTheSamePane) {
    form->EnterDirectory(form->Active(), IndexOfCaption(Left(), "<SUB>"), form->side[0]);
    EXPECT_EQ(Left().Tree.Directory(), tmp / "SUB");
    EXPECT_EQ(GetCurrentDir(), tmp / "SUB");
    form->EnterDirectory(form->Active(), IndexOfCaption(Left(), "[parent]"), form->side[0]);
    EXPECT_EQ(Left().Tree.Directory(), tmp.Path());
    EXPECT_EQ(Left().CurrentItem, 0);
    EXPECT_EQ(Left().CurrentName, "[parent]");
}

TEST_F(EnterDir, IntoTheOtherPaneFromTheDirectoryWhereItWasListed) {
    form->EnterDirectory(form->Active(), IndexOfCaption(Left(), "<SUB>"), form->side[1]);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(Right().Tree.Directory(), tmp / "SUB");
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "Inner.txt"}));
    EXPECT_EQ(Left().Tree.Directory(), tmp.Path());
    // "[parent]" of the right pane opened in the left pane: the parent of the right's directory.
    form->EnterDirectory(form->Active(), 0, form->side[0]);
    EXPECT_TRUE(form->LeftActive);
    EXPECT_EQ(Left().Tree.Directory(), tmp.Path());
}

TEST_F(EnterDir, TargetAlreadyThereIsNotReloaded) {
    form->EnterDirectory(form->Active(), IndexOfCaption(Left(), "<SUB>"), form->side[1]);
    form->TitleClick(form->side[0]);
    Right().Entries[1].mark = Mark::Tagged;
    form->EnterDirectory(form->Active(), IndexOfCaption(Left(), "<SUB>"), form->side[1]);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(Right().Entries[1].mark, Mark::Tagged);
}

TEST_F(EnterDir, DoubledSeparatorAtADriveRoot) {
    form->Guard([&] { Left().Tree.SetDirectory("C:\\"); });
    MakeDir("C:\\bvtSub" + std::to_string(GetCurrentProcessId()));
    form->ReloadActive();
    const std::string caption = "<bvtSub" + std::to_string(GetCurrentProcessId()) + ">";
    form->EnterDirectory(form->Active(), IndexOfCaption(Left(), caption), form->side[0]);
    EXPECT_EQ(Left().Tree.Directory(), "C:\\bvtSub" + std::to_string(GetCurrentProcessId()));
    SetCurrentDirectoryW(L"C:\\");
    RemoveTree("C:\\bvtSub" + std::to_string(GetCurrentProcessId()));
}

TEST_F(EnterDir, RemovedDirectoryIsReportedAndTheSideKeepsItsList) {
    const int sub = IndexOfCaption(Left(), "<SUB>");
    RemoveTree(tmp / "SUB");
    const auto before = Captions(Left());
    modals.ExpectBox("File not found.", IDOK, "Bivane for Windows 95");
    form->Guard([&] { form->EnterDirectory(form->Active(), sub, form->side[0]); });
    EXPECT_EQ(Captions(Left()), before);
    EXPECT_EQ(Left().Tree.Directory(), tmp.Path());
}

}  // namespace bivane::test
