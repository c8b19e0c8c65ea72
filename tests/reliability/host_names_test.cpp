// Names and links made on the host, where Windows cannot make them: every command acts on exactly
// the entry chosen or refuses with a message, and a snapshot of every file around (link targets
// included) shows that nothing else changed.
#include <algorithm>
#include <cctype>

#include "fileops/confirm_dialog.h"
#include "panes/entry_rules.h"
#include "reliability/reliability_support.h"
#include "support/unix_shell.h"

namespace bivane::test {

namespace {

struct HostCase {
    const char* what;
    const char* make;      // shell commands run in L; T beside it holds link targets
    const char* pick;      // the caption made the current entry on the left
    MenuItem command;
    bool recycle;
    const char* right;     // the right side's folder, beside L
    const char* box;       // "unreachable", or the expected text with %L for L's path; "" for none
    std::set<std::string> changed;  // paths below the test folder that may change
    bool tagAll = false;            // the command runs on every file tagged (Tag all) instead
};

// Run by /bin/sh -c "...": no double quotes inside. T holds what the links point to: "keep.txt" and a folder "deep" with a file.
const char kTarget[] = "mkdir -p ../T/deep && printf keep > ../T/keep.txt && printf deep > ../T/deep/d.txt";

const HostCase kCases[] = {
    {"wildcard name, deleted for good", "printf 1 > 'a?c.txt'; printf 2 > abc.txt; printf 3 > axc.txt; mkdir asub",
     "A?c.txt", MenuItem::Delete1, false, "R", "unreachable", {}},
    {"wildcard name, to the bin", "printf 1 > 'a?c.txt'; printf 2 > abc.txt; printf 3 > axc.txt",
     "A?c.txt", MenuItem::Delete1, true, "R", "unreachable", {}},
    {"star as the whole name, copied", "printf 1 > '*'; printf 2 > other.txt",
     "*", MenuItem::Copy1, false, "R", "unreachable", {}},
    {"colon after the first letter, deleted", "printf 1 > 'd:victim.txt'; printf 2 > victim.txt",
     "D:victim.txt", MenuItem::Delete1, false, "R", "", {"L\\d:victim.txt"}},
    {"colon after the first letter, copied", "printf 1 > 'd:victim.txt'; printf 2 > victim.txt",
     "D:victim.txt", MenuItem::Copy1, false, "R", "", {"R\\d:victim.txt"}},
    {"backslash inside a name, deleted", "mkdir sub; printf 1 > sub/evil.txt; printf 2 > 'sub\\evil.txt'",
     "Sub\\evil.txt", MenuItem::Delete1, false, "R", "unreachable", {}},
    {"backslash inside a name, moved", "mkdir sub; printf 1 > sub/evil.txt; printf 2 > 'sub\\evil.txt'",
     "Sub\\evil.txt", MenuItem::Move1, false, "R", "unreachable", {}},
    {"invalid bytes shown alike, deleted", "printf 1 > $(printf 'bad\\377.txt'); printf 2 > $(printf 'bad\\376.txt')",
     "Bad\xEF\xBF\xBD.txt", MenuItem::Delete1, false, "R", "unreachable", {}},
    {"invalid bytes, one name, copied", "printf 1 > $(printf 'one\\377.txt'); printf 2 > one.txt",
     "One\xEF\xBF\xBD.txt", MenuItem::Copy1, false, "R", "", {"R\\one\xEF\xBF\xBD.txt"}},
    {"letter case kept, copied", "printf 1 > README.md",
     "Readme.md", MenuItem::Copy1, false, "R", "", {"R\\README.md"}},
    {"letter case kept, moved", "printf 1 > '\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.txt'",
     "\xC3\x89t\xC3\xA9 \xC3\xA0 paris.txt", MenuItem::Move1, false, "R", "",
     {"L\\\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.txt", "R\\\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.txt"}},
    {"a FIFO, copied", "mkfifo pipe; printf 1 > other.txt",
     "Pipe", MenuItem::Copy1, false, "R", "Cannot open file %L\\pipe.", {}},
    {"link to a file, deleted for good", "printf 1 > plain.txt; ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Delete1, false, "R",
     "Can't delete 'Flink' completely.\rA link stays, so that what it points to stays untouched:\r%L\\flink", {}},
    {"link to a file among tagged files, deleted for good", "printf 1 > plain.txt; ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Delete1, false, "R",
     "Can't delete 'Flink' completely.\rA link stays, so that what it points to stays untouched:\r%L\\flink",
     {"L\\plain.txt"}, true},
    {"link to a file among tagged files, to the bin", "printf 1 > plain.txt; ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Delete1, true, "R", "The recycle bin cannot take 'Flink'.\r\rDelete it for good?",
     {"L\\plain.txt"}, true},
    {"link to a file, moved", "ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Move1, false, "R", "Can't move 'flink'\rfrom %L\rto '%R'", {}},
    {"link to a folder as the deleted folder, for good", "ln -s $PWD/../T holder",
     "<holder>", MenuItem::Delete1, false, "R",
     "Can't delete '<holder>' completely.\rA link stays, so that what it points to stays untouched:\r%L\\holder", {}},
    {"link to a folder as the deleted folder, to the bin", "ln -s $PWD/../T holder",
     "<holder>", MenuItem::Delete1, true, "R", "The recycle bin cannot take '<holder>'.\r\rDelete it for good?", {}},
    {"link inside the deleted folder, for good", "mkdir box; printf 1 > box/f.txt; ln -s $PWD/../T box/link",
     "<box>", MenuItem::Delete1, false, "R",
     "Can't delete '<box>' completely.\rA link stays, so that what it points to stays untouched:\r%L\\box\\link",
     {"L\\box\\f.txt"}},
    {"link inside the deleted folder, to the bin", "mkdir box; printf 1 > box/f.txt; ln -s $PWD/../T box/link",
     "<box>", MenuItem::Delete1, true, "R", "",
     {"L\\box", "L\\box\\f.txt", "L\\box\\link", "L\\box\\link\\keep.txt", "L\\box\\link\\deep",
      "L\\box\\link\\deep\\d.txt"}},
    {"the same folder by a link, copied", "printf 1 > a.txt; ln -s $PWD ../Alias",
     "A.txt", MenuItem::Copy1, false, "Alias", "Can't copy or move to the same directory...\r\r%L\ris active on both sides.", {}},
    {"the same folder by a link, moved", "printf 1 > a.txt; ln -s $PWD ../Alias",
     "A.txt", MenuItem::Move1, false, "Alias", "Can't copy or move to the same directory...\r\r%L\ris active on both sides.", {}},
};

std::string Filled(std::string text, const std::string& l, const std::string& r) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"%L", l}, {"%R", r}}) {
        for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
    }
    return text;
}

