// Names and links made on the host, where Windows cannot make them: every command acts on exactly
// the entry chosen or refuses with a message, and a snapshot of every file around (link targets
// included) shows that nothing else changed.
#include <algorithm>
#include <cctype>
#include <set>

#include "fileops/confirm_dialog.h"
#include "fileops/folder_copy_rules.h"
#include "fileops/text_dialog.h"
#include "find/file_finder.h"
#include "platform/code_pages.h"
#include "fileops/replace_dialog.h"
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
    const char* after = "";         // run in L once the sides are listed: another program at work
    int replace = 0;                // the answer to the question about files that exist; 0: none asked
};

// Run by /bin/sh -c "...": no double quotes inside. T holds what the links point to: "keep.txt" and a folder "deep" with a file.
const char kTarget[] = "mkdir -p ../T/deep && printf keep > ../T/keep.txt && printf deep > ../T/deep/d.txt";

const HostCase kCases[] = {
    {"wildcard name, deleted for good", "printf 1 > 'a?c.txt'; printf 2 > abc.txt; printf 3 > axc.txt; mkdir asub",
     "A?c.txt", MenuItem::Delete, false, "R", "unreachable", {}},
    {"wildcard name, to the bin", "printf 1 > 'a?c.txt'; printf 2 > abc.txt; printf 3 > axc.txt",
     "A?c.txt", MenuItem::Delete, true, "R", "unreachable", {}},
    {"star as the whole name, copied", "printf 1 > '*'; printf 2 > other.txt",
     "*", MenuItem::Copy, false, "R", "unreachable", {}},
    {"colon after the first letter, deleted", "printf 1 > 'd:victim.txt'; printf 2 > victim.txt",
     "D:victim.txt", MenuItem::Delete, false, "R", "", {"L\\d:victim.txt"}},
    {"colon after the first letter, copied", "printf 1 > 'd:victim.txt'; printf 2 > victim.txt",
     "D:victim.txt", MenuItem::Copy, false, "R", "", {"R\\d:victim.txt"}},
    {"backslash inside a name, deleted", "mkdir sub; printf 1 > sub/evil.txt; printf 2 > 'sub\\evil.txt'",
     "Sub\\evil.txt", MenuItem::Delete, false, "R", "unreachable", {}},
    {"backslash inside a name, moved", "mkdir sub; printf 1 > sub/evil.txt; printf 2 > 'sub\\evil.txt'",
     "Sub\\evil.txt", MenuItem::Move, false, "R", "unreachable", {}},
    {"invalid bytes shown alike, deleted", "printf 1 > $(printf 'bad\\377.txt'); printf 2 > $(printf 'bad\\376.txt')",
     "Bad\xEF\xBF\xBD.txt", MenuItem::Delete, false, "R", "unreachable", {}},
    {"invalid bytes, one name, copied", "printf 1 > $(printf 'one\\377.txt'); printf 2 > one.txt",
     "One\xEF\xBF\xBD.txt", MenuItem::Copy, false, "R", "", {"R\\one\xEF\xBF\xBD.txt"}},
    {"letter case kept, copied", "printf 1 > README.md",
     "Readme.md", MenuItem::Copy, false, "R", "", {"R\\README.md"}},
    {"letter case kept, moved", "printf 1 > '\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.txt'",
     "\xC3\x89t\xC3\xA9 \xC3\xA0 paris.txt", MenuItem::Move, false, "R", "",
     {"L\\\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.txt", "R\\\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.txt"}},
    {"a FIFO, copied", "mkfifo pipe; printf 1 > other.txt",
     "Pipe", MenuItem::Copy, false, "R", "Cannot open file %L\\pipe.", {}},
    {"link to a file, deleted for good", "printf 1 > plain.txt; ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Delete, false, "R",
     "Can't delete 'Flink' completely.\rA link stays, so that what it points to stays untouched:\r%L\\flink", {}},
    {"link to a file among tagged files, deleted for good", "printf 1 > plain.txt; ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Delete, false, "R",
     "Can't delete 'Flink' completely.\rA link stays, so that what it points to stays untouched:\r%L\\flink",
     {"L\\plain.txt"}, true},
    {"link to a file among tagged files, to the bin", "printf 1 > plain.txt; ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Delete, true, "R", "The recycle bin cannot take 'Flink'.\r\rDelete it for good?",
     {"L\\plain.txt"}, true},
    {"link to a file, moved", "ln -s $PWD/../T/keep.txt flink",
     "Flink", MenuItem::Move, false, "R", "Can't move 'flink'\rfrom %L\rto '%R'", {}},
    {"link to a folder as the deleted folder, for good", "ln -s $PWD/../T holder",
     "<holder>", MenuItem::Delete, false, "R",
     "Can't delete '<holder>' completely.\rA link stays, so that what it points to stays untouched:\r%L\\holder", {}},
    {"link to a folder as the deleted folder, to the bin", "ln -s $PWD/../T holder",
     "<holder>", MenuItem::Delete, true, "R", "The recycle bin cannot take '<holder>'.\r\rDelete it for good?", {}},
    {"link inside the deleted folder, for good", "mkdir box; printf 1 > box/f.txt; ln -s $PWD/../T box/link",
     "<box>", MenuItem::Delete, false, "R",
     "Can't delete '<box>' completely.\rA link stays, so that what it points to stays untouched:\r%L\\box\\link",
     {"L\\box\\f.txt"}},
    {"link inside the deleted folder, to the bin", "mkdir box; printf 1 > box/f.txt; ln -s $PWD/../T box/link",
     "<box>", MenuItem::Delete, true, "R", "",
     {"L\\box", "L\\box\\f.txt", "L\\box\\link", "L\\box\\link\\keep.txt", "L\\box\\link\\deep",
      "L\\box\\link\\deep\\d.txt"}},
    // The disk changed since the side was read: the entry is left alone, named, and its side read again.
    {"file became a folder, deleted for good", "printf 1 > f; printf 2 > g",
     "F", MenuItem::Delete, false, "R", "Changed since the side was read, so nothing was done to:\rF (now a folder)\rThe side is read again.",
     {}, false, "rm f && mkdir f && printf 3 > f/one && printf 4 > f/two"},
    {"file became a folder, to the bin", "printf 1 > f; printf 2 > g",
     "F", MenuItem::Delete, true, "R", "Changed since the side was read, so nothing was done to:\rF (now a folder)\rThe side is read again.",
     {}, false, "rm f && mkdir f && printf 3 > f/one"},
    {"file became a folder among tagged files, deleted for good", "printf 1 > f; printf 2 > g",
     "F", MenuItem::Delete, false, "R", "Changed since the side was read, so nothing was done to:\rF (now a folder)\rThe side is read again.",
     {"L\\g"}, true, "rm f && mkdir f && printf 3 > f/one"},
    {"file became a folder, copied", "printf 1 > f",
     "F", MenuItem::Copy, false, "R", "Changed since the side was read, so nothing was done to:\rF (now a folder)\rThe side is read again.",
     {}, false, "rm f && mkdir f && printf 3 > f/one"},
    {"file became a folder, moved", "printf 1 > f",
     "F", MenuItem::Move, false, "R", "Changed since the side was read, so nothing was done to:\rF (now a folder)\rThe side is read again.",
     {}, false, "rm f && mkdir f && printf 3 > f/one"},
    {"folder became a file, deleted for good", "mkdir d && printf 1 > d/x",
     "<d>", MenuItem::Delete, false, "R", "Changed since the side was read, so nothing was done to:\r<d> (now a file)\rThe side is read again.",
     {}, false, "rm -r d && printf 2 > d"},
    {"link to a folder became a folder, deleted for good", "ln -s $PWD/../T holder",
     "<holder>", MenuItem::Delete, false, "R", "Changed since the side was read, so nothing was done to:\r<holder> (now a folder)\rThe side is read again.",
     {}, false, "rm holder && mkdir holder && printf 1 > holder/own.txt"},
    {"folder became a link to a folder, deleted for good", "mkdir holder && printf 1 > holder/own.txt",
     "<holder>", MenuItem::Delete, false, "R", "Changed since the side was read, so nothing was done to:\r<holder> (now a link)\rThe side is read again.",
     {}, false, "rm -r holder && ln -s $PWD/../T holder"},
    // Names the same but for letter case (%1 listed first, %2 second) never land on one file.
    {"twins copied together", "printf 1 > a.txt; printf 2 > A.txt",
     "A.txt", MenuItem::Copy, false, "R",
     "Not copied: the target holds a file of the same name but for letter case:\r%2 (%1 is there)", {"R\\%1"}, true},
    // Onto the other twin, which the target held before: the question names it; skipped, it stays,
    // replaced, it gets the copy's bytes.
    {"twin copied onto the other, skipped", "printf 1 > a.txt; printf 2 > A.txt",
     "A.txt", MenuItem::Copy, false, "R", "", {}, false, "printf 3 > ../R/%2", ReplaceDialog::IdSkipExisting},
    {"twin copied onto the other, replaced", "printf 1 > a.txt; printf 2 > A.txt",
     "A.txt", MenuItem::Copy, false, "R", "", {"R\\%2"}, false, "printf 3 > ../R/%2", ReplaceDialog::IdReplaceAll},
    {"twins copied together onto one spelling there", "printf 1 > a.txt; printf 2 > A.txt",
     "A.txt", MenuItem::Copy, false, "R",
     "Not copied: the target holds a file of the same name but for letter case:\r%1 (%2 is there)", {"R\\%2"}, true,
     "printf 3 > ../R/%2", ReplaceDialog::IdReplaceAll},
    {"twins moved together", "printf 1 > a.txt; printf 2 > A.txt",
     "A.txt", MenuItem::Move, false, "R", "Can't move '%2'\rfrom %L\rto '%R'", {"L\\%1", "R\\%1"}, true},
    // A folder copied whole: no link followed, no FIFO read, each named at the end.
    // Wine does not list a dangling link at all, so no program under it sees one; on Windows it is a
    // link like the others.
    {"links, a loop, a FIFO and a socket inside a copied folder",
     "mkdir -p box/sub && printf 1 > box/a.txt && printf 2 > box/sub/b.txt && ln -s $PWD/../T box/dlink && "
     "ln -s $PWD/../T/keep.txt box/flink && mkfifo box/sub/pipe && ln -s . box/loop && ln -s ../../../T box/sub/out-link && "
     "ln -s nowhere box/dangling && /usr/bin/python3 -c 'import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' box/sock",
     "<box>", MenuItem::Copy, false, "R",
     "6 entries were left out of the copy:\rLinks, never followed (4):\rbox\\dlink\rbox\\flink\rbox\\loop\rbox\\sub\\out-link"
     "\rNot regular files (FIFOs, sockets, devices) (2):\rbox\\sock\rbox\\sub\\pipe",
     {"R\\box", "R\\box\\a.txt", "R\\box\\sub", "R\\box\\sub\\b.txt"}},
    {"names no path reaches inside a copied folder", "mkdir box && printf 1 > box/ok.txt && printf 2 > 'box/a?b'",
     "<box>", MenuItem::Copy, false, "R", "1 entry was left out of the copy:\rNames no path reaches (1):\rbox\\a?b",
     {"R\\box", "R\\box\\ok.txt"}},
    {"a link to a folder, copied", "ln -s $PWD/../T holder",
     "<holder>", MenuItem::Copy, false, "R", "Not copied: <holder> is a link, and links are never followed.", {}},
    {"a folder copied into itself through a link", "mkdir -p box/in && printf 1 > box/f.txt && ln -s $PWD/box/in ../Into",
     "<box>", MenuItem::Copy, false, "Into", "Can't copy a folder into itself:\r%R\ris inside %L\\box.\r\rNothing was copied.",
     {}},
    {"the same folder by a link, copied", "printf 1 > a.txt; ln -s $PWD ../Alias",
     "A.txt", MenuItem::Copy, false, "Alias", "Can't copy or move to the same directory...\r\r%L\ris active on both sides.", {}},
    {"the same folder by a link, moved", "printf 1 > a.txt; ln -s $PWD ../Alias",
     "A.txt", MenuItem::Move, false, "Alias", "Can't copy or move to the same directory...\r\r%L\ris active on both sides.", {}},
};

