// The key map of both lists, through real key messages sent to the list windows.
#include "commands/keys_support.h"

#include "commands/key_map.h"
#include "fileops/text_dialog.h"
#include "panes/entry_rules.h"

namespace bivane::test {

namespace {

// A dialog answer that checks the caption and cancels.
std::function<int(ModalForm&)> CancelCaption(const std::string& caption) {
    return [caption](ModalForm& f) {
        EXPECT_EQ(f.Caption(), caption);
        return IDCANCEL;
    };
}

const char kCloseText[] = "Thank you for using\rof Bivane for Windows 95\rfrom Harlenby Software.";

}  // namespace

class KeyMap : public KeysTest {
protected:
    void MakeSides() {
        MakeSideFolders();
        Make({{"L\\sub\\deeper\\"}, {"L\\a.txt", 10}, {"L\\b.txt", 20}, {"R\\r.txt", 30}});
    }
    bool SplashShown() { return IsWindowVisible(form->Splash.Handle()) != FALSE; }
};

TEST_F(KeyMap, CommandLettersRunWithAnyShiftStateWhileGoToIsOff) {
    MakeSides();
    StartSides(L(), R());
    Pick(Left(), "A.txt");

    // C, D and M: the three file commands, each with its own confirmation.
    for (TShiftState shift : {0u, unsigned(ssShift), unsigned(ssCtrl), unsigned(ssAlt)}) {
        modals.ExpectDialog("ConfirmDialog", CancelCaption("Confirm Copy"));
        Press('C', shift, shift & ssCtrl ? 3 : shift & ssShift ? L'C' : L'c');
        modals.VerifyDone();
    }
    modals.ExpectDialog("ConfirmDialog", CancelCaption("Confirm Delete"));
    Press('D', 0, L'd');
    modals.ExpectDialog("ConfirmDialog", CancelCaption("Confirm Move"));
    Press('M', ssShift, L'M');
    modals.VerifyDone();

    ASSERT_FALSE(SplashShown());
    Press('A', 0, L'a');
    EXPECT_TRUE(SplashShown());
    form->CloseSplash();

    Press('H', 0, L'h');
    EXPECT_EQ(helpCalls, 1);

    Press('T', 0, L't');
    EXPECT_EQ(Marks(Left()), "DDYY");  // [parent], <sub>, A.txt, B.txt
    Press('U', ssShift, L'U');
    EXPECT_EQ(Marks(Left()), "DDNN");
    Press('I', 0, L'i');
    EXPECT_EQ(Marks(Left()), "DDYY");
    Press('U', ssAlt, L'u');
    EXPECT_EQ(Marks(Left()), "DDNN");

    Pick(Left(), "A.txt");
    modals.ExpectDialog("TextDialog", CancelCaption("Enter new file name"));
    Press('R', 0, L'r');
    modals.VerifyDone();
    EXPECT_FALSE(form->RenameCommandRunning);

    // Q asks the closing question; Cancel keeps the window.
    modals.ExpectBox(kCloseText, IDCANCEL);
    Press('Q', 0, L'q');
    modals.VerifyDone();
    EXPECT_TRUE(IsWindow(form->Handle()));

    // Letters that are no command, and the typed characters, do nothing at all.
    const std::string before = Marks(Left());
    Press('B', 0, L'b');
    Press('J', 0, L'j');
    Press('Z', 0, L'z');  // folder sizes: nothing on a file
    EXPECT_EQ(FocusedCaption(Left()), "A.txt");  // no type-ahead
    EXPECT_EQ(Marks(Left()), before);
}

TEST_F(KeyMap, QAnsweredWithOkClosesTheWindow) {
    MakeSides();
    StartSides(L(), R());
    modals.ExpectBox(kCloseText, IDOK);
    Press('Q', ssCtrl, 17);
    modals.VerifyDone();
    EXPECT_FALSE(IsWindow(form->Handle()));
}

TEST_F(KeyMap, GoToModeTypesCommandLettersIntoTheSearchAndRunsNone) {
    // Each name extends the one before by the next command letter, so the growing typed prefix
    // moves the focus one entry on at every letter.
    MakeDir(L());
    MakeDir(R());
    const std::string letters = "CDMRSTUIAHQ";
    std::vector<std::string> names;
    for (size_t n = 1; n <= letters.size(); ++n) {
        std::string name = letters.substr(0, n);
        for (size_t i = 1; i < name.size(); ++i) name[i] = static_cast<char>(name[i] - 'A' + 'a');
        names.push_back(name);
        MakeFile(L() + "\\" + name, 1);
    }
    StartSides(L(), R());
    Press('G', ssAlt, L'g');
    ASSERT_TRUE(form->GoToChecked(Left()));
    EXPECT_FALSE(form->GoToChecked(Right()));
    Pick(Left(), "[parent]");
    const std::string marks = Marks(Left());

    for (size_t n = 0; n < letters.size(); ++n) {
        Press(static_cast<WORD>(letters[n]), 0, static_cast<wchar_t>(letters[n] - 'A' + 'a'));
        EXPECT_EQ(FocusedCaption(Left()), names[n]) << "after typing " << letters.substr(0, n + 1);
    }
    // No command ran: no dialog or box (the scripted modals would have failed), no tags, no
    // splash, no help, the window open.
    EXPECT_EQ(Marks(Left()), marks);
    EXPECT_FALSE(SplashShown());
    EXPECT_EQ(helpCalls, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(form->Handle()));

    // Alt+G leaves GoTo mode: letters are commands again and typed characters are discarded.
    Press('G', ssAlt, L'g');
    EXPECT_FALSE(form->GoToChecked(Left()));
    Press('T', 0, L't');
    EXPECT_EQ(Marks(Left()), "D" + std::string(letters.size(), 'Y'));
}

TEST_F(KeyMap, GoToModeKeepsTheCombinationsFunctionKeysAndKeypad) {
    MakeSides();
    StartSides(L(), R());
    Press('G', ssAlt, L'g');
    ASSERT_TRUE(form->GoToChecked(Left()));
    Pick(Left(), "A.txt");

    modals.ExpectDialog("TextDialog", CancelCaption("AltExecute: Enter command line... (F10=Filename)"));
    Press('E', ssCtrl, 5);
    modals.ExpectDialog("ConfirmDialog", CancelCaption("Confirm Delete"));
    Press(VK_DELETE);
    modals.VerifyDone();

    Press(VK_F10);
    EXPECT_EQ(Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "A.txt"))].mark, Mark::Tagged);
    EXPECT_EQ(FocusedCaption(Left()), "B.txt");
    Press(VK_F8, ssShift);
    EXPECT_NE(Left().Title.Caption().find("   [by date]"), std::string::npos);
    Press(VK_F7);
    EXPECT_EQ(Left().Title.Caption(), Left().Path.Caption());

    Pick(Left(), "<sub>");
    Press(VK_RETURN, 0, L'\r');
    EXPECT_EQ(Left().Tree.Directory(), L() + "\\sub");
    Press(VK_MULTIPLY, 0, L'*');
    EXPECT_EQ(Left().Tree.Directory(), L());

    Press(VK_SPACE, 0, L' ');
    EXPECT_FALSE(form->LeftActive);
    // The right side has its own box, unchecked: letters are commands there.
    EXPECT_FALSE(form->GoToChecked(Right()));
    Press('T', 0, L't');
    EXPECT_EQ(Marks(Right()), "DY");
}

