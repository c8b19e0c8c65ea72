// The lists follow the disk: changes made by other programs, Windows and Linux ones, show by
// themselves within half a second, keeping what the user has.
#include "support/form_fixture.h"
#include "support/unix_shell.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <tuple>

#include "fileops/confirm_dialog.h"
#include "panes/entry_rules.h"
#include "panes/sort_rules.h"
#include "platform/change_watch.h"
#include "platform/collate.h"
#include "platform/utf.h"

namespace bivane::test {

namespace {

constexpr double kLimit = 0.5;  // seconds from a change to the row shown

// The watch starts on the follower's thread: a moment for it before the change.
void LetTheWatchStart() { Sleep(150); }

std::string Quoted(const std::string& unixPath) { return "'" + unixPath + "'"; }

// What a fresh reading shows in order, to compare a side kept up to date with.
std::vector<std::string> Rows(const Listing& read, SortOrder order) {
    std::vector<std::string> captions;
    for (const std::uint32_t i : SortPermutation(read.entries, order, PlatformCollation())) {
        captions.push_back(read.entries[i].caption + " " + read.entries[i].sizeText + " " + read.entries[i].dateText);
    }
    return captions;
}
std::vector<std::string> Rows(const Pane& s) {
    std::vector<std::string> captions;
    for (const Entry& e : s.Entries) captions.push_back(e.caption + " " + e.sizeText + " " + e.dateText);
    return captions;
}

}  // namespace

class Follow : public FormTest {
protected:
    void SetUp() override {
        StartSidesWith({{"L\\a.txt", 300}, {"L\\b.txt", 100}, {"L\\c.txt", 200}, {"L\\d.txt", 50}});
    }
    // Tags B.txt, sorts by size, makes C.txt current: what a change must not take away.
    void SetUpTheUsersState() {
        form->TagEntry(Left(), IndexOfCaption(Left(), "B.txt"));
        form->UpdateTagTotals(form->Active());
        form->SortBySize(form->Active());
        Pick(Left(), "C.txt");
        SetFocus(Left().List.Handle());
    }
    void ExpectTheUsersStateKept(HWND focus) {
        const Pane& s = Left();
        const int b = IndexOfCaption(s, "B.txt"), c = IndexOfCaption(s, "C.txt");
        ASSERT_GE(b, 0);
        ASSERT_GE(c, 0);
        EXPECT_EQ(s.Entries[static_cast<size_t>(b)].mark, Mark::Tagged);
        EXPECT_EQ(s.Entries[static_cast<size_t>(b)].image, kImageTagged);
        EXPECT_EQ(s.TagCount, 1);
        EXPECT_EQ(s.Status.Text(1), "Tag: 0k (1)");
        EXPECT_EQ(s.CurrentItem, c);
        EXPECT_EQ(s.CurrentName, "C.txt");
        EXPECT_EQ(s.List.Focused(), c);
        EXPECT_TRUE(s.List.IsSelected(c));
        EXPECT_EQ(s.order, SortOrder::Size);
        std::vector<Entry> resorted = s.Entries;
        const auto perm = SortPermutation(resorted, SortOrder::Size, PlatformCollation());
        for (std::size_t i = 0; i < perm.size(); ++i) EXPECT_EQ(perm[i], i) << "not in size order at " << i;
        EXPECT_EQ(GetFocus(), focus);
    }
    double ShowsWithin(const std::function<bool()>& shown) { return PumpUntil(shown, 3.0); }
};

// Each change by each kind of program: made, deleted, renamed.
TEST_F(Follow, ChangesByWindowsAndLinuxProgramsShowWithinHalfASecondKeepingTagsCurrentAndOrder) {
    struct Case {
        const char* what;
        bool linux;
        std::string command;  // run in L()
        std::function<bool(FormTest&)> shown;
    };
    const std::string unixL = UnixPath(L());
    ASSERT_FALSE(unixL.empty());
    const auto has = [this](const char* caption) { return IndexOfCaption(Left(), caption) >= 0; };
    const Case cases[] = {
        {"made by Windows", false, "echo x> \"" + L() + "\\e.txt\"", [&](FormTest&) { return has("E.txt"); }},
        {"deleted by Windows", false, "del \"" + L() + "\\e.txt\"", [&](FormTest&) { return !has("E.txt"); }},
        {"renamed by Windows", false, "ren \"" + L() + "\\a.txt\" z.txt",
         [&](FormTest&) { return has("Z.txt") && !has("A.txt"); }},
        {"made by Linux", true, "head -c 7 /dev/zero > " + Quoted(unixL + "/f.txt"), [&](FormTest&) { return has("F.txt"); }},
        {"deleted by Linux", true, "rm " + Quoted(unixL + "/d.txt"), [&](FormTest&) { return !has("D.txt"); }},
        {"renamed by Linux", true, "mv " + Quoted(unixL + "/z.txt") + " " + Quoted(unixL + "/y.txt"),
         [&](FormTest&) { return has("Y.txt") && !has("Z.txt"); }},
    };
    SetUpTheUsersState();
    const HWND focus = GetFocus();
    const std::uint64_t loads = Left().LoadCount;
    LetTheWatchStart();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::uint64_t changes = form->FollowChanges, reads = ListingReads();
        ASSERT_EQ(c.linux ? RunShell(c.command) : RunWindowsCommand(c.command), 0);
        const double took = ShowsWithin([&] { return c.shown(*this); });
        EXPECT_GE(took, 0.0) << "never shown";
        EXPECT_LE(took, kLimit);
        EXPECT_GT(form->FollowChanges, changes);  // by name: the folder was not read again
        EXPECT_EQ(ListingReads(), reads);
        ExpectTheUsersStateKept(focus);
        PumpUntil([] { return false; }, 0.3);  // the gap between two reloads
    }
    EXPECT_EQ(Left().LoadCount, loads);  // never read as a load: nothing was reset
    EXPECT_EQ(Rows(Left()), Rows(ReadListing(L()), SortOrder::Size));  // as a fresh reading
    EXPECT_EQ(Left().Status.Text(0), DirTotalText(ReadListing(L()).totalBytes));
    EXPECT_EQ(Left().Title.Caption(), Left().Path.Caption() + SortSuffix(SortOrder::Size));
}