// %L and %R: the sides' folders; %1 and %2: the names of the first and second entry listed with
// the picked caption (twins differ only in letter case, and their order is the folder's).
std::string Filled(std::string text, const std::string& l, const std::string& r, const std::string& first = "",
                   const std::string& second = "") {
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"%L", l}, {"%R", r}, {"%1", first}, {"%2", second}}) {
        for (size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, key.size(), value);
    }
    return text;
}

// Links are removed from the host side: through Wine every call on a link reaches its target.
void RemoveOnTheHost(const std::string& dir) {
    const std::string unixDir = UnixPath(dir);
    if (!unixDir.empty()) RunShell("rm -rf '" + unixDir + "'");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
        end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

std::string Backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

class HostTest : public ReliabilityTest {
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
    // Renames the current entry of the left side to text through the dialog; box: the one expected.
    void RenameTo(const std::string& text, const std::string& box, const std::string& caption) {
        modals.ExpectDialog("TextDialog", [=](ModalForm& f) {
            static_cast<TextDialog&>(f).SetText(text);
            return IDOK;
        });
        modals.ExpectBox(box, IDOK, caption);
        form->RenameCurrent(form->Active());
    }
};

class HostNames : public HostTest, public ::testing::WithParamInterface<HostCase> {
protected:
    void Confirm(bool recycle) {
        modals.ExpectDialog("ConfirmDialog", [=](ModalForm& f) {
            static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, recycle);
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
    if (c.tagAll) form->TagAll(form->Active());
    const Entry picked = Left().Entries[static_cast<size_t>(Left().CurrentItem)];
    std::vector<std::string> named;  // the names listed with the picked caption, in list order
    for (const Entry& e : Left().Entries) {
        if (e.caption == c.pick) named.push_back(e.Name());
    }
    named.resize(2);
    auto fill = [&](const std::string& text) { return Filled(text, L(), right, named[0], named[1]); };
    if (*c.after) {
        EXPECT_EQ(RunShell("cd '" + UnixPath(L()) + "' && " + fill(c.after)), 0) << c.after;
    }
    const Snapshot before = Snap(tmp.Path());
    const std::string box = fill(c.box);
    // The same-directory warning comes before the confirmation; every other box after it.
    if (box.rfind("Can't copy or move", 0) != 0) Confirm(c.recycle);
    if (c.replace != 0) ExpectReplace(c.replace);
    if (box == "unreachable") {
        modals.ExpectBox(UnreachableText(picked), IDOK, "Warning");
    } else if (!box.empty()) {
        modals.ExpectBox(box, box.rfind("Delete it", std::string::npos) != std::string::npos ? IDNO : IDOK);
    }
    RunMenu(c.command);
    modals.VerifyDone();
    std::set<std::string> changed;
    for (const std::string& path : c.changed) changed.insert(fill(path));
    EXPECT_EQ(ChangedSince(before), changed);
    EXPECT_EQ(ReadAll(tmp / "T\\keep.txt"), "keep");
    EXPECT_EQ(ReadAll(tmp / "T\\deep\\d.txt"), "deep");
}

INSTANTIATE_TEST_SUITE_P(Cases, HostNames, ::testing::ValuesIn(kCases), [](const auto& test) {
    std::string name;
    for (const char* p = test.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

// A link loop inside a copied folder is never followed: the copy ends, the loop is named.
TEST_F(HostTest, ALinkLoopInsideACopiedFolderIsLeftOut) {
    if (!Host("mkdir -p box/d && printf 1 > box/d/f.txt && ln -s .. box/d/up")) GTEST_SKIP() << "links need Wine";
    StartSides(L(), R());
    Pick(Left(), "<box>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("1 entry was left out of the copy:\rLinks, never followed (1):\rbox\\d\\up", IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    modals.VerifyDone();
    // The snapshot of the target only: one of the source would follow the loop.
    EXPECT_EQ(Changes({}, Snap(R())), (std::set<std::string>{"box", "box\\d", "box\\d\\f.txt"}));
    EXPECT_EQ(ReadAll(R() + "\\box\\d\\f.txt"), "1");
}

// Names of a copied folder that the target takes as one: one of each group is copied (the one the
// target holds spelled so, else the first listed: Wine lists "X" before "x"), the others are named,
// and no file ever holds another's bytes. Each file is made holding its own path.
TEST_F(HostTest, TwinsInsideACopiedFolderNeverLandOnOneName) {
    const char kTwins[] = "The same as another name but for letter case, which the target takes as one";
    const struct {
        const char* what;
        const char* make;    // in L, besides box/keep.txt; files hold their own paths
        const char* target;  // in R first
        std::vector<std::string> leftOut;
        std::set<std::string> copied;  // below R, besides box and box\keep.txt
    } cases[] = {
        {"files", "f box/X.txt; f box/x.txt", "", {"box\\x.txt (as X.txt)"}, {"box\\X.txt"}},
        {"folders", "mkdir box/Dir box/dir; f box/Dir/one; f box/dir/two", "", {"box\\dir (as Dir)"},
         {"box\\Dir", "box\\Dir\\one"}},
        {"a file and a folder", "f box/N; mkdir box/n; f box/n/in", "", {"box\\n (as N)"}, {"box\\N"}},
        {"three spellings", "f box/ABC; f box/Abc; f box/abc", "", {"box\\Abc (as ABC)", "box\\abc (as ABC)"},
         {"box\\ABC"}},
        {"nested", "mkdir -p box/a/b; f box/a/b/Q.txt; f box/a/b/q.txt", "", {"box\\a\\b\\q.txt (as Q.txt)"},
         {"box\\a", "box\\a\\b", "box\\a\\b\\Q.txt"}},
        {"one spelling there", "f box/X.txt; f box/x.txt", "mkdir box && printf old > box/x.txt", {"box\\X.txt (as x.txt)"},
         {"box\\x.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveOnTheHost(L());
        RemoveOnTheHost(R());
        MakeSideFolders();
        const std::string made = std::string("f() { printf %s $1 > $1; }; mkdir box && f box/keep.txt && ") + c.make;
        if (!Host(made)) GTEST_SKIP() << "names made on the host need Wine";
        if (*c.target) {
            ASSERT_EQ(RunShell("cd '" + UnixPath(R()) + "' && " + c.target), 0);
        }
        StartSides(L(), R());
        Pick(Left(), "<box>");
        const Snapshot before = Snap(R());
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        if (*c.target) ExpectReplace(ReplaceDialog::IdReplaceAll);
        std::string box = (c.leftOut.size() == 1 ? "1 entry was" : std::to_string(c.leftOut.size()) + " entries were") +
                          std::string(" left out of the copy:\r") + kTwins + " (" + std::to_string(c.leftOut.size()) + "):";
        for (const std::string& l : c.leftOut) box += "\r" + l;
        modals.ExpectBox(box, IDOK, "Warning");
        RunMenu(MenuItem::Copy);
        modals.VerifyDone();
        std::set<std::string> copied = c.copied;
        copied.insert("box\\keep.txt");
        if (!*c.target) copied.insert("box");
        EXPECT_EQ(Changes(before, Snap(R())), copied);
        for (const auto& [path, state] : Snap(R())) {
            if (state.dir) continue;
            std::string own = path;
            for (char& ch : own) ch = ch == '\\' ? '/' : ch;
            EXPECT_EQ(state.content, own) << path;  // its own bytes, under its own name
        }
    }
}

// A real tree that no test made, the system's C headers (links and case twins among them), copied
// as a user would: every file and folder the copy wrote has its source's bytes and exact date, and
// the message names what was left out, each kind counted.
TEST_F(HostTest, ARealTreeIsCopiedExactly) {
    const char kTree[] = "/usr/include";
    if (UnixPath(L()).empty() || RunShell(std::string("test -d ") + kTree) != 0) GTEST_SKIP() << "needs Wine and " << kTree;
    const std::string l = UnixPath(L()), r = UnixPath(R()), facts = UnixPath(tmp.Path());
    ASSERT_EQ(RunShell("cp -a " + std::string(kTree) + " '" + l + "/box'"), 0);
    // Links (Wine does not list a dangling one at all) and, of names the same but for letter case,
    // those after the first as Wine lists them (in byte order where the folded names are equal).
    ASSERT_EQ(RunShell("cd '" + l + "/box' && find . -type l ! -xtype l -printf 'box/%P\\n' > '" + facts + "/links' && "
                       "find . -mindepth 1 ! -type l -printf '%h\\t%f\\n' | LC_ALL=C sort | awk -F '\\t' "
                       "'{k=$1 FS tolower($2); if (k in w) print \\\"box/\\\" substr($1 \\\"/\\\" $2, 3) FS w[k]; else w[k]=$2}' > '" +
                       facts + "/twins'"),
              0);
    std::vector<LeftOut> expected;
    std::vector<std::string> twins;  // as the host names them, below box
    for (const std::string& line : Lines(ReadAll(tmp / "links"))) expected.push_back({Backslashed(line), LeftOutWhy::Link});
    for (const std::string& line : Lines(ReadAll(tmp / "twins"))) {
        const std::size_t tab = line.find('\t');
        expected.push_back({Backslashed(line.substr(0, tab)), LeftOutWhy::CaseTwin, line.substr(tab + 1)});
        twins.push_back(line.substr(4, tab - 4));
    }
    StartSides(L(), R());
    Pick(Left(), "<box>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox(LeftOutText(expected), IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    modals.VerifyDone();
    // Each side's files and folders with dates to 100 ns (the file system's resolution under Wine)
    // and the files' checksums; the target's must all be the source's, and only the left-out missing.
    const std::string list = "find . ! -type l \\( -type f -o -type d \\) -printf '%y %P %TY%Tm%Td%TH%TM%.10TS\\n' | LC_ALL=C sort; "
                             "find . -type f ! -type l -print0 | xargs -0 md5sum | LC_ALL=C sort -k2";
    ASSERT_EQ(RunShell("cd '" + l + "/box' && (" + list + ") > '" + facts + "/source'"), 0);
    ASSERT_EQ(RunShell("cd '" + r + "/box' && (" + list + ") > '" + facts + "/target'"), 0);
    const std::vector<std::string> source = Lines(ReadAll(tmp / "source")), target = Lines(ReadAll(tmp / "target"));
    std::set<std::string> missing(source.begin(), source.end());
    for (const std::string& line : target) EXPECT_EQ(missing.erase(line), 1u) << "not as in the source: " << line;
    for (const std::string& line : missing) {
        const bool twin = std::any_of(twins.begin(), twins.end(), [&](const std::string& t) {
            return line.find(" " + t) != std::string::npos || line.find("./" + t) != std::string::npos;
        });
        EXPECT_TRUE(twin) << "not copied: " << line;
    }
    EXPECT_GT(target.size(), 1000u);
}

// Twins: a rename of one to the other's spelling is refused, both stay as they were.
TEST_F(HostTest, RenameOfATwinToTheOthersSpellingIsRefused) {
    if (!Host("printf 1 > a.txt; printf 2 > A.txt")) GTEST_SKIP() << "names made on the host need Wine";
    StartSides(L(), R());
    Pick(Left(), "A.txt");
    const std::string first = Left().Entries[static_cast<size_t>(Left().CurrentItem)].Name();
    const std::string other = first == "a.txt" ? "A.txt" : "a.txt";
    const Snapshot before = Snap(tmp.Path());
    RenameTo(other, "Can't rename 'A.txt'\rto '" + other + "'", "Error");
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "A.txt", "A.txt"}));
}

// A file that became a folder since it was listed is not renamed; the side is read again.
TEST_F(HostTest, RenameOfAFileThatBecameAFolderIsLeftAlone) {
    if (!Host("printf 1 > f")) GTEST_SKIP() << "names made on the host need Wine";
    StartSides(L(), R());
    Pick(Left(), "F");
    ASSERT_EQ(RunShell("cd '" + UnixPath(L()) + "' && rm f && mkdir f && printf 2 > f/in"), 0);
    const Snapshot before = Snap(tmp.Path());
    RenameTo("g", "Changed since the side was read, so nothing was done to:\rF (now a folder)\rThe side is read again.",
             "Warning");
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "<f>"}));
    EXPECT_FALSE(Left().RenamePending);
}

// Host files made immutable (chattr +i): even root cannot delete them or anything from such a
// folder. Made mutable again at the end, so that the test folder can go.
class Immutable {
public:
    explicit Immutable(std::vector<std::string> paths) {
        for (const std::string& p : paths) {
            const std::string unix = UnixPath(p);
            if (unix.empty() || RunShell("chattr +i '" + unix + "'") != 0) return;
            done_.push_back(unix);
        }
        ready_ = true;
    }
    ~Immutable() {
        for (const std::string& unix : done_) RunShell("chattr -i '" + unix + "'");
    }
    Immutable(const Immutable&) = delete;
    Immutable& operator=(const Immutable&) = delete;
    bool Ready() const { return ready_; }

private:
    std::vector<std::string> done_;
    bool ready_ = false;
};

// A deletion for good that cannot finish says what stayed and why, and puts back the read-only
// mark it took off a folder that stays (under Wine: the folder's mode, 555 again, not 755). Wine
// reports such a deletion as done; what is found still there is what the system kept. A single
// file kept so is found in the reloaded list.
TEST_F(HostTest, ADeletionThatStopsHalfWaySaysWhatStayed) {
    if (!Host("mkdir box top top/x && printf 1 > box/a.txt && printf 2 > box/i.txt && chmod 555 top/x")) {
        GTEST_SKIP() << "modes and host files need Wine";
    }
    Immutable locked({L() + "\\box\\i.txt", L() + "\\top"});
    if (!locked.Ready()) GTEST_SKIP() << "chattr +i needs root and a file system that has it";
    StartSides(L(), R());
    const Snapshot before = Snap(tmp.Path());
    const struct {
        const char* pick;
        std::string box;
        std::set<std::string> changed;
    } cases[] = {
        {"<box>", "Can't delete '<box>' completely.\r1 entry could not be deleted:\r" + L() + "\\box\\i.txt (kept by the system)",
         {"L\\box\\a.txt"}},
        {"<top>", "Can't delete '<top>' completely.\r1 entry could not be deleted:\r" + L() + "\\top\\x (kept by the system)",
         {"L\\box\\a.txt"}},
    };
    for (const auto& c : cases) {
        Pick(Left(), c.pick);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
            static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, false);
            return IDOK;
        });
        modals.ExpectBox(c.box, IDOK, "Warning");
        RunMenu(MenuItem::Delete);
        modals.VerifyDone();
        EXPECT_EQ(ChangedSince(before), c.changed) << c.pick;
    }
    EXPECT_EQ(RunShell("test $(stat -c %a '" + UnixPath(L() + "\\top\\x") + "') = 555"), 0) << "mode put back";
    StartSides(L() + "\\box", R());
    Pick(Left(), "I.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, false);
        return IDOK;
    });
    modals.ExpectBox("Can't delete 'I.txt'.\r1 entry could not be deleted:\r" + L() + "\\box\\i.txt (kept by the system)",
                     IDOK, "Warning");
    RunMenu(MenuItem::Delete);
    modals.VerifyDone();
    EXPECT_TRUE(Exists(L() + "\\box\\i.txt"));
}

