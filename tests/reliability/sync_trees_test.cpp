// Synchronizing real trees, with snapshots of everything before and after: each mode, deletions to
// the bin and for good, a conflict, a file changed between compare and apply, a copy that reads
// back wrong, a drive too small, a folder the user may not read, and the window as a user drives it.
#include <algorithm>
#include <cstdlib>

#include "core/wtf8.h"
#include "fileops/copy_file.h"
#include "platform/code_pages.h"
#include "platform/identity.h"
#include "reliability/reliability_support.h"
#include "support/unix_shell.h"
#include "sync/sync_window.h"

namespace bivane::test {
namespace {

using sync::Action;
using sync::Line;
using sync::Mode;
using sync::Relation;

const SYSTEMTIME kOld = LocalTimeOf(2024, 3, 1, 10, 0);
const SYSTEMTIME kNew = LocalTimeOf(2025, 6, 1, 12, 30);

class SyncTrees : public ReliabilityTest {
protected:
    void TearDown() override {
        ReliabilityTest::TearDown();
        if (const std::string dir = UnixPath(tmp.Path()); !dir.empty()) RunShell("chmod -R u+rwx '" + dir + "'; rm -rf '" + dir + "'/*");
    }
    std::vector<Line> Compare(bool byContent = false, const std::string& right = "") {
        TreeComparer c({});
        TreeQuery q;
        q.left = L();
        q.right = right.empty() ? R() : right;
        q.options.byContent = byContent;
        q.upper = UpperCaseUnits();
        c.Start(q);
        std::unique_ptr<TreeResult> r;
        EXPECT_GE(PumpUntil([&] { return (r = c.Take()) != nullptr; }, 60), 0) << "the comparison did not end";
        if (r) {
            EXPECT_EQ(r->failure, "");
        }
        return r ? std::move(r->lines) : std::vector<Line>{};
    }
    // The plan of the mode, applied as the window applies it; the report is expected to be text.
    void Apply(std::vector<Line> lines, Mode m, bool recycle, const std::string& text, bool verify = false) {
        sync::ApplyMode(lines, m);
        modals.ExpectBox(text, IDOK);
        form->ApplySync(SyncPlan{L(), R(), std::move(lines), recycle, verify});
        modals.VerifyDone();
    }
    std::string Report(int copied, int bytes, int made, int files, int folders, const std::string& more = "",
                       const std::string& right = "") const {
        auto n = [](int count, const char* what) { return std::to_string(count) + " " + what + (count == 1 ? "" : "s"); };
        return "Synchronized " + L() + " and " + (right.empty() ? R() : right) + ".\r" + n(copied, "file") + " copied (" +
               n(bytes, "byte") + "), " + n(made, "folder") + " made, " + n(files, "file") + " and " + n(folders, "folder") +
               " deleted." + more;
    }
    // What changed, a folder's own date left out (it moves with what is made in it).
    std::set<std::string> Changed(Snapshot before) const {
        Snapshot after = Snap(tmp.Path());
        for (Snapshot* s : {&before, &after}) {
            for (auto& [path, st] : *s) {
                if (st.dir) st.lastWrite = 0;
            }
        }
        return Changes(before, after);
    }
    static std::string Relations(const std::vector<Line>& lines) {
        std::string s;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            s += Utf16ToWtf8(sync::LinePath(lines, i)) + ":" + sync::RelationText(lines[i].relation) + " ";
        }
        return s;
    }
    void MakeTrees() {
        Make({{"L\\new.txt", 10, &kNew},       {"L\\newer.txt", 20, &kNew},  {"L\\same.txt", 30, &kOld},
              {"L\\clash.txt", 40, &kOld},     {"L\\dir\\in.txt", 5, &kOld}, {"L\\empty\\", 0},
              {"R\\newer.txt", 20, &kOld},     {"R\\same.txt", 30, &kOld},   {"R\\clash.txt", 41, &kOld},
              {"R\\old.txt", 7, &kOld},        {"R\\dir\\", 0},              {"R\\gone\\g.txt", 8, &kOld}});
    }
};

TEST_F(SyncTrees, EachModeOnARealTree) {
    struct Case {
        Mode mode;
        bool recycle;
        int copied, bytes, made, deleted, foldersDeleted;
        std::set<std::string> changed;
    };
    const std::set<std::string> copiedRight{"R\\new.txt", "R\\newer.txt", "R\\dir\\in.txt", "R\\empty"};
    std::set<std::string> mirrored = copiedRight;
    mirrored.insert({"R\\old.txt", "R\\gone", "R\\gone\\g.txt"});
    const Case cases[] = {
        {Mode::MirrorRight, true, 3, 35, 1, 2, 1, mirrored},
        {Mode::MirrorRight, false, 3, 35, 1, 2, 1, mirrored},
        {Mode::UpdateRight, true, 3, 35, 1, 0, 0, copiedRight},
        // Both ways: the newer wins, what is on one side goes to the other, the clash is left alone.
        {Mode::BothWays, true, 5, 50, 2, 0, 0, {"R\\new.txt", "R\\newer.txt", "R\\dir\\in.txt", "R\\empty", "L\\old.txt", "L\\gone", "L\\gone\\g.txt"}},
    };
    for (const Case& c : cases) {
        RemoveTree(L());
        RemoveTree(R());
        MakeSideFolders();
        MakeTrees();
        if (!form) StartSides(L(), R());
        const std::vector<Line> lines = Compare();
        ASSERT_EQ(Relations(lines),
                  "dir:= dir\\in.txt:only left empty:only left gone:only right gone\\g.txt:only right clash.txt:same date, different "
                  "new.txt:only left newer.txt:left newer old.txt:only right same.txt:= ");
        const Snapshot before = Snap(tmp.Path());
        Apply(lines, c.mode, c.recycle, Report(c.copied, c.bytes, c.made, c.deleted, c.foldersDeleted));
        EXPECT_EQ(Changed(before), c.changed) << static_cast<int>(c.mode);
        // Each copy is its source to the byte and to the 100 ns of its date.
        EXPECT_EQ(ReadAll(R() + "\\newer.txt"), ReadAll(L() + "\\newer.txt"));
        EXPECT_EQ(LastWrite(R() + "\\newer.txt"), LastWrite(L() + "\\newer.txt"));
        std::vector<Line> again = Compare(true);
        sync::ApplyMode(again, c.mode);
        const sync::Preview left = sync::MakePreview(again);
        EXPECT_TRUE(left.Empty()) << sync::PreviewText(left, again, true);
        EXPECT_EQ(left.conflicts, 1) << "the clash stays";
        if (c.recycle) EmptyTrash();
    }
}

// A file changed after the comparison, and one made where a copy was to go, are left alone and
// named; a copy that reads back unlike its source is put aside under another name. With copies
// failed, the user is asked before any deletion; a name back on the kept side keeps its twin; in a
// folder deleted whole only what was compared goes (for good and to the bin alike).
TEST_F(SyncTrees, ChangesBehindTheComparisonAndAFailedVerify) {
    for (const bool recycle : {false, true}) {
        RemoveTree(L());
        RemoveTree(R());
        MakeSideFolders();
        MakeTrees();
        if (!form) StartSides(L(), R());
        std::vector<Line> lines = Compare();
        MakeFile(L() + "\\newer.txt", 21, &kNew);               // grown since
        MakeFile(R() + "\\new.txt", 3, &kOld);                  // made since, where new.txt goes
        MakeDir(R() + "\\gone\\later");
        MakeFile(R() + "\\gone\\later\\since.txt", 4, &kOld);  // made since in a folder the mirror deletes
        MakeFile(L() + "\\old.txt", 9, &kOld);                  // back on the left: its twin on the right stays
        const SimulatedCopyFaults garbled(DeviceFaults{.corruptAt = 2});  // the only file copied, in.txt
        const Snapshot before = Snap(tmp.Path());
        modals.ExpectBox("3 of 4 copies did not succeed:\rright: dir\\in.txt\rright: new.txt\rright: newer.txt"
                         "\r\rThe plan then deletes 2 files and 1 folder.\rDelete as planned all the same? No keeps everything.",
                         IDYES);
        Apply(lines, Mode::MirrorRight, recycle,
              Report(0, 0, 1, 1, 0,
                     "\r\rLeft alone, changed since the comparison:\rright: new.txt\rleft: newer.txt\rleft: old.txt"
                     "\r\rDid not verify (each copy removed, the old file as it was):\rright: dir\\in.txt"
                     "\r\rKept, never compared (made since the comparison):\rright: gone\\later"),
              true);
        // The folder that got a folder is not deleted whole: its own file goes, the new one stays.
        EXPECT_EQ(Changed(before), (std::set<std::string>{"R\\empty", "R\\gone\\g.txt"})) << recycle;
        if (recycle) EmptyTrash();
    }
}

// The issue's case: the folder renamed on the left, the backup drive too small for it. Copies failed,
// so the user is told which before anything goes, and the old backup stays unless they say otherwise.
// Then what the recycle bin refuses (Wine's bin takes no folder of another file system, as S: is)
// is asked about once for all of it, never a box per item.
TEST_F(SyncTrees, NothingIsDeletedAfterFailedCopiesUnlessTheUserSaysSo) {
    const std::string notBinned = " (kept: the recycle bin cannot take it)";
    const struct {
        int copiesAnswer, binAnswer, files, folders;
        std::string before, after;  // the report's lines before and after the failed copies
    } cases[] = {
        {IDNO, 0, 0, 0, "\rNothing was deleted: some copies did not succeed, and everything was kept.", ""},
        {IDYES, IDNO, 0, 0, "", "\r\rNot deleted:\rright: Photos" + notBinned + "\rright: x" + notBinned + "\rright: y" + notBinned},
        {IDYES, IDYES, 10, 3, "", ""},
    };
    for (const auto& c : cases) {
        const std::string s = DriveFolder('S');
        if (s.empty()) GTEST_SKIP() << "no small drive S: (drives.sh could not mount a tmpfs)";
        RemoveTree(L());
        MakeSideFolders();
        for (const char* dir : {"\\Photos", "\\x", "\\y"}) MakeDir(s + dir);
        for (int i = 1; i <= 8; ++i) MakeFile(s + "\\Photos\\p" + std::to_string(i) + ".jpg", 20000, &kOld);
        for (const char* file : {"\\x\\f.txt", "\\y\\f.txt"}) MakeFile(s + file, 10, &kOld);
        ULARGE_INTEGER a{}, t{}, freeBytes{};
        ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &a, &t, &freeBytes));
        std::string question = "5 of 9 copies did not succeed:", failed = "\r\rFailed:";
        MakeDir(L() + "\\Photos2024");
        for (int i = 1; i <= 8; ++i) {
            const std::string name = "Photos2024\\p" + std::to_string(i) + ".jpg";
            MakeFile(L() + "\\" + name, i <= 3 ? 1000 : static_cast<std::int64_t>(freeBytes.QuadPart) + 100000, &kOld);
            question += i > 3 ? "\rright: " + name : "";
            failed += i > 3 ? "\rright: " + name + " (not enough room on the drive)" : "";
        }
        if (!form) StartSides(L(), s);
        std::vector<Line> lines = Compare(false, s);
        sync::ApplyMode(lines, Mode::MirrorRight);
        const Snapshot before = Snap(s + "\\Photos");
        modals.ExpectBox(question + "\r\rThe plan then deletes 10 files and 3 folders.\rDelete as planned all the same? No keeps "
                                    "everything.", c.copiesAnswer);
        if (c.binAnswer) {
            modals.ExpectBox("3 items cannot go to the recycle bin:\rright: Photos\rright: x\rright: y\r\rDelete them for good? No "
                             "keeps them.", c.binAnswer);
        }
        modals.ExpectBox(Report(3, 3000, 1, c.files, c.folders, c.before + failed + c.after, s));
        form->ApplySync(SyncPlan{L(), s, std::move(lines), true, false});
        modals.VerifyDone();
        EXPECT_EQ(Exists(s + "\\Photos") && Exists(s + "\\x") && Exists(s + "\\y"), !c.files);
        EXPECT_EQ(Changes(before, Snap(s + "\\Photos")).empty(), !c.files);
        RemoveTree(s);
    }
}

