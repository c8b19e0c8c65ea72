#include "core/errors.h"

#include <gtest/gtest.h>

using namespace bivane;

TEST(Errors, RunTimeTextsByCode) {
    EXPECT_EQ(IoErrorText(2), "File not found");
    EXPECT_EQ(IoErrorText(3), "Invalid filename");
    EXPECT_EQ(IoErrorText(4), "Too many open files");
    EXPECT_EQ(IoErrorText(5), "File access denied");
    EXPECT_EQ(IoErrorText(100), "Read beyond end of file");
    EXPECT_EQ(IoErrorText(101), "Disk full");
    EXPECT_EQ(IoErrorText(106), "Invalid numeric input");
    EXPECT_EQ(IoErrorText(21), "I/O error 21");
    EXPECT_EQ(IoError(3).what(), std::string("Invalid filename"));
}

TEST(Errors, FullStopAddedOnlyWhenMissing) {
    EXPECT_EQ(WithFullStop("File not found"), "File not found.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop("Failure writing file\rC:\\X"), "Failure writing file\rC:\\X.");
    EXPECT_EQ(WithFullStop(""), ".");
}
