// Making directories and renaming entries, through the dialog and in place in the list.
#include "fileops/fileops_support.h"
#include "fileops/text_dialog.h"
#include "platform/utf.h"

namespace bivane::test {

namespace {

// Answers the text dialog with text after checking its caption and prompt line.
std::function<int(ModalForm&)> Answer(const std::string& caption, const std::string& label, const std::string& text,
                                      int result = IDOK) {
    return [=](ModalForm& f) {
        TextDialog& t = static_cast<TextDialog&>(f);
        EXPECT_EQ(t.Caption(), caption);
        EXPECT_EQ(t.Label(), label);
        EXPECT_EQ(t.Text(), "");
        t.SetText(text);
        return result;
    };
}

class MkdirRename : public FileOpsTest {
protected:
    void SetUp() override {
        Make({{"L\\Old.txt", 10}, {"L\\Taken.txt", 20}, {"L\\Olddir\\in.txt", 5}});
    }
    // Edits the entry's caption in the list itself and ends the edit with Enter.
    void EditInPlace(Pane& s, const std::string& caption, const std::string& text) {
        const int i = IndexOfCaption(s, caption);
        ASSERT_GE(i, 0);
        SetFocus(s.List.Handle());
        HWND edit = reinterpret_cast<HWND>(SendMessageW(s.List.Handle(), LVM_EDITLABELW, static_cast<WPARAM>(i), 0));
        ASSERT_TRUE(edit);
        EXPECT_TRUE(s.RenamePending);
        EXPECT_EQ(s.OldName, caption);
        SetWindowTextW(edit, Widen(text).c_str());
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
        PumpMessages();
    }
};

}  // namespace

TEST_F(MkdirRename, NewDirectoryAppearsAndAnExistingNameIsReported) {
    StartSides(L(), tmp.Path());
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("TextDialog", Answer("Enter name for new directory", "Current directory: " + L(), "NEW"));
    form->MakeDirectoryIn(form->side[0]);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"L\\NEW"});
    EXPECT_NE(IndexOfCaption(Left(), "<NEW>"), -1);
    modals.ExpectDialog("TextDialog", Answer("Enter name for new directory", "Current directory: " + L(), "NEW"));
    modals.ExpectBox("Error creating diectory\rNEW", IDOK, "Error");
    form->MakeNewDirectory(form->Active());
    // Cancel and an empty name do nothing.
    modals.ExpectDialog("TextDialog", Answer("Enter name for new directory", "Current directory: " + L(), "X", IDCANCEL));
    form->MakeNewDirectory(form->Active());
    modals.ExpectDialog("TextDialog", Answer("Enter name for new directory", "Current directory: " + L(), ""));
    form->MakeNewDirectory(form->Active());
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"L\\NEW"});
    // The right side's button makes the right side active first.
    modals.ExpectDialog("TextDialog", Answer("Enter name for new directory", "Current directory: " + tmp.Path(), "Right"));
    form->MakeDirectoryIn(form->side[1]);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_NE(IndexOfCaption(Right(), "<Right>"), -1);
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\NEW", "Right"}));
}

TEST_F(MkdirRename, RenamesAFileAndADirectoryThroughTheDialog) {
    StartSides(L(), tmp.Path());
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "Old.txt");
    modals.ExpectDialog("TextDialog", [&](ModalForm& f) {
        EXPECT_TRUE(form->RenameCommandRunning);
        EXPECT_TRUE(Left().RenamePending);
        return Answer("Enter new file name", "Current file name: Old.txt", "New.txt")(f);
    });
    form->RenameCurrent(form->Active());
    EXPECT_FALSE(form->RenameCommandRunning);
    EXPECT_TRUE(Exists(L() + "\\New.txt"));
    EXPECT_EQ(Left().EditedName, "New.txt");
    EXPECT_NE(IndexOfCaption(Left(), "New.txt"), -1);
    EXPECT_EQ(Left().CurrentName, "New.txt");  // completed by the list's change report
    EXPECT_FALSE(Left().RenamePending);

    Pick(Left(), "<Olddir>");
    modals.ExpectDialog("TextDialog", Answer("Enter new directory name", "Current directory name: Olddir", "Newdir"));
    form->RenameCurrent(form->Active());
    EXPECT_NE(IndexOfCaption(Left(), "<Newdir>"), -1);
    EXPECT_EQ(Left().EditedName, "<Newdir>");
    const Snapshot after = Snap(tmp.Path());
    EXPECT_EQ(ChangedSince(before),
              (std::set<std::string>{"L\\Old.txt", "L\\New.txt", "L\\Olddir", "L\\Olddir\\in.txt", "L\\Newdir", "L\\Newdir\\in.txt"}));
    EXPECT_EQ(after.at("L\\New.txt").content, before.at("L\\Old.txt").content);
    EXPECT_EQ(after.at("L\\Newdir\\in.txt").content, before.at("L\\Olddir\\in.txt").content);

    // Cancel leaves everything and clears the pending rename.
    Pick(Left(), "Taken.txt");
    modals.ExpectDialog("TextDialog", Answer("Enter new file name", "Current file name: Taken.txt", "Z.txt", IDCANCEL));
    form->RenameCurrent(form->Active());
    EXPECT_FALSE(Left().RenamePending);
    EXPECT_EQ(Changes(after, Snap(tmp.Path())), std::set<std::string>{});

    // A name the file system stores otherwise (trailing dot and space dropped) shows as stored,
    // and the entry goes on reaching the file.
    Pick(Left(), "Taken.txt");
    modals.ExpectDialog("TextDialog", Answer("Enter new file name", "Current file name: Taken.txt", "Trail. "));
    form->RenameCurrent(form->Active());
    EXPECT_TRUE(Exists(L() + "\\Trail"));
    ASSERT_NE(IndexOfCaption(Left(), "Trail"), -1);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "Trail"))].Name(), "Trail");
}

