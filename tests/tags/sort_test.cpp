#include "tags/tags_support.h"


namespace bivane::test {

class SortOrders : public FormTest {
protected:
    HWND LeftList() { return Left().List.Handle(); }
    // Captions of the files only, in list order.
    std::vector<std::string> Files(const Pane& s) {
        std::vector<std::string> out;
        for (const Entry& e : s.Entries) {
            if (e.mark != Mark::Directory) out.push_back(e.caption);
        }
        return out;
    }
    // How many leading entries are directories (mark D), and that no directory comes later.
    void ExpectDirectoriesFirst(const Pane& s, size_t dirs) {
        for (size_t i = 0; i < s.Entries.size(); ++i) {
            EXPECT_EQ(s.Entries[i].mark == Mark::Directory, i < dirs) << i << " " << s.Entries[i].caption;
        }
    }
    std::string Title() { return Left().Title.Caption(); }
    std::string Path() { return Left().Path.Caption(); }
};

// Each order keeps the directories ahead, whatever letters their size text carries, and names
// itself in the title; filename order again takes the mark away.
TEST_F(SortOrders, EachOrderPutsDirectoriesFirstThenTheFilesItsWay) {
    const SYSTEMTIME y1999 = LocalTimeOf(1999, 12, 31, 23, 59), y2026 = LocalTimeOf(2026, 1, 1, 0, 0);
    const SYSTEMTIME early = LocalTimeOf(2020, 5, 5, 10, 30, 10), late = LocalTimeOf(2020, 5, 5, 10, 30, 50);
    const struct {
        const char* order;  // also the folder the case's files are made in
        std::vector<Made> made;  // in that folder
        // Attribute letters after "<DIR>": "h" for hidden, and "r", which Wine keeps on no folder.
        std::vector<std::pair<std::string, std::string>> sizeTexts;
        void (MainWindow::*sort)(Pane&);
        std::vector<std::string> files, byName;
        size_t dirs;  // leading entries, [parent] among them
    } cases[] = {
        // Names without an extension first.
        {"ext", {{"b.txt", 1}, {"a.TXT", 1}, {"readme", 1}, {"c.abc", 1}, {"z.dir\\"}, {"a.zzz\\"}},
         {{"<a.zzz>", "<DIR>h"}}, &MainWindow::SortByExt, {"Readme", "C.abc", "A.txt", "B.txt"},
         {"A.txt", "B.txt", "C.abc", "Readme"}, 3},
        // Smallest first, equal sizes by name.
        {"size", {{"x.dat", 10}, {"a.dat", 10}, {"m.dat", 5}, {"big.dat", 70000}, {"zz\\"}, {"ro\\"}},
         {{"<ro>", "<DIR>r"}, {"<zz>", "<DIR>h"}}, &MainWindow::SortBySize, {"M.dat", "A.dat", "X.dat", "Big.dat"},
         {"A.dat", "Big.dat", "M.dat", "X.dat"}, 3},
        // Newest first, equal minutes (p and q) by name descending, the old century older.
        {"date", {{"old.txt", 1, &y1999}, {"new.txt", 1, &y2026}, {"p.txt", 1, &late}, {"q.txt", 1, &early}, {"sub\\"}},
         {}, &MainWindow::SortByDate, {"New.txt", "Q.txt", "P.txt", "Old.txt"},
         {"New.txt", "Old.txt", "P.txt", "Q.txt"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        for (const Made& m : c.made) Make({{std::string(c.order) + "\\" + m.path, m.size, m.time}});
        StartIn(tmp / c.order);
        for (const auto& [caption, text] : c.sizeTexts) {
            Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), caption))].sizeText = text;
        }
        (form.get()->*c.sort)(form->Active());
        EXPECT_EQ(Files(Left()), c.files);
        ExpectDirectoriesFirst(Left(), c.dirs);
        EXPECT_EQ(Title(), Path() + "   [by " + c.order + "]");
        EXPECT_FALSE(Left().order == SortOrder::Name);
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

        form->SortByName(form->Active());
        EXPECT_EQ(Title(), Path());
        EXPECT_TRUE(Left().order == SortOrder::Name);
        EXPECT_EQ(Files(Left()), c.byName);
    }
}

TEST_F(SortOrders, ByDateShowsItsTitleAndHourglassBeforeSorting) {
    StartWith({{"a.txt", 1}});
    std::vector<std::string> painted;
    bool hourglass = false;
    Left().Title.OnPaint = [&](HDC, const RECT&) {
        painted.push_back(Left().Title.Caption());
        if (Left().Title.Caption() == "Sorting by date...") hourglass = GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
    };
    form->SortByDate(form->Active());
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.front(), "Sorting by date...");
    EXPECT_TRUE(hourglass);
    EXPECT_EQ(Title(), Path() + "   [by date]");
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    Left().Title.OnPaint = nullptr;
}

