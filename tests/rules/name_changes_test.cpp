#include "panes/name_changes.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "panes/entry_rules.h"
#include "rules/listed.h"

using namespace bivane;
using bivane::test::Listed;

namespace {

Collation AsciiCollation() {
    return {[](std::string_view s) { return std::string(s); }, [](std::string_view s) { return AsciiUpper(s); }};
}

// An entry as a reading of the disk makes it: a name ending in "/" is a folder.
Entry OnDisk(const std::string& name, std::int64_t size = 0, std::int64_t minute = 0) {
    if (!name.empty() && name.back() == '/') return Listed("<" + name.substr(0, name.size() - 1) + ">");
    Entry e = Listed(FileCaption(name));
    e.SetName(name);
    e.size = size;
    e.sizeText = std::to_string(size);
    e.minute = minute;
    e.dateText = "01/01/99 12:00am";
    return e;
}

// The disk as name -> (size, minute); what a full reading of it shows, sorted in order.
using Disk = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;
std::vector<Entry> Read(const Disk& disk, SortOrder order) {
    std::vector<Entry> read;
    for (const auto& [name, facts] : disk) read.push_back(OnDisk(name, facts.first, facts.second));
    std::vector<Entry> sorted;
    for (const std::uint32_t i : SortPermutation(read, order, AsciiCollation())) sorted.push_back(read[i]);
    return sorted;
}

NameChange Looked(const Disk& disk, const std::string& name) {
    const auto it = disk.find(name);
    if (it == disk.end()) return {name, std::nullopt};
    return {name, OnDisk(name, it->second.first, it->second.second)};
}

std::vector<std::string> Captions(const std::vector<Entry>& entries) {
    std::vector<std::string> c;
    for (const Entry& e : entries) c.push_back(e.caption + (e.mark == Mark::Tagged ? "*" : ""));
    return c;
}

}  // namespace

// Each kind of change, in each order: the rows move where a full reading puts them, what the user
// had goes with its entry, and the totals follow.
TEST(NameChanges, EachChangeLandsWhereAReadingPutsItKeepingTagsAndTotals) {
    struct Case {
        const char* what;
        Disk after;
        std::vector<std::string> names;
        bool inPlace;
    };
    const Disk before{{"b.txt", {20, 5}}, {"d.txt", {40, 3}}, {"Twin", {1, 1}}, {"twin", {2, 2}}, {"sub/", {0, 0}}};
    auto with = [&](std::function<void(Disk&)> change) {
        Disk d = before;
        change(d);
        return d;
    };
    const std::vector<Case> cases{
        {"added before", with([](Disk& d) { d["a.txt"] = {10, 9}; }), {"a.txt"}, false},
        {"added after", with([](Disk& d) { d["z.txt"] = {90, 1}; }), {"z.txt"}, false},
        {"removed", with([](Disk& d) { d.erase("b.txt"); }), {"b.txt"}, false},
        {"renamed to before", with([](Disk& d) { d["a.txt"] = d["d.txt"]; d.erase("d.txt"); }), {"d.txt", "a.txt"}, false},
        {"renamed to after", with([](Disk& d) { d["e.txt"] = d["b.txt"]; d.erase("b.txt"); }), {"b.txt", "e.txt"}, false},
        {"grown", with([](Disk& d) { d["b.txt"] = {99, 7}; }), {"b.txt"}, false},
        {"case twin changed", with([](Disk& d) { d["twin"] = {3, 3}; }), {"twin"}, false},
        {"file became folder", with([](Disk& d) { d.erase("b.txt"); d["b.txt/"] = {0, 0}; }), {"b.txt"}, false},
        {"gone unseen", before, {"nothing.txt"}, false},
    };
    for (const SortOrder order : {SortOrder::Name, SortOrder::Ext, SortOrder::Size, SortOrder::Date}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", order " + std::to_string(static_cast<int>(order)));
            std::vector<Entry> side = Read(before, order);
            for (Entry& e : side) {
                if (e.caption == "B.txt" || e.Name() == "twin") e.mark = Mark::Tagged;
            }
            std::int64_t bytes = 63, files = 4;
            std::vector<NameChange> changes;
            for (const std::string& n : c.names) changes.push_back(Looked(c.after, n + (c.after.count(n + "/") ? "/" : "")));
            for (NameChange& ch : changes) {
                if (!ch.name.empty() && ch.name.back() == '/') ch.name.pop_back();
            }
            const std::vector<Entry> old = side;
            const RowMoves moves = ApplyNameChanges(side, changes, order, AsciiCollation(), bytes, files);
            std::vector<Entry> expected = Read(c.after, order);
            std::int64_t expectedBytes = 0, expectedFiles = 0;
            for (Entry& e : expected) {
                if (!e.IsFile()) continue;
                expectedBytes += e.size;
                ++expectedFiles;
                if (e.caption == "B.txt" || e.Name() == "twin") e.mark = Mark::Tagged;  // still there: kept
            }
            EXPECT_EQ(Captions(side), Captions(expected));
            EXPECT_EQ(bytes, expectedBytes);
            EXPECT_EQ(files, expectedFiles);
            for (std::size_t row = 0; row < old.size(); ++row) {
                const int to = moves.moved[row];
                if (to >= 0) {
                    EXPECT_EQ(side[static_cast<std::size_t>(to)].Name(), old[row].Name());
                }
            }
            if (std::string(c.what) == "file became folder") {
                const auto b = std::find_if(old.begin(), old.end(), [](const Entry& e) { return e.Name() == "b.txt"; });
                const std::size_t row = static_cast<std::size_t>(b - old.begin());
                EXPECT_EQ(moves.moved[row], -1);
                ASSERT_GE(moves.tookPlace[row], 0);
                EXPECT_EQ(side[static_cast<std::size_t>(moves.tookPlace[row])].caption, "<b.txt>");
            }
        }
    }
}

