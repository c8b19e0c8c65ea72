// A listing that an error cuts short, failed on purpose through the listing's seam (under Wine the
// file system's error reaches the program as the folder's end): no reader takes it as whole.
#include "fileops/folder_copy_rules.h"
#include "fileops/target_folder.h"
#include "core/wtf8.h"
#include "find/file_finder.h"
#include "panes/folder_walk.h"
#include "platform/code_pages.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"
#include "sync/tree_compare.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace bivane::test {

class ListingFaults : public ReliabilityTest {
protected:
    // A search of every name below L() to its end: the names found, or the folders it could not read.
    std::vector<std::string> Find(bool unreadable) {
        FileFinder finder({});
        FindQuery q;
        q.roots = {L()};
        q.upper = UpperCaseUnits();
        q.masks = find::ParseMasks("*", q.upper);
        finder.Start(q, FinderTextPlatform());
        std::vector<std::string> out;
        PumpUntil([&] {
            FindBatch b = finder.Take();
            if (unreadable) out.insert(out.end(), b.unreadable.begin(), b.unreadable.end());
            if (!unreadable) std::ranges::transform(b.found, std::back_inserter(out), &FoundFile::name);
            return !b.running;
        }, 30);
        return out;
    }
    std::vector<sync::Line> Compare() {
        TreeComparer c({});
        TreeQuery q;
        std::tie(q.left, q.right, q.upper) = std::tuple(L(), R(), UpperCaseUnits());
        c.Start(q);
        std::unique_ptr<TreeResult> r;
        PumpUntil([&] { return (r = c.Take()) != nullptr; }, 30);
        return r ? std::move(r->lines) : std::vector<sync::Line>{};
    }
};

TEST_F(ListingFaults, NoReaderTakesAListingCutShortAsWhole) {
    std::vector<Made> tree;
    for (const char* side : {"L\\Big\\f", "R\\Big\\g", "L\\Big\\sub\\s"}) {
        for (int i = 0; i < 12; ++i) tree.push_back({side + std::to_string(i) + ".txt"});
    }
    StartSidesWith(tree);
    const SimulatedListingFault fault({L"L\\Big", 6});  // ".", ".." and four names
    for (const auto& [reader, run] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
        {"a side", [&] { form->LoadSide(Left(), L() + "\\Big"); EXPECT_TRUE(Left().Title.Caption().ends_with(" (read in part)")); }},
        {"folder sizes", [&] { EXPECT_EQ(FolderSizeText(*SumFolder(EntryPath(L(), "Big"), std::atomic<bool>{false})).back(), '+'); }},
        {"the target of a copy", [&] { EXPECT_THROW(ReadTargetFolder(EntryPath(L(), "Big"), LocalTimes()), FileError); }},
        {"Find Files", [&] { EXPECT_EQ(Find(true), std::vector<std::string>{L() + "\\Big"}); }},
        {"Synchronize", [&] {
             std::vector<sync::Line> lines = Compare();
             ASSERT_GT(lines.size(), 12u);
             sync::ApplyMode(lines, sync::Mode::MirrorRight);
             for (const sync::Line& l : lines) {
                 EXPECT_TRUE(l.relation == sync::Relation::Error && l.action == sync::Action::Leave) << Utf16ToWtf8(l.name);
             }
         }},
        {"a folder copy", [&] {
             form->LoadSide(Left(), L());
             Pick(Left(), "<Big>");
             RemoveTree(R() + "\\Big");
             modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
             modals.ExpectBox(LeftOutText({{"Big", LeftOutWhy::ReadInPart}}), IDOK, "Warning");
             RunMenu(MenuItem::Copy);
             modals.VerifyDone();
         }}}) {
        SCOPED_TRACE(reader);
        run();
    }
}

// A killed copy's leftovers are the program's, not the user's data: never found, compared or copied.
TEST_F(ListingFaults, CopyLeftoversAreNeverFoundComparedOrCopied) {
    StartSidesWith({{"L\\a.txt"}, {"L\\~bvcopy0123abcd.tmp"}, {"L\\~bvcopy0123abcd.dir\\~bvcopy4567cdef.tmp"}});
    EXPECT_EQ(Find(false), std::vector<std::string>{"a.txt"});
    const std::vector<sync::Line> lines = Compare();
    EXPECT_EQ(lines.size() == 1 ? Utf16ToWtf8(lines[0].name) : "", "a.txt");
    EXPECT_EQ(ListTree(Widen(L()))->items.size(), 1u);
}

}  // namespace bivane::test
