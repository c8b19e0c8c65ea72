#include "support/form_fixture.h"

#include "core/errors.h"
#include "core/paths.h"
#include "fileops/confirm_dialog.h"
#include "fileops/text_dialog.h"
#include "fileops/progress_dialog.h"
#include "platform/utf.h"
#include "tags/compare_dialog.h"

namespace bivane::test {

class Startup : public FormTest {};

TEST_F(Startup, LeftSideListsTheStartDirectoryAndRightSideWaits) {
    StartWith({{"Program Files\\"}, {"README.TXT", 999}, {"PROGRAM.EXE", 10}});

    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "<Program Files>", "Program.exe", "Readme.txt"}));
    EXPECT_EQ(Left().Status.Text(0), "Dir: 1k");
    EXPECT_EQ(Left().Status.Text(1), "2 Files");
    EXPECT_EQ(Left().Status.Text(2).rfind("Free: ", 0), 0u);
    EXPECT_EQ(Left().CurrentItem, 0);
    EXPECT_EQ(Left().CurrentName, "[parent]");
    EXPECT_TRUE(form->LeftActive);
    EXPECT_TRUE(form->RightUnloaded);
    EXPECT_TRUE(Right().Entries.empty());
    EXPECT_EQ(Right().Title.Caption(), "No directory selected for right side");
    EXPECT_EQ(Right().Status.Text(0), "Dir: 0k");
    EXPECT_EQ(Right().Status.Text(1), "Tag: 0k");
    EXPECT_EQ(Right().Status.Text(2), "Free: 0k");
    EXPECT_TRUE(IsShown(form->Splash.Handle()));
    EXPECT_FALSE(IsShown(Left().Tree.Handle()));
    EXPECT_FALSE(IsShown(Right().Tree.Handle()));
    EXPECT_EQ(form->HelpFile, tmp.Path() + "\\WBivane.HLP");
}

// The window is made and shown first, then its first folder is listed (a big one takes a
// while), then the drive selectors report their first change, which leaves the folder as it is.
TEST_F(Startup, TheWindowIsShownBeforeItsFolderIsListedAndTheDrivesAfter) {
    MakeFile(tmp / "a.txt", 1);
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(tmp.Path()).c_str()));
    form = std::make_unique<MainWindow>();
    EXPECT_FALSE(IsShown(form->Handle()));
    EXPECT_TRUE(Left().Entries.empty());
    EXPECT_TRUE(form->LeftDriveFirstChange);
    form->Show();
    EXPECT_TRUE(IsShown(form->Handle()));
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "A.txt"}));
    EXPECT_FALSE(form->LeftDriveFirstChange);
    EXPECT_EQ(Left().Directory(), tmp.Path());
    EXPECT_EQ(Left().Title.Caption(), Left().Path.Caption());
}

TEST_F(Startup, WindowGeometryFollowsTheLayout) {
    StartIn(tmp.Path());
    RECT client = ClientRect(form->Handle());
    const int listW = client.right / 2 - 2;
    const RECT l = ChildRect(Left().List.Handle());
    const RECT r = ChildRect(Right().List.Handle());
    EXPECT_EQ(l.left, 0);
    EXPECT_EQ(l.right - l.left, listW);
    EXPECT_EQ(r.left, client.right - listW);
    EXPECT_EQ(r.right, client.right);
    EXPECT_TRUE(IsShown(Left().List.Handle()));
    EXPECT_TRUE(IsShown(Right().List.Handle()));
}

TEST_F(Startup, ClosingQuestionAnsweredBothWays) {
    StartWith({{"a.txt", 1}});
    const std::string text = "Thank you for using\rof Bivane for Windows 95\rfrom Harlenby Software.";
    modals.ExpectBox(text, IDCANCEL, "Information");
    SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(form->Handle()));
    EXPECT_EQ(Captions(Left()).size(), 2u);
    modals.ExpectBox(text, IDOK, "Information");
    HWND h = form->Handle();
    SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
}

}  // namespace bivane::test

