// The confirmation, text and job queue dialogs as windows: controls, places, keys, answered for real.
#include <stdexcept>

#include "fileops/confirm_dialog.h"
#include "fileops/fileops_support.h"
#include "fileops/jobs_dialog.h"
#include "fileops/replace_dialog.h"
#include "fileops/text_dialog.h"
#include "fileops/progress_dialog.h"

namespace bivane::test {

namespace {

void ExpectAt(HWND w, int x, int y, int width = -1, int height = -1) {
    const RECT r = ChildRect(w);
    EXPECT_EQ(r.left, x) << WindowText(w);
    EXPECT_EQ(r.top, y) << WindowText(w);
    if (width >= 0) {
        EXPECT_EQ(r.right - r.left, width) << WindowText(w);
    }
    if (height >= 0) {
        EXPECT_EQ(r.bottom - r.top, height) << WindowText(w);
    }
}

void PostKey(HWND w, WORD key, UINT msg = WM_KEYDOWN) {
    PostMessageW(w, msg, key, 1);
    PostMessageW(w, msg == WM_KEYDOWN ? WM_KEYUP : WM_SYSKEYUP, key, 0xC0000001);
}

LRESULT CALLBACK CountErases(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR count) {
    if (msg == WM_ERASEBKGND) ++*reinterpret_cast<int*>(count);
    return DefSubclassProc(h, msg, wp, lp);
}

class Dialogs : public FileOpsTest {};

}  // namespace

TEST_F(Dialogs, ConfirmHasItsControlsInPlaceAndNoAsDefaultAndCancel) {
    StartIn(tmp.Path());
    ConfirmDialog& c = *form->Confirm;
    const RECT client = ClientRect(c.Handle());
    EXPECT_EQ(client.right, 313);
    EXPECT_EQ(client.bottom, 159);
    EXPECT_TRUE(GetWindowLongPtrW(c.Handle(), GWL_STYLE) & WS_SYSMENU);
    ExpectAt(c.ModeLabel, 12, 24);
    ExpectAt(c.CurrentEntryChoice, 56, 14);
    ExpectAt(c.TaggedFilesChoice, 56, 33);
    ExpectAt(c.CurDesc, 144, 14);
    ExpectAt(c.TagDescShadow, 145, 35);
    ExpectAt(c.TagDesc, 144, 34);
    ExpectAt(c.FromLabel, 8, 65);
    ExpectAt(c.FromDesc, 48, 65);
    ExpectAt(c.ToLabel, 8, 81);
    ExpectAt(c.ToDesc, 48, 81);
    ExpectAt(c.RecycleChoice, 15, 80, 189);
    ExpectAt(c.OKBtn, 71, 116, 75, 25);
    ExpectAt(c.CancelBtn, 167, 116, 75, 25);
    EXPECT_EQ(c.Text(c.OKBtn), "&Yes");
    EXPECT_EQ(c.Text(c.CancelBtn), "&No");
    EXPECT_EQ(c.Text(c.CurrentEntryChoice), "&Current file...");
    EXPECT_EQ(c.Text(c.TaggedFilesChoice), "&Tagged files...");
    EXPECT_EQ(c.Text(c.RecycleChoice), "&Send to recycle bin (allow undelete)");
    EXPECT_EQ(c.Text(c.FromLabel), "From:");
    EXPECT_EQ(c.Text(c.ToLabel), "To:");
    EXPECT_EQ(c.Hint(c.FromLabel), "Source directory");
    EXPECT_EQ(c.Hint(c.ToLabel), "Destination directory");
    EXPECT_TRUE(GetWindowLongPtrW(c.FromLabel, GWL_STYLE) & SS_RIGHT);
    EXPECT_EQ(LOWORD(SendMessageW(c.Handle(), DM_GETDEFID, 0, 0)), IDCANCEL);
    EXPECT_EQ(GetDlgCtrlID(c.CancelBtn), IDCANCEL);
    // TagDesc lies above its white copy, so it paints the engraved pair where they overlap.
    bool tagDescAbove = false;
    for (HWND w = GetWindow(c.TagDescShadow, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) tagDescAbove |= w == c.TagDesc;
    EXPECT_TRUE(tagDescAbove);
    // Tab order: No, Yes, the two radio buttons, the recycle box.
    c.SetMode(ConfirmMode::Delete);
    std::vector<HWND> order;
    HWND w = c.CancelBtn;
    for (int i = 0; i < 5; ++i) {
        order.push_back(w);
        w = GetNextDlgTabItem(c.Handle(), w, FALSE);
    }
    EXPECT_EQ(order, (std::vector<HWND>{c.CancelBtn, c.OKBtn, c.CurrentEntryChoice, c.TaggedFilesChoice, c.RecycleChoice}));
    EXPECT_EQ(w, c.CancelBtn);
    // Clicking a radio button checks it and clears the other.
    c.CheckRadio(c.TaggedFilesChoice);
    c.Click(101);
    EXPECT_TRUE(c.IsChecked(c.CurrentEntryChoice));
    EXPECT_FALSE(c.IsChecked(c.TaggedFilesChoice));
}

// The real question about files that exist: Enter answers "Skip existing" (the default: Enter
// never replaces a file), Escape cancels; neither writes anything.
TEST_F(Dialogs, EnterOrEscapeInTheReplaceQuestionReplaceNothing) {
    StartSidesWith({{"L\\A.txt", 100}, {"R\\A.txt", 5}});
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    HWND owner = form->Handle();
    for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
        int result = 0;
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        modals.ExpectDialog("ReplaceDialog", [&](ModalForm& f) {
            PostKey(f.Handle(), key);
            result = f.RunModalLoop(owner);
            return result;
        });
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        EXPECT_EQ(result, key == VK_RETURN ? ReplaceDialog::IdSkipExisting : IDCANCEL);
        EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
        EXPECT_FALSE(IsWindowVisible(form->Replace->Handle()));
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
}

// The main window closed while a dialog of another of its windows is open (a Find Files or
// Synchronize question): the dialog ends and the program's own loop ends after it.
TEST_F(Dialogs, TheEndOfTheProgramPassesThroughAnOpenDialog) {
    StartSidesWith({{"L\\A.txt", 100}});
    Pick(Left(), "A.txt");
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm& f) {
        PostQuitMessage(7);
        return f.RunModalLoop(form->Handle());
    });
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    MSG msg{};
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(Exists(R() + "\\A.txt"));
}

