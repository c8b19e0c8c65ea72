// The single-file copy on real files: blocks and bar steps, the date, the status line, and every
// failure leaving the target as it was.
#include <vector>

#include "core/errors.h"
#include "fileops/copy_file.h"
#include "fileops/fileops_support.h"
#include "fileops/progress_dialog.h"
#include "platform/utf.h"

namespace bivane::test {

namespace {

class SingleCopy : public FileOpsTest {
protected:
    void SetUp() override {
        StartWith({{"dst\\"}, {"src\\other.txt", 500}});
        p = form->Progress.get();
        p->ShowModeless();
    }
    void TearDown() override {
        p->Hide();
        FormTest::TearDown();
    }
    // Prepares the bar as the copy command does, copies, and returns the steps taken.
    int Copy(const std::string& from, const std::string& to, std::int64_t size) {
        p->PrepareBar(static_cast<int>(size / kCopyBlockSize + 1));
        CopyFileWithProgress(*p, from, to);
        return p->BarPosition();
    }
    template <typename E>
    std::string Failure(const std::string& from, const std::string& to) {
        try {
            CopyFileWithProgress(*p, from, to);
        } catch (const E& e) {
            return e.what();
        } catch (const std::exception& e) {
            return std::string("wrong kind: ") + e.what();
        }
        return "no error";
    }
    ProgressDialog* p = nullptr;
};

}  // namespace

TEST_F(SingleCopy, BlockCountsFillTheBarExactly) {
    const SYSTEMTIME when = LocalTimeOf(2003, 7, 14, 16, 45, 31);
    constexpr std::int64_t B = kCopyBlockSize;
    for (std::int64_t size : {std::int64_t{0}, std::int64_t{1}, B - 1, B, B + 1, 2 * B, 2 * B + 3000}) {
        SCOPED_TRACE(size);
        const std::string name = "f" + std::to_string(size) + ".bin";
        MakeFile(tmp / ("src\\" + name), size, &when);
        SetLastWrite(tmp / ("src\\" + name), LastWrite(tmp / ("src\\" + name)) + 1234567);  // and a fraction
        const Snapshot before = Snap(tmp.Path());
        const int steps = Copy(tmp / ("src\\" + name), tmp / ("dst\\" + name), size);
        EXPECT_EQ(steps, size / B + 1);
        EXPECT_EQ(steps, p->BarMax());
        EXPECT_EQ(ReadAll(tmp / ("dst\\" + name)), ReadAll(tmp / ("src\\" + name)));
        // Last-write time carried over exactly: an odd second and its fraction.
        EXPECT_EQ(LastWrite(tmp / ("dst\\" + name)), LastWrite(tmp / ("src\\" + name)));
        EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"dst\\" + name}));
        EXPECT_FALSE(GetFileAttributesW(Widen(tmp / ("dst\\" + name)).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    }
}

TEST_F(SingleCopy, StatusShowsSettingTheDateThenASpace) {
    MakeFile(tmp / "src\\a.txt", 10000);
    p->Clock = PaintAlwaysDue;  // a slow copy: every text is painted
    TextRecorder status(p->Status);
    Copy(tmp / "src\\a.txt", tmp / "dst\\a.txt", 10000);
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Setting file date...", " "}));
    EXPECT_EQ(p->Text(p->Status), " ");
}

TEST_F(SingleCopy, ReplacesAnExistingTargetWithoutAsking) {
    Make({{"src\\a.txt", 300}, {"dst\\a.txt", 70000}});
    const Snapshot before = Snap(tmp.Path());
    // Relative names resolve against the current directory.
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(tmp / "src").c_str()));
    Copy("a.txt", "..\\dst\\a.txt", 300);
    EXPECT_EQ(ReadAll(tmp / "dst\\a.txt"), ReadAll(tmp / "src\\a.txt"));
    EXPECT_EQ(ChangedSince(before), (std::set<std::string>{"dst\\a.txt"}));
}