TEST_F(KeyMap, TheFourCombinationsNeedExactlyTheirShiftStateAndWorkInBothModes) {
    MakeSides();
    StartSides(L(), R());
    Pick(Left(), "A.txt");
    int printDialogs = 0;
    form->PrintDialog = [&](PRINTDLGW&) {
        ++printDialogs;
        return FALSE;  // cancelled: nothing printed
    };
    for (bool goTo : {false, true}) {
        SCOPED_TRACE(goTo ? "GoTo on" : "GoTo off");
        if (goTo) form->SetGoToChecked(Left(), true);
        modals.ExpectDialog("CompareDialog", [](ModalForm&) { return IDCANCEL; });
        Press('T', ssAlt, L't');
        modals.ExpectDialog("CompareDialog", [](ModalForm&) { return IDCANCEL; });
        Press('T', ssCtrl, 20);  // the menu's shortcut, not Tag all
        modals.VerifyDone();
        EXPECT_EQ(Marks(Left()), "DDNN");
        Press('P', ssCtrl, 16);
        EXPECT_EQ(printDialogs, goTo ? 2 : 1);
        modals.ExpectDialog("TextDialog", CancelCaption("AltExecute: Enter command line... (F10=Filename)"));
        Press('E', ssCtrl, 5);
        modals.VerifyDone();
    }
    // With another key held as well they are not the combinations: G, P and E are no command
    // letters, and T is Tag all once GoTo is off.
    Press('G', ssAlt | ssShift, L'G');
    Press('P', ssCtrl | ssShift, 16);
    Press('E', ssCtrl | ssAlt, 5);
    EXPECT_TRUE(form->GoToChecked(Left()));
    EXPECT_EQ(printDialogs, 2);
    Press('G', ssAlt, L'g');
    EXPECT_FALSE(form->GoToChecked(Left()));
    Press('T', ssAlt | ssShift, L'T');
    EXPECT_EQ(Marks(Left()), "DDYY");
    Press('G', ssCtrl, 7);  // not Alt+G
    EXPECT_FALSE(form->GoToChecked(Left()));
}