// Links are removed from the host side: through Wine every call on a link reaches its target.
void RemoveOnTheHost(const std::string& dir) {
    const std::string unixDir = UnixPath(dir);
    if (!unixDir.empty()) RunShell("rm -rf '" + unixDir + "'");
}

class HostNames : public ReliabilityTest, public ::testing::WithParamInterface<HostCase> {
protected:
    void TearDown() override {
        ReliabilityTest::TearDown();
        RemoveOnTheHost(tmp.Path());
    }
    // Runs commands in L on the host; false (the test skipped) when not under Wine.
    bool Host(const std::string& commands) {
        const std::string unixL = UnixPath(L());
        if (unixL.empty()) return false;
        EXPECT_EQ(RunShell("cd '" + unixL + "' && " + kTarget + " && " + commands), 0) << commands;
        return true;
    }
    void Confirm(bool recycle) {
        modals.ExpectDialog("TConfirm", [=](ModalForm& f) {
            static_cast<TConfirm&>(f).SetChecked(static_cast<TConfirm&>(f).CheckBox1, recycle);
            return IDOK;
        });
    }
};

}  // namespace

TEST_P(HostNames, OnlyTheChosenEntryChanges) {
    const HostCase& c = GetParam();
    EmptyTrash();
    if (!Host(c.make)) GTEST_SKIP() << "names made on the host need Wine";
    const std::string right = tmp / c.right;
    StartSides(L(), right);
    Pick(Left(), c.pick);
    if (c.tagAll) form->TagAllClick();
    const Entry picked = Left().Entries[static_cast<size_t>(Left().CurrentItem)];
    const Snapshot before = Snap(tmp.Path());
    const std::string box = c.box;
    // The same-directory warning comes before the confirmation; every other box after it.
    if (box.rfind("Can't copy or move", 0) != 0) Confirm(c.recycle);
    if (box == "unreachable") {
        modals.ExpectBox(UnreachableText(picked), IDOK, "Warning");
    } else if (!box.empty()) {
        modals.ExpectBox(Filled(box, L(), right), box.rfind("Delete it", std::string::npos) != std::string::npos ? IDNO : IDOK);
    }
    RunMenu(c.command);
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), c.changed);
    EXPECT_EQ(ReadAll(tmp / "T\\keep.txt"), "keep");
    EXPECT_EQ(ReadAll(tmp / "T\\deep\\d.txt"), "deep");
}

