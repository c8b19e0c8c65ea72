#include "panes/folder_size_rules.h"

#include <gtest/gtest.h>

#include "rules/listed.h"

using namespace bivane;
using bivane::test::Listed;

namespace {
constexpr std::uint32_t kDir = 0x10, kArchive = 0x20, kReadOnly = 0x1, kReparse = 0x400;
using Names = std::vector<std::string>;

std::vector<Entry> Side() {
    std::vector<Entry> v{Listed("[parent]"), Listed("<Docs>"), Listed("<link>"), Listed("A.txt"), Listed("<zeta>")};
    v[2].link = true;
    for (Entry& e : v) e.sizeText = e.IsFile() ? "5" : "<DIR>";
    return v;
}
}  // namespace

TEST(FolderSizeRules, LinksAndDotsAreNeverWalkedFoldersAreFilesCount) {
    const struct {
        const wchar_t* name;
        std::uint32_t attributes;
        WalkStep step;
        std::uint32_t tag = 0;  // Wine lists a Linux link with none
    } cases[] = {
        {L".", kDir, WalkStep::Skip},
        {L"..", kDir, WalkStep::Skip},
        {L"sub", kDir, WalkStep::Descend},
        {L"sub", kDir | kReadOnly, WalkStep::Descend},
        {L"...", kDir, WalkStep::Descend},  // a real name, not the parent
        {L"linked", kDir | kReparse, WalkStep::Skip},  // a symbolic link or junction to a folder
        {L"flink", kArchive | kReparse, WalkStep::Skip},
        {L"a.txt", kArchive, WalkStep::Count},
        {L"fifo", 0, WalkStep::Count},  // listed as a 0-byte file: counted, never opened
        {L"junction", kDir | kReparse, WalkStep::Skip, 0xA0000003},
        {L"symlink", kArchive | kReparse, WalkStep::Skip, 0xA000000C},
        {L"cloud", kDir | kReparse, WalkStep::Descend, 0x9000101A},  // a placeholder holds its own names
        {L"dedup", kArchive | kReparse, WalkStep::Count, 0x80000013},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StepFor(c.name, c.attributes, c.tag), c.step) << std::wstring(c.name).size() << " " << c.attributes;
    }
}

TEST(FolderSizeRules, SizeTextIsPlainDigitsAndSaysWhenSomethingWasUnreadable) {
    FolderTotal t;
    EXPECT_EQ(FolderSizeText(t), "0");  // an empty folder
    t.bytes = 5'000'000'000;            // beyond 32 bits
    EXPECT_EQ(FolderSizeText(t), "5000000000");
    EXPECT_EQ(ReadSizeText(FolderSizeText(t)), 5'000'000'000);
    t.unreadable = 1;
    EXPECT_EQ(FolderSizeText(t), "5000000000+");
}

TEST(FolderSizeRules, FoldersToSizeAreTheCurrentFolderOrEveryRealFolder) {
    const std::vector<Entry> side = Side();
    EXPECT_EQ(FoldersToSize(side, 1, false), (Names{"Docs"}));
    EXPECT_EQ(FoldersToSize(side, 0, false), Names{});  // [parent]
    EXPECT_EQ(FoldersToSize(side, 2, false), Names{});  // a link
    EXPECT_EQ(FoldersToSize(side, 3, false), Names{});  // a file
    EXPECT_EQ(FoldersToSize(side, -1, false), Names{});
    EXPECT_EQ(FoldersToSize(side, 5, false), Names{});
    EXPECT_EQ(FoldersToSize(side, -1, true), (Names{"Docs", "zeta"}));
    EXPECT_EQ(FoldersToSize({}, 0, true), Names{});
}

TEST(FolderSizeRules, ASizeGoesToItsFolderWhereverItIsNowAndNowhereElse) {
    std::vector<Entry> side = Side();
    std::swap(side[1], side[4]);  // sorted otherwise since the walk began
    EXPECT_EQ(ShowFolderSize(side, "Docs", "1234"), 4);
    EXPECT_EQ(side[4].sizeText, "1234");
    EXPECT_EQ(side[1].sizeText, "<DIR>");
    // No folder of that name any more, a file or a link of that name: nothing changes.
    EXPECT_EQ(ShowFolderSize(side, "gone", "1"), -1);
    EXPECT_EQ(ShowFolderSize(side, "A.txt", "1"), -1);
    EXPECT_EQ(ShowFolderSize(side, "link", "1"), -1);
    EXPECT_EQ(ShowFolderSize(side, "..", "1"), -1);
    EXPECT_EQ(side[3].sizeText, "5");
    EXPECT_EQ(side[2].sizeText, "<DIR>");
    EXPECT_EQ(side[0].sizeText, "<DIR>");
}