TEST_F(KeyMap, KeypadDecimalAndMultiplyGoUpOneLevelOnTheActiveSide) {
    MakeSides();
    StartSides(L() + "\\sub\\deeper", L() + "\\sub\\deeper");
    Press(VK_DECIMAL);
    EXPECT_EQ(Left().Tree.Directory(), L() + "\\sub");
    Press(VK_MULTIPLY, ssCtrl | ssShift);
    EXPECT_EQ(Left().Tree.Directory(), L());
    Press(VK_SPACE);  // to the right side
    Press(VK_DECIMAL, ssAlt);
    EXPECT_EQ(Right().Tree.Directory(), L() + "\\sub");
    EXPECT_EQ(Left().Tree.Directory(), L());
    EXPECT_FALSE(form->LeftActive);
}

TEST_F(KeyMap, EnterOpensDirectoriesAndTheParentInTheSamePaneButNotFiles) {
    MakeSides();
    StartSides(L(), R());
    Pick(Left(), "A.txt");
    Press(VK_RETURN, 0, L'\r');
    EXPECT_EQ(Left().Tree.Directory(), L());

    Pick(Left(), "<sub>");
    Press(VK_RETURN, ssShift, L'\r');
    EXPECT_EQ(Left().Tree.Directory(), L() + "\\sub");
    EXPECT_TRUE(form->LeftActive);
    Pick(Left(), "[parent]");
    Press(VK_RETURN, 0, L'\r');
    EXPECT_EQ(Left().Tree.Directory(), L());
    EXPECT_EQ(Right().Tree.Directory(), R());
}

TEST_F(KeyMap, ArrowsSwitchSidesOnlyTowardsTheOtherSide) {
    MakeSides();
    StartSides(L(), R());
    Press(VK_LEFT);
    EXPECT_TRUE(form->LeftActive);
    Press(VK_RIGHT);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(GetFocus(), Right().List.Handle());
    Press(VK_RIGHT);
    EXPECT_FALSE(form->LeftActive);
    Press(VK_LEFT, ssShift);
    EXPECT_TRUE(form->LeftActive);
    EXPECT_EQ(GetFocus(), Left().List.Handle());
}

TEST_F(KeyMap, SpaceSwitchesAndDeleteAsksInAnyShiftState) {
    MakeSides();
    StartSides(L(), R());
    Press(VK_SPACE, 0, L' ');
    EXPECT_FALSE(form->LeftActive);
    Press(VK_SPACE, ssAlt, L' ');
    EXPECT_TRUE(form->LeftActive);
    Press(VK_SPACE, ssCtrl, L' ');
    EXPECT_FALSE(form->LeftActive);

    Pick(Right(), "R.txt");
    for (TShiftState shift : {0u, unsigned(ssShift), unsigned(ssCtrl | ssAlt)}) {
        modals.ExpectDialog("ConfirmDialog", [&](ModalForm& f) {
            EXPECT_EQ(f.Caption(), "Confirm Delete");
            EXPECT_FALSE(form->DirDeleteRequest);
            return IDCANCEL;
        });
        Press(VK_DELETE, shift);
        modals.VerifyDone();
    }
    EXPECT_TRUE(Exists(R() + "\\r.txt"));
}

TEST_F(KeyMap, F1MakesADirectoryOnTheActiveSide) {
    MakeSides();
    StartSides(L(), R());
    Press(VK_SPACE);
    modals.ExpectDialog("TextDialog", [](ModalForm& f) {
        auto& t = static_cast<TextDialog&>(f);
        EXPECT_EQ(t.Caption(), "Enter name for new directory");
        t.SetText("Made");
        return IDOK;
    });
    Press(VK_F1, ssCtrl);
    modals.VerifyDone();
    EXPECT_TRUE(Exists(R() + "\\Made"));
    EXPECT_NE(IndexOfCaption(Right(), "<Made>"), -1);
}