INSTANTIATE_TEST_SUITE_P(Cases, HostNames, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

// A file system mounted inside the test folder, taken away at the end; needs root on the host.
class HostMount {
public:
    HostMount(const std::string& dir, const std::string& size) : unix_(UnixPath(dir)) {
        MakeDir(dir);
        mounted_ = !unix_.empty() && RunShell("mount -t tmpfs -o size=" + size + " bivane-test '" + unix_ + "'") == 0;
    }
    ~HostMount() {
        // The side's directory, current for the process, keeps the mount busy: detach it lazily.
        SetCurrentDirectoryW(L"C:\\");
        if (mounted_) RunShell("umount '" + unix_ + "' || umount -l '" + unix_ + "'");
    }
    HostMount(const HostMount&) = delete;
    HostMount& operator=(const HostMount&) = delete;
    bool Ready() const { return mounted_; }

private:
    std::string unix_;
    bool mounted_ = false;
};

class OtherFileSystems : public ReliabilityTest {};

// Wine's bin is a folder of the home file system: a folder on another one cannot go there. The
// user is asked; No leaves it, Yes deletes it for good.
TEST_F(OtherFileSystems, WhatTheBinCannotTakeIsDeletedOnlyAfterYes) {
    HostMount mount(L() + "\\mnt", "1m");
    if (!mount.Ready()) GTEST_SKIP() << "cannot mount a file system here (needs root)";
    MakeDir(L() + "\\mnt\\dir");
    MakeFile(L() + "\\mnt\\dir\\f.txt", 100);
    StartSides(L() + "\\mnt", R());
    const Snapshot before = Snap(tmp.Path());
    for (int answer : {IDNO, IDYES}) {
        Pick(Left(), "<dir>");
        modals.ExpectDialog("TConfirm", [](ModalForm& f) {
            static_cast<TConfirm&>(f).SetChecked(static_cast<TConfirm&>(f).CheckBox1, true);
            return IDOK;
        });
        modals.ExpectBox("The recycle bin cannot take '<dir>'.\r\rDelete it for good?", answer, "Warning");
        RunMenu(MenuItem::Delete1);
        modals.VerifyDone();
        const std::set<std::string> gone{"L\\mnt\\dir", "L\\mnt\\dir\\f.txt"};
        EXPECT_EQ(ChangedSince(before), answer == IDNO ? std::set<std::string>{} : gone);
    }
}

// A move that cannot be one rename (another file system under the same letter, which is also too
// small) fails whole: the source stays, nothing appears at the target.
TEST_F(OtherFileSystems, AMoveAcrossFileSystemsLeavesBothSidesAsTheyWere) {
    HostMount mount(R() + "\\mnt", "64k");
    if (!mount.Ready()) GTEST_SKIP() << "cannot mount a file system here (needs root)";
    MakeFile(L() + "\\big.bin", 300000);
    StartSides(L(), R() + "\\mnt");
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "Big.bin");
    modals.ExpectDialog("TConfirm", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Can't move 'big.bin'\rfrom " + L() + "\rto '" + R() + "\\mnt'", IDOK, "Error");
    RunMenu(MenuItem::Move1);
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

}  // namespace bivane::test
