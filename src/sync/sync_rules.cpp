#include "sync/sync_rules.h"

#include <algorithm>
#include <numeric>

#include "core/wtf8.h"

namespace bivane::sync {

namespace {

constexpr std::int64_t kHour = 3600 * kTicksPerSecond;

bool Folder(const Side& s) { return s.kind == Kind::Folder; }

// A folder on one side only: its lines below are of that side alone, opened and closed together.
bool OneSidedFolder(const Line& l) { return l.IsFolder() && (!l.left.There() || !l.right.There()); }

std::string WithThousands(std::int64_t n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

const char* RelationText(Relation r) {
    switch (r) {
        case Relation::Equal: return "=";
        case Relation::EqualOtherDate: return "= other date";
        case Relation::OnlyLeft: return "only left";
        case Relation::OnlyRight: return "only right";
        case Relation::LeftNewer: return "left newer";
        case Relation::RightNewer: return "right newer";
        case Relation::Different: return "same date, different";
        case Relation::KindsDiffer: return "file and folder";
        case Relation::NotFollowed: return "link, not followed";
        case Relation::Error: return "error";
    }
    return "";
}

const char* ActionText(Action a) {
    switch (a) {
        case Action::Leave: return "";
        case Action::CopyRight: return "copy ->";
        case Action::CopyLeft: return "<- copy";
        case Action::DeleteLeft: return "delete left";
        case Action::DeleteRight: return "delete right";
    }
    return "";
}

int CompareDates(std::int64_t left, std::int64_t right, const CompareOptions& o) {
    const std::int64_t d = left - right;
    const std::int64_t apart = d < 0 ? -d : d;
    if (apart <= o.tolerance) return 0;
    if (o.ignoreHours && apart <= 24 * kHour + o.tolerance) {
        const std::int64_t off = apart % kHour;
        if (off <= o.tolerance || kHour - off <= o.tolerance) return 0;
    }
    return d < 0 ? -1 : 1;
}

bool NeedsContent(const Side& left, const Side& right, const CompareOptions& o) {
    return o.byContent && left.kind == Kind::File && right.kind == Kind::File && !left.unreadable && !right.unreadable &&
           left.size == right.size;
}

Relation Relate(const Side& left, const Side& right, const CompareOptions& o, Content content) {
    if (left.unreadable || right.unreadable || content == Content::Unreadable) return Relation::Error;
    if (left.kind == Kind::Link || left.kind == Kind::Other || right.kind == Kind::Link || right.kind == Kind::Other) {
        return Relation::NotFollowed;
    }
    if (!left.There()) return right.There() ? Relation::OnlyRight : Relation::Equal;
    if (!right.There()) return Relation::OnlyLeft;
    if (Folder(left) != Folder(right)) return Relation::KindsDiffer;
    if (Folder(left)) return Relation::Equal;
    const int dates = CompareDates(left.date, right.date, o);
    if (content == Content::Equal) return dates == 0 ? Relation::Equal : Relation::EqualOtherDate;
    const bool differ = content == Content::Different || left.size != right.size;
    if (dates > 0) return Relation::LeftNewer;
    if (dates < 0) return Relation::RightNewer;
    return differ ? Relation::Different : Relation::Equal;
}

Action Planned(Relation r, Mode m) {
    const bool toRight = m == Mode::MirrorRight || m == Mode::UpdateRight;
    const bool toLeft = m == Mode::MirrorLeft || m == Mode::UpdateLeft;
    switch (r) {
        case Relation::OnlyLeft:
            return toLeft ? (m == Mode::MirrorLeft ? Action::DeleteLeft : Action::Leave) : Action::CopyRight;
        case Relation::OnlyRight:
            return toRight ? (m == Mode::MirrorRight ? Action::DeleteRight : Action::Leave) : Action::CopyLeft;
        case Relation::LeftNewer: return toLeft ? Action::Leave : Action::CopyRight;
        case Relation::RightNewer: return toRight ? Action::Leave : Action::CopyLeft;
        default: return Action::Leave;
    }
}

bool Allowed(Relation r, const Side& left, const Side& right, Action a) {
    if (a == Action::Leave) return true;
    if (r == Relation::Error || r == Relation::NotFollowed || r == Relation::KindsDiffer) return false;
    // A folder on both sides is made alike through its lines, never copied or deleted whole.
    if (Folder(left) && Folder(right)) return false;
    switch (a) {
        case Action::CopyRight:
        case Action::DeleteLeft: return left.There();
        case Action::CopyLeft:
        case Action::DeleteRight: return right.There();
        default: return false;
    }
}

std::vector<Pair> PairNames(const std::vector<Named>& left, const std::vector<Named>& right) {
    auto sorted = [](const std::vector<Named>& v) {
        std::vector<int> order(v.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const Named& x = v[static_cast<std::size_t>(a)];
            const Named& y = v[static_cast<std::size_t>(b)];
            return x.key != y.key ? x.key < y.key : x.name < y.name;
        });
        return order;
    };
    const std::vector<int> l = sorted(left), r = sorted(right);
    auto keyOf = [](const std::vector<Named>& v, int i) { return v[static_cast<std::size_t>(i)].key; };
    auto nameOf = [](const std::vector<Named>& v, int i) { return v[static_cast<std::size_t>(i)].name; };
    std::vector<Pair> out;
    out.reserve(std::max(l.size(), r.size()));
    std::size_t i = 0, j = 0;
    while (i < l.size() || j < r.size()) {
        // The next group: every name of either side with the smallest key.
        std::u16string_view key;
        if (j >= r.size() || (i < l.size() && keyOf(left, l[i]) <= keyOf(right, r[j]))) {
            key = keyOf(left, l[i]);
        } else {
            key = keyOf(right, r[j]);
        }
        const std::size_t i0 = i, j0 = j;
        while (i < l.size() && keyOf(left, l[i]) == key) ++i;
        while (j < r.size() && keyOf(right, r[j]) == key) ++j;
        const std::size_t nl = i - i0, nr = j - j0;
        if (nl <= 1 && nr <= 1) {
            for (std::size_t a = i0; a < i; ++a) out.push_back({l[a], nr == 1 ? r[j0] : -1, false});
            if (nl == 0) {
                for (std::size_t b = j0; b < j; ++b) out.push_back({-1, r[b], false});
            }
            continue;
        }
        // Twins: exact names pair; any other name of the group is one the other side cannot hold
        // apart (two copied there would land on one name).
        std::vector<bool> rightUsed(nr, false);
        for (std::size_t a = i0; a < i; ++a) {
            int match = -1;
            for (std::size_t b = j0; b < j; ++b) {
                if (!rightUsed[b - j0] && nameOf(left, l[a]) == nameOf(right, r[b])) {
                    rightUsed[b - j0] = true;
                    match = r[b];
                    break;
                }
            }
            out.push_back({l[a], match, match < 0});
        }
        for (std::size_t b = j0; b < j; ++b) {
            if (!rightUsed[b - j0]) out.push_back({-1, r[b], true});
        }
    }
    return out;
}

std::u16string LinePath(const std::vector<Line>& lines, std::size_t i, bool right) {
    std::vector<const std::u16string*> parts;
    for (std::size_t at = i; at != UINT32_MAX && at < lines.size(); at = lines[at].parent) {
        parts.push_back(right ? &lines[at].RightName() : &lines[at].name);
    }
    std::u16string path;
    for (auto p = parts.rbegin(); p != parts.rend(); ++p) {
        if (!path.empty()) path += u'\\';
        path += **p;
    }
    return path;
}

void MarkErrorsBelow(std::vector<Line>& lines) {
    for (Line& l : lines) {
        if (l.parent != UINT32_MAX && lines[l.parent].relation == Relation::Error) l.relation = Relation::Error;
        if (l.relation == Relation::Error) l.action = Action::Leave;
    }
}

void ApplyMode(std::vector<Line>& lines, Mode m) {
    for (Line& l : lines) l.action = Allowed(l.relation, l.left, l.right, Planned(l.relation, m)) ? Planned(l.relation, m) : Action::Leave;
}

bool SetAction(std::vector<Line>& lines, std::size_t i, Action a) {
    Line& l = lines[i];
    if (!Allowed(l.relation, l.left, l.right, a)) return false;
    l.action = a;
    if (OneSidedFolder(l)) {
        for (std::size_t j = i + 1, end = SubtreeEnd(lines, i); j < end; ++j) {
            Line& below = lines[j];
            below.action = Allowed(below.relation, below.left, below.right, a) ? a : Action::Leave;
        }
    }
    return true;
}

std::vector<FolderTotal> OneSidedTotals(const std::vector<Line>& lines) {
    std::vector<FolderTotal> below(lines.size());  // every line's, summed into its parent's
    for (std::size_t i = lines.size(); i-- > 0;) {
        const Line& l = lines[i];
        if (!l.IsFolder()) {
            below[i].files = 1;
            below[i].bytes = l.left.There() ? l.left.size : l.right.size;
        }
        if (l.parent != UINT32_MAX) {
            below[l.parent].files += below[i].files;
            below[l.parent].bytes += below[i].bytes;
        }
    }
    std::vector<FolderTotal> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (OneSidedFolder(lines[i])) out.push_back({static_cast<std::uint32_t>(i), below[i].files, below[i].bytes});
    }
    return out;
}

namespace {

// Which lines the filter and the name test keep, open or closed folders aside: a folder is kept
// when a line below it is.
std::vector<char> Passing(const std::vector<Line>& lines, Show show, const std::function<bool(const std::u16string&)>& nameTaken) {
    auto passes = [&](const Line& l) {
        const bool bothFolders = Folder(l.left) && Folder(l.right) && l.relation == Relation::Equal;
        if (bothFolders) return show == Show::All && (!nameTaken || nameTaken(l.name));
        if (!l.IsFolder() && nameTaken && !nameTaken(l.name)) return false;
        switch (show) {
            case Show::All: return true;
            case Show::Differences: return l.relation != Relation::Equal && l.relation != Relation::EqualOtherDate;
            case Show::OnlyLeft: return l.relation == Relation::OnlyLeft;
            case Show::OnlyRight: return l.relation == Relation::OnlyRight;
            case Show::Equal: return l.relation == Relation::Equal || l.relation == Relation::EqualOtherDate;
        }
        return true;
    };
    std::vector<char> keep(lines.size(), 0);
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (!keep[i]) keep[i] = passes(lines[i]) ? 1 : 0;
        if (keep[i] && lines[i].parent != UINT32_MAX) keep[lines[i].parent] = 1;
    }
    return keep;
}

}  // namespace