// As a user who may not write the folder (not root: see as_user.sh): F2 for good deletes what it
// may (the file of a writable subfolder), names the rest, and leaves every mode as it was.
class Unprivileged : public HostTest {};

TEST_F(Unprivileged, ADeletionInAFolderTheUserMayNotWrite) {
    if (!Host("mkdir box box/sub && printf 1 > box/a.txt && printf 2 > box/sub/s.txt && printf 3 > box/sub/ro.txt"
              " && chmod 444 box/sub/ro.txt && chmod 555 box")) {
        GTEST_SKIP() << "modes made on the host need Wine";
    }
    if (RunShell("test $(id -u) -ne 0") != 0) GTEST_SKIP() << "root may write anything: run as another user (as_user.sh)";
    StartSides(L(), R());
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "<box>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, false);
        return IDOK;
    });
    modals.ExpectBox("Can't delete '<box>' completely.\r2 entries could not be deleted:\r" + L() +
                         "\\box\\a.txt (kept by the system)\r" + L() + "\\box\\sub\\ro.txt (access denied)",
                     IDOK, "Warning");
    RunMenu(MenuItem::Delete);
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{"L\\box\\sub\\s.txt"});
    EXPECT_EQ(RunShell("test $(stat -c %a '" + UnixPath(L() + "\\box") + "') = 555"), 0) << "the folder's mode";
    EXPECT_EQ(RunShell("test $(stat -c %a '" + UnixPath(L() + "\\box\\sub\\ro.txt") + "') = 444"), 0);
    RunShell("chmod 755 '" + UnixPath(L() + "\\box") + "'");
}

