#include "tags/tags_support.h"

namespace bivane::test {

// Thirty files f100.txt .. f129.txt after "[parent]": entry i + 1 is F(100 + i).txt.
class Locating : public FormTest {
protected:
    void StartWithFiles(int rows = 10) {
        for (int i = 0; i < 30; ++i) MakeFile(tmp / ("f" + std::to_string(100 + i) + ".txt"), 1);
        StartIn(tmp.Path());
        ASSERT_EQ(Left().Entries.size(), 31u);
        ASSERT_TRUE(ShowExactRows(*form, Left(), rows));
    }
};

TEST_F(Locating, OtherLetterCaseFindsTheEntryAndShowsItAsTheFourthOfTenRows) {
    StartWithFiles();
    Pane& L = Left();
    L.List.ClearSelection();
    L.List.SetSelected(2, true);
    L.List.SetSelected(5, true);
    L.List.ScrollRows(7);
    form->Locate(form->Active(), "F115.TXT");
    const int found = IndexOfCaption(L, "F115.txt");
    EXPECT_EQ(L.CurrentItem, found);
    EXPECT_EQ(L.CurrentName, "F115.txt");
    EXPECT_TRUE(L.List.IsFocused(found));
    EXPECT_EQ(SelectedRows(L), (std::vector<int>{5, found})) << "only the first selected entry is deselected";
    EXPECT_EQ(L.List.TopIndex(), found - 3);
    EXPECT_EQ(GetFocus(), L.List.Handle());
}

TEST_F(Locating, AnEntryAmongTheLastRowsIsNotMoved) {
    StartWithFiles();
    Pane& L = Left();
    form->Locate(form->Active(), "f128.txt");
    EXPECT_EQ(L.CurrentItem, 29);
    EXPECT_EQ(L.List.TopIndex(), 31 - 10);
    EXPECT_TRUE(L.List.IsSelected(29));
    EXPECT_FALSE(L.List.IsSelected(0));
}

TEST_F(Locating, FewVisibleRowsKeepTheEntryAtTheTop) {
    StartWithFiles(5);
    form->Locate(form->Active(), "F110.txt");
    EXPECT_EQ(Left().List.TopIndex(), 11);
}

TEST_F(Locating, UnknownOrEmptyNameChangesNothingButTheScroll) {
    StartWithFiles();
    Pane& L = Left();
    L.List.ClearSelection();
    L.List.SetSelected(4, true);
    L.List.SetFocused(4);
    L.CurrentItem = 4;
    L.CurrentName = "F103.txt";
    form->Locate(form->Active(), "");
    EXPECT_EQ(L.List.TopIndex(), 0);
    form->Locate(form->Active(), "nobody.txt");
    EXPECT_EQ(L.List.TopIndex(), 31 - 10) << "left scrolled to its end";
    EXPECT_EQ(SelectedRows(L), std::vector<int>{4});
    EXPECT_TRUE(L.List.IsFocused(4));
    EXPECT_EQ(L.CurrentItem, 4);
    EXPECT_EQ(L.CurrentName, "F103.txt");
}

TEST_F(Locating, LocateItemUsesThePresentCaptionOfTheCurrentEntry) {
    StartWithFiles();
    Pane& L = Left();
    L.CurrentItem = 20;
    L.CurrentName = "stale";
    form->LocateCurrent(form->Active());
    EXPECT_EQ(L.CurrentName, "F119.txt");
    EXPECT_EQ(L.List.TopIndex(), 17);
    L.CurrentItem = -1;
    L.List.ScrollRows(-5);
    form->LocateCurrent(form->Active());
    EXPECT_EQ(L.List.TopIndex(), 12);
}

TEST_F(Locating, RefreshKeepsTheCurrentFileByName) {
    StartWithFiles();
    Pane& L = Left();
    form->Locate(form->Active(), "F107.txt");
    MakeFile(tmp / "a.txt", 1);  // every file moves down one row
    MakeFile(tmp / "f107.txt", 2);
    form->Reread(form->Active());
    const int now = IndexOfCaption(L, "F107.txt");
    EXPECT_EQ(now, 9);
    EXPECT_EQ(L.CurrentItem, now);
    EXPECT_EQ(L.CurrentName, "F107.txt");
    EXPECT_TRUE(L.List.IsSelected(now));
    EXPECT_TRUE(L.List.IsFocused(now));
    EXPECT_EQ(L.Status.Text(1), "31 Files");
}

TEST_F(Locating, RefreshFallsBackToTheFirstEntryWhenTheFileWentAway) {
    StartWithFiles();
    Pane& L = Left();
    form->Locate(form->Active(), "F107.txt");
    ASSERT_TRUE(DeleteFileW(Widen(tmp / "f107.txt").c_str()));
    form->Reread(form->Active());
    EXPECT_EQ(IndexOfCaption(L, "F107.txt"), -1);
    EXPECT_EQ(L.CurrentItem, 0);
    EXPECT_EQ(L.CurrentName, "[parent]");
    EXPECT_EQ(SelectedRows(L), std::vector<int>{0});
}

TEST_F(Locating, CaptionChangeAfterARenameSortsByFilenameAndSelectsTheEntry) {
    StartWith({{"b.txt", 1}, {"c.txt", 3}, {"d.txt", 2}});
    Pane& L = Left();
    form->SortBySize(form->Active());
    ASSERT_EQ(L.Entries.back().caption, "C.txt");
    const int renamed = IndexOfCaption(L, "B.txt");
    L.RenamePending = true;
    L.EditedName = "A.txt";
    form->SetEntryCaption(L, renamed, "A.txt");

    EXPECT_FALSE(L.RenamePending);
    EXPECT_EQ(Captions(L), (std::vector<std::string>{"[parent]", "A.txt", "C.txt", "D.txt"}));
    EXPECT_TRUE(L.order == SortOrder::Name);
    EXPECT_EQ(L.Title.Caption(), L.Path.Caption());
    EXPECT_EQ(L.CurrentItem, 1);
    EXPECT_EQ(L.CurrentName, "A.txt");
    EXPECT_TRUE(L.List.IsFocused(1));
    EXPECT_TRUE(L.List.IsSelected(1));
}

TEST_F(Locating, CaptionChangeAfterAFailedRenameOnlyEndsIt) {
    StartWith({{"b.txt", 1}, {"c.txt", 3}});
    Pane& L = Left();
    form->SortBySize(form->Active());
    const std::vector<std::string> order = Captions(L);
    L.CurrentItem = 0;
    L.RenamePending = true;
    L.EditedName.clear();
    form->SetEntryCaption(L, IndexOfCaption(L, "C.txt"), "C.txt");
    EXPECT_FALSE(L.RenamePending);
    EXPECT_EQ(Captions(L), order);
    EXPECT_EQ(L.CurrentItem, 0);
    EXPECT_FALSE(L.order == SortOrder::Name);
}

}  // namespace bivane::test