std::vector<std::uint32_t> VisibleLines(const std::vector<Line>& lines, Show show,
                                        const std::function<bool(const std::u16string&)>& nameTaken) {
    const std::vector<char> keep = Passing(lines, show, nameTaken);
    std::vector<char> hidden(lines.size(), 0);
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::uint32_t p = lines[i].parent;
        if (p != UINT32_MAX) hidden[i] = hidden[p] || (OneSidedFolder(lines[p]) && !lines[p].open);
        if (keep[i] && !hidden[i]) out.push_back(static_cast<std::uint32_t>(i));
    }
    return out;
}

std::size_t SubtreeEnd(const std::vector<Line>& lines, std::size_t i) {
    std::size_t j = i + 1;
    while (j < lines.size() && lines[j].depth > lines[i].depth) ++j;
    return j;
}

bool DeletedWhole(const std::vector<Line>& lines, std::size_t i) {
    const Line& l = lines[i];
    if (!l.IsFolder() || (l.action != Action::DeleteLeft && l.action != Action::DeleteRight)) return false;
    for (std::size_t j = i + 1, end = SubtreeEnd(lines, i); j < end; ++j) {
        if (lines[j].action != l.action) return false;
    }
    return true;
}

Preview HiddenActions(const std::vector<Line>& lines, Show show, const std::function<bool(const std::u16string&)>& nameTaken) {
    const std::vector<char> keep = Passing(lines, show, nameTaken);
    Preview hidden;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!keep[i] && lines[i].action != Action::Leave) CountLine(hidden, lines[i]);
    }
    return hidden;
}

