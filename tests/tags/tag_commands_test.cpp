#include "tags/tags_support.h"

namespace bivane::test {

class TagCommands : public FormTest {
protected:
    int At(const std::string& caption) {
        const int i = IndexOfCaption(Left(), caption);
        EXPECT_GE(i, 0) << caption;
        return i;
    }
    Mark MarkOf(const std::string& caption) { return Left().Entries[static_cast<size_t>(At(caption))].mark; }
};

TEST_F(TagCommands, TotalsTextAcrossTagUntagAndInvert) {
    StartWith({{"a.txt", 500}, {"b.txt", 499}, {"c.txt", 1000}});
    Pane& L = Left();
    const int a = At("A.txt"), b = At("B.txt"), c = At("C.txt");
    L.List.ClearSelection();

    form->ToggleTag(form->Active(), a, false);  // not focused yet: focus and select only
    EXPECT_EQ(MarkOf("A.txt"), Mark::Untagged);
    EXPECT_TRUE(L.List.IsFocused(a));
    EXPECT_TRUE(L.List.IsSelected(a));
    EXPECT_EQ(L.Status.Text(1), "3 Files");
    form->ToggleTag(form->Active(), a, false);  // focused now: tags
    EXPECT_EQ(MarkOf("A.txt"), Mark::Tagged);
    EXPECT_EQ(L.Entries[static_cast<size_t>(a)].image, kImageTagged);
    EXPECT_EQ(L.Status.Text(1), "Tag: 0k (1)");

    // A second selected entry makes the selection tags; the tagged one is not counted twice.
    L.List.SetSelected(b, true);
    form->UpdateTagTotals(form->Active());
    EXPECT_EQ(MarkOf("B.txt"), Mark::Tagged);
    EXPECT_EQ(L.Status.Text(1), "Tag: 0k (2)");
    EXPECT_EQ(L.TagCount, 2);
    EXPECT_EQ(L.TagBytes, 999);

    form->UntagAll(form->Active());
    EXPECT_EQ(Marks(L).substr(1), "NNN");
    EXPECT_EQ(L.Status.Text(1), "3 Files");
    EXPECT_EQ(L.TagCount, 0);
    EXPECT_TRUE(SelectedRows(L).empty());

    L.List.SetFocused(c);
    form->ToggleTag(form->Active(), c, false);
    EXPECT_EQ(L.Status.Text(1), "Tag: 1k (1)");
    EXPECT_EQ(L.TagBytes, 1000);

    form->TagAll(form->Active());
    EXPECT_EQ(L.Status.Text(1), "Tag: 1k (3)");
    form->InvertTags(form->Active());  // leaves nothing tagged
    EXPECT_EQ(Marks(L).substr(1), "NNN");
    EXPECT_EQ(L.Status.Text(1), "3 Files");
    EXPECT_EQ(L.TagCount, 0);
}

TEST_F(TagCommands, InvertSwapsYAndNKeepsDAndDeselectsTheFormerlyTagged) {
    StartWith({{"sub\\"}, {"y.txt", 10}, {"n.txt", 20}});
    Pane& L = Left();
    const int y = At("Y.txt"), d = At("<sub>");
    L.List.ClearSelection();
    L.List.SetFocused(y);
    form->ToggleTag(form->Active(), y, false);
    ASSERT_EQ(MarkOf("Y.txt"), Mark::Tagged);
    ASSERT_TRUE(L.List.IsSelected(y));

    form->InvertTags(form->Active());
    EXPECT_EQ(MarkOf("Y.txt"), Mark::Untagged);
    EXPECT_EQ(MarkOf("N.txt"), Mark::Tagged);
    EXPECT_EQ(MarkOf("<sub>"), Mark::Directory);
    EXPECT_EQ(MarkOf("[parent]"), Mark::Directory);
    EXPECT_FALSE(L.List.IsSelected(y));
    EXPECT_EQ(L.Entries[static_cast<size_t>(d)].image, kImageDir);
    EXPECT_EQ(L.Status.Text(1), "Tag: 0k (1)");
    EXPECT_EQ(L.TagBytes, 20);
}

TEST_F(TagCommands, UntagGivesProgramsTheirImageBack) {
    StartWith({{"run.exe", 1}, {"go.BAT", 1}, {"doc.txt", 1}});
    form->TagAll(form->Active());
    for (const Entry& e : Left().Entries) {
        if (e.mark != Mark::Directory) {
            EXPECT_EQ(e.image, kImageTagged) << e.caption;
        }
    }
    form->UntagAll(form->Active());
    EXPECT_EQ(Left().Entries[static_cast<size_t>(At("Run.exe"))].image, kImageProgram);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(At("Go.bat"))].image, kImageProgram);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(At("Doc.txt"))].image, kImageFile);
}

