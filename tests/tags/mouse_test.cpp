#include "tags/tags_support.h"

namespace bivane::test {

class MouseRelease : public FormTest {
protected:
    HWND LeftList() { return Left().List.Handle(); }
    // The mark's letter, '?' for a caption not listed.
    char MarkOf(const Pane& s, const std::string& caption) {
        const int i = IndexOfCaption(s, caption);
        EXPECT_GE(i, 0) << caption;
        return i < 0 ? '?' : MarkLetter(s.Entries[static_cast<size_t>(i)].mark);
    }
};

TEST_F(MouseRelease, NameClickLeavingTwoSelectedTagsBoth) {
    StartWith({{"a.txt", 300}, {"b.txt", 1200}, {"c.txt", 1}});
    Pane& L = Left();
    const int a = IndexOfCaption(L, "A.txt"), b = IndexOfCaption(L, "B.txt");

    ClickList(LeftList(), CellCentre(LeftList(), a, 0));
    EXPECT_EQ(SelectedRows(L), std::vector<int>{a});
    EXPECT_EQ(L.CurrentItem, a);
    EXPECT_EQ(L.CurrentName, "A.txt");
    EXPECT_EQ(Marks(L).substr(1), "NNN") << "one selected entry is never tagged";
    EXPECT_EQ(L.Status.Text(1), "3 Files");

    ClickList(LeftList(), CellCentre(LeftList(), b, 0), MK_CONTROL);
    EXPECT_EQ(SelectedRows(L), (std::vector<int>{a, b}));
    EXPECT_EQ(MarkOf(L, "A.txt"), 'Y');
    EXPECT_EQ(MarkOf(L, "B.txt"), 'Y');
    EXPECT_EQ(MarkOf(L, "C.txt"), 'N');
    EXPECT_EQ(L.CurrentItem, b);
    EXPECT_EQ(L.CurrentName, "B.txt");
    EXPECT_EQ(L.Status.Text(1), "Tag: 1k (2)");
}

TEST_F(MouseRelease, ClickBesideAFileNameTogglesItsTagEvenForBracketNames) {
    StartWith({{"[notes].txt", 2000}, {"x.txt", 1}});
    Pane& L = Left();
    const int notes = IndexOfCaption(L, "[notes].txt");
    ASSERT_GE(notes, 0);
    const POINT size = CellCentre(LeftList(), notes, 1);
    ASSERT_LT(Left().List.HitTestLabel(size.x, size.y), 0) << "the Size cell is not the name";

    ClickList(LeftList(), size);  // the press focuses the row, so the release toggles at once
    EXPECT_EQ(MarkOf(L, "[notes].txt"), 'Y');
    EXPECT_EQ(L.CurrentItem, notes);
    EXPECT_EQ(L.CurrentName, "[notes].txt");
    EXPECT_EQ(L.Status.Text(1), "Tag: 2k (1)");
    ClickList(LeftList(), size);
    EXPECT_EQ(MarkOf(L, "[notes].txt"), 'N');
    EXPECT_EQ(L.Status.Text(1), "2 Files");
    EXPECT_TRUE(L.List.IsSelected(notes));

    // The same gesture on a row that is not focused only focuses it and flips its selection.
    const int x = IndexOfCaption(L, "X.txt");
    L.List.ClearSelection();  // else two selected entries would become tags
    L.List.SetFocused(notes);
    ASSERT_FALSE(L.List.IsFocused(x));
    const POINT xs = CellCentre(LeftList(), x, 2);
    form->ListMouseUp(form->Active(), MouseButton::Left, 0, xs.x, xs.y);
    EXPECT_EQ(MarkOf(L, "X.txt"), 'N');
    EXPECT_TRUE(L.List.IsFocused(x));
    EXPECT_TRUE(L.List.IsSelected(x));
    EXPECT_EQ(L.CurrentItem, x);

    // Below the last row there is no entry: nothing happens.
    RECT client{};
    GetClientRect(LeftList(), &client);
    form->ListMouseUp(form->Active(), MouseButton::Left, 0, 100, client.bottom - 2);
    EXPECT_EQ(L.CurrentItem, x);
}

TEST_F(MouseRelease, SizeCellOfADirectoryRowEntersIt) {
    StartWith({{"sub\\inner.txt", 1}});
    ClickList(LeftList(), CellCentre(LeftList(), IndexOfCaption(Left(), "<sub>"), 1));
    EXPECT_TRUE(form->LeftActive);
    EXPECT_TRUE(EqualsIgnoreAsciiCase(Left().Tree.Directory(), tmp / "sub")) << Left().Tree.Directory();
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Inner.txt"}));
    EXPECT_TRUE(EqualsIgnoreAsciiCase(GetCurrentDir(), tmp / "sub"));
}

TEST_F(MouseRelease, SizeCellOfTheParentRowGoesUp) {
    Make({{"sub\\"}, {"top.txt", 1}});
    StartIn(tmp / "sub");
    ASSERT_EQ(Captions(Left()), std::vector<std::string>{"[parent]"});
    ClickList(LeftList(), CellCentre(LeftList(), 0, 1));
    EXPECT_TRUE(EqualsIgnoreAsciiCase(Left().Tree.Directory(), tmp.Path())) << Left().Tree.Directory();
    EXPECT_GE(IndexOfCaption(Left(), "Top.txt"), 0);
    EXPECT_GE(IndexOfCaption(Left(), "<sub>"), 0);
}

TEST_F(MouseRelease, AltOpensTheDirectoryInTheOtherSideAndMakesItActive) {
    StartWith({{"sub\\inner.txt", 1}, {"outer.txt", 1}});
    BYTE keys[256] = {};
    ASSERT_TRUE(GetKeyboardState(keys));
    BYTE alt[256];
    std::copy(std::begin(keys), std::end(keys), alt);
    alt[VK_MENU] = alt[VK_LMENU] = 0x80;
    SetKeyboardState(alt);
    ClickList(LeftList(), CellCentre(LeftList(), IndexOfCaption(Left(), "<sub>"), 1));
    SetKeyboardState(keys);

    EXPECT_FALSE(form->LeftActive);
    EXPECT_TRUE(EqualsIgnoreAsciiCase(Right().Tree.Directory(), tmp / "sub")) << Right().Tree.Directory();
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]", "Inner.txt"}));
    EXPECT_TRUE(EqualsIgnoreAsciiCase(Left().Tree.Directory(), tmp.Path()));
    EXPECT_GE(IndexOfCaption(Left(), "Outer.txt"), 0);

