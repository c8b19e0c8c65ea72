// Drive letters made by tests/support/drives.sh: D: (a folder labelled BVTEST), M: (missing).
#include "support/form_fixture.h"

#include "platform/fs.h"

namespace bivane::test {

class Drives : public FormTest {
protected:
    void SetUp() override {
        if (!Exists("D:\\")) GTEST_SKIP() << "drive D: not linked (tests/support/drives.sh)";
        dfolder = "D:\\bvt" + std::to_string(GetCurrentProcessId());
        RemoveTree(dfolder);
        MakeDir(dfolder);
        MakeDir(dfolder + "\\Inner");
        MakeFile(dfolder + "\\Inner\\x.txt", 3);
        StartWith({{"Here\\"}});
    }
    void TearDown() override {
        FormTest::TearDown();
        SetCurrentDirectoryW(L"C:\\");
        if (!dfolder.empty()) RemoveTree(dfolder);
    }
    std::string dfolder;
};

TEST_F(Drives, SelectorListsTheExtraDriveWithItsLabel) {
    const DriveComboBox& combo = Left().Drive;
    bool found = false;
    for (int i = 0; i < combo.ItemCount(); ++i) found = found || combo.ItemText(i) == "d: [bvtest]";
    EXPECT_TRUE(found);
    EXPECT_EQ(DriveItemText('A', DriveKind::Removable, "x", ""), "a:");
    EXPECT_EQ(DriveItemText('C', DriveKind::Fixed, "", ""), "c: []");
    EXPECT_EQ(DriveItemText('N', DriveKind::Remote, "", "\\\\Server\\Share"), "n: \\\\server\\share");
    EXPECT_EQ(DriveItemText('N', DriveKind::Remote, "Lbl", ""), "n: [lbl]");
    EXPECT_EQ(DriveItemText('R', DriveKind::CdRom, "DISC", ""), "r: [disc]");
    EXPECT_EQ(combo.Drive(), static_cast<char>(tolower(tmp.Path()[0])));
}

TEST_F(Drives, PickingADriveGoesToItsRoot) {
    form->DriveSelectorClick(form->side[0]);
    Left().Drive.SetDrive('d');
    EXPECT_EQ(Left().Tree.Directory(), "D:\\");
    EXPECT_EQ(IndexOfCaption(Left(), "[parent]"), -1);
    EXPECT_GE(IndexOfCaption(Left(), "<bvt" + std::to_string(GetCurrentProcessId()) + ">"), 0);
}

TEST_F(Drives, MissingDriveFallsBackToThePreviousDrivesRoot) {
    const char previous = static_cast<char>(toupper(tmp.Path()[0]));
    modals.ExpectBox("Drive [M:] did not respond!", IDOK, "Error");
    form->DriveSelectorClick(form->side[0]);
    form->Guard([&] { Left().Drive.SetDrive('m'); });
    EXPECT_EQ(Left().Tree.Directory(), std::string(1, previous) + ":\\");
    EXPECT_EQ(Left().Drive.Drive(), static_cast<char>(tolower(previous)));
    EXPECT_EQ(Left().Title.Caption(), Left().Path.Caption());
}

TEST_F(Drives, OpeningAFolderOfAnotherDriveInTheOtherPaneSwitchesItsSelector) {
    form->DriveSelectorClick(form->side[0]);
    Left().Drive.SetDrive('d');
    form->Guard([&] { Left().Tree.SetDirectory(dfolder); });
    form->TitleClick(form->side[1]);  // right shows the start folder on the first drive
    form->TitleClick(form->side[0]);
    std::vector<std::string> loaded;
    Right().Tree.OnChange = [&] {
        loaded.push_back(Right().Tree.Directory());
        form->ReloadActive();
    };
    form->EnterDirectory(form->Active(), IndexOfCaption(Left(), "<Inner>"), form->side[1]);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(Right().Drive.Drive(), 'd');
    EXPECT_EQ(loaded, (std::vector<std::string>{"D:\\", dfolder + "\\Inner"}));
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "X.txt"}));
}

TEST_F(Drives, FreeSpaceBelongsToTheListedDrive) {
    form->DriveSelectorClick(form->side[0]);
    Left().Drive.SetDrive('d');
    const std::int64_t free = DriveFreeBytes("D:");
    ASSERT_GT(free, 0);
    // The host disk is shared: allow for what others wrote in between.
    const std::string text = Left().Status.Text(2);
    ASSERT_EQ(text.rfind("Free: ", 0), 0u);
    EXPECT_NEAR(std::stod(text.substr(6)), static_cast<double>(free) * 0.000001, 1000.0);
}

}  // namespace bivane::test
