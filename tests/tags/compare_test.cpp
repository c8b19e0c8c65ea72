// The newer-or-duplicates comparison on real folders, through the dialog and the report box.
#include <algorithm>
#include <random>

#include "support/form_fixture.h"
#include "support/unix_shell.h"
#include "tags/compare_rules.h"
#include "tags/compare_dialog.h"

namespace bivane::test {

namespace {

std::string operator/(const std::string& dir, const std::string& name) { return dir + "\\" + name; }

const char kNoNewer[] = "No newer duplicate file(s) found.";
const char kNoDuplicates[] = "No duplicate file name(s) found.";

std::string Duplicates(int n) {
    return std::to_string(n) + " duplicate\rfile name(s) found.\r\rTagged on both sides.";
}

}  // namespace

class Compare : public FormTest {
protected:
    // The two folders the sides show, tmp\L and tmp\R.
    void OpenSides() { MakeSideFolders(); }
    // Makes L, R and the items, then loads L on the left and R on the right.
    void LoadSidesWith(const std::vector<Made>& items) {
        OpenSides();
        Make(items);
        Load(L(), R());
    }
    void Load(const std::string& left, const std::string& right) {
        StartIn(left);
        form->TitleClick(form->side[1]);
        Right().Tree.SetDirectory(right);
        form->TitleClick(form->side[0]);
        ASSERT_EQ(Right().Tree.Directory(), right);
    }
    // Expects the dialog (answered with the mode and OK) and then the report box.
    void Run(bool newer, const std::string& report) {
        modals.ExpectDialog("CompareDialog", [newer](ModalForm& f) {
            dynamic_cast<CompareDialog&>(f).SetNewerMode(newer);
            return IDOK;
        });
        modals.ExpectBox(report, IDOK, "Information");
        form->CompareSides();
        modals.VerifyDone();
    }
    std::string Marks(const Pane& s) const {
        std::string m;
        for (const Entry& e : s.Entries) m += MarkLetter(e.mark);
        return m;
    }
    void TagByHand(Pane& s, const std::string& caption) {
        const int i = IndexOfCaption(s, caption);
        ASSERT_GE(i, 0) << caption;
        form->TagEntry(s, i);
        if (&s == &Left()) form->Activate(form->side[0]); else form->Activate(form->side[1]);
        form->UpdateTagTotals(form->Active());
    }
};

TEST_F(Compare, SameDirectoryBothSidesDuplicatesTagsEveryFileNewerTagsNothing) {
    Make({{"Sub\\"}, {"a.txt", 100}, {"b.txt", 200}, {"tool.exe", 300}});
    Load(tmp.Path(), tmp.Path());

    Run(false, Duplicates(3));
    for (Pane* s : {&Left(), &Right()}) {
        EXPECT_EQ(Marks(*s), "DDYYY");  // [parent], <Sub>, then the files
        EXPECT_EQ(s->TagCount, 3);
        EXPECT_EQ(s->TagBytes, 600);
        EXPECT_EQ(s->Status.Text(1), "Tag: 0k (3)");
        EXPECT_EQ(s->Entries[1].image, kImageDir);
    }
    EXPECT_TRUE(form->LeftActive);
    EXPECT_FALSE(IsShown(form->MessagePanel.Handle()));

    // The tags of the first run go, and namesakes of the same minute are never newer.
    Run(true, kNoNewer);
    EXPECT_EQ(Marks(Left()), "DDNNN");
    EXPECT_EQ(Marks(Right()), "DDNNN");
    EXPECT_EQ(Left().Entries[4].image, kImageProgram);
    EXPECT_EQ(Left().TagCount, 0);
    EXPECT_EQ(Right().Status.Text(1), "3 Files");
}

TEST_F(Compare, NamesDifferingOnlyInCaseAreDuplicates) {
    LoadSidesWith({{"L\\Data.txt", 10}, {"R\\DATA.TXT", 20}, {"R\\other.txt", 20}});
    ASSERT_EQ(Captions(Right())[1], "Data.txt");

    Run(false, Duplicates(1));
    EXPECT_EQ(Marks(Left()), "DY");
    EXPECT_EQ(Marks(Right()), "DYN");
    EXPECT_EQ(Right().Entries[1].image, kImageTagged);
}

TEST_F(Compare, NewerComparesToTheMinute) {
    const SYSTEMTIME early = LocalTimeOf(2024, 5, 6, 10, 15, 10);
    const SYSTEMTIME late = LocalTimeOf(2024, 5, 6, 10, 15, 40);
    LoadSidesWith({{"L\\same.txt", 1, &late}, {"R\\same.txt", 1, &early}});

    Run(true, kNoNewer);
    EXPECT_EQ(Marks(Left()), "DN");
    EXPECT_EQ(Marks(Right()), "DN");
}

TEST_F(Compare, OneNewerFileEachSideGivesTwoLinesLeftFirst) {
    OpenSides();
    const SYSTEMTIME old = LocalTimeOf(1999, 3, 1, 9, 0);
    const SYSTEMTIME recent = LocalTimeOf(2026, 1, 2, 9, 1);
    for (int i = 0; i < 40; ++i) {  // enough rows that the lists must scroll to show the tags
        const std::string name = "f" + std::to_string(100 + i) + ".txt";
        MakeFile(tmp / "L" / name, 1, &old);
        MakeFile(tmp / "R" / name, 1, &old);
    }
    MakeFile(tmp / "L" / "x.txt", 1, &recent);
    MakeFile(tmp / "R" / "x.txt", 1, &old);
    MakeFile(tmp / "L" / "y.txt", 1, &old);
    MakeFile(tmp / "R" / "y.txt", 1, &recent);
    Load(tmp / "L", tmp / "R");
    form->Activate(form->side[1]);  // the side active before the run is active after it

    Run(true, "1 newer file(s) found on left.\r1 newer file(s) found on right.");
    const int x = IndexOfCaption(Left(), "X.txt");
    const int y = IndexOfCaption(Right(), "Y.txt");
    ASSERT_EQ(x, 41);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(x)].mark, Mark::Tagged);
    EXPECT_EQ(Right().Entries[static_cast<size_t>(y)].mark, Mark::Tagged);
    EXPECT_EQ(Left().TagCount, 1);
    EXPECT_EQ(Right().TagCount, 1);
    EXPECT_FALSE(form->LeftActive);
    // The first tagged entry of each side is selected, focused and scrolled to.
    EXPECT_TRUE(Left().List.IsSelected(x));
    EXPECT_TRUE(Left().List.IsFocused(x));
    EXPECT_TRUE(Right().List.IsSelected(y));
    EXPECT_TRUE(Right().List.IsFocused(y));
    EXPECT_GT(Left().List.TopIndex(), 0);
    EXPECT_LE(Left().List.TopIndex(), x);
    EXPECT_GT(Right().List.TopIndex(), 0);
}