TEST_F(TagCommands, TagItemLeavesDirectoriesButStillAdvances) {
    StartWith({{"sub\\"}, {"[notes].txt", 5}, {"z.txt", 7}});
    Pane& L = Left();
    const int last = static_cast<int>(L.Entries.size()) - 1;
    const std::string marks = Marks(L);

    // Each directory entry in turn, focused and selected: no mark changes, the advance moves on.
    for (const char* dir : {"[parent]", "<sub>"}) {
        const int d = At(dir);
        ASSERT_LT(d, last) << dir << " must not be the last entry for this test";
        const int next = d + 1;
        L.List.ClearSelection();
        L.List.SetFocused(d);
        L.List.SetSelected(d, true);
        form->ToggleTag(form->Active(), d, true);
        EXPECT_EQ(Marks(L), marks) << dir;
        EXPECT_EQ(L.CurrentItem, next) << dir;
        EXPECT_EQ(L.CurrentName, L.Entries[static_cast<size_t>(next)].caption) << dir;
        EXPECT_TRUE(L.List.IsFocused(next)) << dir;
        EXPECT_FALSE(L.List.IsSelected(d)) << dir;
        EXPECT_TRUE(L.List.IsSelected(next)) << dir;
    }

    // "[notes].txt" looks like a directory entry, yet it is a file to ToggleTag and Tag all.
    const int notes = At("[notes].txt");
    L.List.ClearSelection();
    L.List.SetFocused(notes);
    form->ToggleTag(form->Active(), notes, false);
    EXPECT_EQ(MarkOf("[notes].txt"), Mark::Tagged);
    form->ToggleTag(form->Active(), notes, false);
    EXPECT_EQ(MarkOf("[notes].txt"), Mark::Untagged);
    form->TagAll(form->Active());
    EXPECT_EQ(MarkOf("[notes].txt"), Mark::Tagged);
    EXPECT_EQ(MarkOf("Z.txt"), Mark::Tagged);
    EXPECT_EQ(L.Status.Text(1), "Tag: 0k (2)");

    // On the last entry the advance has nowhere to go; the tag step still runs.
    L.List.ClearSelection();
    L.List.SetFocused(last);
    L.CurrentItem = last;
    ASSERT_EQ(L.Entries[static_cast<size_t>(last)].caption, "Z.txt");
    form->ToggleTag(form->Active(), last, true);
    EXPECT_EQ(MarkOf("Z.txt"), Mark::Untagged);
    EXPECT_EQ(L.CurrentItem, last);
    EXPECT_TRUE(L.List.IsFocused(last));

    // Without an entry nothing happens.
    const std::string text = L.Status.Text(1);
    L.List.SetSelected(0, true);  // two selected: totals would tag
    form->ToggleTag(form->Active(), -1, true);
    form->ToggleTag(form->Active(), static_cast<int>(L.Entries.size()), true);
    EXPECT_EQ(L.Status.Text(1), text);
}

TEST_F(TagCommands, AdvanceScrollsWhenTheNextEntryReachesTheLastVisibleRow) {
    for (int i = 0; i < 30; ++i) MakeFile(tmp / ("f" + std::to_string(100 + i) + ".txt"), 1);
    StartIn(tmp.Path());
    Pane& L = Left();
    ASSERT_TRUE(ShowExactRows(*form, L, 10));
    ASSERT_EQ(L.List.TopIndex(), 0);
    form->ToggleTag(form->Active(), 7, true);  // next is row 8: the second-to-last visible row
    EXPECT_EQ(L.List.TopIndex(), 0);
    EXPECT_EQ(L.CurrentItem, 8);
    form->ToggleTag(form->Active(), 8, true);  // next is row 9, the last visible row
    EXPECT_EQ(L.List.TopIndex(), 1);
    EXPECT_EQ(L.CurrentItem, 9);
    EXPECT_TRUE(L.List.IsFocused(9));
}

// The current entry is the focused one: a report of another row (a selection, a tag) leaves it,
// a focus move takes it along, name and all.
TEST_F(TagCommands, ListReportsMoveTheCurrentEntryUnlessARenameIsPending) {
    StartWith({{"a.txt", 1}, {"b.txt", 1}, {"c.txt", 1}});
    Pane& L = Left();
    const std::string name = L.CurrentName;
    const int b = At("B.txt"), c = At("C.txt");

    LVITEMW it{};
    it.stateMask = LVIS_SELECTED;
    it.state = LVIS_SELECTED;
    SendMessageW(L.List.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(b), reinterpret_cast<LPARAM>(&it));
    EXPECT_EQ(L.CurrentItem, L.Focused());
    EXPECT_EQ(L.CurrentName, name);
    L.List.SetFocused(b);
    EXPECT_EQ(L.CurrentItem, b);
    EXPECT_EQ(L.CurrentName, "B.txt");

    // A report while a rename is pending, with no edited name: it only ends the rename.
    L.RenamePending = true;
    L.EditedName.clear();
    SendMessageW(L.List.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&it));
    EXPECT_FALSE(L.RenamePending);
    EXPECT_EQ(L.CurrentItem, b);
    SendMessageW(L.List.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&it));
    EXPECT_EQ(L.CurrentItem, b) << "no change of state, no report";
    L.List.SetFocused(c);
    EXPECT_EQ(L.CurrentItem, c);
    EXPECT_EQ(L.CurrentName, "C.txt");

    // The right list reports to the right side only.
    form->Activate(form->side[1]);
    Pane& R = Right();
    ASSERT_FALSE(R.Entries.empty());
    const int leftBefore = L.CurrentItem;
    it.state = LVIS_SELECTED;
    R.List.SetFocused(2);
    EXPECT_EQ(R.CurrentItem, 2);
    EXPECT_EQ(L.CurrentItem, leftBefore);
}

}  // namespace bivane::test
