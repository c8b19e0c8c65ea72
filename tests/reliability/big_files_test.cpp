// Big and odd files: sparse files past 4 GB through sizes, totals, the space check and the copy's
// arithmetic; empty files; and a folder of very many files tagged and sent to the recycle bin.
#include <chrono>
#include <cstdio>

#include "fileops/confirm_dialog.h"
#include "core/errors.h"
#include "fileops/copy_file.h"
#include "fileops/progress_dialog.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"

namespace bivane::test {

namespace {

constexpr std::int64_t kHuge = 4831838208;  // 4.5 GiB

std::string TrashFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (!xdg || !*xdg) return {};
    std::string path = std::string("Z:") + xdg + "/Trash";
    for (char& c : path) if (c == '/') c = '\\';
    return path;
}

int CountIn(const std::string& dir, const std::string& pattern) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW(Widen(dir + "\\" + pattern).c_str(), &fd));
    if (find) {
        do n += fd.cFileName[0] != L'.';
        while (FindNextFileW(find.get(), &fd));
    }
    return n;
}

class BigFiles : public ReliabilityTest {};

}  // namespace

TEST_F(BigFiles, PastFourGigabytesInSizesTotalsAndTheSpaceCheck) {
    MakeSparse(L() + "\\Huge.bin", kHuge);
    MakeFile(L() + "\\Empty.txt", 0);
    const std::string s = DriveFolder('S');
    StartSides(L(), s.empty() ? R() : s);
    const Entry& e = Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "Huge.bin"))];
    EXPECT_EQ(e.sizeText, "4831838208");
    EXPECT_EQ(Left().Status.Text(0), "Dir: 4831838k");
    Tag(Left(), "Huge.bin");
    Tag(Left(), "Empty.txt");
    EXPECT_EQ(Left().TagBytes, kHuge);
    EXPECT_EQ(Left().Status.Text(1), "Tag: 4831838k (2)");
    if (s.empty()) GTEST_SKIP() << "no small drive S: (drives.sh could not mount a tmpfs)";

    // Onto the small drive: refused by the space check, nothing written; the empty file goes.
    modals.ExpectDialog("ConfirmDialog", [](ModalForm& f) {
        EXPECT_EQ(static_cast<ConfirmDialog&>(f).Text(static_cast<ConfirmDialog&>(f).TagDesc), "4831838208 bytes in 2 files");
        return IDOK;
    });
    modals.ExpectBox("Insufficient disk space\ron drive S: \rfor Huge.bin", IDOK, "Warning");
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(ReadAll(s + "\\Empty.txt"), "");
    EXPECT_TRUE(Exists(s + "\\Empty.txt"));
    EXPECT_FALSE(Exists(s + "\\Huge.bin"));
    EXPECT_EQ(Temporaries(s), 0);
    RemoveTree(s);
}

// The copy's figures past 4 GB without writing 4.5 GB: the bar's range, and a write failure after the
// first megabyte leaving nothing behind.
TEST_F(BigFiles, CopyArithmeticPastFourGigabytes) {
    MakeSparse(L() + "\\Huge.bin", kHuge);
    StartSides(L(), R());
    Pick(Left(), "Huge.bin");
    const Snapshot before = Snap(R());
    SimulatedCopyFaults faults(DeviceFaults{.writeLimit = 1 << 20});
    modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
    modals.ExpectBox(WithFullStop("Failure writing file\r" + R() + "\\Huge.bin"), IDOK, kAppTitle);
    RunMenu(MenuItem::Copy);
    EXPECT_EQ(form->Progress->BarMax(), static_cast<int>(kHuge / kCopyBlockSize + 1));
    EXPECT_EQ(form->Progress->BarPosition(), (1 << 20) / kCopyBlockSize);
    EXPECT_EQ(Changes(before, Snap(R())), std::set<std::string>{});
}

// D:\many is made on the host (host_files.sh): every file tagged and sent to the recycle bin, one
// shell operation each, and every one found in the bin afterwards; the bin is emptied again.
TEST_F(BigFiles, ManyFilesTaggedAndRecycled) {
    const std::string many = "D:\\many";
    const int count = CountIn(many, "*");
    if (count == 0) GTEST_SKIP() << "host files not made (host_files.sh)";
    const std::string trash = TrashFolder();
    ASSERT_FALSE(trash.empty());
    const int inTrash = CountIn(trash + "\\files", "F*.txt");
    using Clock = std::chrono::steady_clock;
    auto t0 = Clock::now();
    StartSides(many, R());
    auto t1 = Clock::now();
    EXPECT_EQ(Left().FileCount, count);
    form->TagAll(form->Active());
    EXPECT_EQ(Left().TagCount, count);
    auto t2 = Clock::now();
    modals.ExpectDialog("ConfirmDialog", [=](ModalForm& f) {
        ConfirmDialog& c = static_cast<ConfirmDialog&>(f);
        EXPECT_EQ(c.Text(c.TagDesc), "0 bytes in " + std::to_string(count) + " files");
        EXPECT_TRUE(c.IsChecked(c.RecycleChoice));
        return IDOK;
    });
    RunMenu(MenuItem::Delete);
    auto t3 = Clock::now();
    EXPECT_EQ(CountIn(many, "*"), 0);
    EXPECT_EQ(CountIn(trash + "\\files", "F*.txt"), inTrash + count);
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]"}));
    auto ms = [](auto d) { return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); };
    std::printf("%d files: load %lld ms, tag all %lld ms, recycle %lld ms\n", count, ms(t1 - t0), ms(t2 - t1), ms(t3 - t2));
    // Emptied, not removed: the shell of this process found the folders once and keeps using them.
    EmptyTrash();
}

}  // namespace bivane::test