// The current entry deleted: the entry now in its row takes over; the list does not scroll.
TEST_F(Follow, AGoneCurrentEntryGivesWayToTheOneInItsPlaceAndTheScrollStays) {
    for (int i = 10; i < 70; ++i) MakeFile(L() + "\\f" + std::to_string(i) + ".txt", i);
    form->ReloadActive();
    Pane& s = Left();
    s.List.ScrollRows(20);
    Pick(s, "F40.txt");
    const int row = IndexOfCaption(s, "F40.txt");
    const int top = s.List.TopIndex();
    ASSERT_GT(top, 0);
    LetTheWatchStart();
    ASSERT_EQ(RunShell("rm " + Quoted(UnixPath(L()) + "/f40.txt") + " && touch " + Quoted(UnixPath(L()) + "/f100.txt")), 0);
    EXPECT_GE(PumpUntil([&] { return IndexOfCaption(s, "F40.txt") < 0; }, 3.0), 0.0);
    // F40.txt went and F100.txt came above it: the one that followed it takes its place.
    const int now = IndexOfCaption(s, "F41.txt");
    EXPECT_EQ(now, row + 1);
    EXPECT_EQ(s.CurrentName, "F41.txt");
    EXPECT_EQ(s.CurrentItem, now);
    EXPECT_EQ(s.List.Focused(), now);
    EXPECT_TRUE(s.List.IsSelected(now));
    EXPECT_EQ(s.List.SelectedCount(), 1);
    EXPECT_EQ(s.List.TopIndex(), top);
    EXPECT_GE(IndexOfCaption(s, "F100.txt"), 0);
    // A folder that becomes a file of its name: the file takes its place.
    MakeDir(L() + "\\zz");
    form->ReloadActive();
    Pick(s, "<zz>");
    LetTheWatchStart();
    ASSERT_EQ(RunShell("rmdir " + Quoted(UnixPath(L()) + "/zz") + " && touch " + Quoted(UnixPath(L()) + "/zz")), 0);
    EXPECT_GE(PumpUntil([&] { return IndexOfCaption(s, "Zz") >= 0; }, 3.0), 0.0);
    EXPECT_EQ(s.CurrentName, "Zz");
    EXPECT_EQ(s.List.Focused(), IndexOfCaption(s, "Zz"));
}