TEST_F(Compare, OnlyLeftNewerEndsTheReportWithALineBreak) {
    const SYSTEMTIME old = LocalTimeOf(2001, 3, 1, 9, 0);
    const SYSTEMTIME recent = LocalTimeOf(2001, 3, 1, 9, 1);
    LoadSidesWith({{"L\\a.txt", 1, &recent}, {"R\\a.txt", 1, &old}, {"L\\b.txt", 1, &recent}, {"R\\b.txt", 1, &old}});

    Run(true, "2 newer file(s) found on left.\r");
    EXPECT_EQ(Marks(Left()), "DYY");
    EXPECT_EQ(Marks(Right()), "DNN");
}

TEST_F(Compare, EarlierTagsGoEvenWhenNothingIsFound) {
    LoadSidesWith({{"L\\left.txt", 1}, {"R\\right1.txt", 1}, {"R\\right2.txt", 1}});
    TagByHand(Right(), "Right1.txt");
    TagByHand(Left(), "Left.txt");
    ASSERT_EQ(Right().TagCount, 1);

    Run(false, kNoDuplicates);
    EXPECT_EQ(Marks(Left()), "DN");
    EXPECT_EQ(Marks(Right()), "DNN");
    EXPECT_EQ(Right().TagCount, 0);
    EXPECT_EQ(Right().Status.Text(1), "2 Files");
}

TEST_F(Compare, DirectoriesAndBracketedNamesAreNeverCompared) {
    LoadSidesWith({{"L\\Docs\\"}, {"L\\[notes].txt", 5}, {"L\\readme\\"},
                   {"R\\Docs\\"}, {"R\\[notes].txt", 5}, {"R\\readme", 5}});

    Run(false, kNoDuplicates);
    EXPECT_EQ(Marks(Left()).find('Y'), std::string::npos) << Marks(Left());
    EXPECT_EQ(Marks(Right()).find('Y'), std::string::npos) << Marks(Right());
    EXPECT_EQ(Left().TagCount + Right().TagCount, 0);
}

TEST_F(Compare, TwoSelectedEntriesBecomeTaggedAtTheFirstMatch) {
    LoadSidesWith({{"L\\a.txt", 1000}, {"L\\b.txt", 1000}, {"L\\c.txt", 1000}, {"L\\d.txt", 1000},
                   {"R\\a.txt", 1}, {"R\\d.txt", 1}});
    Left().List.ClearSelection();
    Left().List.SetSelected(2, true);  // B.txt
    Left().List.SetSelected(3, true);  // C.txt

    Run(false, Duplicates(4));
    EXPECT_EQ(Marks(Left()), "DYYYY");
    EXPECT_EQ(Left().TagCount, 4);
    EXPECT_EQ(Left().Status.Text(1), "Tag: 4k (4)");
    EXPECT_EQ(Right().TagCount, 2);
    // Matches are deselected; the walk to the first tag selects it again.
    EXPECT_TRUE(Left().List.IsSelected(1));
    EXPECT_FALSE(Left().List.IsSelected(4));
}

