// Which file the viewer's command line names.
#include <gtest/gtest.h>

#include <set>

#include "viewer/command_rules.h"

using namespace bivane::viewer;

TEST(ViewerCommand, TheTailFollowsTheProgramsName) {
    EXPECT_EQ(CommandTail("\"C:\\Program Files\\Bivane\\BVLIST.EXE\" \"C:\\a b.txt\""), "\"C:\\a b.txt\"");
    EXPECT_EQ(CommandTail("BVLIST.EXE   file.txt  "), "file.txt");
    EXPECT_EQ(CommandTail("BVLIST.EXE\tC:\\x y"), "C:\\x y");
    EXPECT_EQ(CommandTail("BVLIST.EXE"), "");
    EXPECT_EQ(CommandTail("\"unterminated name"), "");
}

TEST(ViewerCommand, QuotedWholeTailOrFirstOfFilesNamedOneByOne) {
    const std::set<std::string> files = {"C:\\d\\my file.txt", "a", "b", "a b", "c", "\\\\?\\Z:\\tmp\\long name.txt"};
    const auto isFile = [&](const std::string& n) { return files.count(n) > 0; };
    struct Case {
        std::string tail, file;
    };
    const Case cases[] = {
        {"\"C:\\d\\my file.txt\"", "C:\\d\\my file.txt"},
        {"  \"C:\\d\\my file.txt\" ignored", "C:\\d\\my file.txt"},
        {"C:\\d\\my file.txt", "C:\\d\\my file.txt"},   // a name with a blank, in pieces
        {"C:\\d\\missing file.txt", "C:\\d\\missing file.txt"},
        {"a b", "a b"},                                 // the whole tail names a file: it wins
        {"b c", "b"},                                   // each word a file: the first
        {"a  zzz", "a  zzz"},                           // not every word a file: the whole tail
        {"\\\\?\\Z:\\tmp\\long name.txt", "\\\\?\\Z:\\tmp\\long name.txt"},
        {"\"unterminated", "unterminated"},
        {"", ""},
        {"   ", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FileFromTail(c.tail, isFile), c.file) << c.tail;
}

TEST(ViewerCommand, StartsAtAnOffsetGivenBeforeTheFile) {
    struct Case {
        std::string tail, rest;
        std::int64_t offset, length;
    };
    const Case cases[] = {
        {"/at=1234,6 \"C:\\a b.txt\"", "\"C:\\a b.txt\"", 1234, 6},
        {" /at=77  C:\\x.txt", "C:\\x.txt", 77, 0},
        {"/at=12x C:\\x.txt", "/at=12x C:\\x.txt", -1, 0},    // not a number: a name, as before
        {"/at=,3 C:\\x.txt", "/at=,3 C:\\x.txt", -1, 0},
        {"/at=5,\"C:\\x.txt\"", "/at=5,\"C:\\x.txt\"", -1, 0},
        {"\"C:\\at=5\"", "\"C:\\at=5\"", -1, 0},
    };
    for (const Case& c : cases) {
        StartAt at;
        EXPECT_EQ(TakeStartAt(c.tail, at), c.rest) << c.tail;
        EXPECT_EQ(at.offset, c.offset) << c.tail;
        EXPECT_EQ(at.length, c.length) << c.tail;
    }
}