std::string HiddenText(const Preview& hidden) {
    std::int64_t files = 0, folders = 0;
    for (int a = 1; a < 5; ++a) {
        files += hidden.files[a];
        folders += hidden.folders[a];
    }
    if (!files && !folders) return "";
    auto count = [](std::int64_t n, const char* one) { return WithThousands(n) + " " + one + (n == 1 ? "" : "s"); };
    return "Apply acts on the lines the filter hides too: " + count(files, "file") + " and " + count(folders, "folder") +
           " of this plan are not shown.\r\n\r\n";
}

bool Preview::Empty() const {
    for (int a = 1; a < 5; ++a) {
        if (files[a] || folders[a]) return false;
    }
    return true;
}

Preview MakePreview(const std::vector<Line>& lines) {
    Preview p;
    std::size_t wholeEnd = 0;  // lines before it lie in a folder deleted whole, listed once
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.relation == Relation::Error) ++p.errors;
        if (l.action == Action::Leave && (l.relation == Relation::Different || l.relation == Relation::KindsDiffer)) ++p.conflicts;
        if (l.action == Action::Leave) continue;
        const bool deletes = l.action == Action::DeleteLeft || l.action == Action::DeleteRight;
        // A folder keeps a line left alone below it: it is not deleted.
        if (deletes && l.IsFolder() && i >= wholeEnd && !DeletedWhole(lines, i)) continue;
        CountLine(p, l);
        if (!deletes || i < wholeEnd) continue;
        if (l.IsFolder()) wholeEnd = SubtreeEnd(lines, i);
        p.deletions.push_back(static_cast<std::uint32_t>(i));
    }
    return p;
}