TEST_F(KeyMap, F2DeletesOnlyADirectoryWithTheDirectoryRequestOn) {
    MakeSides();
    StartSides(L(), R());
    Pick(Left(), "A.txt");
    Press(VK_F2);  // a file: nothing
    modals.VerifyDone();

    Pick(Left(), "<sub>");
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm& f) {
        EXPECT_EQ(f.Caption(), "Confirm Delete");
        EXPECT_TRUE(form->DirDeleteRequest);
        return IDCANCEL;
    });
    Press(VK_F2, ssShift);
    modals.VerifyDone();
    EXPECT_FALSE(form->DirDeleteRequest);
    EXPECT_TRUE(Exists(L() + "\\sub"));
}

TEST_F(KeyMap, F3AndF4OpenDirectoriesInTheLeftAndRightPane) {
    MakeSides();
    StartSides(L(), R());
    Pick(Left(), "<sub>");
    Press(VK_F4);
    EXPECT_EQ(Right().Tree.Directory(), L() + "\\sub");
    EXPECT_EQ(Left().Tree.Directory(), L());
    EXPECT_FALSE(form->LeftActive);

    Pick(Right(), "<deeper>");
    Press(VK_F3, ssAlt);  // Alt+F3: nothing
    EXPECT_EQ(Left().Tree.Directory(), L());
    EXPECT_FALSE(form->LeftActive);
    Press(VK_F3, ssCtrl);
    EXPECT_EQ(Left().Tree.Directory(), L() + "\\sub\\deeper");
    EXPECT_TRUE(form->LeftActive);

    // "[parent]" goes up, into the pane the key names.
    Pick(Left(), "[parent]");
    Press(VK_F4, ssShift);
    EXPECT_EQ(Right().Tree.Directory(), L() + "\\sub");
    Pick(Right(), "[parent]");
    Press(VK_F3);
    EXPECT_EQ(Left().Tree.Directory(), L());

    // A file: nothing, whichever key.
    Pick(Left(), "A.txt");
    Press(VK_F3);
    Press(VK_F4);
    EXPECT_EQ(Left().Tree.Directory(), L());
    EXPECT_EQ(Right().Tree.Directory(), L() + "\\sub");
    EXPECT_TRUE(form->LeftActive);
}

TEST_F(KeyMap, F5AndF6ActivateASideAndFocusItsDriveSelector) {
    MakeSides();
    StartSides(L(), R());
    Press(VK_F6, ssAlt);
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(GetFocus(), Right().Drive.Handle());
    // The selector has the focus now; the list still takes keys sent to it.
    PressKey(Right().List.Handle(), VK_F5, ssShift);
    EXPECT_TRUE(form->LeftActive);
    EXPECT_EQ(GetFocus(), Left().Drive.Handle());
}

TEST_F(KeyMap, SortKeysOrderTheActiveSideAndKeepItActive) {
    const SYSTEMTIME t2020 = LocalTimeOf(2020, 5, 1, 10, 0), t2021 = LocalTimeOf(2021, 5, 1, 10, 0),
                     t2022 = LocalTimeOf(2022, 5, 1, 10, 0);
    StartSidesWith({{"R\\a.mm", 200, &t2021}, {"R\\b.zz", 300, &t2022}, {"R\\c.aa", 100, &t2020}});
    Press(VK_SPACE);
    ASSERT_FALSE(form->LeftActive);
    Pane& r = Right();
    Pick(r, "B.zz");
    const std::string path = r.Path.Caption();
    const auto files = [&] {
        std::vector<std::string> c = Captions(r);
        return std::vector<std::string>(c.begin() + 1, c.end());  // without [parent]
    };
    using V = std::vector<std::string>;

    Press(VK_F8);
    EXPECT_EQ(files(), (V{"C.aa", "A.mm", "B.zz"}));
    EXPECT_EQ(r.Title.Caption(), path + "   [by ext]");
    EXPECT_FALSE(r.order == SortOrder::Name);
    Press(VK_F8);  // no alternation
    EXPECT_EQ(r.Title.Caption(), path + "   [by ext]");
    Press(VK_F7, ssShift);
    EXPECT_EQ(files(), (V{"C.aa", "A.mm", "B.zz"}));
    EXPECT_EQ(r.Title.Caption(), path + "   [by size]");
    Press(VK_F8, ssShift);
    EXPECT_EQ(files(), (V{"B.zz", "A.mm", "C.aa"}));
    EXPECT_EQ(r.Title.Caption(), path + "   [by date]");
    Press(VK_F7, ssCtrl);
    EXPECT_EQ(files(), (V{"A.mm", "B.zz", "C.aa"}));
    EXPECT_EQ(r.Title.Caption(), path);
    EXPECT_TRUE(r.order == SortOrder::Name);
    Press(VK_F7);
    EXPECT_TRUE(r.order == SortOrder::Name);
    Press(VK_F8, ssAlt);  // Alt alone is "any other shift state" here
    EXPECT_EQ(r.Title.Caption(), path + "   [by ext]");
    Press(VK_F7, ssShift | ssCtrl);
    EXPECT_EQ(r.Title.Caption(), path);

    // The current entry is found again after every sort, and the side stays active.
    EXPECT_EQ(FocusedCaption(r), "B.zz");
    EXPECT_EQ(r.CurrentName, "B.zz");
    EXPECT_FALSE(form->LeftActive);
    EXPECT_EQ(Left().Title.Caption(), Left().Path.Caption());
}