TEST_F(Compare, SixHundredFilesEachSideTake721200Steps) {
    // Drive roots list no "[parent]", so every entry is a file.
    OpenSides();
    for (int i = 0; i < 600; ++i) {
        const std::string n = std::to_string(1000 + i);
        MakeFile(tmp / "L" / ("l" + n + ".txt"), 0);
        MakeFile(tmp / "R" / ("r" + n + ".txt"), 0);
    }
    const std::string dosdevices = UnixPath("C:\\") + "../dosdevices/";
    std::string cmd = ("ln -sfn '" + UnixPath(tmp / "L") + "' '" + dosdevices + "l:' && ln -sfn '" +
                       UnixPath(tmp / "R") + "' '" + dosdevices + "r:'");
    ASSERT_EQ(RunShell(cmd), 0) << cmd << " " << GetLastError();
    struct Unlink {
        std::string dir;
        ~Unlink() { RunShell("rm -f '" + dir + "l:' '" + dir + "r:'"); }
    } unlink{dosdevices};
    Load("L:\\", "R:\\");
    ASSERT_EQ(Left().Entries.size(), 600u);
    ASSERT_EQ(Right().Entries.size(), 600u);

    Run(true, kNoNewer);
    EXPECT_EQ(form->LastCompareSteps, 721200);
    EXPECT_EQ(form->MessagePanel.Caption(), "Checking for newer files...  (721000)");
    EXPECT_FALSE(IsShown(form->MessagePanel.Handle()));
    SetCurrentDirectoryW(L"C:\\");
}

TEST_F(Compare, CancelChangesNothing) {
    LoadSidesWith({{"L\\a.txt", 1}, {"R\\a.txt", 1}, {"R\\b.txt", 1}});
    TagByHand(Right(), "B.txt");
    form->Activate(form->side[1]);

    modals.ExpectDialog("CompareDialog", [](ModalForm&) { return IDCANCEL; });
    form->CompareSides();
    EXPECT_EQ(Marks(Left()), "DN");
    EXPECT_EQ(Marks(Right()), "DNY");
    EXPECT_EQ(Right().TagCount, 1);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_FALSE(IsShown(form->MessagePanel.Handle()));
    EXPECT_EQ(form->MessagePanel.Caption(), "");
}

TEST_F(Compare, DialogStartsWithNewerAndKeepsTheLastChoice) {
    LoadSidesWith({{"L\\a.txt", 1}, {"R\\a.txt", 1}});
    CompareDialog& d = *form->CompareChoice;
    EXPECT_EQ(d.Caption(), "Confirm Tag Type");
    EXPECT_TRUE(d.NewerMode());
    const RECT r1 = ChildRect(d.AllDuplicatesChoice), r2 = ChildRect(d.NewerOnlyChoice);
    const RECT ok = ChildRect(d.OKBtn), cancel = ChildRect(d.CancelBtn);
    EXPECT_EQ((std::vector<LONG>{r1.left, r1.top, r1.right - r1.left, r1.bottom - r1.top}),
              (std::vector<LONG>{50, 14, 129, 17}));
    EXPECT_EQ((std::vector<LONG>{r2.left, r2.top, r2.right - r2.left}), (std::vector<LONG>{50, 33, 153}));
    EXPECT_EQ((std::vector<LONG>{ok.left, ok.top, cancel.left, cancel.right - cancel.left}),
              (std::vector<LONG>{39, 68, 135, 75}));
    EXPECT_EQ(WindowText(d.AllDuplicatesChoice), "&All duplicate file names");
    EXPECT_EQ(WindowText(d.NewerOnlyChoice), "&Newer duplicate files only");
    EXPECT_EQ(GetNextDlgTabItem(d.Handle(), d.NewerOnlyChoice, FALSE), d.OKBtn);  // the group, then OK

    // The real modal loop: a click on the first choice, then Enter on the default button.
    modals.ExpectDialog("CompareDialog", [&](ModalForm& f) {
        PostMessageW(d.AllDuplicatesChoice, BM_CLICK, 0, 0);
        PostMessageW(f.Handle(), WM_KEYDOWN, VK_RETURN, 1);
        return f.RunModalLoop(form->Handle());
    });
    modals.ExpectBox(Duplicates(1), IDOK, "Information");
    form->CompareSides();
    EXPECT_FALSE(d.NewerMode());

    // Esc cancels; the choice stays.
    modals.ExpectDialog("CompareDialog", [&](ModalForm& f) {
        EXPECT_FALSE(d.NewerMode());
        PostMessageW(d.OKBtn, WM_KEYDOWN, VK_ESCAPE, 1);
        return f.RunModalLoop(form->Handle());
    });
    form->CompareSides();
    EXPECT_EQ(Marks(Left()), "DY");
}