void CountLine(Preview& p, const Line& l) {
    const auto a = static_cast<int>(l.action);
    const Side& from = l.action == Action::CopyRight || l.action == Action::DeleteLeft ? l.left : l.right;
    if (l.IsFolder()) {
        ++p.folders[a];
    } else {
        ++p.files[a];
        p.bytes[a] += from.size;
    }
}

std::string DeletedText(const Preview& done) {
    const auto left = static_cast<int>(Action::DeleteLeft), right = static_cast<int>(Action::DeleteRight);
    const std::int64_t files = done.files[left] + done.files[right], folders = done.folders[left] + done.folders[right];
    auto count = [](std::int64_t n, const char* one) { return WithThousands(n) + " " + one + (n == 1 ? "" : "s"); };
    return count(files, "file") + " and " + count(folders, "folder");
}

std::vector<Sweep> LargeSweeps(const std::vector<Line>& lines) {
    std::vector<Sweep> out;
    for (const bool right : {false, true}) {
        const Action deletes = right ? Action::DeleteRight : Action::DeleteLeft;
        const Action replaces = right ? Action::CopyRight : Action::CopyLeft;
        std::vector<std::int64_t> files(lines.size() + 1, 0), changed(lines.size() + 1, 0);  // the last: the side's folder
        for (std::size_t i = lines.size(); i-- > 0;) {
            const Line& l = lines[i];
            const Side& s = right ? l.right : l.left;
            if (s.kind == Kind::File) {
                ++files[i];
                if (l.action == deletes || l.action == replaces) ++changed[i];
            }
            const std::size_t up = l.parent == UINT32_MAX ? lines.size() : l.parent;
            files[up] += files[i];
            changed[up] += changed[i];
        }
        if (changed[lines.size()] * 10 > files[lines.size()]) out.push_back({right, u"", changed[lines.size()], files[lines.size()]});
        std::vector<char> listed(lines.size(), 0);  // a folder listed, or below one
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            if (l.parent != UINT32_MAX && listed[l.parent]) listed[i] = 1;
            if (listed[i] || (right ? l.right : l.left).kind != Kind::Folder || changed[i] * 2 <= files[i]) continue;
            listed[i] = 1;
            out.push_back({right, LinePath(lines, i, right), changed[i], files[i]});
        }
    }
    return out;
}

std::string SweepsText(const std::vector<Sweep>& sweeps) {
    std::string s = "This plan deletes or replaces much of what is there:";
    for (std::size_t i = 0; i < sweeps.size() && i < 20; ++i) {
        const Sweep& w = sweeps[i];
        s += std::string("\r") + (w.right ? "right" : "left") + (w.path.empty() ? " (all of it)" : ": " + Utf16ToWtf8(w.path) + "\\") +
             ": " + WithThousands(w.changed) + " of " + WithThousands(w.files) + " files";
    }
    if (sweeps.size() > 20) s += "\r(and " + WithThousands(static_cast<std::int64_t>(sweeps.size() - 20)) + " more folders)";
    return s + "\r\rApply it all the same?";
}

std::string PreviewText(const Preview& p, const std::vector<Line>& lines, bool recycle) {
    std::string s;
    auto row = [&](Action a, const char* what) {
        const auto i = static_cast<int>(a);
        if (!p.files[i] && !p.folders[i]) return;
        auto count = [](std::int64_t n, const char* one) { return WithThousands(n) + " " + one + (n == 1 ? "" : "s"); };
        s += std::string(what) + ": " + count(p.files[i], "file") + ", " + count(p.bytes[i], "byte");
        if (p.folders[i]) s += "; " + count(p.folders[i], "folder");
        s += "\r\n";
    };
    row(Action::CopyRight, "Copy to the right");
    row(Action::CopyLeft, "Copy to the left");
    row(Action::DeleteLeft, "Delete on the left");
    row(Action::DeleteRight, "Delete on the right");
    if (p.Empty()) s += "Nothing to do: the lines chosen leave both sides as they are.\r\n";
    if (p.conflicts) s += WithThousands(p.conflicts) + " conflicts left alone.\r\n";
    if (p.errors) s += WithThousands(p.errors) + " lines with errors left alone.\r\n";
    if (!p.deletions.empty()) {
        s += std::string("\r\nDeleted") + (recycle ? " (to the recycle bin)" : " for good") + ":\r\n";
        for (const std::uint32_t i : p.deletions) {
            const Line& l = lines[i];
            const bool right = l.action == Action::DeleteRight;
            s += std::string(right ? "right: " : "left: ") + Utf16ToWtf8(LinePath(lines, i, right)) +
                 (l.IsFolder() ? "\\ (with everything in it)" : "") + "\r\n";
        }
    }
    return s;
}

}  // namespace bivane::sync