// Ten thousand files made at once by another program: a few reloads a second at most, and the
// window answers meanwhile.
TEST_F(Follow, ABurstIsMergedIntoAFewReloadsAndTheWindowKeepsAnswering) {
    const std::string unixR = UnixPath(R());
    LetTheWatchStart();
    const std::uint64_t reloads = form->FollowReloads + form->FollowChanges;
    std::atomic<int> made{-1};
    std::thread burst([&] { made = RunShell("cd " + Quoted(unixR) + " && for i in $(seq 1 10000); do : > f$i; done"); });
    LARGE_INTEGER freq{}, t0{}, t1{}, start{};
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    double longest = 0, seconds = 0;
    const auto shown = [&] { return made == 0 && Right().Entries.size() == 10000 + 1; };  // and [parent]
    while (!shown() && seconds < 20) {
        QueryPerformanceCounter(&t0);
        PumpMessages();
        QueryPerformanceCounter(&t1);
        longest = std::max(longest, static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart));
        seconds = static_cast<double>(t1.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    burst.join();
    ASSERT_EQ(made, 0);
    EXPECT_TRUE(shown()) << Right().Entries.size();
    const std::uint64_t count = form->FollowReloads + form->FollowChanges - reloads;
    EXPECT_EQ(Rows(Right()), Rows(ReadListing(R()), SortOrder::Name));  // exact, as a fresh reading
    EXPECT_GE(count, 1u);
    EXPECT_LE(static_cast<double>(count), seconds / 0.25 + 2) << count << " reloads in " << seconds << " s";
    // A reading of ten thousand names takes some 0.06 s; the bound leaves room for a machine busy
    // with other builds (the benchmark measures against 0.1 s) and still fails a window that waits
    // for the burst to end, or reads more than the folder holds.
    EXPECT_LE(longest, 0.5) << "a message waited " << longest << " s";
}

// The folder a side shows removed by a Linux and by a Windows program: the side moves up to the
// folder above and its title says why; no message box (none is expected).
TEST_F(Follow, AFolderThatGoesLeavesTheSideOnTheFolderAbove) {
    struct Case {
        const char* name;
        bool linux;
    };
    for (const Case c : {Case{"Sub", true}, Case{"Other", false}}) {
        SCOPED_TRACE(c.name);
        const std::string sub = R() + "\\" + c.name;
        MakeDir(sub);
        MakeFile(sub + "\\x.txt", 1);
        form->Activate(Right());
        Right().Tree.SetDirectory(sub);
        form->Activate(Left());
        LetTheWatchStart();
        ASSERT_EQ(c.linux ? RunShell("rm -r " + Quoted(UnixPath(sub))) : RunWindowsCommand("rmdir /s /q \"" + sub + "\""), 0);
        // A Windows program's removal completes only once the follower lets the folder go.
        EXPECT_GE(PumpUntil([&] { return Right().Directory() == R(); }, 3.0), 0.0);
        EXPECT_FALSE(Exists(sub));
        EXPECT_EQ(Right().Title.Caption(), Right().Path.Caption() + " (" + c.name + " is gone)");
        EXPECT_TRUE(form->LeftActive);
    }
}

// The folder shown made again, or replaced by a link to another: the side shows what is there now.
TEST_F(Follow, AFolderReplacedUnderItsNameShowsWhatIsThereNow) {
    MakeDir(tmp / "Other");
    MakeFile(tmp / "Other\\o.txt", 1);
    const std::string l = Quoted(UnixPath(L()));
    for (const auto& [what, command, shown] : std::initializer_list<std::tuple<const char*, std::string, const char*>>{
             {"made again", "rm -r " + l + " && mkdir " + l + " && touch " + l + "/new.txt", "New.txt"},
             {"a link", "mv " + l + " " + l + ".old && ln -s " + Quoted(UnixPath(tmp / "Other")) + " " + l, "O.txt"}}) {
        SCOPED_TRACE(what);
        LetTheWatchStart();
        ASSERT_EQ(RunShell(command), 0);
        const double took = ShowsWithin([&] { return IndexOfCaption(Left(), shown) >= 0; });
        EXPECT_TRUE(took >= 0 && took <= kLimit) << took;
    }
    RunShell("rm " + l);  // the link, not what it leads to
}

// A folder that holds names is watched on from one check to the next: letting it go leaves a
// moment in which a change is known only by a whole reading. (Emptied and removed by a Windows
// program, it is let go: the case above.)
TEST_F(Follow, AFolderThatHoldsNamesIsWatchedOnAcrossChecks) {
    MakeFile(R() + "\\r.txt", 1);  // both sides hold a name
    LetTheWatchStart();
    PumpUntil([] { return false; }, 1.2);  // a check looks at the names
    const std::uint64_t opened = WatchesOpened(), reloads = form->FollowReloads, reads = ListingReads();
    for (const char* name : {"n1.txt", "n2.txt"}) {
        ASSERT_EQ(RunShell("touch " + Quoted(UnixPath(L()) + "/" + name)), 0);
        const std::string caption = std::string(1, 'N') + (name + 1);
        EXPECT_GE(ShowsWithin([&] { return IndexOfCaption(Left(), caption) >= 0; }), 0.0) << name;
        PumpUntil([] { return false; }, 1.1);  // two checks
    }
    EXPECT_EQ(WatchesOpened(), opened);
    EXPECT_EQ(form->FollowReloads, reloads);
    EXPECT_EQ(ListingReads(), reads);
}

// A rename in place and a running command are never disturbed: the change shows once they end.
TEST_F(Follow, AReloadWaitsForARenameInPlaceAndForACopy) {
    Pane& s = Left();
    const std::string unixL = UnixPath(L());
    LetTheWatchStart();
    SetFocus(s.List.Handle());
    const HWND edit = reinterpret_cast<HWND>(SendMessageW(s.List.Handle(), LVM_EDITLABELW, 0, 0));
    ASSERT_NE(edit, nullptr);
    ASSERT_EQ(RunShell("touch " + Quoted(unixL + "/new1.txt")), 0);
    PumpUntil([] { return false; }, 0.8);
    EXPECT_LT(IndexOfCaption(s, "New1.txt"), 0);
    EXPECT_TRUE(form->FollowPending[0]);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(s.List.Handle(), LVM_GETEDITCONTROL, 0, 0)), edit);
    SendMessageW(s.List.Handle(), LVM_CANCELEDITLABEL, 0, 0);
    const double afterRename = PumpUntil([&] { return IndexOfCaption(s, "New1.txt") >= 0; }, 3.0);
    EXPECT_GE(afterRename, 0.0);
    EXPECT_LE(afterRename, kLimit);

    // C through the key map: while its dialog is open, a change in the source folder waits.
    form->TagEntry(s, IndexOfCaption(s, "C.txt"));
    form->UpdateTagTotals(form->Active());
    modals.ExpectDialog("ConfirmDialog", [&](ModalForm&) {
        EXPECT_EQ(RunShell("touch " + Quoted(unixL + "/new2.txt")), 0);
        PumpUntil([] { return false; }, 0.8);
        EXPECT_LT(IndexOfCaption(s, "New2.txt"), 0);
        EXPECT_TRUE(form->FollowPending[0]);
        return IDOK;
    });
    SendMessageW(s.List.Handle(), WM_KEYDOWN, 'C', 1);
    modals.VerifyDone();
    EXPECT_TRUE(Exists(R() + "\\c.txt"));
    EXPECT_LT(IndexOfCaption(s, "New2.txt"), 0);  // the command itself does not read the source side
    const double afterCopy = PumpUntil([&] { return IndexOfCaption(s, "New2.txt") >= 0; }, 3.0);
    EXPECT_GE(afterCopy, 0.0);
    EXPECT_LE(afterCopy, kLimit);
    EXPECT_EQ(s.Entries[static_cast<size_t>(IndexOfCaption(s, "C.txt"))].mark, Mark::Tagged);  // the tag stays
    EXPECT_EQ(s.TagCount, 1);
}

