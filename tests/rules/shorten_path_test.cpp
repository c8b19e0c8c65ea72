#include "panes/shorten_path.h"

#include <gtest/gtest.h>

#include <vector>

using namespace bivane;

namespace {

std::function<int(std::string_view)> PixelsPerChar(int n) {
    return [n](std::string_view s) { return static_cast<int>(s.size()) * n; };
}

// The first of the steps that fits, or the last one when none does.
std::string FirstThatFits(const std::vector<std::string>& steps, int width, int n) {
    for (const std::string& s : steps)
        if (static_cast<int>(s.size()) * n <= width) return s;
    return steps.back();
}

void ExpectStepsAtEveryWidth(const std::string& path, const std::vector<std::string>& steps) {
    for (int n : {1, 7}) {
        for (int width = -1; width <= static_cast<int>(path.size()) * n + 1; ++width)
            EXPECT_EQ(ShortenPath(path, width, PixelsPerChar(n)), FirstThatFits(steps, width, n))
                << path << " width " << width << " at " << n << " px";
    }
}

}  // namespace

TEST(ShortenPath, DropsOneNameAtATimeThenDriveThenPrefix) {
    ExpectStepsAtEveryWidth("C:\\WINDOWS\\SYSTEM\\COLOR",
                            {"C:\\WINDOWS\\SYSTEM\\COLOR", "C:\\...\\SYSTEM\\COLOR", "C:\\...\\COLOR",
                             "...\\COLOR", "COLOR"});
}

TEST(ShortenPath, DeepPathKeepsDriveAndLastName) {
    ExpectStepsAtEveryWidth("D:\\a\\bb\\ccc\\LAST",
                            {"D:\\a\\bb\\ccc\\LAST", "D:\\...\\bb\\ccc\\LAST", "D:\\...\\ccc\\LAST",
                             "D:\\...\\LAST", "...\\LAST", "LAST"});
}

TEST(ShortenPath, DirectoryOfRootOnlyDropsSeparatorThenDrive) {
    ExpectStepsAtEveryWidth("C:\\COLOR", {"C:\\COLOR", "C:COLOR", "COLOR"});
    ExpectStepsAtEveryWidth("C:\\", {"C:\\", "C:", ""});
}

TEST(ShortenPath, PathsWithoutDrive) {
    ExpectStepsAtEveryWidth("A\\B\\C", {"A\\B\\C", "...\\B\\C", "...\\C", "C"});
    ExpectStepsAtEveryWidth("\\X\\Y", {"\\X\\Y", "\\...\\Y", "...\\Y", "Y"});
    ExpectStepsAtEveryWidth("NAME", {"NAME"});
}

TEST(ShortenPath, NameStartingWithDotsIsNotTakenForEllipsis) {
    ExpectStepsAtEveryWidth("C:\\...x\\B\\N", {"C:\\...x\\B\\N", "C:\\...\\B\\N", "C:\\...\\N", "...\\N", "N"});
}
