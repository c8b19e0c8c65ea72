#include "support/form_fixture.h"

#include <winioctl.h>

#include "platform/fs.h"
#include "platform/utf.h"

namespace bivane::test {

class Load : public FormTest {};

TEST_F(Load, EntryFormatForDirectoriesFilesAndPrograms) {
    MakeDir(tmp / "Program Files");
    MakeDir(tmp / "Locked");
    SetAttributes(tmp / "Locked", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    MakeFile(tmp / "_SETUP.LOG", 5);
    MakeFile(tmp / "Setup.BAT", 7);
    const SYSTEMTIME pm = LocalTimeOf(1992, 6, 19, 14, 5, 31);
    MakeFile(tmp / "README.TXT", 12, &pm);
    StartIn(tmp.Path());

    const Pane& L = Left();
    const Entry& dir = L.Entries[IndexOfCaption(L, "<Program Files>")];
    EXPECT_EQ(dir.sizeText, "<DIR>");
    EXPECT_EQ(dir.dateText, " ");
    EXPECT_EQ(dir.mark, 'D');
    EXPECT_EQ(dir.image, kImageDir);
    // Wine keeps a directory's read-only flag only where the file system stores DOS attributes.
    if (GetFileAttributesW(Widen(tmp / "Locked").c_str()) & FILE_ATTRIBUTE_READONLY) {
        EXPECT_EQ(L.Entries[IndexOfCaption(L, "<Locked>")].sizeText, "<DIR>r");
    }
    const Entry& readme = L.Entries[IndexOfCaption(L, "Readme.txt")];
    EXPECT_EQ(readme.sizeText, "12");
    EXPECT_EQ(readme.dateText, "06/19/92 02:05pm");
    EXPECT_EQ(readme.mark, 'N');
    EXPECT_EQ(readme.image, kImageFile);
    EXPECT_EQ(L.Entries[IndexOfCaption(L, "Setup.bat")].image, kImageProgram);
    EXPECT_GE(IndexOfCaption(L, "_setup.log"), 0);
    SetAttributes(tmp / "Locked", FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Load, DateTextAtMidnightAndNoon) {
    const SYSTEMTIME midnight = LocalTimeOf(2001, 1, 2, 0, 7);
    const SYSTEMTIME noon = LocalTimeOf(2001, 1, 2, 12, 0);
    MakeFile(tmp / "a.txt", 1, &midnight);
    MakeFile(tmp / "b.txt", 1, &noon);
    StartIn(tmp.Path());
    EXPECT_EQ(Left().Entries[IndexOfCaption(Left(), "A.txt")].dateText, "01/02/01 12:07am");
    EXPECT_EQ(Left().Entries[IndexOfCaption(Left(), "B.txt")].dateText, "01/02/01 12:00pm");
}

TEST_F(Load, HiddenAndSystemEntriesAreNotListed) {
    MakeFile(tmp / "seen.txt", 1);
    MakeFile(tmp / "hidden.txt", 1);
    MakeFile(tmp / "system.txt", 1);
    MakeDir(tmp / "HiddenDir");
    SetAttributes(tmp / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(tmp / "system.txt", FILE_ATTRIBUTE_SYSTEM);
    SetAttributes(tmp / "HiddenDir", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    StartIn(tmp.Path());
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Seen.txt"}));
    EXPECT_EQ(Left().FileCount, 1);
}

TEST_F(Load, OneSmallFileGivesZeroKAndPluralFiles) {
    MakeFile(tmp / "x.dat", 999);
    StartIn(tmp.Path());
    EXPECT_EQ(Left().Status.Text(0), "Dir: 0k");
    EXPECT_EQ(Left().Status.Text(1), "1 Files");
    EXPECT_EQ(Left().TagCount, 0);
    EXPECT_TRUE(Left().SortedByName);
}

TEST_F(Load, FileOverFourGigabytesKeepsItsRealSize) {
    const std::string big = tmp / "big.bin";
    {
        AutoCloseHandle f(CreateFileW(Widen(big).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(f));
        DWORD ret = 0;
        DeviceIoControl(f.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = 5'000'000'001LL;
        ASSERT_TRUE(SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(f.get()));
    }
    StartIn(tmp.Path());
    const Entry& e = Left().Entries[IndexOfCaption(Left(), "Big.bin")];
    EXPECT_EQ(e.sizeText, "5000000001");
    EXPECT_EQ(e.size, 5'000'000'001LL);
    EXPECT_EQ(Left().Status.Text(0), "Dir: 5000000k");
}

TEST_F(Load, UnicodeNamesAreListedAndFoundAgain) {
    const std::string name = "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80.txt";  // été 日本 😀
    MakeFile(tmp / name, 3);
    StartIn(tmp.Path());
    ASSERT_EQ(Left().Entries.size(), 2u);
    const std::string caption = Left().Entries[1].caption;
    EXPECT_EQ(caption, name);
    EXPECT_EQ(FileSizeOf(tmp / caption), 3);
}

TEST_F(Load, RootHasNoParentEntry) {
    StartIn("C:\\");
    ASSERT_FALSE(Left().Entries.empty());
    EXPECT_EQ(IndexOfCaption(Left(), "[parent]"), -1);
}

TEST_F(Load, LoadingOneSideNeverTouchesTheOther) {
    MakeFile(tmp / "a.txt", 1);
    StartIn(tmp.Path());
    form->SetSide2Active();
    const std::string title = Left().Title.Caption();
    const auto before = Captions(Left());
    MakeDir(tmp / "sub");
    Right().Tree.SetDirectory(tmp / "sub");
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]"}));
    EXPECT_EQ(Captions(Left()), before);
    EXPECT_EQ(Left().Title.Caption(), title);
}

TEST_F(Load, NameColumnAllowsForTheScrollBar) {
    for (int i = 0; i < 3; ++i) MakeFile(tmp / ("f" + std::to_string(i)), 1);
    StartIn(tmp.Path());
    const RECT r = ChildRect(Left().List.Handle());
    const int width = r.right - r.left;
    EXPECT_EQ(Left().List.ColumnWidth(0), width - 4 - 54 - 102);
    const int rows = Left().List.VisibleRows();
    for (int i = 3; i < rows + 2; ++i) MakeFile(tmp / ("f" + std::to_string(i)), 1);
    form->LoadLeftSide();
    EXPECT_EQ(Left().List.ColumnWidth(0), width - 17 - 54 - 102);
    EXPECT_EQ(Left().List.ColumnWidth(1), 54);
    EXPECT_EQ(Left().List.ColumnWidth(2), 102);
    EXPECT_EQ(Left().List.ColumnWidth(3), 0);
}

}  // namespace bivane::test