TEST_F(SingleCopy, ReadOnlyTargetFailsAndStaysAsItWas) {
    // A small file is copied and then refused where the target is; one over 1 MB is refused
    // before a block is read.
    for (const std::int64_t size : {std::int64_t{300}, std::int64_t{(1 << 20) + 1}}) {
        SCOPED_TRACE(size);
        Make({{"src\\a.txt", size}, {"dst\\a.txt", 20}});
        SetAttributes(tmp / "dst\\a.txt", FILE_ATTRIBUTE_READONLY);
        const Snapshot before = Snap(tmp.Path());
        ASSERT_TRUE(SetCurrentDirectoryW(Widen(tmp / "dst").c_str()));
        p->PrepareBar(static_cast<int>(size / kCopyBlockSize + 1));
        // The message names the expanded target path even when a relative one was given.
        EXPECT_EQ(Failure<FileCreateError>(tmp / "src\\a.txt", "a.txt"), "Cannot create file " + tmp / "dst\\a.txt");
        EXPECT_EQ(p->BarPosition(), size > (1 << 20) ? 0 : 1);
        EXPECT_EQ(ChangedSince(before), std::set<std::string>{});  // no temporary left either
        EXPECT_EQ(p->Text(p->Status), " ");
        SetAttributes(tmp / "dst\\a.txt", FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(SingleCopy, TargetInAMissingFolderOrNamedLikeAFolderCannotBeCreated) {
    Make({{"src\\a.txt", 300}, {"dst\\sub\\"}});
    const Snapshot before = Snap(tmp.Path());
    EXPECT_EQ(Failure<FileCreateError>(tmp / "src\\a.txt", tmp / "nowhere\\a.txt"), "Cannot create file " + tmp / "nowhere\\a.txt");
    EXPECT_EQ(Failure<FileCreateError>(tmp / "src\\a.txt", tmp / "dst\\sub"), "Cannot create file " + tmp / "dst\\sub");
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(SingleCopy, SourceMissingOrHeldOpenForWritingCannotBeOpened) {
    Make({{"src\\a.txt", 300}, {"dst\\a.txt", 20}});
    const Snapshot before = Snap(tmp.Path());
    EXPECT_EQ(Failure<FileOpenError>("src\\missing.txt", tmp / "dst\\a.txt"), "Cannot open file src\\missing.txt");
    {
        // Another program writing the file: the copy must not read a file in the making.
        AutoCloseHandle writer(CreateFileW(Widen(tmp / "src\\a.txt").c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(writer));
        EXPECT_EQ(Failure<FileOpenError>(tmp / "src\\a.txt", tmp / "dst\\a.txt"), "Cannot open file " + tmp / "src\\a.txt");
    }
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(SingleCopy, ShortWriteKeepsTheOldTargetAndLeavesNothingPartial) {
    Make({{"src\\big.bin", 3 * kCopyBlockSize - 5000}, {"dst\\big.bin", 1234}});
    const Snapshot before = Snap(tmp.Path());
    SimulatedCopyFaults faults(DeviceFaults{.writeLimit = 2 * kCopyBlockSize + 100});  // the disk fills up in the third block
    p->PrepareBar(3);
    EXPECT_EQ(Failure<CopyError>(tmp / "src\\big.bin", tmp / "dst\\big.bin"), "Failure writing file\r" + tmp / "dst\\big.bin");
    EXPECT_EQ(p->BarPosition(), 2);  // stepped for the two blocks that went through
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    EXPECT_EQ(p->Text(p->Status), " ");
}

TEST_F(SingleCopy, ReadFailureIsReportedNotTakenForTheEnd) {
    Make({{"src\\locked.bin", 2 * kCopyBlockSize + 7000}, {"dst\\locked.bin", 99}});
    const Snapshot before = Snap(tmp.Path());
    SimulatedCopyFaults faults(DeviceFaults{.readLimit = kCopyBlockSize});  // the device fails on the second block
    p->PrepareBar(3);
    EXPECT_EQ(Failure<CopyError>(tmp / "src\\locked.bin", tmp / "dst\\locked.bin"), "Failure reading file\r" + tmp / "src\\locked.bin");
    EXPECT_EQ(p->BarPosition(), 1);
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

TEST_F(SingleCopy, FullDiskKeepsTheOldTargetAndLeavesNothingPartial) {
    const std::string s = DriveFolder('S');
    if (s.empty()) GTEST_SKIP() << "no small drive S: (drives.sh could not mount a tmpfs)";
    ULARGE_INTEGER freeBytes{}, total{}, totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(L"S:\\", &freeBytes, &total, &totalFree));
    ASSERT_LT(total.QuadPart, 16u << 20) << "S: is not the small drive";
    // An old target that takes half the free room; the new one needs more than what is left.
    const std::int64_t room = static_cast<std::int64_t>(totalFree.QuadPart);
    MakeFile(s + "\\old.bin", room / 2);
    MakeFile(tmp / "src\\old.bin", room * 3 / 4);
    const Snapshot drive = Snap(s), before = Snap(tmp.Path());
    p->PrepareBar(static_cast<int>(room * 3 / 4 / kCopyBlockSize + 1));
    EXPECT_EQ(Failure<CopyError>(tmp / "src\\old.bin", s + "\\old.bin"), "Failure writing file\r" + s + "\\old.bin");
    EXPECT_EQ(Changes(drive, Snap(s)), std::set<std::string>{});
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
    RemoveTree(s);
}

// The copy keeps the source's marks; with Verify, a copy that reads back otherwise is refused
// before the old target goes.
TEST_F(SingleCopy, KeepsTheMarksAndVerifiesBeforeReplacing) {
    constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (const DWORD marks : {DWORD{FILE_ATTRIBUTE_READONLY}, DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        SCOPED_TRACE(marks);
        MakeFile(tmp / "src\\m.txt", 100);
        SetAttributes(tmp / "src\\m.txt", marks);
        Copy(tmp / "src\\m.txt", tmp / "dst\\m.txt", 100);
        EXPECT_EQ(GetFileAttributesW(Widen(tmp / "dst\\m.txt").c_str()) & kMarks, marks);
        for (const char* f : {"src\\m.txt", "dst\\m.txt"}) SetAttributes(tmp / f, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Widen(tmp / "dst\\m.txt").c_str());
    }
    Make({{"src\\v.bin", 2 * kCopyBlockSize + 10}, {"dst\\v.bin", 77}});
    const Snapshot before = Snap(tmp.Path());
    SimulatedCopyFaults garbled(DeviceFaults{.corruptAt = kCopyBlockSize + 5});
    CopyOptions verify;
    verify.verify = true;
    p->PrepareBar(3);
    try {
        CopyFileWithProgress(*p, tmp / "src\\v.bin", tmp / "dst\\v.bin", verify);
        ADD_FAILURE() << "a garbled copy verified";
    } catch (const CopyError& e) {
        EXPECT_EQ(std::string(e.what()), "The copy did not verify\r" + tmp / "dst\\v.bin");
    }
    EXPECT_EQ(ChangedSince(before), std::set<std::string>{});
}

}  // namespace bivane::test