TEST_F(KeyMap, F9AndKeypadMinusTagInPlaceF10AndKeypadPlusMoveOn) {
    MakeSides();
    StartSidesWith({{"L\\c.txt", 30}});
    Pane& l = Left();
    Pick(l, "A.txt");  // [parent] <sub> A B C
    Press(VK_F9);
    EXPECT_EQ(Marks(l), "DDYNN");
    EXPECT_EQ(FocusedCaption(l), "A.txt");
    Press(VK_SUBTRACT, ssCtrl);
    EXPECT_EQ(Marks(l), "DDNNN");
    Press(VK_F9, ssShift);  // Shift alone: nothing
    Press(VK_SUBTRACT, ssShift);
    EXPECT_EQ(Marks(l), "DDNNN");

    Press(VK_F10);
    EXPECT_EQ(Marks(l), "DDYNN");
    EXPECT_EQ(FocusedCaption(l), "B.txt");
    EXPECT_EQ(l.CurrentName, "B.txt");
    Press(VK_ADD, ssAlt);
    EXPECT_EQ(Marks(l), "DDYYN");
    EXPECT_EQ(FocusedCaption(l), "C.txt");
    Press(VK_F10, ssShift);
    Press(VK_ADD, ssShift);
    EXPECT_EQ(Marks(l), "DDYYN");
    EXPECT_EQ(FocusedCaption(l), "C.txt");
    EXPECT_EQ(l.TagCount, 2);
}

TEST_F(KeyMap, OnlyF10AndKeypadPlusAreConsumed) {
    MakeSides();
    StartSides(L(), R());
    Pick(Left(), "A.txt");
    const struct {
        WORD key;
        TShiftState shift;
        bool consumed;
    } cases[] = {
        {VK_F10, 0, true}, {VK_F10, ssShift, true}, {VK_ADD, ssShift, true}, {VK_ADD, ssCtrl, true},
        {VK_F9, 0, false}, {VK_SUBTRACT, 0, false}, {VK_DOWN, 0, false}, {VK_LEFT, 0, false},
        {VK_HOME, 0, false}, {VK_NEXT, 0, false}, {VK_F11, 0, false}, {VK_BACK, 0, false},
        {VK_ESCAPE, 0, false}, {'B', 0, false}, {VK_F4, ssAlt, false},
    };
    for (const auto& c : cases) {
        WORD key = c.key;
        form->ListKeyDown(key, c.shift);
        EXPECT_EQ(key == 0, c.consumed) << "key " << c.key << " shift " << c.shift;
    }

    // Through the real messages: an F10 that reached the default processing would start the
    // keyboard menu on its release, a Shift+F10 the context menu.
    Press(VK_F10, ssShift);
    Press(VK_F10);
    EXPECT_EQ(spy->keyMenus, 0);
    EXPECT_EQ(spy->contextMenus, 0);
    // Backspace and Escape run nothing.
    const std::string marks = Marks(Left());
    Press(VK_BACK, 0, L'\b');
    Press(VK_ESCAPE, 0, 27);
    EXPECT_EQ(Left().Tree.Directory(), L());
    EXPECT_EQ(Marks(Left()), marks);
}