// The run against a plain nested scan done here with the form's own steps, on random sides with
// random earlier selections: marks, selections, counts and current entries must agree.
TEST_F(Compare, AgreesWithThePlainScanOnRandomSides) {
    OpenSides();
    std::mt19937 rng(7);
    for (const char* side : {"L", "R"}) {
        for (int i = 0; i < 30; ++i) {
            if (rng() % 2) continue;
            const SYSTEMTIME t = LocalTimeOf(2020, 1, 1, 10, static_cast<int>(rng() % 3));
            MakeFile(tmp / side / ("n" + std::to_string(i) + ".txt"), 1 + rng() % 5000, &t);
        }
    }
    Load(tmp / "L", tmp / "R");
    for (bool newer : {true, false}) {
        std::vector<int> selected[2];
        for (int s = 0; s < 2; ++s)
            for (size_t i = 0; i < form->side[s].Entries.size(); ++i)
                if (rng() % 4 == 0) selected[s].push_back(static_cast<int>(i));

        auto prepare = [&] {
            for (int s = 0; s < 2; ++s) {
                Pane& side = form->side[s];
                for (size_t i = 0; i < side.Entries.size(); ++i)
                    if (side.Entries[i].mark == Mark::Tagged) form->UntagEntry(side, static_cast<int>(i));
                side.List.ClearSelection();
                for (int i : selected[s]) side.List.SetSelected(i, true);
                side.TagCount = 0;
            }
            form->Activate(form->side[0]);
        };
        struct State {
            std::string marks[2];
            std::vector<int> sel[2];
            std::int64_t count[2], bytes[2];
            int current[2];
        };
        auto capture = [&] {
            State st;
            for (int s = 0; s < 2; ++s) {
                for (const Entry& e : form->side[s].Entries) st.marks[s] += MarkLetter(e.mark);
                for (int i = form->side[s].List.FirstSelected(); i >= 0; i = form->side[s].List.NextSelected(i))
                    st.sel[s].push_back(i);
                st.count[s] = form->side[s].TagCount;
                st.bytes[s] = form->side[s].TagBytes;
                st.current[s] = form->side[s].CurrentItem;
            }
            return st;
        };

        // The plain scan, step by step (no earlier tags, so the untagging step has nothing to do).
        prepare();
        form->Activate(form->side[1]);
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 0) form->Activate(form->side[0]); else form->Activate(form->side[1]);
            Pane& src = form->side[pass];
            const Pane& tgt = form->side[1 - pass];
            for (size_t i = 0; i < src.Entries.size(); ++i) {
                if (src.Entries[i].caption[0] == '[' || src.Entries[i].caption[0] == '<') continue;
                for (const Entry& t : tgt.Entries) {
                    if (t.caption != src.Entries[i].caption) continue;  // captions fold the same way
                    if (newer && src.Entries[i].minute <= t.minute) continue;
                    form->TagEntry(src, static_cast<int>(i));
                    form->UpdateTagTotals(form->Active());
                    src.List.SetSelected(static_cast<int>(i), false);
                    break;
                }
            }
        }
        form->Activate(form->side[0]);
        const State plain = capture();

        prepare();
        modals.ExpectDialog("CompareDialog", [newer](ModalForm& f) {
            dynamic_cast<CompareDialog&>(f).SetNewerMode(newer);
            return IDOK;
        });
        modals.ExpectBox(CompareReport(newer, plain.count[0], plain.count[1]), IDOK);
        form->CompareSides();
        const State fast = capture();
        for (int s = 0; s < 2; ++s) {
            EXPECT_EQ(fast.marks[s], plain.marks[s]) << "side " << s << " newer " << newer;
            EXPECT_EQ(fast.count[s], plain.count[s]);
            EXPECT_EQ(fast.bytes[s], plain.bytes[s]);
            // The run ends by selecting the first tag of each side with tags.
            std::vector<int> sel = plain.sel[s];
            const size_t first = plain.marks[s].find('Y');
            if (plain.count[s] > 0 && first != std::string::npos) sel.push_back(static_cast<int>(first));
            std::sort(sel.begin(), sel.end());
            sel.erase(std::unique(sel.begin(), sel.end()), sel.end());
            EXPECT_EQ(fast.sel[s], sel) << "side " << s << " newer " << newer;
        }
        EXPECT_GT(plain.count[0] + plain.count[1], 0);
    }
}

}  // namespace bivane::test