// A folder the system gives no notifications for (the host's /proc) is shown as any other and
// is not read again by itself; a folder that cannot be watched at all is no error either.
TEST_F(Follow, AFolderWithoutNotificationsIsShownButNotFollowed) {
    form->Activate(Right());
    Right().Tree.SetDirectory("Z:\\proc\\sys\\kernel");
    ASSERT_GT(Right().Entries.size(), 10u);
    const std::uint64_t reloads = form->FollowReloads;
    PumpUntil([] { return false; }, 1.2);
    EXPECT_EQ(form->FollowReloads, reloads);
    EXPECT_TRUE(modals.boxes.empty());

    // Not there yet: nothing is watched, and nothing told, until it comes.
    std::atomic<int> told{0};
    FolderFollower follower([&] { ++told; return true; });
    follower.Follow(tmp / "later");
    PumpUntil([] { return false; }, 0.7);
    EXPECT_EQ(told, 0);
    MakeDir(tmp / "later");
    EXPECT_GE(PumpUntil([&] { return told > 0; }, 2.0), 0.0);
}

}  // namespace bivane::test

namespace bivane::test {

// The follower looks at the names that changed on its own thread; what it found before the
// side's own load is older than that load and is dropped.
TEST_F(Follow, TheFollowersNewsIsShownUnlessTheSideWasLoadedSince) {
    std::atomic<int> told{0};
    FolderFollower follower([&] { ++told; return true; });
    follower.Follow(R());
    LetTheWatchStart();
    for (const bool loadedSince : {false, true}) {
        SCOPED_TRACE(loadedSince ? "loaded since" : "not loaded since");
        const int before = told;
        const std::string name = loadedSince ? "second.txt" : "first.txt";
        ASSERT_EQ(RunShell("touch " + Quoted(UnixPath(R()) + "/" + name)), 0);
        ASSERT_GE(PumpUntil([&] { return told > before; }, 3.0), 0.0);
        if (loadedSince) follower.Loaded();
        std::optional<Listing> read;
        std::vector<NameChange> changes;
        const FolderFollower::News news = follower.TakeListing(read, &changes);
        follower.Taken();
        // The system said which name changed: the follower looked at it alone.
        EXPECT_EQ(news, loadedSince ? FolderFollower::News::None : FolderFollower::News::Changes);
        EXPECT_FALSE(read.has_value());
        if (!loadedSince) {
            ASSERT_EQ(changes.size(), 1u);
            EXPECT_EQ(changes[0].name, name);
            ASSERT_TRUE(changes[0].now.has_value());
            EXPECT_EQ(changes[0].now->caption, FileCaption(name));
        }
    }
}

}  // namespace bivane::test

