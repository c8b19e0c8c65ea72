// Synchronizing: relations, pairing names, the plan each mode makes, the filters and the preview.
#include <gtest/gtest.h>

#include "core/wtf8.h"
#include "sync/sync_rules.h"

using namespace bivane;
using namespace bivane::sync;

namespace {

constexpr std::int64_t kSecond = kTicksPerSecond;
constexpr std::int64_t kT = 133000000000000000LL;  // some day in 2022

Side File(std::int64_t size, std::int64_t date) { return Side{Kind::File, false, 0, size, date}; }
Side Dir() { return Side{Kind::Folder, false, 0x10, 0, kT}; }
const Side kNone{};

// Lines from "path:L R" specs, a path's depth from its "\"s; each side "f<size>@<seconds>", "d", "-", "x" (unreadable folder).
std::vector<Line> Tree(std::initializer_list<std::pair<const char*, std::pair<Side, Side>>> specs) {
    std::vector<Line> lines;
    std::vector<std::uint32_t> parents;
    for (const auto& [path, sides] : specs) {
        const std::string p = path;
        const auto depth = static_cast<std::size_t>(std::count(p.begin(), p.end(), '\\'));
        parents.resize(depth);
        Line l;
        l.depth = static_cast<std::uint16_t>(depth);
        l.parent = depth == 0 ? UINT32_MAX : parents[depth - 1];
        l.name = Wtf8ToUtf16(p.substr(p.rfind('\\') == std::string::npos ? 0 : p.rfind('\\') + 1));
        l.left = sides.first;
        l.right = sides.second;
        l.relation = Relate(l.left, l.right, CompareOptions{});
        parents.push_back(static_cast<std::uint32_t>(lines.size()));
        lines.push_back(l);
    }
    MarkErrorsBelow(lines);
    return lines;
}

Side Unreadable() {
    Side s = Dir();
    s.unreadable = true;
    return s;
}

}  // namespace

TEST(SyncRelations, DatesSizesKindsAndContent) {
    CompareOptions exact;
    CompareOptions hours;
    hours.ignoreHours = true;
    Side link{Kind::Link, false, 0x400, 0, kT};
    struct Case {
        Side l, r;
        const CompareOptions& o;
        Content content;
        Relation want;
    };
    const Case cases[] = {
        {File(10, kT), File(10, kT + 2 * kSecond), exact, Content::NotCompared, Relation::Equal},  // FAT's 2 seconds
        {File(10, kT), File(10, kT + 3 * kSecond), exact, Content::NotCompared, Relation::RightNewer},
        {File(10, kT + 3 * kSecond), File(10, kT), exact, Content::NotCompared, Relation::LeftNewer},
        {File(10, kT), File(11, kT + kSecond), exact, Content::NotCompared, Relation::Different},
        {File(10, kT + 3600 * kSecond), File(10, kT), exact, Content::NotCompared, Relation::LeftNewer},
        {File(10, kT + 3600 * kSecond), File(10, kT), hours, Content::NotCompared, Relation::Equal},
        {File(10, kT + 3601 * kSecond), File(10, kT), hours, Content::NotCompared, Relation::Equal},
        {File(10, kT + 3603 * kSecond), File(10, kT), hours, Content::NotCompared, Relation::LeftNewer},
        {File(10, kT), File(10, kT + 7200 * kSecond), hours, Content::NotCompared, Relation::Equal},
        {File(10, kT), File(10, kT + 25 * 3600 * kSecond), hours, Content::NotCompared, Relation::RightNewer},
        {File(10, kT), File(10, kT + 60 * kSecond), exact, Content::Equal, Relation::EqualOtherDate},
        {File(10, kT), File(10, kT), exact, Content::Different, Relation::Different},
        {File(10, kT), File(10, kT), exact, Content::Unreadable, Relation::Error},
        {File(10, kT), kNone, exact, Content::NotCompared, Relation::OnlyLeft},
        {kNone, Dir(), exact, Content::NotCompared, Relation::OnlyRight},
        {File(10, kT), Dir(), exact, Content::NotCompared, Relation::KindsDiffer},
        {Dir(), Dir(), exact, Content::NotCompared, Relation::Equal},
        {link, File(10, kT), exact, Content::NotCompared, Relation::NotFollowed},
        {link, kNone, exact, Content::NotCompared, Relation::NotFollowed},
        {Unreadable(), Dir(), exact, Content::NotCompared, Relation::Error},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(Relate(c.l, c.r, c.o, c.content), c.want) << "case " << i;
    }
    CompareOptions content;
    content.byContent = true;
    EXPECT_TRUE(NeedsContent(File(5, kT), File(5, kT + kSecond * 99), content));
    EXPECT_FALSE(NeedsContent(File(5, kT), File(6, kT), content));
    EXPECT_FALSE(NeedsContent(File(5, kT), File(5, kT), exact));
}