// The right is the left's own folder Sub by another road: a link made on the host, and a drive
// letter mapped onto it (Wine's dosdevices). Refused either way, and nothing changes anywhere.
TEST_F(SyncTrees, FoldersThatLieInEachOtherByAnyRoadAreRefused) {
    const std::string l = UnixPath(L());
    const char* prefix = std::getenv("WINEPREFIX");
    if (l.empty() || !prefix) GTEST_SKIP() << "links and drive letters are made on the host under Wine";
    Make({{"L\\own.txt", 5, &kOld}, {"L\\Sub\\a.txt", 6, &kOld}, {"L\\Sub\\deep\\b.txt", 7, &kOld}});
    const std::string drive = std::string(prefix) + "/dosdevices/q:";
    ASSERT_EQ(RunShell("ln -sfn '" + l + "/Sub' '" + UnixPath(tmp.Path()) + "/link' && ln -sfn '" + l + "/Sub' '" + drive + "'"), 0);
    StartSides(L(), R());
    Sleep(1100);  // Wine looks at its drive letters again once a second
    for (const std::string& right : {tmp / "link", std::string("Q:\\")}) {
        std::vector<Line> lines = Compare(false, right);
        sync::ApplyMode(lines, Mode::MirrorRight);
        const Snapshot before = Snap(L());
        // Refused before the job where the system can tell (under Wine a folder below a drive letter
        // resolves to that drive, whose top folder has no way up); else the job finds it among the
        // folders compared before it writes anything.
        modals.ExpectBox(FoldersOverlap(L(), right) ? "The two folders lie one in the other: choose two folders apart."
                                                    : "Synchronized " + L() + " and " + right + ".\rNothing was done: the two folders "
                                                      "are one, or lie one in the other (left: Sub is the other side's folder).");
        form->ApplySync(SyncPlan{L(), right, std::move(lines), false, false});
        modals.VerifyDone();
        EXPECT_EQ(Changes(before, Snap(L())), std::set<std::string>{}) << right;
    }
    RunShell("rm -f '" + drive + "'");
}