TEST_F(Dialogs, EnterInTheRealConfirmationAnswersNoAndTabThenEnterYes) {
    StartSidesWith({{"L\\A.txt", 100}});
    Pick(Left(), "A.txt");
    const Snapshot before = Snap(tmp.Path());
    HWND owner = form->Handle();
    // Enter answers the focused "&No"; one Tab from it reaches "&Yes".
    const std::pair<std::vector<WORD>, std::set<std::string>> runs[] = {{{VK_RETURN}, {}},
                                                                         {{VK_TAB, VK_RETURN}, {"R\\A.txt"}}};
    for (const auto& [keys, changed] : runs) {
        SCOPED_TRACE(keys.size());
        modals.ExpectDialog("ConfirmDialog", [&](ModalForm& f) {
            for (WORD key : keys) PostKey(f.Handle(), key);
            return f.RunModalLoop(owner);
        });
        form->RunFileCommand(ConfirmMode::Copy, form->Active());
        EXPECT_EQ(ChangedSince(before), changed);
        EXPECT_FALSE(IsWindowVisible(form->Confirm->Handle()));
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
}

TEST_F(Dialogs, TextDialogIgnoresEscapeAndTakesTypedTextOnEnter) {
    StartWith({{"Keep.txt", 3}});
    TextDialog& g = *form->TextPrompt;
    ExpectAt(g.PromptLabel, 16, 16);
    ExpectAt(g.TextEdit, 16, 48, 321);
    ExpectAt(g.OkButton, 88, 88, 75, 25);
    ExpectAt(g.CancelButton, 184, 88, 75, 25);
    EXPECT_FALSE(GetWindowLongPtrW(g.Handle(), GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(ClientRect(g.Handle()).right, 353);
    EXPECT_EQ(ClientRect(g.Handle()).bottom, 129);
    const Snapshot before = Snap(tmp.Path());
    HWND owner = form->Handle();
    modals.ExpectDialog("TextDialog", [&](ModalForm& f) {
        TextDialog& t = static_cast<TextDialog&>(f);
        EXPECT_EQ(t.Caption(), "Enter name for new directory");
        EXPECT_EQ(t.Label(), "Current directory: " + tmp.Path());
        EXPECT_EQ(t.Text(), "");
        PostKey(t.TextEdit, VK_ESCAPE);
        for (wchar_t ch : std::wstring(L"NEW")) PostMessageW(t.TextEdit, WM_CHAR, ch, 1);
        PostKey(t.TextEdit, VK_ESCAPE);
        PostMessageW(t.Handle(), WM_CLOSE, 0, 0);
        PostKey(t.TextEdit, VK_RETURN);
        return f.RunModalLoop(owner);
    });
    form->MakeNewDirectory(form->Active());
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"NEW"});
    EXPECT_NE(IndexOfCaption(Left(), "<NEW>"), -1);
    // "&Cancel" does close it.
    modals.ExpectDialog("TextDialog", [&](ModalForm& f) {
        TextDialog& t = static_cast<TextDialog&>(f);
        PostMessageW(t.TextEdit, WM_CHAR, L'X', 1);
        PostMessageW(t.CancelButton, BM_CLICK, 0, 0);
        return f.RunModalLoop(owner);
    });
    form->MakeNewDirectory(form->Active());
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"NEW"});
}