TEST(SyncPairs, CaseTwinsAgainstASideThatIgnoresCase) {
    struct Case {
        std::vector<const char*> left, right;
        const char* want;  // each pair "left=right", "left=-", "-=right", a case twin marked "!"
    };
    const Case cases[] = {
        {{"b", "a"}, {"a", "c"}, "a=a b=- -=c"},
        {{"Readme"}, {"README"}, "Readme=README"},
        {{"a", "A"}, {"a"}, "A=-! a=a"},
        {{"a", "A"}, {"A", "a"}, "A=A a=a"},
        {{"Ab", "aB"}, {"AB"}, "Ab=-! aB=-! -=AB!"},
        {{"a", "A"}, {}, "A=-! a=-!"},  // both copied to the other side would land on one name
    };
    for (const Case& c : cases) {
        std::vector<std::u16string> store;
        store.reserve(16);
        auto named = [&](const std::vector<const char*>& names) {
            std::vector<Named> out;
            for (const char* n : names) {
                store.push_back(Wtf8ToUtf16(n));
                const std::u16string& name = store.back();
                std::u16string key = name;
                for (char16_t& ch : key) ch = (ch >= u'a' && ch <= u'z') ? static_cast<char16_t>(ch - 32) : ch;
                store.push_back(key);
                out.push_back({name, store.back()});
            }
            return out;
        };
        const std::vector<Named> l = named(c.left), r = named(c.right);
        std::string got;
        for (const Pair& p : PairNames(l, r)) {
            if (!got.empty()) got += ' ';
            got += p.left < 0 ? "-" : Utf16ToWtf8(l[static_cast<std::size_t>(p.left)].name);
            got += "=";
            got += p.right < 0 ? "-" : Utf16ToWtf8(r[static_cast<std::size_t>(p.right)].name);
            if (p.caseTwin) got += "!";
        }
        EXPECT_EQ(got, c.want);
    }
}