namespace bivane::test {

class Shell : public FormTest {};

TEST_F(Shell, HelpFileIsFixedWhereTheProgramStarts) {
    MakeDir(tmp / "Other");
    const std::string help = tmp.Path() + "\\WBivane.HLP";
    MakeFile(help, 10);  // a help file there goes to the help viewer
    StartIn(tmp.Path());
    EXPECT_EQ(form->HelpPath, help);
    form->Guard([&] { Left().Tree.SetDirectory(tmp / "Other"); });
    SetWindowPos(form->Handle(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(form->HelpPath, help);
    form->ShowHelp();
    EXPECT_EQ(helpCalls, 1);
    EXPECT_EQ(helpFile, help);
}

// Without a help file where the program looks, the HTML help beside the program opens.
TEST_F(Shell, WithoutAHelpFileTheHtmlHelpOpensInTheBrowser) {
    StartIn(tmp.Path());
    form->ShowHelp();
    EXPECT_EQ(helpCalls, 1);
    EXPECT_EQ(helpFile, form->HtmlHelpFile());
    const std::string page = ReadAll(helpFile);
    EXPECT_NE(page.find("<title>Bivane Help</title>"), std::string::npos);
    // Every key of the key map is explained, and the pictures it shows are there.
    for (const char* key : {"Space", "Enter", "F2", "F3", "F7", "F10", "Ctrl+E", "Ctrl+P", "Alt+G", "Alt+T"}) {
        EXPECT_NE(page.find(std::string("<kbd>") + key + "</kbd>"), std::string::npos) << key;
    }
    for (size_t at = page.find("src=\""); at != std::string::npos; at = page.find("src=\"", at + 1)) {
        const std::string picture = page.substr(at + 5, page.find('"', at + 5) - at - 5);
        EXPECT_TRUE(Exists(DirectoryPart(helpFile) + "\\" + picture)) << picture;
    }
}

TEST_F(Shell, SplashButtonsAndAbout) {
    StartIn(tmp.Path());
    form->HelpFromSplash();
    EXPECT_EQ(helpCalls, 1);
    EXPECT_TRUE(IsShown(form->Splash.Handle()));
    EXPECT_EQ(GetFocus(), Left().List.Handle());
    form->TitleClick(form->side[1]);
    form->ShowAbout();
    EXPECT_TRUE(IsShown(form->Splash.Handle()));
    const RECT before = ChildRect(form->Splash.Handle());
    form->ShowAbout();  // already visible: nothing changes
    const RECT after = ChildRect(form->Splash.Handle());
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    SendMessageW(form->SplashOK, BM_CLICK, 0, 0);
    EXPECT_FALSE(IsShown(form->Splash.Handle()));
    EXPECT_TRUE(form->LeftActive);
}

TEST_F(Shell, OuterSizeAndTheSplashPlace) {
    StartIn(tmp.Path());
    RECT outer{};
    GetWindowRect(form->Handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, 550);
    EXPECT_EQ(outer.bottom - outer.top, 345);
    const RECT client = ClientRect(form->Handle());
    const int listW = client.right / 2 - 2;
    const RECT list = ChildRect(Right().List.Handle());
    const RECT splash = ChildRect(form->Splash.Handle());
    EXPECT_EQ(splash.left, list.left + (listW - 173) / 2);
    EXPECT_EQ(splash.top, list.top + 50);
    EXPECT_EQ(splash.right - splash.left, 173);
    EXPECT_EQ(splash.bottom - splash.top, 182);
    const RECT panel = ChildRect(Left().Title.Handle());
    EXPECT_EQ(panel.bottom - panel.top, 17);
    EXPECT_EQ(form->hints.Get(Left().Title.Handle()), "Click to make left side current");
    EXPECT_EQ(form->hints.Get(Right().Drive.Handle()), "Select drive for right side");
    EXPECT_EQ(form->hints.Get(Right().GoTo), "Allow \"GoTo\" on right when checked");
}

TEST_F(Shell, UncaughtErrorsShowTheApplicationReport) {
    StartIn(tmp.Path());
    modals.ExpectBox("File access denied.", IDOK, "Bivane for Windows 95");
    form->Guard([] { throw IoError(5); });
    modals.ExpectBox("I/O error 1117.", IDOK, "Bivane for Windows 95");
    form->Guard([] { throw IoError(1117); });
    modals.ExpectBox("Disk full.", IDOK, "Bivane for Windows 95");
    form->Guard([] { throw FileError("Disk full."); });
    EXPECT_TRUE(IsWindow(form->Handle()));
}

TEST_F(Shell, DialogsAreCreatedOnceWithTheirClassesAndCaptions) {
    StartIn(tmp.Path());
    EXPECT_EQ(form->CompareChoice->ClassName(), "CompareDialog");
    EXPECT_EQ(form->CompareChoice->Caption(), "Confirm Tag Type");
    EXPECT_EQ(form->Progress->ClassName(), "ProgressDialog");
    EXPECT_EQ(form->Progress->Caption(), "Copy File");
    EXPECT_EQ(form->TextPrompt->ClassName(), "TextDialog");
    EXPECT_EQ(form->TextPrompt->Caption(), "Enter New Directory");
    EXPECT_EQ(form->Confirm->ClassName(), "ConfirmDialog");
    EXPECT_EQ(form->Confirm->Caption(), "Confirm Copy");
}

}  // namespace bivane::test