TEST_F(Dialogs, F10InsertsThePromptNameOnlyForTheCommandLine) {
    StartIn(tmp.Path());
    TextDialog& g = *form->TextPrompt;
    HWND owner = form->Handle();
    form->TextPrompt->PromptFileName = "Readme.txt";
    auto typeWithF10 = [&](ModalForm& f) {
        TextDialog& t = static_cast<TextDialog&>(f);
        t.SetText("edit");
        PostMessageW(t.TextEdit, EM_SETSEL, 4, 4);  // after activation, which selects the whole text
        PostKey(t.TextEdit, VK_F10, WM_SYSKEYDOWN);
        PostMessageW(t.TextEdit, WM_CHAR, L'x', 1);
        PostKey(t.TextEdit, VK_RETURN);
        return f.RunModalLoop(owner);
    };
    for (const auto& [commandLine, typed] : {std::pair{true, "edit Readme.txt x"}, std::pair{false, "editx"}}) {
        SCOPED_TRACE(commandLine);
        g.Prepare("Run", "Command line:");
        form->TextPrompt->CommandLinePromptOpen = commandLine;
        modals.ExpectDialog("TextDialog", typeWithF10);
        EXPECT_EQ(g.ShowModal(owner), IDOK);
        EXPECT_EQ(g.Text(), typed);
    }
}