TEST(SyncPlans, EachModeAndTheUsersChanges) {
    const std::vector<Line> tree = Tree({
        {"newer.txt", {File(5, kT + 60 * kSecond), File(5, kT)}},
        {"older.txt", {File(5, kT), File(5, kT + 60 * kSecond)}},
        {"clash.txt", {File(5, kT), File(6, kT)}},
        {"mine", {Dir(), kNone}},
        {"mine\\empty", {Dir(), kNone}},
        {"mine\\a.txt", {File(1, kT), kNone}},
        {"theirs", {kNone, Dir()}},
        {"theirs\\b.txt", {kNone, File(2, kT)}},
        {"same", {Dir(), Dir()}},
        {"same\\eq.txt", {File(3, kT), File(3, kT)}},
        {"locked", {Unreadable(), Dir()}},
        {"locked\\keep.txt", {kNone, File(4, kT)}},
    });
    EXPECT_EQ(tree[11].relation, Relation::Error);  // nothing below an unreadable folder is known
    struct Case {
        Mode mode;
        const char* want;  // each line's action, one letter: . leave, > copy right, < copy left, L delete left, R delete right
    };
    const Case cases[] = {
        {Mode::MirrorRight, ">..>>>RR...."},
        {Mode::UpdateRight, ">..>>>......"},
        {Mode::BothWays, "><.>>><<...."},
        {Mode::MirrorLeft, ".<.LLL<<...."},
        {Mode::UpdateLeft, ".<....<<...."},
    };
    auto actions = [](const std::vector<Line>& lines) {
        std::string s;
        for (const Line& l : lines) s += ".><LR"[static_cast<int>(l.action)];
        return s;
    };
    for (const Case& c : cases) {
        std::vector<Line> lines = tree;
        ApplyMode(lines, c.mode);
        EXPECT_EQ(actions(lines), c.want) << static_cast<int>(c.mode);
    }
    std::vector<Line> lines = tree;
    ApplyMode(lines, Mode::MirrorRight);
    const Preview mirror = MakePreview(lines);
    EXPECT_EQ(mirror.files[static_cast<int>(Action::CopyRight)], 2);
    EXPECT_EQ(mirror.bytes[static_cast<int>(Action::CopyRight)], 6);
    EXPECT_EQ(mirror.folders[static_cast<int>(Action::CopyRight)], 2);  // the empty folder is made too
    ASSERT_EQ(mirror.deletions.size(), 1u);  // "theirs" whole, its file not listed again
    EXPECT_EQ(mirror.deletions[0], 6u);
    EXPECT_EQ(mirror.conflicts, 1);
    EXPECT_EQ(mirror.errors, 2);
    const std::string text = PreviewText(mirror, lines, true);
    EXPECT_NE(text.find("right: theirs\\ (with everything in it)"), std::string::npos) << text;
    EXPECT_NE(text.find("Copy to the right: 2 files, 6 bytes; 2 folders"), std::string::npos) << text;

    // The user keeps one file of a folder deleted whole: the folder stays, its other file goes.
    EXPECT_TRUE(SetAction(lines, 7, Action::Leave));
    const Preview kept = MakePreview(lines);
    ASSERT_EQ(kept.deletions.size(), 0u);
    EXPECT_TRUE(SetAction(lines, 6, Action::DeleteRight));  // the folder again: its lines follow it
    EXPECT_EQ(lines[7].action, Action::DeleteRight);
    EXPECT_TRUE(SetAction(lines, 6, Action::CopyLeft));
    EXPECT_EQ(actions(lines).substr(6, 2), "<<");
    // Nothing is done to an error, a conflict of kinds, or a folder on both sides; a copy needs a source.
    EXPECT_FALSE(SetAction(lines, 10, Action::CopyLeft));
    EXPECT_FALSE(SetAction(lines, 11, Action::CopyLeft));
    EXPECT_FALSE(SetAction(lines, 8, Action::DeleteRight));
    EXPECT_FALSE(SetAction(lines, 6, Action::CopyRight));
    EXPECT_TRUE(SetAction(lines, 2, Action::CopyLeft));
    EXPECT_EQ(Utf16ToWtf8(LinePath(lines, 5)), "mine\\a.txt");
    const std::vector<FolderTotal> totals = OneSidedTotals(lines);  // what the folders of one side hold
    ASSERT_EQ(totals.size(), 3u);
    EXPECT_EQ((std::vector<std::int64_t>{totals[0].line, totals[0].files, totals[0].bytes, totals[1].line, totals[1].files,
                                         totals[2].line, totals[2].files, totals[2].bytes}),
              (std::vector<std::int64_t>{3, 1, 1, 4, 0, 6, 1, 2}));
}

TEST(SyncFilters, ShownLinesOpenFoldersAndNames) {
    std::vector<Line> lines = Tree({
        {"a.txt", {File(1, kT), File(1, kT)}},
        {"b.log", {File(1, kT + 60 * kSecond), File(1, kT)}},
        {"sub", {Dir(), Dir()}},
        {"sub\\c.txt", {File(1, kT), kNone}},
        {"only", {kNone, Dir()}},
        {"only\\d.txt", {kNone, File(1, kT)}},
    });
    auto shown = [&](Show s, std::function<bool(const std::u16string&)> names = nullptr) {
        std::string out;
        for (const std::uint32_t i : VisibleLines(lines, s, names)) out += Utf16ToWtf8(lines[i].name) + " ";
        return out;
    };
    EXPECT_EQ(shown(Show::All), "a.txt b.log sub c.txt only ");  // a folder of one side opens on demand
    lines[4].open = true;
    EXPECT_EQ(shown(Show::All), "a.txt b.log sub c.txt only d.txt ");
    EXPECT_EQ(shown(Show::Differences), "b.log sub c.txt only d.txt ");
    EXPECT_EQ(shown(Show::OnlyLeft), "sub c.txt ");
    EXPECT_EQ(shown(Show::OnlyRight), "only d.txt ");
    EXPECT_EQ(shown(Show::Equal), "a.txt ");
    const auto txt = [](const std::u16string& n) { return n.size() > 4 && n.substr(n.size() - 4) == u".txt"; };
    EXPECT_EQ(shown(Show::All, txt), "a.txt sub c.txt only d.txt ");
    // Apply acts on hidden lines too, and the preview says how many.
    ApplyMode(lines, Mode::MirrorRight);
    const struct {
        Show show;
        const char* want;
    } hidden[] = {{Show::All, ""}, {Show::OnlyLeft, "2 files and 1 folder"}, {Show::Differences, ""}};
    for (const auto& h : hidden) {
        const std::string text = HiddenText(HiddenActions(lines, h.show, nullptr));
        EXPECT_EQ(text, *h.want ? "Apply acts on the lines the filter hides too: " + std::string(h.want) + " of this plan are not shown.\r\n\r\n"
                                : "");
    }
}