// Links, a FIFO and case twins made on the host: never followed, opened, or copied onto one name.
TEST_F(SyncTrees, LinksFifosAndTwinsAreLeftAlone) {
    const std::string l = UnixPath(L());
    if (l.empty()) GTEST_SKIP() << "links and FIFOs are made on the host under Wine";
    ASSERT_EQ(RunShell("cd '" + l + "' && mkdir -p ../T && printf t > ../T/t.txt && printf a > a.txt && ln -s ../T todir"
                       " && ln -s a.txt tofile.txt && mkfifo pipe && printf 1 > Twin.txt && printf 2 > twin.txt"),
              0);
    StartSides(L(), R());
    const std::vector<Line> lines = Compare();
    EXPECT_EQ(Relations(lines), "a.txt:only left pipe:link, not followed todir:link, not followed tofile.txt:only left "
                                "Twin.txt:error twin.txt:error ");
    Apply(lines, Mode::MirrorRight, true, Report(1, 1, 0, 0, 0, "\r\rFailed:\rleft: tofile.txt (a link: never followed)"));
    EXPECT_EQ(RunShell("cd '" + UnixPath(R()) + "' && test $(ls -A | wc -l) -eq 1 && test -f a.txt"), 0) << "only a.txt is copied";
}

// A real tree, not made here (with case twins in it): mirrored to an empty folder, each file is its
// source to the byte and the 100 ns, the twins are left out, and nothing is left to do.
TEST_F(SyncTrees, ARealTreeMirroredExactly) {
    const char kTree[] = "/usr/include/linux";
    const std::string l = UnixPath(L()), r = UnixPath(R()), facts = UnixPath(tmp.Path());
    if (l.empty() || RunShell(std::string("test -d ") + kTree) != 0) GTEST_SKIP() << "needs Wine and " << kTree;
    ASSERT_EQ(RunShell("cp -a " + std::string(kTree) + " '" + l + "/box'"), 0);
    StartSides(L(), R());
    std::vector<Line> lines = Compare();
    sync::ApplyMode(lines, Mode::MirrorRight);
    const sync::Preview p = sync::MakePreview(lines);
    ASSERT_GT(p.files[static_cast<int>(Action::CopyRight)], 500);
    modals.ExpectBox(Report(static_cast<int>(p.files[static_cast<int>(Action::CopyRight)]),
                            static_cast<int>(p.bytes[static_cast<int>(Action::CopyRight)]),
                            static_cast<int>(p.folders[static_cast<int>(Action::CopyRight)]), 0, 0),
                     IDOK);
    form->ApplySync(SyncPlan{L(), R(), lines, true, true});
    modals.VerifyDone();
    // Files and folders with their dates, and the files' sums, in box on each side; twins (names
    // equal but for case in one folder) are expected only on the left, so they are left out of its list.
    const std::string list = "find . \\( -type f -o -type d \\) -printf '%y %P %TY%Tm%Td%TH%TM%.10TS\\n' | LC_ALL=C sort; "
                             "find . -type f -print0 | xargs -0 md5sum | LC_ALL=C sort -k2";
    ASSERT_EQ(RunShell("cd '" + l + "/box' && find . -type f | sed 's|^[.]/||' | sort -f | uniq -Di > '" + facts + "/twins'"
                       " && sed 's|.*| &|; p; s| |./|' '" + facts + "/twins' > '" + facts + "/patterns'"
                       " && (" + list + ") | grep -v -F -f '" + facts + "/patterns' > '" + facts + "/source'"),
              0);
    ASSERT_EQ(RunShell("cd '" + r + "/box' && (" + list + ") > '" + facts + "/target'"), 0);
    const std::string twins = ReadAll(tmp / "twins");
    const auto twinCount = static_cast<std::size_t>(std::count(twins.begin(), twins.end(), '\n'));
    EXPECT_GE(twinCount, 2u) << "the tree has case twins";
    EXPECT_EQ(ReadAll(tmp / "source"), ReadAll(tmp / "target"));
    std::vector<Line> again = Compare(true);
    sync::ApplyMode(again, Mode::MirrorRight);
    const sync::Preview left = sync::MakePreview(again);
    EXPECT_TRUE(left.Empty()) << sync::PreviewText(left, again, true);
    EXPECT_EQ(static_cast<std::size_t>(left.errors), twinCount);
}

