#include "support/form_fixture.h"

#include <winioctl.h>

#include "app/layout_rules.h"
#include "panes/listing.h"
#include "panes/shorten_path.h"
#include "platform/fs.h"
#include "platform/utf.h"

namespace bivane::test {

class Load : public FormTest {};

TEST_F(Load, EntryFormatForDirectoriesFilesAndPrograms) {
    const SYSTEMTIME pm = LocalTimeOf(1992, 6, 19, 14, 5, 31);
    Make({{"Program Files\\"}, {"Locked\\"}, {"_SETUP.LOG", 5}, {"Setup.BAT", 7}, {"README.TXT", 12, &pm}});
    SetAttributes(tmp / "Locked", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    StartIn(tmp.Path());

    const Pane& L = Left();
    const Entry& dir = L.Entries[static_cast<size_t>(IndexOfCaption(L, "<Program Files>"))];
    EXPECT_EQ(dir.sizeText, "<DIR>");
    EXPECT_EQ(dir.dateText, " ");
    EXPECT_EQ(dir.mark, Mark::Directory);
    EXPECT_EQ(dir.image, kImageDir);
    // Wine keeps a directory's read-only flag only where the file system stores DOS attributes.
    if (GetFileAttributesW(Widen(tmp / "Locked").c_str()) & FILE_ATTRIBUTE_READONLY) {
        EXPECT_EQ(L.Entries[static_cast<size_t>(IndexOfCaption(L, "<Locked>"))].sizeText, "<DIR>r");
    }
    const Entry& readme = L.Entries[static_cast<size_t>(IndexOfCaption(L, "Readme.txt"))];
    EXPECT_EQ(readme.sizeText, "12");
    EXPECT_EQ(readme.dateText, "06/19/92 02:05pm");
    EXPECT_EQ(readme.mark, Mark::Untagged);
    EXPECT_EQ(readme.image, kImageFile);
    EXPECT_EQ(L.Entries[static_cast<size_t>(IndexOfCaption(L, "Setup.bat"))].image, kImageProgram);
    EXPECT_GE(IndexOfCaption(L, "_setup.log"), 0);
    SetAttributes(tmp / "Locked", FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Load, DateTextAtMidnightAndNoon) {
    const SYSTEMTIME midnight = LocalTimeOf(2001, 1, 2, 0, 7);
    const SYSTEMTIME noon = LocalTimeOf(2001, 1, 2, 12, 0);
    StartWith({{"a.txt", 1, &midnight}, {"b.txt", 1, &noon}});
    EXPECT_EQ(Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "A.txt"))].dateText, "01/02/01 12:07am");
    EXPECT_EQ(Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "B.txt"))].dateText, "01/02/01 12:00pm");
}