    // And back: Alt on the right list's parent row shows the parent on the left.
    form->Activate(form->side[0]);
    MakeDir(tmp / "other");
    form->Activate(form->side[1]);
    const POINT p = CellCentre(Right().List.Handle(), 0, 1);
    form->ListMouseUp(form->Active(), MouseButton::Left, ssAlt, p.x, p.y);
    EXPECT_TRUE(form->LeftActive);
    EXPECT_GE(IndexOfCaption(Left(), "<other>"), 0);
    EXPECT_TRUE(EqualsIgnoreAsciiCase(Right().Tree.Directory(), tmp / "sub"));
}

TEST_F(MouseRelease, RightButtonOnlyEndsPendingRenames) {
    StartWith({{"sub\\"}, {"a.txt", 1}});
    Pane& L = Left();
    L.RenamePending = true;
    Right().RenamePending = true;
    const int a = IndexOfCaption(L, "A.txt");
    const int current = L.CurrentItem;
    const std::string dir = L.Tree.Directory();
    for (int column : {0, 1}) {
        const POINT p = CellCentre(LeftList(), column == 0 ? a : IndexOfCaption(L, "<sub>"), column);
        form->ListMouseUp(form->Active(), MouseButton::Right, 0, p.x, p.y);
    }
    EXPECT_FALSE(L.RenamePending);
    EXPECT_FALSE(Right().RenamePending);
    EXPECT_EQ(L.CurrentItem, current);
    EXPECT_EQ(MarkOf(L, "A.txt"), 'N');
    EXPECT_EQ(L.Tree.Directory(), dir);
    EXPECT_EQ(L.Status.Text(1), "1 Files");
}

TEST_F(MouseRelease, MissingDirectoryWarnsAndStillHandsThePathToTheTree) {
    Make({{"sub\\"}, {"gone\\here\\"}});
    StartIn(tmp / "gone");
    SetCurrentDirectoryW(L"C:\\");
    {
        // Under Wine a folder the left side's follower holds open would stay until it lets go.
        PausedFollowing paused(Left().Follower, Right().Follower);
        RemoveTree(tmp / "gone");
    }
    modals.ExpectBox("Cannot find directory", IDOK, "Warning");
    modals.ExpectBox("Invalid filename.", IDOK);  // the tree cannot go there either (error 3)
    const POINT p = CellCentre(LeftList(), IndexOfCaption(Left(), "<here>"), 1);
    form->Guard([&] { form->ListMouseUp(form->Active(), MouseButton::Left, 0, p.x, p.y); });
}

}  // namespace bivane::test