// Find Files in a tree with a folder the user may not read: the folder is counted and named, never
// taken as empty, and the rest of the tree is searched.
TEST_F(Unprivileged, FindNamesTheFolderItCannotRead) {
    if (!Host("mkdir -p open shut/in && printf 1 > open/a.txt && printf 2 > shut/in/b.txt && chmod 000 shut")) {
        GTEST_SKIP() << "modes made on the host need Wine";
    }
    const bool root = RunShell("test $(id -u) -ne 0") != 0;
    FileFinder finder({});
    FindQuery q;
    q.upper = UpperCaseUnits();
    q.roots = {L()};
    q.masks = find::ParseMasks("*.txt", q.upper);
    finder.Start(std::move(q), FinderTextPlatform());
    FindBatch b, all;
    EXPECT_GE(PumpUntil([&] {
        b = finder.Take();
        all.found.insert(all.found.end(), b.found.begin(), b.found.end());
        all.unreadable.insert(all.unreadable.end(), b.unreadable.begin(), b.unreadable.end());
        return !b.running;
    }, 20), 0);
    RunShell("chmod 755 '" + UnixPath(L() + "\\shut") + "'");
    if (root) GTEST_SKIP() << "root may read anything: run as another user (as_user.sh)";
    ASSERT_EQ(all.found.size(), 1u);
    EXPECT_EQ(all.found[0].name, "a.txt");
    EXPECT_EQ(all.unreadable, std::vector<std::string>{L() + "\\shut"});
}

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
    Make({{"L\\mnt\\dir\\f.txt", 100}});
    StartSides(L() + "\\mnt", R());
    const Snapshot before = Snap(tmp.Path());
    for (int answer : {IDNO, IDYES}) {
        Pick(Left(), "<dir>");
        modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
            static_cast<ConfirmDialog&>(f).SetChecked(static_cast<ConfirmDialog&>(f).RecycleChoice, true);
            return IDOK;
        });
        modals.ExpectBox("The recycle bin cannot take '<dir>'.\r\rDelete it for good?", answer, "Warning");
        RunMenu(MenuItem::Delete);
        modals.VerifyDone();
        const std::set<std::string> gone{"L\\mnt\\dir", "L\\mnt\\dir\\f.txt"};
        EXPECT_EQ(ChangedSince(before), answer == IDNO ? std::set<std::string>{} : gone);
    }
}