TEST_F(MkdirRename, RenameOntoAnExistingNameRestoresTheCaption) {
    StartSides(L(), tmp.Path());
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "Old.txt");
    modals.ExpectDialog("TextDialog", Answer("Enter new file name", "Current file name: Old.txt", "Taken.txt"));
    modals.ExpectBox("Can't rename 'Old.txt'\rto 'Taken.txt'", IDOK, "Error");
    form->RenameCurrent(form->Active());
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    EXPECT_NE(IndexOfCaption(Left(), "Old.txt"), -1);
    EXPECT_EQ(Left().EditedName, "");
    EXPECT_FALSE(Left().RenamePending);
}

TEST_F(MkdirRename, InPlaceEditsKeepOnePairOfBracketsAndRefuseTheParent) {
    StartSides(L(), tmp.Path());
    const Snapshot before = Snap(tmp.Path());
    EditInPlace(Left(), "<Olddir>", "<Newdir>");
    EXPECT_NE(IndexOfCaption(Left(), "<Newdir>"), -1);
    EXPECT_TRUE(Exists(L() + "\\Newdir\\in.txt"));
    EditInPlace(Left(), "Old.txt", "Edited.txt");
    EXPECT_NE(IndexOfCaption(Left(), "Edited.txt"), -1);
    EditInPlace(Left(), "[parent]", "up");
    EXPECT_EQ(IndexOfCaption(Left(), "up"), -1);
    EXPECT_NE(IndexOfCaption(Left(), "[parent]"), -1);
    EXPECT_FALSE(Left().RenamePending);
    modals.ExpectBox("Can't rename 'Edited.txt'\rto 'Taken.txt'", IDOK, "Error");
    EditInPlace(Left(), "Edited.txt", "Taken.txt");
    EXPECT_NE(IndexOfCaption(Left(), "Edited.txt"), -1);
    EXPECT_EQ(ChangedSince(before),
              (std::set<std::string>{"L\\Old.txt", "L\\Edited.txt", "L\\Olddir", "L\\Olddir\\in.txt", "L\\Newdir", "L\\Newdir\\in.txt"}));
}

TEST_F(MkdirRename, RenameReloadsTheOtherSideShowingTheSameDirectory) {
    StartSides(L(), L());
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "Old.txt");
    modals.ExpectDialog("TextDialog", Answer("Enter new file name", "Current file name: Old.txt", "Moved.txt"));
    form->RenameCurrent(form->Active());
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\Old.txt", "L\\Moved.txt"}));
    EXPECT_NE(IndexOfCaption(Right(), "Moved.txt"), -1);
    EXPECT_EQ(IndexOfCaption(Right(), "Old.txt"), -1);
    EXPECT_TRUE(form->LeftActive);
}

// Where the system takes both spellings as one name (under Wine, and on Windows as a rule), a
// rename that changes only letter case still changes it: through the dialog and in place, for a
// file and a folder, the contents kept and no temporary left.
TEST_F(MkdirRename, RenameThatChangesOnlyLetterCase) {
    StartSides(L(), tmp.Path());
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "Old.txt");
    modals.ExpectDialog("TextDialog", Answer("Enter new file name", "Current file name: Old.txt", "OLD.txt"));
    form->RenameCurrent(form->Active());
    EditInPlace(Left(), "<Olddir>", "<OLDDIR>");
    const Snapshot after = Snap(tmp.Path());
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"L\\Old.txt", "L\\OLD.txt", "L\\Olddir", "L\\Olddir\\in.txt",
                                                           "L\\OLDDIR", "L\\OLDDIR\\in.txt"}));
    EXPECT_EQ(after.at("L\\OLD.txt").content, before.at("L\\Old.txt").content);
    EXPECT_EQ(after.at("L\\OLDDIR\\in.txt").content, before.at("L\\Olddir\\in.txt").content);
    ASSERT_NE(IndexOfCaption(Left(), "OLD.txt"), -1);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "OLD.txt"))].Name(), "OLD.txt");
    EXPECT_NE(IndexOfCaption(Left(), "<OLDDIR>"), -1);
    EXPECT_EQ(after.size(), before.size());
}

}  // namespace bivane::test
