// Finding files on real trees: links, a link loop, a FIFO, odd names, pauses in the middle, and the
// window driven as a user drives it.
#include <algorithm>
#include <atomic>
#include <set>

#include "find/file_finder.h"
#include "controls/controls.h"
#include "fileops/confirm_dialog.h"
#include "fileops/copy_rules.h"
#include "find/find_window.h"
#include "platform/code_pages.h"
#include "support/form_fixture.h"
#include "support/unix_shell.h"

namespace bivane::test {
namespace {

class FindTest : public FormTest {
protected:
    void TearDown() override {
        FormTest::TearDown();
        // Links and FIFOs are removed on the host: through Wine a call on a link reaches its target.
        if (const std::string dir = UnixPath(tmp.Path()); !dir.empty()) RunShell("rm -rf '" + dir + "'/*");
    }
    FindQuery Query(const std::string& masks, const std::string& text = "") {
        FindQuery q;
        q.upper = UpperCaseUnits();
        q.roots = {tmp.Path()};
        q.masks = find::ParseMasks(masks, q.upper);
        q.text.text = text;
        return q;
    }
    // Runs the search to its end; the paths found, below the test's folder.
    std::set<std::string> Run(FindQuery q, FindBatch* last = nullptr) {
        finder.Start(std::move(q), FinderTextPlatform());
        std::set<std::string> paths;
        std::vector<std::string> folders;
        FindBatch b;
        const double took = PumpUntil(
            [&] {
                b = finder.Take();
                folders.insert(folders.end(), b.folders.begin(), b.folders.end());
                for (const FoundFile& f : b.found) {
                    const std::string& dir = folders[f.folder];
                    paths.insert((dir == tmp.Path() ? "" : dir.substr(tmp.Path().size() + 1) + "\\") + f.name);
                }
                return !b.running;
            },
            30);
        EXPECT_GE(took, 0) << "the search did not end";
        if (last) *last = b;
        return paths;
    }
    FileFinder finder{{}};
};

TEST_F(FindTest, LinksFifosAndNamesNoPathReaches) {
    if (UnixPath(tmp.Path()).empty()) GTEST_SKIP() << "links and FIFOs are made on the host under Wine";
    ASSERT_EQ(RunShell("cd '" + UnixPath(tmp.Path()) +
                       "' && mkdir -p a/b c && printf 'hello needle' > a/b/n.txt && printf x > a/x.txt"
                       " && ln -s .. a/up && ln -s ../a c/toa && mkfifo a/pipe.txt && printf needle > 'c/odd?.txt'"
                       " && printf 'a NEEDLE' > c/Twin.txt && printf no > c/twin.txt && printf needle > c/n.log"),
              0);
    FindBatch b;
    EXPECT_EQ(Run(Query("*.txt"), &b),
              (std::set<std::string>{"a\\b\\n.txt", "a\\x.txt", "a\\pipe.txt", "c\\odd?.txt", "c\\Twin.txt", "c\\twin.txt"}));
    EXPECT_EQ(b.counts.links, 2) << "the loop (a\\up) and c\\toa are passed over";
    EXPECT_EQ(b.counts.folders, 4);

    // By text: the FIFO is never opened (the search would wait for a writer for ever), the name
    // no path reaches is counted, not read, and the twins are told apart by what they hold.
    EXPECT_EQ(Run(Query("*.txt | odd*", "needle"), &b), (std::set<std::string>{"a\\b\\n.txt", "c\\Twin.txt"}));
    EXPECT_EQ(b.counts.notFiles, 1);
    EXPECT_EQ(b.counts.unreachable, 0);
    EXPECT_EQ(Run(Query("*.txt", "needle"), &b).count("c\\odd?.txt"), 0u);
    EXPECT_EQ(b.counts.unreachable, 1);
    FindQuery q = Query("*.txt", "needle");
    q.text.notContaining = true;
    q.depth = 1;
    EXPECT_EQ(Run(q, &b), (std::set<std::string>{"a\\x.txt", "c\\twin.txt"}));
}

TEST_F(FindTest, PausedAndResumedInTheMiddleFindsEachFileOnce) {
    for (int d = 0; d < 40; ++d) {
        MakeDir(tmp / ("d" + std::to_string(d)));
        for (int f = 0; f < 25; ++f) MakeFile(tmp / ("d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt"), 20);
    }
    const std::set<std::string> whole = Run(Query("*.txt", "QRST"));  // in every file: each is opened
    ASSERT_EQ(whole.size(), 1000u);
    finder.Start(Query("*.txt", "QRST"), FinderTextPlatform());
    std::set<std::string> seen;
    std::vector<std::string> folders;
    int pauses = 0, twice = 0;
    while (true) {
        const auto t0 = GetTickCount64();
        finder.Pause();
        EXPECT_LE(GetTickCount64() - t0, 100u) << "a pause waits for one call at most";
        ++pauses;
        finder.Resume();
        FindBatch b = finder.Take();
        folders.insert(folders.end(), b.folders.begin(), b.folders.end());
        for (const FoundFile& f : b.found) twice += seen.insert(folders[f.folder] + "\\" + f.name).second ? 0 : 1;
        if (!b.running) break;
        Sleep(1);
    }
    EXPECT_GT(pauses, 3);
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(seen.size(), whole.size());
}

// Files deleted while the search runs (between its listing of a folder and its reading of the
// files) are not found and not read: each is counted as a file that could not be read.
TEST_F(FindTest, FilesThatGoDuringTheSearchAreNotFound) {
    for (int d = 0; d < 20; ++d) {
        MakeDir(tmp / ("d" + std::to_string(d)));
        for (int f = 0; f < 25; ++f) MakeFile(tmp / ("d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt"), 20);
    }
    finder.Start(Query("*.txt", "QRST"), FinderTextPlatform());
    finder.Pause();  // the first folder may be listed already: its files go before they are read
    for (int d = 0; d < 20; d += 2) {
        for (int f = 0; f < 25; ++f) DeleteFileW(Widen(tmp / ("d" + std::to_string(d) + "\\f" + std::to_string(f) + ".txt")).c_str());
    }
    finder.Resume();
    FindBatch b, all;
    ASSERT_GE(PumpUntil([&] {
        b = finder.Take();
        all.folders.insert(all.folders.end(), b.folders.begin(), b.folders.end());
        all.found.insert(all.found.end(), b.found.begin(), b.found.end());
        return !b.running;
    }, 20), 0);
    EXPECT_EQ(all.found.size(), 250u);
    for (const FoundFile& f : all.found) EXPECT_TRUE(Exists(all.folders[f.folder] + "\\" + f.name)) << f.name;
    EXPECT_EQ(b.counts.files, 250 + b.counts.unreadableFiles);
}

// Matches streaming in reach the window at most every 25 ms: news always waiting keeps keys behind it.
TEST_F(FindTest, MatchesStreamingInAreToldAtMostEvery25Ms) {
    ASSERT_EQ(RunShell("cd '" + UnixPath(tmp.Path()) + "' && for i in $(seq 3000); do echo $((i % 10)) > f$i.txt; done"), 0);
    std::atomic<int> posts{0};
    FileFinder counted([&] { return ++posts > 0; });
    counted.Start(Query("*", "0"), FinderTextPlatform());  // every tenth file
    std::size_t found = 0;
    const double took = PumpUntil([&] { FindBatch b = counted.Take(); found += b.found.size(); return !b.running; }, 60);
    EXPECT_EQ(found, 300u);
    EXPECT_LE(posts, 2 + took / 0.025);
}

TEST_F(FindTest, TheWindowFindsStopsAndGoesToAResult) {
    StartSidesWith({{"L\\sub\\deep\\target.log", 10}, {"L\\sub\\other.txt", 10}, {"L\\top.log", 10}});
    form->ShowFindFiles(Left());
    FindWindow& w = *form->FindFilesWindow;
    EXPECT_EQ(WindowText(w.Field(FindWindow::IdWhere)), L());
    SetWindowTextUtf8(w.Field(FindWindow::IdNames), "*.log");
    w.Click(FindWindow::IdFind);
    ASSERT_GE(PumpUntil([&] { return !w.Searching(); }, 20), 0);
    ASSERT_EQ(w.Found().files.size(), 2u);
    EXPECT_EQ(w.Status(), "2 found in 3 files and 3 folders.");

    // A field that is not a size is refused, and no search starts.
    SetWindowTextUtf8(w.Field(FindWindow::IdMinSize), "ten");
    modals.ExpectBox("\"ten\" is not a size: type bytes, or a number with k, MB or GB.", IDOK);
    w.Click(FindWindow::IdFind);
    modals.VerifyDone();
    EXPECT_EQ(w.Found().files.size(), 2u);
    SetWindowTextUtf8(w.Field(FindWindow::IdMinSize), "");

    // Enter on a result: the active side shows its folder with the file current; the window goes.
    const auto& files = w.Found().files;
    const auto deep = std::find_if(files.begin(), files.end(), [](const FoundFile& f) { return f.name == "target.log"; });
    ASSERT_NE(deep, files.end());
    ListView_SetItemState(GetDlgItem(w.Handle(), FindWindow::IdList), static_cast<int>(deep - files.begin()),
                          LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    w.Click(FindWindow::IdGoTo);
    PumpMessages();
    EXPECT_EQ(Left().Directory(), L() + "\\sub\\deep");
    EXPECT_EQ(Left().Entries[static_cast<std::size_t>(Left().CurrentItem)].Name(), "target.log");
    EXPECT_FALSE(IsWindowVisible(w.Handle()));
}

// The results on a side: copied flat to the other side (a second file of one name left out and
// named), one deleted (the others stay listed), a rename refused, Ctrl+R back to the folder.
TEST_F(FindTest, ResultsOnASideAreCopiedAndDeletedThere) {
    StartSidesWith({{"L\\one\\x.txt", 10}, {"L\\two\\x.txt", 20}, {"L\\two\\keep.txt", 30}, {"L\\two\\y.log", 5}});
    form->ShowFindFiles(Left());
    FindWindow& w = *form->FindFilesWindow;
    SetWindowTextUtf8(w.Field(FindWindow::IdNames), "*.txt");
    w.Click(FindWindow::IdFind);
    ASSERT_GE(PumpUntil([&] { return !w.Searching(); }, 20), 0);
    w.Click(FindWindow::IdShowOnSide);
    ASSERT_EQ(Captions(Left()), (std::vector<std::string>{"one\\X.txt", "two\\Keep.txt", "two\\X.txt"}));
    EXPECT_EQ(Left().Directory(), L());

    form->TagAll(Left());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox("Not copied: a file of the same name, found in another folder, goes there:\rtwo\\x.txt (one\\x.txt is there)");
    form->RunFileCommand(ConfirmMode::Copy, Left());
    modals.VerifyDone();
    EXPECT_EQ(ReadAll(R() + "\\x.txt").size(), 10u) << "the first of the two, from one";
    EXPECT_EQ(ReadAll(R() + "\\keep.txt").size(), 30u);
    EXPECT_EQ(Captions(Left()).size(), 3u);

    Pick(Left(), "two\\Keep.txt");
    form->UntagAll(Left());
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        auto& c = static_cast<ConfirmDialog&>(f);
        c.SetChecked(c.RecycleChoice, false);
        return IDOK;
    });
    form->RunFileCommand(ConfirmMode::Delete, Left());
    modals.VerifyDone();
    EXPECT_FALSE(Exists(L() + "\\two\\keep.txt"));
    EXPECT_TRUE(Exists(L() + "\\two\\x.txt") && Exists(L() + "\\two\\y.log") && Exists(R() + "\\keep.txt"));
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"one\\X.txt", "two\\X.txt"}));

    modals.ExpectBox("A file found by a search is renamed in its own folder: go there first (Enter on it in Find Files).");
    form->RenameCurrent(Left());
    modals.VerifyDone();
    form->Reread(Left());
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "<one>", "<two>"}));
}

}  // namespace
}  // namespace bivane::test