namespace bivane::test {

// The follower's news is never lost to a post the window's queue refused; a pause (a command's
// start) stops a reading of a big folder at once; and after a command each folder shown is read once.
TEST_F(Follow, ARefusedPostIsMadeAgainAPauseStopsABigReadingAndACommandReadsEachFolderOnce) {
    const std::string big = UnixPath(R()) + "/big";
    struct HostRemoval {  // 100,000 files go faster from the host
        std::string dir;
        ~HostRemoval() { RunShell("rm -rf " + Quoted(dir)); }
    } removal{big};
    ASSERT_EQ(RunShell("mkdir " + Quoted(big) + " && cd " + Quoted(big) + " && seq 1 100000 | xargs touch"), 0);
    std::atomic<int> posts{0};
    FolderFollower follower([&] { return ++posts > 1; });  // the first post is refused
    follower.Follow(R() + "\\big");
    LetTheWatchStart();
    std::uint64_t reads = ListingReads();
    ASSERT_EQ(RunShell("touch " + Quoted(big + "/new?")), 0);  // no path reaches it alone: read whole
    ASSERT_GE(PumpUntil([&] { return ListingReads() > reads; }, 2.0), 0.0);  // reading now
    // Past the first call, in which Wine reads all 100,000 names at once (one call to the file
    // system, which a pause waits for): the reading goes on name by name for a while after it.
    Sleep(150);
    const DWORD pausing = GetTickCount();
    follower.Pause();
    EXPECT_LT(GetTickCount() - pausing, 100u);
    follower.Resume();  // it reads again, and tells
    EXPECT_GE(PumpUntil([&] { return posts >= 2; }, 10.0), 0.0);
    std::optional<Listing> read;
    EXPECT_EQ(follower.TakeListing(read), FolderFollower::News::Read);
    EXPECT_EQ(read ? read->entries.size() : 0u, 100002u);  // the parent too

    LetTheWatchStart();
    Pick(Left(), "A.txt");
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    reads = ListingReads();
    form->RunFileCommand(ConfirmMode::Copy, form->Active());
    PumpUntil([] { return false; }, 1.5);
    EXPECT_EQ(ListingReads() - reads, 2u);
    EXPECT_GE(IndexOfCaption(Right(), "A.txt"), 0);
}

}  // namespace bivane::test