// Paused again and again while it walks (as every command pauses it), the comparison lets go within
// 100 ms each time and ends with the lines of one that ran alone; this level only leaves out what
// lies below folders of both sides.
TEST_F(SyncTrees, PausedInTheMiddleItComparesAlike) {
    for (int d = 0; d < 30; ++d) {
        for (const char* side : {"L", "R"}) {
            MakeDir(tmp / (std::string(side) + "\\d" + std::to_string(d)));
            for (int f = 0; f < 20; ++f) {
                MakeFile(tmp / (std::string(side) + "\\d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt"), d + f, &kOld);
            }
        }
    }
    MakeFile(R() + "\\d7\\only.txt", 1, &kOld);
    const std::string alone = Relations(Compare());
    TreeComparer c({});
    TreeQuery q{L(), R(), true, {}, false, UpperCaseUnits()};
    c.Start(q);
    std::unique_ptr<TreeResult> r;
    int pauses = 0;
    while (!(r = c.Take())) {
        const auto t0 = GetTickCount64();
        c.Pause();
        EXPECT_LE(GetTickCount64() - t0, 100u) << "a pause waits for one call at most";
        ++pauses;
        c.Resume();
        Sleep(1);
    }
    EXPECT_GT(pauses, 3);
    EXPECT_EQ(Relations(r->lines), alone);
    EXPECT_NE(alone.find("d7\\only.txt:only right"), std::string::npos);
    q.wholeTrees = false;
    c.Start(q);
    ASSERT_GE(PumpUntil([&] { return (r = c.Take()) != nullptr; }, 30), 0);
    EXPECT_EQ(r->lines.size(), 30u);
}