TEST_F(Dialogs, ProgressDialogLayout) {
    StartIn(tmp.Path());
    ProgressDialog& p = *form->Progress;
    EXPECT_EQ(p.Caption(), "Copy File");
    EXPECT_FALSE(GetWindowLongPtrW(p.Handle(), GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(ClientRect(p.Handle()).right, 361);
    EXPECT_EQ(ClientRect(p.Handle()).bottom, 136);
    ExpectAt(p.FileLabel, 23, 16);
    ExpectAt(p.FileNameDesc, 48, 16);
    ExpectAt(p.FromLabel, 16, 40);
    ExpectAt(p.SourceDir, 48, 40);
    ExpectAt(p.ToLabel, 26, 56);
    ExpectAt(p.DestDir, 48, 56);
    ExpectAt(p.ProgressBar, 24, 88, 313, 17);
    ExpectAt(p.Status, 168, 115);
    EXPECT_EQ(p.BarMax(), 100);
    EXPECT_FALSE(IsWindowVisible(p.Handle()));
}

// A second of copying small files, one every 20 ms: each file's name reaches the label at its
// due paint, but the whole dialog (frame and every control, as long under Wine as copying five
// small files) is painted at most four times a second.
TEST_F(Dialogs, ProgressPaintsEachNameWhenDueAndItselfWholeFourTimesASecond) {
    StartIn(tmp.Path());
    ProgressDialog& p = *form->Progress;
    static ULONGLONG now;
    now = 100000;
    p.Clock = [] { return now; };
    p.ShowModeless();
    // A themed push button asks its parent to paint behind it (DrawThemeParentBackground): each
    // whole paint would count twice.
    ShowWindow(p.BackgroundButton, SW_HIDE);
    int wholePaints = 0;
    SetWindowSubclass(p.Handle(), &CountErases, 9, reinterpret_cast<DWORD_PTR>(&wholePaints));
    {
        TextRecorder names(p.FileNameDesc);
        for (int i = 0; i < 50; ++i) {
            now += 20;
            p.SetText(p.FileNameDesc, "file" + std::to_string(i));
            p.Repaint();
        }
        EXPECT_EQ(names.texts.size(), 50u);
        EXPECT_EQ(names.texts.back(), "file49");
    }
    RemoveWindowSubclass(p.Handle(), &CountErases, 9);
    EXPECT_GE(wholePaints, 3);
    EXPECT_LE(wholePaints, 5);
    ShowWindow(p.BackgroundButton, SW_SHOWNA);
    p.Hide();
}

// The queue behind the window is a fake that each button changes as the real one would; every
// step selects a job, checks which buttons it allows, presses one and checks what the list shows.
TEST_F(Dialogs, JobsShowTheQueueAndEachButtonActsOnTheSelectedJob) {
    using S = JobRow::State;
    constexpr std::int64_t kMB = 1024 * 1024;
    std::vector<JobRow> queue = {{1, "Copy", "C:\\Src", "D:\\Dst", 3, 10, kMB + kMB / 2, 12 * kMB, S::Running},
                                 {2, "Move", "C:\\A", "C:\\B", 0, 1, 0, 5, S::Waiting},
                                 {3, "Delete", "C:\\Old", "", 0, 4, 0, 20480, S::Waiting}};
    std::vector<std::string> calls;
    auto act = [&](const char* name, std::function<void(std::vector<JobRow>::iterator)> change) {
        return [&, name, change](int id) {
            calls.push_back(name + std::to_string(id));
            change(std::find_if(queue.begin(), queue.end(), [&](const JobRow& r) { return r.id == id; }));
        };
    };
    JobsDialog d;
    d.Rows = [&] { return queue; };
    d.Pause = act("pause ", [](auto j) { j->state = S::Paused; });
    d.Resume = act("resume ", [](auto j) { j->state = S::Running; });
    d.Cancel = act("cancel ", [&](auto j) { queue.erase(j); });
    d.MoveUp = act("up ", [](auto j) { std::iter_swap(j, j - 1); });
    d.MoveDown = act("down ", [](auto j) { std::iter_swap(j, j + 1); });
    d.ShowModeless();
    EXPECT_EQ(d.Caption(), "Jobs");
    EXPECT_EQ(d.SelectedId(), 1);
    // Each row's cells joined by "|", in the columns asked for.
    auto shown = [&](std::vector<int> columns) {
        std::string text;
        for (int r = 0; r < d.RowCount(); ++r) {
            for (const int c : columns) text += (c != columns.front() ? "|" : r ? ", " : "") + d.Cell(r, c);
        }
        return text;
    };
    EXPECT_EQ(shown({0, 1, 2, 3, 4, 5}), "Copy|C:\\Src|D:\\Dst|3 of 10|1.5 of 12.0 MB|running, "
                                         "Move|C:\\A|C:\\B|0 of 1|0 of 5 bytes|waiting, Delete|C:\\Old||0 of 4|0 of 20 KB|waiting");
    // The enabled buttons by their underlined letters.
    auto enabled = [&] {
        std::string letters;
        for (HWND b : {d.PauseButton, d.ResumeButton, d.CancelButton, d.UpButton, d.DownButton}) {
            if (IsWindowEnabled(b)) letters += WindowText(b)[WindowText(b).find('&') + 1];
        }
        return letters;
    };
    const struct {  // call: "" for none, as a grey button does nothing
        int select; const char* allowed; HWND button; const char* call;
        const char* after; std::optional<int> selected; const char* allowedAfter;
    } steps[] = {
        {1, "PC", d.PauseButton, "pause 1", "Copy|paused, Move|waiting, Delete|waiting", 1, "RC"},
        {1, "RC", d.ResumeButton, "resume 1", "Copy|running, Move|waiting, Delete|waiting", 1, "PC"},
        {3, "Cu", d.PauseButton, "", "Copy|running, Move|waiting, Delete|waiting", 3, "Cu"},
        {2, "Cd", d.DownButton, "down 2", "Copy|running, Delete|waiting, Move|waiting", 2, "Cu"},
        {2, "Cu", d.UpButton, "up 2", "Copy|running, Move|waiting, Delete|waiting", 2, "Cd"},
        {2, "Cd", d.CancelButton, "cancel 2", "Copy|running, Delete|waiting", 3, "C"},
        {1, "PC", d.CancelButton, "cancel 1", "Delete|waiting", 3, "C"},
        {3, "C", d.CancelButton, "cancel 3", "", std::nullopt, ""},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(std::to_string(s.select) + " " + WindowText(s.button));
        calls.clear();
        d.Select(s.select);
        EXPECT_EQ(enabled(), s.allowed);
        d.Click(GetDlgCtrlID(s.button));
        EXPECT_EQ(calls, *s.call ? std::vector<std::string>{s.call} : std::vector<std::string>{});
        EXPECT_EQ(shown({0, 5}), s.after);
        EXPECT_EQ(d.SelectedId(), s.selected);
        EXPECT_EQ(enabled(), s.allowedAfter);
        EXPECT_TRUE(IsWindowEnabled(d.CloseButton));
    }
}

// While shown, the rows are read again by a timer; a queue that cannot be read is reported once,
// not four times a second. Escape and Close end the modal window.
TEST_F(Dialogs, JobsFollowTheQueueWhileShownAndEndOnEscapeOrClose) {
    StartIn(tmp.Path());
    JobRow job{7, "Copy", "C:\\A", "C:\\B", 0, 3, 0, 100, JobRow::State::Running};
    int reads = 0;
    bool broken = false;
    JobsDialog d;
    d.Rows = [&] {
        ++reads;
        if (broken) throw std::runtime_error("The queue is gone");
        return std::vector<JobRow>{job};
    };
    auto readsWithin = [&](double s) { const int n = reads; PumpUntil([] { return false; }, s); return reads - n; };
    d.ShowModeless();
    job.filesDone = 2;
    EXPECT_GE(PumpUntil([&] { return d.Cell(0, 3) == "2 of 3"; }, 2.0), 0.0);
    EXPECT_EQ(d.SelectedId(), 7);
    broken = true;
    modals.ExpectBox("The queue is gone.", IDOK, kAppTitle);
    EXPECT_GE(PumpUntil([&] { return !modals.boxes.empty(); }, 2.0), 0.0);
    EXPECT_EQ(readsWithin(0.6), 0);
    EXPECT_EQ(d.Cell(0, 3), "2 of 3");
    d.Hide();
    broken = false;
    HWND owner = form->Handle();
    for (const bool escape : {true, false}) {
        modals.ExpectDialog("JobsDialog", [&](ModalForm& f) {
            if (escape) PostKey(f.Handle(), VK_ESCAPE);
            else PostMessageW(d.CloseButton, BM_CLICK, 0, 0);
            return f.RunModalLoop(owner);
        });
        EXPECT_EQ(d.ShowModal(owner), IDCANCEL);
        EXPECT_FALSE(IsWindowVisible(d.Handle()));
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
    EXPECT_EQ(readsWithin(0.6), 0);  // hidden, it reads nothing
}

}  // namespace bivane::test
