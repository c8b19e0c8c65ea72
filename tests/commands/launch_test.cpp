// Starting programs: the viewer, the typed command line and double clicks, with recorder.exe
// standing in for every program started.
#include <chrono>
#include <thread>

#include "commands/keys_support.h"
#include "fileops/text_dialog.h"
#include "panes/entry_rules.h"
#include "platform/utf.h"
#include "tags/tags_support.h"

namespace bivane::test {

namespace {

std::string TestProgramDir() {
    wchar_t buf[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    std::string path = Narrow(buf);
    return path.substr(0, path.find_last_of('\\'));
}

std::string RecorderExe() { return TestProgramDir() + "\\recorder.exe"; }

struct Record {
    std::string cmd, dir, exe;
    unsigned flags = 0, show = 0;
};

std::vector<Record> ReadRecords(const std::string& path) {
    std::vector<Record> out;
    const std::string text = ReadAll(path);
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find("\r\n\r\n", pos);
        if (end == std::string::npos) break;  // still being written
        Record r;
        size_t line = pos;
        while (line < end) {
            size_t eol = text.find("\r\n", line);
            if (eol == std::string::npos || eol > end) eol = end;
            const std::string l = text.substr(line, eol - line);
            if (l.rfind("cmd=", 0) == 0) r.cmd = l.substr(4);
            if (l.rfind("dir=", 0) == 0) r.dir = l.substr(4);
            if (l.rfind("exe=", 0) == 0) r.exe = l.substr(4);
            if (l.rfind("flags=", 0) == 0) sscanf(l.c_str(), "flags=%u show=%u", &r.flags, &r.show);
            line = eol + 2;
        }
        out.push_back(r);
        pos = end + 4;
    }
    return out;
}

// The records once count of them are there (or after a time limit, whatever is there). Started
// programs run on their own; this is the only wait in these tests.
std::vector<Record> WaitForRecords(const std::string& path, size_t count) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<Record> r = ReadRecords(path);
    while (r.size() < count && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PumpMessages();
        r = ReadRecords(path);
    }
    return r;
}

// Long enough for a program that was wrongly started to have written its record.
void GiveStrayProgramsTime() {
    for (int i = 0; i < 30; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PumpMessages();
    }
}

// Sets an environment variable of this process (and so of every program it starts) for a scope.
class EnvVar {
public:
    EnvVar(const wchar_t* name, const std::string& value) : name_(name) {
        wchar_t buf[32768];
        const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
        had_ = n > 0 && n < 32768;
        if (had_) old_ = buf;
        SetEnvironmentVariableW(name, Widen(value).c_str());
    }
    ~EnvVar() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;
    std::string Old() const { return had_ ? Narrow(old_) : ""; }

private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

std::function<int(ModalForm&)> Type(const std::string& text, int result = IDOK) {
    return [text, result](ModalForm& f) {
        static_cast<TextDialog&>(f).SetText(text);
        return result;
    };
}

}  // namespace

class Launch : public KeysTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(FileExists(RecorderExe())) << RecorderExe();
        MakeSideFolders();
    }
    std::string Log() const { return tmp / "record.log"; }
    static bool FileExists(const std::string& p) { return Exists(p); }
    EnvVar record_{L"BIVANE_RECORD", tmp / "record.log"};
};

// The viewer gets the file's own name in full, quoted: the caption may differ from the name.
TEST_F(Launch, ShowHandsTheQuotedFullNameToTheViewerOnTheSearchPath) {
    MakeDir(tmp / "bin");
    ASSERT_TRUE(CopyFileW(Widen(RecorderExe()).c_str(), Widen(tmp / "bin\\BVLIST.EXE").c_str(), FALSE));
    EnvVar path(L"PATH", "");
    SetEnvironmentVariableW(L"PATH", Widen(tmp / "bin;" + path.Old()).c_str());
    StartSidesWith({{"L\\sub dir\\"}, {"L\\my file.txt", 3}});

    // Directories and the parent entry: nothing.
    Pick(Left(), "<sub dir>");
    Press('S', 0, L's');
    Pick(Left(), "[parent]");
    form->ShowInViewer(form->Active());

    Pick(Left(), "My file.txt");
    Press('S', 0, L's');
    const std::vector<Record> r = WaitForRecords(Log(), 1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cmd, "BVLIST.EXE \"" + L() + "\\my file.txt\"");
    EXPECT_EQ(r[0].dir, L());
    EXPECT_EQ(r[0].flags & (STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK), STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK);
    EXPECT_EQ(r[0].show, static_cast<unsigned>(SW_SHOW));
    GiveStrayProgramsTime();
    EXPECT_EQ(ReadRecords(Log()).size(), 1u);
}