// Onto a drive with no room for one of the files: that one fails and is named, the rest are copied.
TEST_F(SyncTrees, ADriveTooSmallForOneFile) {
    const std::string s = DriveFolder('S');
    if (s.empty()) GTEST_SKIP() << "no small drive S: (drives.sh could not mount a tmpfs)";
    ULARGE_INTEGER a{}, t{}, freeBytes{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &a, &t, &freeBytes));
    MakeFile(L() + "\\small.txt", 1000, &kOld);
    MakeFile(L() + "\\huge.bin", static_cast<std::int64_t>(freeBytes.QuadPart) + 100000, &kOld);
    StartSides(L(), s);
    TreeComparer c({});
    TreeQuery q{L(), s, true, {}, false, UpperCaseUnits()};
    c.Start(q);
    std::unique_ptr<TreeResult> r;
    ASSERT_GE(PumpUntil([&] { return (r = c.Take()) != nullptr; }, 60), 0);
    sync::ApplyMode(r->lines, Mode::MirrorRight);
    modals.ExpectBox("Synchronized " + L() + " and " + s + ".\r1 file copied (1000 bytes), 0 folders made, 0 files and 0 folders deleted."
                     "\r\rFailed:\rright: huge.bin (not enough room on the drive)", IDOK);
    form->ApplySync(SyncPlan{L(), s, std::move(r->lines), true, false});
    modals.VerifyDone();
    EXPECT_EQ(ReadAll(s + "\\small.txt").size(), 1000u);
    EXPECT_FALSE(Exists(s + "\\huge.bin"));
    RemoveTree(s);
}