// A file written to where its place stays: changed in place, nothing else touched; the name is
// matched by the exact name even when the caption was kept as typed in a rename.
TEST(NameChanges, AChangeInPlaceMovesNoRowAndFindsACaptionKeptAsTyped) {
    std::vector<Entry> side{OnDisk("a.txt", 1), OnDisk("log.txt", 5), OnDisk("z.txt", 1)};
    side[1].caption = "LOG.txt";  // as typed
    side[1].SetName("log.txt");
    side[1].mark = Mark::Tagged;
    std::int64_t bytes = 7, files = 3;
    const RowMoves m = ApplyNameChanges(side, {{"log.txt", OnDisk("log.txt", 50)}}, SortOrder::Name, AsciiCollation(), bytes, files);
    EXPECT_TRUE(m.inPlace);
    EXPECT_EQ(m.moved, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Captions(side), (std::vector<std::string>{"A.txt", "LOG.txt*", "Z.txt"}));
    EXPECT_EQ(side[1].size, 50);
    EXPECT_EQ(bytes, 52);
    EXPECT_EQ(files, 3);
}

// Differential: random bursts of changes applied by name equal a fresh reading, in every order.
TEST(NameChanges, RandomBurstsEqualAFreshReading) {
    std::mt19937 rng(7);
    for (const SortOrder order : {SortOrder::Name, SortOrder::Ext, SortOrder::Size, SortOrder::Date}) {
        Disk disk;
        for (int i = 0; i < 200; ++i) disk["f" + std::to_string(rng() % 500) + (i % 3 ? ".txt" : ".c")] = {rng() % 50, rng() % 9};
        std::vector<Entry> side = Read(disk, order);
        std::int64_t bytes = 0, files = 0;
        for (const Entry& e : side) bytes += e.size, files += 1;
        for (int round = 0; round < 30; ++round) {
            std::vector<std::string> names;
            for (int k = 0, burst = 1 + static_cast<int>(rng() % 40); k < burst; ++k) {
                std::string name = "f" + std::to_string(rng() % 500) + (rng() % 3 ? ".txt" : ".c");
                if (std::find(names.begin(), names.end(), name) != names.end()) continue;
                if (rng() % 3 == 0) disk.erase(name); else disk[name] = {rng() % 50, rng() % 9};
                names.push_back(name);
            }
            std::vector<NameChange> changes;
            for (const std::string& n : names) changes.push_back(Looked(disk, n));
            ApplyNameChanges(side, changes, order, AsciiCollation(), bytes, files);
            ASSERT_EQ(Captions(side), Captions(Read(disk, order))) << "round " << round;
        }
        std::int64_t expected = 0;
        for (const auto& [name, facts] : disk) expected += facts.first;
        EXPECT_EQ(bytes, expected);
        EXPECT_EQ(files, static_cast<std::int64_t>(disk.size()));
    }
}