TEST_F(Load, HiddenAndSystemEntriesAreNotListed) {
    Make({{"seen.txt", 1}, {"hidden.txt", 1}, {"system.txt", 1}, {"HiddenDir\\"}});
    SetAttributes(tmp / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(tmp / "system.txt", FILE_ATTRIBUTE_SYSTEM);
    SetAttributes(tmp / "HiddenDir", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    StartIn(tmp.Path());
    EXPECT_EQ(Captions(Left()), (std::vector<std::string>{"[parent]", "Seen.txt"}));
    EXPECT_EQ(Left().FileCount, 1);
}

TEST_F(Load, OneSmallFileGivesZeroKAndPluralFiles) {
    StartWith({{"x.dat", 999}});
    EXPECT_EQ(Left().Status.Text(0), "Dir: 0k");
    EXPECT_EQ(Left().Status.Text(1), "1 Files");
    EXPECT_EQ(Left().TagCount, 0);
    EXPECT_TRUE(Left().order == SortOrder::Name);
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
    const Entry& e = Left().Entries[static_cast<size_t>(IndexOfCaption(Left(), "Big.bin"))];
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

// A big folder is read in batches, made into entries while the next is read; start-up reads its
// folder ahead, on another thread. Either way the listing is the one read at once, and a listing
// read ahead is shown once, for its own folder only.
TEST_F(Load, AListingReadInBatchesOrAheadIsTheOneReadAtOnce) {
    Make({{"Program Files\\"}, {"Hidden Dir\\"}});
    SetAttributes(tmp / "Hidden Dir", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    const SYSTEMTIME old = LocalTimeOf(1992, 6, 19, 14, 5);
    for (const char* n : {"b.txt", "A.TXT", "setup.exe", "zz", "c.d.e"}) MakeFile(tmp / n, 1000 + n[0], &old);
    MakeFile(tmp / "~bvcopy0badf00d.tmp", 3);  // a killed copy's leftover
    SetAttributes(tmp / "~bvcopy0badf00d.tmp", FILE_ATTRIBUTE_HIDDEN);
    auto rows = [](const Listing& l) {
        std::vector<std::string> out;
        for (const Entry& e : l.entries) {
            out.push_back(e.caption + "|" + e.Name() + "|" + e.sizeText + "|" + e.dateText + "|" +
                          std::to_string(e.minute) + "|" + MarkLetter(e.mark) + "|" + std::to_string(e.image));
        }
        out.push_back(std::to_string(l.totalBytes) + " bytes, " + std::to_string(l.files) + " files" +
                      (l.staleCopies ? ", stale copies" : ""));
        return out;
    };
    const std::vector<std::string> once = rows(ReadListing(tmp.Path()));
    ASSERT_EQ(once.size(), 8u);  // the parent, a folder, five files and the totals
    EXPECT_EQ(once.back(), "5499 bytes, 5 files, stale copies");
    // 10 names are read (".", "..", the hidden two): batches of one, of a few with a remainder,
    // and of exactly half.
    for (const std::size_t batch : {1u, 3u, 5u}) {
        SCOPED_TRACE(batch);
        ScopedListingBatch smaller(batch);
        EXPECT_EQ(rows(ReadListing(tmp.Path())), once);
    }

    ReadListingAhead(tmp.Path());
    EXPECT_FALSE(TakeListingAhead(tmp / "Program Files"));  // another folder: dropped
    EXPECT_FALSE(TakeListingAhead(tmp.Path()));
    ReadListingAhead(tmp.Path());
    StartIn(tmp.Path());
    EXPECT_FALSE(TakeListingAhead(tmp.Path()));  // the start-up took it
    std::vector<std::string> shown;
    for (const Entry& e : Left().Entries) shown.push_back(e.caption);
    std::vector<std::string> expected;
    for (size_t i = 0; i + 1 < once.size(); ++i) expected.push_back(once[i].substr(0, once[i].find('|')));
    EXPECT_EQ(shown, expected);
}

TEST_F(Load, LoadingOneSideNeverTouchesTheOther) {
    StartWith({{"a.txt", 1}});
    form->Activate(form->side[1]);
    const std::string title = Left().Title.Caption();
    const auto before = Captions(Left());
    MakeDir(tmp / "sub");
    Right().Tree.SetDirectory(tmp / "sub");
    EXPECT_EQ(Captions(Right()), (std::vector<std::string>{"[parent]"}));
    EXPECT_EQ(Captions(Left()), before);
    EXPECT_EQ(Left().Title.Caption(), title);
}

// At every size, with no, a few and many entries: the columns fill each list's client area
// exactly (no horizontal scroll bar), both titles are the directory fitted to the tree's width as
// it is now, and every status text fits its panel.
TEST_F(Load, TheWindowReadsRightAtEverySize) {
    Make({{"few\\"}, {"many\\"}});
    for (int i = 0; i < 3; ++i) MakeFile(tmp / ("few\\f" + std::to_string(i)), 1);
    for (int i = 0; i < 200; ++i) MakeFile(tmp / ("many\\f" + std::to_string(i)), 1);
    MakeSparse(tmp / "many\\Big.iso", 2726297600LL);  // ten digits
    StartIn(tmp / "few");
    // The path fits the tree: the first title is not shortened on a width the tree never had.
    EXPECT_EQ(Left().Title.Caption(), tmp / "few");
    form->TitleClick(form->side[1]);
    Right().Tree.SetDirectory(tmp / "many");
    form->TitleClick(form->side[0]);
    ASSERT_EQ(Right().Entries.size(), 202u);
    const SIZE sizes[] = {{550, 345}, {900, 700}, {420, 260}, {1250, 950}, {550, 345}, {330, 220}, {640, 480}};
    for (const char* dir : {"few", "many", ""}) {
        form->Guard([&] { Left().Tree.SetDirectory(dir[0] ? tmp / dir : tmp.Path() + "\\..\\.."); });
        for (const SIZE& size : sizes) {
            SetWindowPos(form->Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
            PumpMessages();
            const std::string at = std::string(dir) + " " + std::to_string(size.cx) + "x" + std::to_string(size.cy);
            for (Pane* p : {&Left(), &Right()}) {
                const FileListView& list = p->List;
                EXPECT_FALSE(GetWindowLongPtrW(list.Handle(), GWL_STYLE) & WS_HSCROLL) << at;
                const int columns = list.ColumnWidth(0) + list.ColumnWidth(1) + list.ColumnWidth(2);
                EXPECT_EQ(columns, ClientRect(list.Handle()).right)
                    << at << (p == &Left() ? " left " : " right ") << list.Count() << " rows, " << list.VisibleRows() << " visible";
                const RECT tree = ClientRect(p->Tree.Handle());
                EXPECT_EQ(p->Title.Caption(), ShortenPath(p->Directory(), tree.right, [&](std::string_view t) {
                              return TextWidthIn(p->Tree.Handle(), t);
                          })) << at;
                // Each status text shown, and whole whenever the bar has room for all three.
                int needs = 0, room = 0;
                for (int i = 0; i < 3; ++i) {
                    wchar_t shown[128] = {};
                    SendMessageW(p->Status.Handle(), SB_GETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(shown));
                    EXPECT_EQ(Narrow(shown), "\t" + p->Status.Text(i)) << at << " " << i;
                    needs += TextWidthIn(p->Status.Handle(), p->Status.Text(i)) + 14;
                    room += p->Status.PanelWidth(i);
                }
                for (int i = 0; i < 3 && needs <= room; ++i) {
                    EXPECT_GE(p->Status.PanelWidth(i), TextWidthIn(p->Status.Handle(), p->Status.Text(i))) << at << " " << i;
                }
            }
            // The ten-digit size reads whole whenever the Name column keeps its room.
            if (size.cx >= 550) {
                EXPECT_GE(Right().List.ColumnWidth(1), TextWidthIn(Right().List.Handle(), "2726297600")) << at;
            }
        }
    }
}

}  // namespace bivane::test