// The window as a user drives it: compare, filter, change two actions, preview, apply.
TEST_F(SyncTrees, TheWindowComparesFiltersAndApplies) {
    MakeTrees();
    StartSides(L(), R());
    form->ShowSynchronize();
    SyncWindow& w = *form->SynchronizeWindow;
    EXPECT_EQ(WindowText(w.Field(SyncWindow::IdLeft)), L());
    w.StartCompare();
    ASSERT_GE(PumpUntil([&] { PumpMessages(); return !w.Comparing(); }, 30), 0);
    EXPECT_EQ(w.Lines().size(), 10u);
    RECT inside{};
    GetClientRect(GetDlgItem(w.Handle(), SyncWindow::IdList), &inside);
    int widths = 0;
    for (int c = 0; c < 7; ++c) widths += static_cast<int>(SendMessageW(GetDlgItem(w.Handle(), SyncWindow::IdList), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
    EXPECT_LE(widths, inside.right - GetSystemMetrics(SM_CXVSCROLL)) << "the last column is cut off";
    ASSERT_EQ(w.Cell(0, 0), "[dir]");
    EXPECT_EQ(w.Cell(2, 0), "+ [empty] (0 files, 0 bytes)");  // a folder of one side, closed, with what it holds
    SendMessageW(w.Field(SyncWindow::IdShow), CB_SETCURSEL, 2, 0);  // only left
    SendMessageW(w.Handle(), WM_COMMAND, MAKEWPARAM(SyncWindow::IdShow, CBN_SELCHANGE), 0);
    std::vector<std::string> shown;
    for (std::size_t row = 0; row < w.Shown().size(); ++row) shown.push_back(w.Cell(static_cast<int>(row), 0));
    EXPECT_EQ(shown, (std::vector<std::string>{"[dir]", "  in.txt", "+ [empty] (0 files, 0 bytes)", "new.txt"}));
    // Leave new.txt; and the empty folder goes the other way: refused (nothing on the right to copy).
    w.Select(3);
    EXPECT_TRUE(w.SetSelectedAction(Action::Leave));
    w.Select(2);
    EXPECT_FALSE(w.SetSelectedAction(Action::CopyLeft));
    SendMessageW(w.Field(SyncWindow::IdShow), CB_SETCURSEL, 0, 0);
    SendMessageW(w.Handle(), WM_COMMAND, MAKEWPARAM(SyncWindow::IdShow, CBN_SELCHANGE), 0);
    w.Select(3);  // gone, on the right only: kept
    ASSERT_EQ(w.Cell(3, 0), "+ [gone] (1 file, 8 bytes)");
    EXPECT_TRUE(w.SetSelectedAction(Action::Leave));
    const Snapshot before = Snap(tmp.Path());
    modals.ExpectDialog("SyncPreview", [](ModalForm& f) {
        const std::string text = WindowText(GetDlgItem(f.Handle(), SyncPreview::IdText));
        EXPECT_NE(text.find("Copy to the right: 2 files, 25 bytes; 1 folder\r\nDelete on the right: 1 file, 7 bytes\r\n"),
                  std::string::npos) << text;
        EXPECT_NE(text.find("Deleted (to the recycle bin):\r\nright: old.txt\r\n"), std::string::npos) << text;
        return SyncPreview::IdApply;
    });
    modals.ExpectBox("This plan deletes or replaces much of what is there:\rright (all of it): 2 of 5 files\r\rApply it all the same?",
                     IDYES);
    modals.ExpectBox(Report(2, 25, 1, 1, 0), IDOK);
    w.PreviewAndApply();
    EXPECT_EQ(Changed(before), (std::set<std::string>{"R\\newer.txt", "R\\dir\\in.txt", "R\\empty", "R\\old.txt"}));
    ASSERT_GE(PumpUntil([&] { return !w.Comparing(); }, 30), 0);  // compared again at the end
    modals.VerifyDone();
    EmptyTrash();
}

// As a user who may not read a folder on the left: its lines are errors, and what the right holds
// below it survives a mirror, though the left seems to have nothing there.
class UnprivilegedSync : public SyncTrees {};

TEST_F(UnprivilegedSync, AFolderThatCannotBeReadIsNeverTakenAsEmpty) {
    const std::string l = UnixPath(L());
    if (l.empty()) GTEST_SKIP() << "modes made on the host need Wine";
    ASSERT_EQ(RunShell("cd '" + l + "' && mkdir -p shut/in ../R/shut/in && printf 1 > shut/in/a.txt && printf 22 > ../R/shut/in/keep.txt"
                       " && printf 333 > ../R/shut/other.txt && chmod 000 shut"),
              0);
    const bool root = RunShell("test $(id -u) -ne 0") != 0;
    StartSides(L(), R());
    const std::vector<Line> lines = Compare();
    if (root) {
        RunShell("chmod 755 '" + l + "/shut'");
        GTEST_SKIP() << "root may read anything: run as another user (as_user.sh)";
    }
    EXPECT_EQ(Relations(lines), "shut:error shut\\in:error shut\\in\\keep.txt:error shut\\other.txt:error ");
    const Snapshot before = Snap(R());
    Apply(lines, Mode::MirrorRight, false, Report(0, 0, 0, 0, 0));
    EXPECT_EQ(Changes(before, Snap(R())), std::set<std::string>{});
    RunShell("chmod 755 '" + l + "/shut'");
}

}  // namespace
}  // namespace bivane::test
