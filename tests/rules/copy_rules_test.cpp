#include <gtest/gtest.h>

#include "fileops/copy_rules.h"
#include "rules/listed.h"

namespace bivane::test {

namespace {

// [parent] <Dir> a.txt(tagged) b.txt c.txt(tagged)
std::vector<Entry> Folder() {
    std::vector<Entry> entries{Listed("[parent]"), Listed("<Dir>"), Listed("A.txt"), Listed("B.txt"), Listed("C.txt")};
    entries[2].mark = 'Y';
    entries[4].mark = 'y';  // a mark compares without case
    return entries;
}

}  // namespace

TEST(CopyRules, EntriesEachRunActsOn) {
    const std::vector<Entry> entries = Folder();
    struct Case {
        ConfirmMode mode;
        bool currentOnly, tagged;
        int current;
        std::vector<std::size_t> rows;
    } cases[] = {
        // The current entry: a copy takes a file only; a delete or a move a directory too; none the parent.
        {ConfirmMode::Copy, true, false, 3, {3}},
        {ConfirmMode::Copy, true, false, 1, {}},
        {ConfirmMode::Delete, true, false, 1, {1}},
        {ConfirmMode::Move, true, false, 1, {1}},
        {ConfirmMode::Delete, true, false, 0, {}},
        {ConfirmMode::Move, true, false, 0, {}},
        {ConfirmMode::Copy, true, false, -1, {}},
        {ConfirmMode::Copy, true, false, 5, {}},
        // The tagged files, in list order, whatever is current.
        {ConfirmMode::Copy, false, true, 1, {2, 4}},
        {ConfirmMode::Delete, false, true, 0, {2, 4}},
        {ConfirmMode::Move, false, true, 3, {2, 4}},
        // Neither: nothing.
        {ConfirmMode::Copy, false, false, 3, {}},
    };
    for (const Case& c : cases) {
        RunRequest r;
        r.mode = c.mode;
        r.currentOnly = c.currentOnly;
        r.tagged = c.tagged;
        r.current = c.current;
        EXPECT_EQ(EntriesToActOn(entries, r), c.rows) << static_cast<int>(c.mode) << " current " << c.current;
    }
}

TEST(CopyRules, WhatAFinishedRunReadsAgain) {
    const Reloads copy = ReloadsAfter(ConfirmMode::Copy, false, "C:\\A", "C:\\B");
    EXPECT_TRUE(copy.target);
    EXPECT_FALSE(copy.source || copy.targetToSource);
    for (bool moved : {false, true}) {
        const Reloads move = ReloadsAfter(ConfirmMode::Move, moved, "C:\\A", "C:\\B");
        EXPECT_EQ(move.source, moved);
        EXPECT_EQ(move.target, moved);
        EXPECT_FALSE(move.targetToSource);
    }
    // A delete reads its source; the other pane moves there when it shows the source or below.
    struct Case {
        const char *source, *other;
        bool moves;
    } cases[] = {{"C:\\A", "C:\\B", false}, {"C:\\A", "C:\\A", true}, {"C:\\A", "C:\\A\\Sub", true}, {"C:\\A\\Sub", "C:\\A", false}};
    for (const Case& c : cases) {
        const Reloads del = ReloadsAfter(ConfirmMode::Delete, false, c.source, c.other);
        EXPECT_TRUE(del.source);
        EXPECT_FALSE(del.target);
        EXPECT_EQ(del.targetToSource, c.moves) << c.source << " " << c.other;
    }
}

}  // namespace bivane::test
