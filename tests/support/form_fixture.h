// What the in-process tests share: real folders per test, scripted answers for every modal, and
// a fresh main window per test case.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "form/main_window.h"
#include "controls/modal_form.h"
#include "platform/modal_seam.h"

namespace bivane::test {

// A fresh folder under the temporary directory, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void MakeDir(const std::string& path);
// Writes size bytes (a repeating pattern) and, when given, sets the last-write time (local time).
void MakeFile(const std::string& path, std::int64_t size, const SYSTEMTIME* localWrite = nullptr);
// A file of size bytes that holds nothing (sparse on the host): big sizes at no cost.
void MakeSparse(const std::string& path, std::int64_t size);
void SetAttributes(const std::string& path, DWORD attributes);
std::string ReadAll(const std::string& path);
bool Exists(const std::string& path);
void RemoveTree(const std::string& path);
SYSTEMTIME LocalTimeOf(int year, int month, int day, int hour, int minute, int second = 0);
void PumpMessages();
// The build folder's path as Wine shows it (Z:\...), from BIVANE_BUILD_DIR; empty when unknown.
std::string BuildFolder();
// Pumps messages until done() holds; the seconds it took, or -1 when timeout came first.
double PumpUntil(const std::function<bool()>& done, double timeoutSeconds);
// Runs a command line in a Windows process (cmd /c ...) and waits for it; its exit code, or -1.
int RunWindowsCommand(const std::string& command);

// Answers message boxes and dialogs in the order a test expects them. Anything unexpected fails
// the test at once and is answered with Cancel/No, so no test ever waits on a modal.
class ScriptedModals : public ModalHandler {
public:
    ScriptedModals();
    ~ScriptedModals() override;
    // A box whose text equals text exactly (caption checked when not empty).
    ScriptedModals& ExpectBox(const std::string& text, int answer = IDOK, const std::string& caption = "");
    // A dialog of that window class; act may set its controls and returns the modal result.
    ScriptedModals& ExpectDialog(const std::string& className, std::function<int(ModalForm&)> act);
    int Box(const BoxRequest& box) override;
    int Dialog(ModalForm& form) override;
    void VerifyDone();  // fails for any expectation not met
    std::vector<BoxRequest> boxes;  // every box shown, in order

private:
    struct Expect {
        bool isBox;
        std::string text, caption;
        int answer;
        std::function<int(ModalForm&)> act;
    };
    std::deque<Expect> expects_;
};

// One file or folder for FormTest::Make: a path under the test's folder ("L\\A.txt"), the file's size
// and, when given, its last-write time (local time). A path ending in "\\" is a folder. The folders
// on the way are made as needed.
struct Made {
    std::string path;
    std::int64_t size = 100;
    const SYSTEMTIME* time = nullptr;
};

// The caption of the program's own message boxes.
inline const char* kAppTitle = "Bivane for Windows 95";

class FormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Creates the main window in dir (the start-up directory) and shows it.
    void StartIn(const std::string& dir);
    // Starts in left, shows right on the right side, and leaves the left side active.
    virtual void StartSides(const std::string& left, const std::string& right);
    // Makes the items under tmp, in order.
    void Make(const std::vector<Made>& items);
    // Makes L, R and the items, then starts with L on the left and R on the right (left active).
    void StartSidesWith(const std::vector<Made>& items);
    // Makes the items, then starts in tmp.
    void StartWith(const std::vector<Made>& items);
    Pane& Left() { return form->side[0]; }
    // The two folders most tests show; MakeSideFolders makes both.
    std::string L() const { return tmp / "L"; }
    std::string R() const { return tmp / "R"; }
    void MakeSideFolders() {
        MakeDir(L());
        MakeDir(R());
    }
    // Makes the entry the side's selected, focused and current entry, as a click would.
    void Pick(Pane& s, const std::string& caption);
    Pane& Right() { return form->side[1]; }
    std::vector<std::string> Captions(const Pane& s) const;
    int IndexOfCaption(const Pane& s, const std::string& caption) const;
    // What the list control itself shows in a cell (column 1 is Size), read with LVM_GETITEMTEXTW.
    std::string CellText(const Pane& s, int row, int column) const;

    TempDir tmp;
    ScriptedModals modals;
    std::unique_ptr<MainWindow> form;
    int helpCalls = 0;
    std::string helpFile;
};

}  // namespace bivane::test
