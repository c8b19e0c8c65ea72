// Tag all and Invert change the whole list in one pass; what they leave must be what changing and
// reporting each entry in turn leaves. The right side runs those per-entry steps on the same
// folder, and both sides are compared after every command.
#include "tags/tags_support.h"
#include "tags/tag_rules.h"

namespace bivane::test {

namespace {

void StepByStepTagAll(MainWindow& form, Pane& s) {
    for (int i = 0; i < static_cast<int>(s.Entries.size()); ++i) {
        if (s.Entries[static_cast<size_t>(i)].IsFile()) form.TagEntry(s, i);
    }
    form.UpdateTagTotals(form.Active());
}

void StepByStepInvert(MainWindow& form, Pane& s) {
    for (int i = 0; i < static_cast<int>(s.Entries.size()); ++i) {
        const Mark mark = s.Entries[static_cast<size_t>(i)].mark;
        if (mark == Mark::Tagged) {
            s.List.SetSelected(i, false);
            form.UntagEntry(s, i);
        } else if (mark == Mark::Untagged) {
            form.TagEntry(s, i);
        }
    }
    form.UpdateTagTotals(form.Active());
}

std::string Images(const Pane& s) {
    std::string out;
    for (const Entry& e : s.Entries) out += static_cast<char>('0' + e.image);
    return out;
}

}  // namespace

// What a command leaves on a side.
struct SideState {
    std::string marks, images, status;
    std::vector<int> selected;
    int current;
    std::int64_t count, bytes;
    bool operator==(const SideState&) const = default;
};

SideState StateOf(const Pane& s) {
    return {Marks(s), Images(s), s.Status.Text(1), SelectedRows(s), s.CurrentItem, s.TagCount, s.TagBytes};
}

void PrintTo(const SideState& st, std::ostream* os) {
    *os << "marks " << st.marks << ", images " << st.images << ", status \"" << st.status << "\", "
        << st.selected.size() << " selected, current " << st.current << ", " << st.count << " tags of "
        << st.bytes << " bytes";
}

class TagBatch : public FormTest {
protected:
    // The command on the left and the per-entry steps on the right, from the same tags, selection
    // and current item; each side is active for its turn and looked at before it is left.
    void Compare(std::initializer_list<const char*> tagged, std::initializer_list<const char*> selected,
                 void (MainWindow::*command)(Pane&), void (*steps)(MainWindow&, Pane&)) {
        SideState after[2];
        for (int k = 0; k < 2; ++k) {
            Pane& s = form->side[k];
            if (k == 0) form->Activate(form->side[0]); else form->Activate(form->side[1]);
            form->UntagAll(form->Active());
            s.List.ClearSelection();
            for (const char* name : tagged) form->TagEntry(s, IndexOfCaption(s, name));
            for (const char* name : selected) s.List.SetSelected(IndexOfCaption(s, name), true);
            s.CurrentItem = 0;
            if (k == 0) (form.get()->*command)(s); else steps(*form, s);
            after[k] = StateOf(s);
        }
        form->Activate(form->side[0]);
        EXPECT_EQ(after[0], after[1]);
        left = after[0];
    }
    SideState left;
};

TEST_F(TagBatch, TagAllAndInvertLeaveWhatTheStepsLeave) {
    StartWith({{"sub\\"}, {"[notes].txt", 5}, {"run.exe", 1500}, {"go.BAT", 30}, {"a.txt", 2048}, {"b.doc", 700},
               {"c", 9}});
    form->Activate(form->side[1]);
    if (Right().Entries.empty()) form->ReloadActive();
    form->Activate(form->side[0]);
    ASSERT_EQ(Marks(Left()), Marks(Right()));
    int lastFile = static_cast<int>(Left().Entries.size()) - 1;
    while (Left().Entries[static_cast<size_t>(lastFile)].mark == Mark::Directory) --lastFile;
    auto at = [&](const char* name) { return Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), name))]; };

    // A selection of one tagged and one untagged entry: only the tagged one loses its selection.
    Compare({"Run.exe", "A.txt"}, {"Run.exe", "B.doc"}, &MainWindow::InvertTags, StepByStepInvert);
    EXPECT_EQ(at("Run.exe").image, kImageProgram);
    EXPECT_EQ(at("[notes].txt").mark, Mark::Tagged);
    EXPECT_EQ(left.selected.size(), 1u);
    // The reports of the tagged rows leave the current entry on the focused one.
    ASSERT_GE(Left().Focused(), 0);
    EXPECT_EQ(left.current, Left().Focused());
    EXPECT_NE(Left().Focused(), lastFile);

    // Every selected entry tagged: the whole selection goes.
    Compare({"Go.bat", "C"}, {"Go.bat", "C"}, &MainWindow::InvertTags, StepByStepInvert);
    EXPECT_TRUE(left.selected.empty());

    Compare({}, {"A.txt"}, &MainWindow::TagAll, StepByStepTagAll);
    EXPECT_EQ(at("[notes].txt").mark, Mark::Tagged);  // a file, whatever its caption looks like
    EXPECT_EQ(left.count, 6);

    // Two selected untagged entries become tags through the totals after Invert.
    Compare({"A.txt"}, {"B.doc", "C"}, &MainWindow::InvertTags, StepByStepInvert);
    EXPECT_EQ(at("A.txt").mark, Mark::Untagged);
    EXPECT_EQ(left.count, 5);
}

}  // namespace bivane::test
