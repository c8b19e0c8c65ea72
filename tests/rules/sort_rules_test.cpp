#include "panes/sort_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "panes/entry_rules.h"

using namespace bivane;

namespace {

Collation AsciiCollation() {
    return {[](std::string_view s) { return std::string(s); }, [](std::string_view s) { return AsciiUpper(s); }};
}

Entry File(std::string caption, std::int64_t size = 0, std::int64_t minute = 0) {
    Entry e;
    e.caption = std::move(caption);
    e.size = size;
    e.sizeText = std::to_string(size);
    e.minute = minute;
    e.dateText = "01/01/99 12:00am";  // the orders read minute, not the text
    return e;
}

Entry Dir(std::string caption, std::string sizeText = "<DIR>") {
    Entry e;
    e.caption = std::move(caption);
    e.sizeText = std::move(sizeText);
    e.dateText = " ";
    e.mark = Mark::Directory;
    e.kind = EntryKind::Directory;
    e.image = kImageDir;
    return e;
}

std::vector<std::string> Sorted(const std::vector<Entry>& entries, SortOrder order) {
    std::vector<std::string> captions;
    for (std::uint32_t i : SortPermutation(entries, order, AsciiCollation())) captions.push_back(entries[i].caption);
    return captions;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(SortOrders, NameOrderIsTheCaseSensitiveCollationAndStable) {
    EXPECT_EQ(Sorted({File("b"), File("B"), Dir("<a>"), File("A"), Dir("[parent]")}, SortOrder::Name),
              (Names{"<a>", "A", "B", "[parent]", "b"}));
    // Keys that tie keep the list's order.
    const Collation folded{[](std::string_view s) { return AsciiUpper(s); }, {}};
    const std::vector<Entry> same{File("x"), File("X"), File("a"), File("x")};
    EXPECT_EQ(SortPermutation(same, SortOrder::Name, folded), (std::vector<std::uint32_t>{2, 0, 1, 3}));
    EXPECT_EQ(PermutationByNameKeys({"X", "X", "A", "X"}), (std::vector<std::uint32_t>{2, 0, 1, 3}));
}

TEST(SortOrders, ExtOrderPutsFilesWithoutExtensionFirstThenNames) {
    EXPECT_EQ(Sorted({File("B.txt"), File("A.txt"), File("Readme")}, SortOrder::Ext),
              (Names{"Readme", "A.txt", "B.txt"}));
    EXPECT_EQ(Sorted({File("Z.C"), File("a.b"), File("Y.a"), File("y.A")}, SortOrder::Ext),
              (Names{"Y.a", "y.A", "a.b", "Z.C"}));
}

TEST(SortOrders, DirectoriesAndParentLeadExtAndSizeOrders) {
    const std::vector<Entry> list{File("A.txt", 1), Dir("<zed>"), File("Readme", 0), Dir("<hid>", "<DIR>h"),
                                  Dir("[parent]"), Dir("<low>", "<dir>r")};
    const Names dirs{"<hid>", "<low>", "<zed>", "[parent]"};  // by folded name, "<" before "["
    Names ext = dirs, size = dirs;
    ext.insert(ext.end(), {"Readme", "A.txt"});
    size.insert(size.end(), {"Readme", "A.txt"});
    EXPECT_EQ(Sorted(list, SortOrder::Ext), ext);
    EXPECT_EQ(Sorted(list, SortOrder::Size), size);
}

TEST(SortOrders, AFolderShowingItsSizeStillSortsAsAFolder) {
    // Its Size cell holds digits once its size was asked for; it stays among the folders, by name.
    const std::vector<Entry> list{File("A.txt", 1), Dir("<zed>", "5"), File("Readme", 0), Dir("<big>", "900000"),
                                  Dir("[parent]")};
    const Names expected{"<big>", "<zed>", "[parent]", "Readme", "A.txt"};
    EXPECT_EQ(Sorted(list, SortOrder::Size), expected);
    EXPECT_EQ(Sorted(list, SortOrder::Ext), expected);
}

TEST(SortOrders, SizeOrderIsSmallestFirstInSixtyFourBitsThenName) {
    EXPECT_EQ(Sorted({File("Big", 5000000000), File("Mid", 3000000000), File("b", 10), File("A", 10)},
                     SortOrder::Size),
              (Names{"A", "b", "Mid", "Big"}));
}

TEST(SortOrders, DateOrderIsNewestFirstWithEqualMinutesByNameDescending) {
    const std::int64_t y1999 = MinuteStamp({1999, 12, 31, 23, 59});
    const std::int64_t y2026 = MinuteStamp({2026, 1, 1, 0, 0});
    EXPECT_EQ(Sorted({File("Old", 0, y1999), File("New", 0, y2026), Dir("<b>"), Dir("[parent]"), Dir("<a>"),
                      File("a", 0, 500), File("B", 0, 500)},
                     SortOrder::Date),
              (Names{"<a>", "<b>", "[parent]", "New", "Old", "B", "a"}));
}

TEST(SortOrders, DateOrderTellsDirectoriesByShortDateText) {
    // A "<DIR>" size text does not make a directory in this order; a short date text does.
    Entry odd = File("<odd>", 0, 9);
    Entry blank = File("Blank", 0, 1);
    blank.dateText = "   ";
    EXPECT_EQ(Sorted({File("x", 0, 5), odd, blank}, SortOrder::Date), (Names{"Blank", "<odd>", "x"}));
}

TEST(SortOrders, Suffixes) {
    EXPECT_STREQ(SortSuffix(SortOrder::Name), "");
    EXPECT_STREQ(SortSuffix(SortOrder::Ext), "   [by ext]");
    EXPECT_STREQ(SortSuffix(SortOrder::Size), "   [by size]");
    EXPECT_STREQ(SortSuffix(SortOrder::Date), "   [by date]");
}

TEST(SortOrders, KeysAreComputedOncePerEntry) {
    int calls = 0;
    const Collation counting{[&](std::string_view s) { ++calls; return std::string(s); },
                             [&](std::string_view s) { ++calls; return AsciiUpper(s); }};
    std::vector<Entry> list;
    for (int i = 0; i < 200; ++i) list.push_back(File("F" + std::to_string(i * 7919 % 200) + ".x", i % 13, i % 5));
    const std::pair<SortOrder, int> perEntry[] = {
        {SortOrder::Name, 1}, {SortOrder::Ext, 2}, {SortOrder::Size, 1}, {SortOrder::Date, 1}};
    for (const auto& [order, keys] : perEntry) {
        calls = 0;
        SortPermutation(list, order, counting);
        EXPECT_EQ(calls, keys * 200) << static_cast<int>(order);
    }
}

namespace {

// The comparison of each order written out pair by pair, asking the collation every time.
int Literal(const Entry& a, const Entry& b, SortOrder order, const Collation& c) {
    auto cmp = [](const std::string& x, const std::string& y) { return x < y ? -1 : (y < x ? 1 : 0); };
    auto sizeDir = [](const Entry& e) { return AsciiUpper(e.sizeText.substr(0, 5)) == "<DIR>"; };
    auto byName = [&] { return cmp(c.caseInsensitiveKey(a.caption), c.caseInsensitiveKey(b.caption)); };
    if (order == SortOrder::Name) return cmp(c.caseSensitiveKey(a.caption), c.caseSensitiveKey(b.caption));
    if (order == SortOrder::Date) {
        const bool da = a.dateText.size() < 4, db = b.dateText.size() < 4;
        int r = da && db ? 0 : da ? -1 : db ? 1 : (a.minute < b.minute ? -1 : a.minute > b.minute ? 1 : 0);
        if (r == 0) r = byName();
        return a.dateText.size() > 4 && b.dateText.size() > 4 ? -r : r;
    }
    const bool da = sizeDir(a), db = sizeDir(b);
    int r = 0;
    if (da != db) return da ? -1 : 1;
    if (!da && order == SortOrder::Ext) {
        const std::string ea = Extension(a.caption), eb = Extension(b.caption);
        r = ea.empty() != eb.empty() ? (ea.empty() ? -1 : 1)
                                     : cmp(c.caseInsensitiveKey(ea), c.caseInsensitiveKey(eb));
    }
    if (!da && order == SortOrder::Size) r = a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
    return r != 0 ? r : byName();
}

}  // namespace

TEST(SortOrders, PermutationMatchesStableSortWithLiteralComparator) {
    std::mt19937 rng(20240601);
    const char* names[] = {"A.txt", "a.TXT", "B", "b", "Readme", "Z.c", "z.C", "x.tar.gz", "[parent]", "[n].txt"};
    const char* dirSizes[] = {"<DIR>", "<DIR>r", "<dir>h"};
    const Collation collation = AsciiCollation();
    for (int round = 0; round < 300; ++round) {
        std::vector<Entry> list(rng() % 40);
        for (Entry& e : list) {
            if (rng() % 4 == 0) {
                e = Dir(rng() % 3 == 0 ? std::string("[parent]") : "<" + std::string(names[rng() % 8]) + ">",
                        dirSizes[rng() % 3]);
            } else {
                e = File(names[rng() % 10], static_cast<std::int64_t>(rng() % 4) * 3000000000LL, static_cast<std::int64_t>(rng() % 3));
            }
        }
        for (SortOrder order : {SortOrder::Name, SortOrder::Ext, SortOrder::Size, SortOrder::Date}) {
            std::vector<std::uint32_t> expected(list.size());
            std::iota(expected.begin(), expected.end(), 0u);
            std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
                return Literal(list[a], list[b], order, collation) < 0;
            });
            ASSERT_EQ(SortPermutation(list, order, collation), expected)
                << "round " << round << " order " << static_cast<int>(order);
            if (order == SortOrder::Name) {  // keys made beforehand, as a listing makes them
                std::vector<std::string> keys;
                for (const Entry& e : list) keys.push_back(NameSortKey(e, collation));
                ASSERT_EQ(PermutationByNameKeys(std::vector<std::string_view>(keys.begin(), keys.end())), expected)
                    << "round " << round;
            }
        }
    }
}