// The guard before Apply: a side losing or having replaced more than a tenth of its files, or a
// folder more than half of those below it, is named with its figures (the topmost folder of a branch).
TEST(SyncGuard, LargeSweepsAreNamedWithTheirFigures) {
    auto tree = [](int kept, int keptChanged, int gone, int equalTop) {
        std::vector<Line> lines;
        auto add = [&](const std::string& name, Side l, Side r, std::uint32_t parent) {
            lines.push_back(Tree({{name.c_str(), {l, r}}})[0]);
            lines.back().parent = parent;
            lines.back().depth = parent == UINT32_MAX ? 0 : 1;
        };
        add("keep", Dir(), Dir(), UINT32_MAX);
        for (int i = 0; i < kept; ++i) add("k" + std::to_string(i), File(1, i < keptChanged ? kT + 60 * kSecond : kT), File(1, kT), 0);
        add("old", kNone, Dir(), UINT32_MAX);
        const auto old = static_cast<std::uint32_t>(lines.size() - 1);
        for (int i = 0; i < gone; ++i) add("o" + std::to_string(i), kNone, File(1, kT), old);
        for (int i = 0; i < equalTop; ++i) add("top" + std::to_string(i), File(1, kT), File(1, kT), UINT32_MAX);
        return lines;
    };
    const struct {
        int kept, keptChanged, gone, equalTop;
        Mode mode;
        const char* want;
    } cases[] = {
        {10, 1, 0, 0, Mode::MirrorRight, ""},                                   // a tenth: not more
        {10, 2, 0, 0, Mode::MirrorRight, "R 2/10; "},                           // more than a tenth of the side
        {8, 4, 0, 60, Mode::UpdateRight, ""},                                   // half of a folder: not more
        {8, 5, 0, 60, Mode::UpdateRight, "R keep 5/8; "},                        // more than half of it
        {20, 0, 2, 0, Mode::MirrorRight, "R old 2/2; "},                         // 2 of 22 on the side: only the folder
        {3, 0, 4, 0, Mode::MirrorRight, "R 4/7; R old 4/4; "},                   // the wrong drive: most of it goes
        {3, 0, 4, 0, Mode::UpdateRight, ""},                                     // nothing deleted or replaced
        {3, 0, 4, 0, Mode::MirrorLeft, ""},                                      // the left only gains
    };
    for (const auto& c : cases) {
        std::vector<Line> lines = tree(c.kept, c.keptChanged, c.gone, c.equalTop);
        ApplyMode(lines, c.mode);
        std::string got;
        for (const Sweep& s : LargeSweeps(lines)) {
            got += std::string(s.right ? "R" : "L") + (s.path.empty() ? "" : " " + Utf16ToWtf8(s.path)) + " " +
                   std::to_string(s.changed) + "/" + std::to_string(s.files) + "; ";
        }
        EXPECT_EQ(got, c.want) << c.kept << " " << c.keptChanged << " " << c.gone << " " << static_cast<int>(c.mode);
    }
    std::vector<Line> lines = tree(3, 0, 4, 0);
    ApplyMode(lines, Mode::MirrorRight);
    EXPECT_EQ(SweepsText(LargeSweeps(lines)), "This plan deletes or replaces much of what is there:\rright (all of it): 4 of 7 files"
                                              "\rright: old\\: 4 of 4 files\r\rApply it all the same?");
    // The report counts a folder deleted whole as the preview does: each file and folder in it.
    EXPECT_EQ(DeletedText(MakePreview(lines)), "4 files and 1 folder");
}