TEST_F(SortOrders, SelectionFocusAndCurrentEntryStayWithTheirEntries) {
    StartWith({{"a.txt", 30}, {"b.txt", 10}, {"c.txt", 20}, {"d.txt", 5}});
    Pane& L = Left();
    L.List.ClearSelection();
    L.List.SetSelected(IndexOfCaption(L, "A.txt"), true);
    L.List.SetSelected(IndexOfCaption(L, "C.txt"), true);
    L.List.SetFocused(IndexOfCaption(L, "B.txt"));
    L.CurrentItem = IndexOfCaption(L, "D.txt");
    L.CurrentName = "D.txt";
    form->SortBySize(form->Active());
    ASSERT_EQ(Files(L), (std::vector<std::string>{"D.txt", "B.txt", "C.txt", "A.txt"}));
    std::vector<std::string> selected;
    for (int i : SelectedRows(L)) selected.push_back(L.Entries[static_cast<size_t>(i)].caption);
    EXPECT_EQ(selected, (std::vector<std::string>{"C.txt", "A.txt"}));
    EXPECT_EQ(L.Entries[static_cast<size_t>(L.List.Focused())].caption, "B.txt");
    EXPECT_EQ(L.Entries[static_cast<size_t>(L.CurrentItem)].caption, "D.txt");
    EXPECT_EQ(L.CurrentName, "D.txt");
    // The list shows the model: its own texts follow the new order.
    wchar_t text[64] = {};
    LVITEMW it{};
    it.pszText = text;
    it.cchTextMax = 64;
    SendMessageW(LeftList(), LVM_GETITEMTEXTW, static_cast<WPARAM>(L.List.Focused()), reinterpret_cast<LPARAM>(&it));
    EXPECT_STREQ(text, L"B.txt");
}

TEST_F(SortOrders, SortingBringsASelectedListToItsTop) {
    for (int i = 0; i < 40; ++i) MakeFile(tmp / ("f" + std::to_string(100 + i) + ".txt"), 40 - i);
    StartIn(tmp.Path());
    Pane& L = Left();
    ASSERT_TRUE(ShowExactRows(*form, L, 10));
    L.List.ScrollRows(12);
    ASSERT_EQ(L.List.TopIndex(), 12);
    L.List.ClearSelection();
    form->SortBySize(form->Active());  // nothing selected: the list stays where it is
    EXPECT_EQ(L.List.TopIndex(), 12);
    L.List.SetSelected(20, true);
    form->SortByName(form->Active());
    EXPECT_EQ(L.List.TopIndex(), 0);
}

TEST_F(SortOrders, HeaderClicksChooseTheOrderAndLocateTheCurrentEntry) {
    StartWith({{"b.txt", 3}, {"a.zip", 2}, {"c.doc", 1}});
    Pane& L = Left();
    const int b = IndexOfCaption(L, "B.txt");
    L.List.SetSelected(b, true);  // with [parent], two selected: the first one loses it when located
    L.CurrentItem = b;

    ClickHeader(LeftList(), 0);
    EXPECT_EQ(Files(L), (std::vector<std::string>{"C.doc", "B.txt", "A.zip"}));
    EXPECT_EQ(Title(), Path() + "   [by ext]");
    ClickHeader(LeftList(), 0);
    EXPECT_EQ(Files(L), (std::vector<std::string>{"A.zip", "B.txt", "C.doc"}));
    EXPECT_EQ(Title(), Path());
    EXPECT_TRUE(L.order == SortOrder::Name);
    ClickHeader(LeftList(), 1);
    EXPECT_EQ(Files(L), (std::vector<std::string>{"C.doc", "A.zip", "B.txt"}));
    EXPECT_EQ(Title(), Path() + "   [by size]");
    ClickHeader(LeftList(), 2);
    EXPECT_EQ(Title(), Path() + "   [by date]");
    ClickHeader(LeftList(), 1);

    // The column click made the side active, which takes the first selected entry as current,
    // and the locate after it selects and focuses that entry.
    const int current = L.CurrentItem;
    ASSERT_GE(current, 0);
    EXPECT_TRUE(L.List.IsFocused(current));
    EXPECT_TRUE(L.List.IsSelected(current));
    EXPECT_EQ(L.CurrentName, L.Entries[static_cast<size_t>(current)].caption);

    // T: no reorder, the current entry is located again.
    const std::vector<std::string> before = Captions(L);
    const int c = IndexOfCaption(L, "C.doc");
    L.List.ClearSelection();
    L.List.SetSelected(c, true);
    L.List.SetFocused(c);  // as a click would
    ClickHeader(LeftList(), 3);
    EXPECT_EQ(Captions(L), before);
    EXPECT_EQ(Title(), Path() + "   [by size]");
    EXPECT_EQ(L.CurrentItem, c);
    EXPECT_EQ(L.CurrentName, "C.doc");
    EXPECT_TRUE(L.List.IsFocused(c));
}

TEST_F(SortOrders, HeaderClickOnTheRightListActivatesTheRightSide) {
    StartWith({{"b.txt", 1}, {"a.txt", 2}});
    ASSERT_TRUE(form->LeftActive);
    ClickHeader(Right().List.Handle(), 1);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(Files(Right()), (std::vector<std::string>{"B.txt", "A.txt"}));
    EXPECT_EQ(Right().Title.Caption(), Right().Path.Caption() + "   [by size]");
    EXPECT_EQ(Files(Left()), (std::vector<std::string>{"A.txt", "B.txt"}));
    EXPECT_EQ(Title(), Path());
}

TEST_F(SortOrders, AReloadReturnsToFilenameOrder) {
    StartWith({{"b.txt", 1}, {"a.txt", 2}});
    form->SortBySize(form->Active());
    form->Reread(form->Active());
    EXPECT_EQ(Files(Left()), (std::vector<std::string>{"A.txt", "B.txt"}));
    EXPECT_TRUE(Left().order == SortOrder::Name);
    EXPECT_EQ(Title(), Path());
    // So the first Name click after a load gives the by-ext order.
    ClickHeader(LeftList(), 0);
    EXPECT_EQ(Title(), Path() + "   [by ext]");
}

}  // namespace bivane::test