// A folder copied onto a read-only file system: the first folder it makes fails, the error names it,
// and the files are named as not copied; nothing is written.
TEST_F(OtherFileSystems, AFolderCopyOntoAReadOnlyFileSystemSaysWhatWasNotCopied) {
    HostMount mount(R() + "\\ro", "1m,ro");
    if (!mount.Ready()) GTEST_SKIP() << "cannot mount a file system here (needs root)";
    Make({{"L\\box\\a.txt", 10}, {"L\\box\\b.txt", 20}});
    StartSides(L(), R() + "\\ro");
    const Snapshot before = Snap(tmp.Path());
    Pick(Left(), "<box>");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Cannot create folder " + R() + "\\ro\\box.", IDOK, kAppTitle);
    modals.ExpectBox("2 of the 2 files were not copied:\rbox\\a.txt\rbox\\b.txt", IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

// A small file system mounted inside the target drive: its own room counts, not the drive's. A
// folder, and a file alone, that it cannot hold are refused before a byte is written.
TEST_F(OtherFileSystems, ACopyOntoASmallMountedFileSystemIsRefusedBeforeWriting) {
    HostMount mount(R() + "\\mnt", "64k");
    if (!mount.Ready()) GTEST_SKIP() << "cannot mount a file system here (needs root)";
    Make({{"L\\Box\\small.txt", 10}, {"L\\Box\\big.bin", 300000}, {"L\\big.bin", 300000}});
    StartSides(L(), R() + "\\mnt");
    const Snapshot before = Snap(tmp.Path());
    const std::string drive = R().substr(0, 2);
    for (const char* pick : {"<Box>", "Big.bin"}) {
        Pick(Left(), pick);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        modals.ExpectBox("Insufficient disk space\ron drive " + drive + " \rfor " + (pick[0] == '<' ? "Box" : "big.bin"), IDOK, "Warning");
        RunMenu(MenuItem::Copy);
        modals.VerifyDone();
        EXPECT_EQ(ChangedSince(before), std::set<std::string>{}) << pick;
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
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Can't move 'big.bin'\rfrom " + L() + "\rto '" + R() + "\\mnt'", IDOK, "Error");
    RunMenu(MenuItem::Move);
    modals.VerifyDone();
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

}  // namespace bivane::test