TEST_F(KeyMap, WithoutACurrentEntryTheEntryKeysDoNothing) {
    MakeSides();
    StartSides(L(), R());
    // No row focused, so none is current.
    LVITEMW none{};
    none.stateMask = LVIS_FOCUSED;
    SendMessageW(Left().List.Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    Left().CurrentItem = -1;
    const std::string marks = Marks(Left());
    for (int key : {VK_RETURN, VK_F2, VK_F3, VK_F4, VK_F9, VK_F10}) Press(static_cast<WORD>(key));
    EXPECT_EQ(Marks(Left()), marks);
    EXPECT_EQ(Left().Tree.Directory(), L());
    EXPECT_EQ(Right().Tree.Directory(), R());
    EXPECT_TRUE(form->LeftActive);
}

// Whatever the last key did (moves, tag commands, F10), the next command acts on the row the list
// shows focused, and Ctrl+E's F10 inserts that row's name.
TEST_F(KeyMap, TheFocusedEntryIsTheCurrentOneAfterEveryKey) {
    MakeSides();
    StartSidesWith({{"L\\c.txt", 30}});
    struct Step {
        WORD key;
        TShiftState shift;
        wchar_t ch;
    } steps[] = {{VK_END, 0, 0},  {VK_UP, 0, 0},     {'T', 0, L't'}, {VK_UP, 0, 0}, {'I', 0, L'i'},
                 {VK_F10, 0, 0},  {'U', 0, L'u'},    {VK_F9, 0, 0},  {VK_HOME, 0, 0}, {VK_DOWN, 0, 0},
                 {VK_DOWN, 0, 0}, {VK_DOWN, 0, 0}};
    for (const Step& step : steps) {
        Press(step.key, step.shift, step.ch);
        ASSERT_GE(Left().Focused(), 0) << step.key;
        EXPECT_EQ(Left().CurrentItem, Left().Focused()) << step.key;
        EXPECT_EQ(Left().CurrentName, FocusedCaption(Left())) << step.key;
    }
    ASSERT_EQ(FocusedCaption(Left()), "B.txt");  // [parent] <sub> A B C
    modals.ExpectDialog("TextDialog", [&](ModalForm& f) {
        auto& t = static_cast<TextDialog&>(f);
        SendMessageW(t.TextEdit, WM_SYSKEYDOWN, VK_F10, 1);
        EXPECT_EQ(t.Text(), " B.txt ");
        return IDCANCEL;
    });
    Press('E', ssCtrl, 5);
    modals.VerifyDone();
}

TEST_F(KeyMap, CtrlRRefreshesAndDoesNotRename) {
    MakeSides();
    StartSides(L(), R());
    Pick(Left(), "B.txt");
    MakeFile(L() + "\\new.txt", 5);
    ASSERT_EQ(IndexOfCaption(Left(), "New.txt"), -1);
    Press('R', ssCtrl, 18);
    EXPECT_NE(IndexOfCaption(Left(), "New.txt"), -1);
    EXPECT_EQ(FocusedCaption(Left()), "B.txt");
}

TEST_F(KeyMap, DuringARenameNoKeyRunsACommandAndTheStartingRIsSwallowed) {
    MakeSides();
    StartSidesWith({{"L\\rx.txt", 1}});
    Pick(Left(), "A.txt");
    HWND list = Left().List.Handle();
    expectedKeyMenus = 1;
    modals.ExpectDialog("TextDialog", [&](ModalForm&) {
        PressKey(list, 'C', 0, 0);  // would ask to copy
        PressKey(list, 'T', 0, 0);  // would tag all
        PressKey(list, VK_F10);     // would tag and move on
        EXPECT_EQ(spy->keyMenus, 1);  // not consumed: F10 keeps its default processing
        PressKey(list, VK_DELETE);  // would ask to delete
        EXPECT_EQ(Marks(Left()), "DDNNN");
        EXPECT_TRUE(form->LeftActive);
        TypeChar(list, L'r');  // the R key's own character: discarded
        EXPECT_EQ(FocusedCaption(Left()), "A.txt");
        TypeChar(list, L'R');  // Shift+R: reaches the type-ahead search
        EXPECT_EQ(FocusedCaption(Left()), "Rx.txt");
        return IDCANCEL;
    });
    Press('R', 0, 0);
    modals.VerifyDone();
    EXPECT_FALSE(Left().RenamePending);

    // An in-place edit in progress holds the keys back the same way.
    Pick(Left(), "B.txt");
    HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, static_cast<WPARAM>(IndexOfCaption(Left(), "B.txt")), 0));
    ASSERT_TRUE(edit);
    ASSERT_TRUE(Left().RenamePending);
    PressKey(list, 'T');
    PressKey(list, VK_SPACE);
    EXPECT_EQ(Marks(Left()), "DDNNN");
    EXPECT_TRUE(form->LeftActive);
    SendMessageW(list, LVM_CANCELEDITLABEL, 0, 0);
    PumpMessages();
    EXPECT_FALSE(Left().RenamePending);
}