TEST_F(Launch, AMissingViewerOrProgramReportsNothing) {
    StartSidesWith({{"L\\x.txt", 3}, {"L\\y.unknownkind", 3}});
    Pick(Left(), "X.txt");
    Press('S', 0, L's');  // no BVLIST.EXE anywhere: the scripted modals fail on any box
    EXPECT_FALSE(form->RunCommandLine("no-such-program-here.exe x", SW_SHOW, 0));
    EXPECT_TRUE(form->RunCommandLine("\"" + RecorderExe() + "\" ok", SW_SHOW, 0));
    EXPECT_EQ(WaitForRecords(Log(), 1).size(), 1u);

    // A double click on a file no program is registered for.
    const int y = IndexOfCaption(Left(), "Y.unknownkind");
    const POINT p = CellCentre(Left().List.Handle(), y, 0);
    ClickList(Left().List.Handle(), p);
    SendMessageW(Left().List.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(Left().List.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    PumpMessages();
    EXPECT_EQ(Left().Tree.Directory(), L());
}

TEST_F(Launch, TheTypedCommandLineRunsInTheActiveSidesDirectory) {
    StartSidesWith({{"R\\two words.txt", 3}});
    Press(VK_SPACE);
    Pick(Right(), "Two words.txt");
    const std::string program = "\"" + RecorderExe() + "\"";

    modals.ExpectDialog("TextDialog", [&](ModalForm& f) {
        auto& t = static_cast<TextDialog&>(f);
        EXPECT_EQ(t.Caption(), "AltExecute: Enter command line... (F10=Filename)");
        EXPECT_EQ(t.Label(), "Current directory: " + R());
        EXPECT_EQ(t.Text(), "");
        EXPECT_TRUE(form->TextPrompt->CommandLinePromptOpen);
        EXPECT_EQ(form->TextPrompt->PromptFileName, "Two words.txt");
        t.SetText(program + " -v");
        // F10 (a system key) inserts the remembered name at the caret, one space each side.
        SendMessageW(t.TextEdit, EM_SETSEL, 999, 999);
        SendMessageW(t.TextEdit, WM_SYSKEYDOWN, VK_F10, 1);
        EXPECT_EQ(t.Text(), program + " -v Two words.txt ");
        return IDOK;
    });
    Press('E', ssCtrl, 5);
    modals.VerifyDone();
    EXPECT_FALSE(form->TextPrompt->CommandLinePromptOpen);
    std::vector<Record> r = WaitForRecords(Log(), 1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].cmd, program + " -v Two words.txt ");
    EXPECT_EQ(r[0].dir, R());

    // Empty line, Cancel: nothing runs. The prompt starts empty every time.
    modals.ExpectDialog("TextDialog", Type(""));
    Press('E', ssCtrl, 5);
    modals.ExpectDialog("TextDialog", [&](ModalForm& f) {
        EXPECT_EQ(static_cast<TextDialog&>(f).Text(), "");
        return Type(program + " cancelled", IDCANCEL)(f);
    });
    Press('E', ssCtrl, 5);
    modals.VerifyDone();
    // A directory as the remembered name keeps its brackets.
    Pick(Right(), "[parent]");
    modals.ExpectDialog("TextDialog", [&](ModalForm& f) {
        auto& t = static_cast<TextDialog&>(f);
        SendMessageW(t.TextEdit, WM_SYSKEYDOWN, VK_F10, 1);
        EXPECT_EQ(t.Text(), " [parent] ");
        return IDCANCEL;
    });
    form->PromptCommandLine(form->Active());
    GiveStrayProgramsTime();
    EXPECT_EQ(ReadRecords(Log()).size(), 1u);
    EXPECT_FALSE(form->TextPrompt->CommandLinePromptOpen);
}

TEST_F(Launch, PromptOnAVanishedDirectoryReportsTheErrorAndShowsNoPrompt) {
    MakeDir(R() + "\\gone");
    StartSides(L(), R() + "\\gone");
    Press(VK_SPACE);
    SetCurrentDirectoryW(Widen(R()).c_str());
    {
        // Under Wine a folder the right side's follower holds open would stay until it lets go.
        PausedFollowing paused(Left().Follower, Right().Follower);
        ASSERT_TRUE(RemoveDirectoryW(Widen(R() + "\\gone").c_str()));
    }
    modals.ExpectBox("File not found.", IDOK, kAppTitle);
    Press('E', ssCtrl, 5);
    modals.VerifyDone();
    EXPECT_FALSE(form->TextPrompt->CommandLinePromptOpen);
}

TEST_F(Launch, DoubleClickStartsLowerCaseExeDirectlyAndEverythingElseThroughTheShell) {
    ASSERT_TRUE(CopyFileW(Widen(RecorderExe()).c_str(), Widen(L() + "\\rec.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Widen(RecorderExe()).c_str(), Widen(L() + "\\big.exe").c_str(), FALSE));
    StartSides(L(), R());
    HWND list = Left().List.Handle();
    const auto doubleClick = [&](const std::string& caption) {
        const int i = IndexOfCaption(Left(), caption);
        ASSERT_GE(i, 0) << caption;
        const POINT p = CellCentre(list, i, 0);
        ClickList(list, p);
        SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        PumpMessages();
    };

    doubleClick("[parent]");  // nothing
    doubleClick("Rec.exe");
    std::vector<Record> r = WaitForRecords(Log(), 1);
    ASSERT_EQ(r.size(), 1u);
    // The simple start: the full path, no arguments, shown normally.
    EXPECT_TRUE(EqualsIgnoreAsciiCase(r[0].exe, L() + "\\rec.exe")) << r[0].exe;
    EXPECT_EQ(r[0].cmd, "\"" + L() + "\\rec.exe\"");  // the file's own name, not its caption
    EXPECT_EQ(r[0].show, static_cast<unsigned>(SW_SHOWNORMAL));
    EXPECT_EQ(r[0].dir, L());

    // A caption spelled .EXE (as a rename can leave it) goes through the shell's open.
    Pick(Left(), "Big.exe");
    modals.ExpectDialog("TextDialog", Type("Other.EXE"));
    Press('R', 0, L'r');
    modals.VerifyDone();
    ASSERT_NE(IndexOfCaption(Left(), "Other.EXE"), -1);
    doubleClick("Other.EXE");
    r = WaitForRecords(Log(), 2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_TRUE(EqualsIgnoreAsciiCase(r[1].exe, L() + "\\Other.EXE")) << r[1].exe;
    EXPECT_EQ(r[1].show, static_cast<unsigned>(SW_SHOW));
    EXPECT_EQ(r[1].dir, L());
    GiveStrayProgramsTime();
    EXPECT_EQ(ReadRecords(Log()).size(), 2u);
}

}  // namespace bivane::test