TEST_F(KeyMap, TabMovesTheFocusButNotTheActiveSide) {
    MakeSides();
    StartSides(L(), R());
    HWND left = Left().List.Handle(), right = Right().List.Handle();
    SetFocus(right);
    PressKey(right, VK_TAB, ssShift, L'\t');
    EXPECT_EQ(GetFocus(), GetNextDlgTabItem(form->Handle(), right, TRUE));
    EXPECT_NE(GetFocus(), right);
    SetFocus(left);
    PressKey(left, VK_TAB, 0, L'\t');
    EXPECT_EQ(GetFocus(), GetNextDlgTabItem(form->Handle(), left, FALSE));
    EXPECT_NE(GetFocus(), left);
    EXPECT_TRUE(form->LeftActive);
    EXPECT_EQ(Marks(Left()), "DDNN");  // no command ran, the characters went nowhere

    // Keys pressed in the other list, once it has the focus, still act on the active side.
    SetFocus(right);
    PressKey(right, 'T', 0, L't');
    EXPECT_EQ(Marks(Left()), "DDYY");
    EXPECT_EQ(Marks(Right()), "DN");
    EXPECT_TRUE(form->LeftActive);
}

}  // namespace bivane::test

namespace bivane::test {

// After a dialog or box closes, the keys must reach the list they reached before.
TEST_F(KeyMap, ReactivationGivesTheFocusBackToTheListThatHadIt) {
    MakeSides();
    StartSides(L(), R());
    Press(VK_SPACE);
    HWND right = Right().List.Handle();
    ASSERT_EQ(GetFocus(), right);
    SendMessageW(form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(form->Handle());  // what the system does when an owned dialog closes
    SendMessageW(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), right);
    Press('T', 0, L't');
    EXPECT_EQ(Marks(Right()), "DY");
}

// Every key and combination the lists take is named in the help's Keys section, as the key map's
// own tables list them; the help has a section for the viewer that names its keys.
TEST(Help, NamesEveryKeyOfTheKeyMapAndHasAViewerSection) {
    const std::string build = BuildFolder();
    ASSERT_FALSE(build.empty());
    const std::string help = ReadAll(build + "\\bivane-help.html");
    const std::size_t keys = help.find("<h2 id=\"keys\">");
    const std::size_t viewer = help.find("<h2 id=\"viewer\">");
    ASSERT_NE(keys, std::string::npos);
    ASSERT_NE(viewer, std::string::npos);
    ASSERT_LT(keys, viewer);
    const std::string keySection = help.substr(keys, viewer - keys);
    const std::vector<std::string> names = KeyMapKeys();
    EXPECT_EQ(names.size(), 7u + 2u + 2u + 11u + 22u);  // combinations, menu shortcuts, Z, letters, key rows
    for (const std::string& name : names) EXPECT_NE(keySection.find(name), std::string::npos) << name;
    const std::string viewerSection = help.substr(viewer, help.find("<h2", viewer + 1) - viewer);
    for (const char* key : {"<kbd>Page Up</kbd>", "<kbd>Home</kbd>", "<kbd>End</kbd>", "<kbd>H</kbd>", "<kbd>W</kbd>",
                            "<kbd>E</kbd>", "<kbd>F</kbd>", "<kbd>Ctrl+F</kbd>", "<kbd>F3</kbd>", "<kbd>Shift+F3</kbd>",
                            "<kbd>Ctrl+G</kbd>", "<kbd>Escape</kbd>", "<kbd>Ctrl+C</kbd>", "<kbd>Q</kbd>", "<kbd>F10</kbd>"}) {
        EXPECT_NE(viewerSection.find(key), std::string::npos) << key;
    }
}

}  // namespace bivane::test
