#include "panes/name_changes.h"

#include <string_view>
#include <unordered_map>

#include "panes/entry_rules.h"

namespace bivane {

namespace {

bool SizeCounted(const Entry& e) { return !e.IsFile() && !e.sizeText.empty() && e.sizeText[0] != '<'; }

void Count(const Entry& e, int sign, std::int64_t& totalBytes, std::int64_t& files) {
    if (!e.IsFile()) return;
    totalBytes += sign * e.size;
    files += sign;
}

// Whether the entry at row may take now's place without moving: it sorts neither before the row
// above nor after the row below.
bool StaysAt(const std::vector<Entry>& entries, std::size_t row, const Entry& now, SortOrder order, const Collation& c) {
    return (row == 0 || !SortsBefore(now, entries[row - 1], order, c)) &&
           (row + 1 == entries.size() || !SortsBefore(entries[row + 1], now, order, c));
}

// Captions compared with ASCII letters folded, without a copy of each.
char Folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
struct FoldedHash {
    std::size_t operator()(std::string_view s) const {
        std::size_t h = 1469598103934665603ull;
        for (const char c : s) h = (h ^ static_cast<unsigned char>(Folded(c))) * 1099511628211ull;
        return h;
    }
};
struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (Folded(a[i]) != Folded(b[i])) return false;
        }
        return true;
    }
};

}  // namespace

void CarryOver(const Entry& was, Entry& now) {
    if (now.IsFile() && was.mark == Mark::Tagged) {
        now.mark = Mark::Tagged;
        now.image = kImageTagged;
    }
    if (SizeCounted(was)) now.sizeText = was.sizeText;  // shown until the user reads the side again
    if (now.caption != was.caption) {  // a rename shows the name as typed until the side is read
        const std::string name = now.Name();
        now.caption = was.caption;
        now.SetName(name);
    }
}

RowMoves ApplyNameChanges(std::vector<Entry>& entries, const std::vector<NameChange>& changes, SortOrder order,
                          const Collation& collation, std::int64_t& totalBytes, std::int64_t& files) {
    // The old row of each changed name: found by the captions it may have (as a file or a folder;
    // letter case aside, for a caption kept as typed in a rename), then by the exact name (a
    // caption says nothing of case twins).
    std::vector<std::string> captions;
    captions.reserve(2 * changes.size());
    for (const NameChange& c : changes) {
        captions.push_back(FileCaption(c.name));
        captions.push_back("<" + c.name + ">");
    }
    std::vector<int> oldRow(changes.size(), -1);
    auto found = [&](std::size_t row, std::size_t change) {
        if (entries[row].kind != EntryKind::Parent && entries[row].Name() == changes[change].name) {
            oldRow[change] = static_cast<int>(row);
        }
    };
    if (captions.size() <= 16) {
        // A few names (a file written to, one made): their lengths rule out nearly every row.
        for (std::size_t row = 0; row < entries.size(); ++row) {
            const std::string& caption = entries[row].caption;
            for (std::size_t i = 0; i < captions.size(); ++i) {
                if (caption.size() == captions[i].size() && FoldedEqual{}(caption, captions[i])) found(row, i / 2);
            }
        }
    } else {
        std::unordered_multimap<std::string_view, std::size_t, FoldedHash, FoldedEqual> byCaption;
        for (std::size_t i = 0; i < captions.size(); ++i) byCaption.emplace(captions[i], i / 2);
        for (std::size_t row = 0; row < entries.size(); ++row) {
            const auto [first, last] = byCaption.equal_range(entries[row].caption);
            for (auto it = first; it != last; ++it) found(row, it->second);
        }
    }

    RowMoves r;
    const std::size_t n = entries.size();
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if ((oldRow[i] >= 0 && !entries[static_cast<std::size_t>(oldRow[i])].IsFile()) ||
            (changes[i].now && !changes[i].now->IsFile())) {
            r.folders = true;
        }
    }
    r.tookPlace.assign(n, -1);
    // Only entries changed in place, each where it was: nothing moves (a file written to).
    bool inPlace = true;
    for (std::size_t i = 0; i < changes.size() && inPlace; ++i) {
        const int row = oldRow[i];
        inPlace = row >= 0 && changes[i].now && changes[i].now->kind == entries[static_cast<std::size_t>(row)].kind;
        if (inPlace) {
            Entry now = *changes[i].now;
            CarryOver(entries[static_cast<std::size_t>(row)], now);
            inPlace = StaysAt(entries, static_cast<std::size_t>(row), now, order, collation);
        }
    }
    if (inPlace) {
        for (std::size_t i = 0; i < changes.size(); ++i) {
            Entry& e = entries[static_cast<std::size_t>(oldRow[i])];
            Entry now = *changes[i].now;
            CarryOver(e, now);
            Count(e, -1, totalBytes, files);
            Count(now, 1, totalBytes, files);
            e = std::move(now);
            r.changedRows.push_back(oldRow[i]);
        }
        r.moved.resize(n);
        for (std::size_t row = 0; row < n; ++row) r.moved[row] = static_cast<int>(row);
        r.inPlace = true;
        return r;
    }

    // The rest: the entries not changed keep their order; the changed ones, sorted, are merged in.
    std::vector<char> changed(n, 0);
    std::vector<Entry> added;
    std::vector<int> addedFrom, addedInstead;  // the old row it carries on (same kind) or takes the place of
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const int row = oldRow[i];
        if (row >= 0) {
            changed[static_cast<std::size_t>(row)] = 1;
            Count(entries[static_cast<std::size_t>(row)], -1, totalBytes, files);
        }
        if (!changes[i].now) continue;
        Entry now = *changes[i].now;
        const bool same = row >= 0 && now.kind == entries[static_cast<std::size_t>(row)].kind;
        if (same) CarryOver(entries[static_cast<std::size_t>(row)], now);
        Count(now, 1, totalBytes, files);
        added.push_back(std::move(now));
        addedFrom.push_back(same ? row : -1);
        addedInstead.push_back(!same ? row : -1);
    }
    std::vector<Entry> rest;
    std::vector<int> restFrom;
    rest.reserve(n);
    restFrom.reserve(n);
    for (std::size_t row = 0; row < n; ++row) {
        if (changed[row]) continue;
        rest.push_back(std::move(entries[row]));
        restFrom.push_back(static_cast<int>(row));
    }
    std::vector<std::size_t> at;  // each added entry's place among the rest, in sorted order
    const std::vector<std::uint32_t> perm = SortPermutation(added, order, collation);
    for (const std::uint32_t k : perm) at.push_back(InsertionPoint(rest, added[k], order, collation));

    r.moved.assign(n, -1);
    entries.clear();
    entries.reserve(rest.size() + added.size());
    std::size_t next = 0;  // of perm
    auto put = [&](std::size_t k) {
        const int row = static_cast<int>(entries.size());
        if (addedFrom[k] >= 0) r.moved[static_cast<std::size_t>(addedFrom[k])] = row;
        if (addedInstead[k] >= 0) r.tookPlace[static_cast<std::size_t>(addedInstead[k])] = row;
        entries.push_back(std::move(added[k]));
    };
    for (std::size_t j = 0; j < rest.size(); ++j) {
        for (; next < perm.size() && at[next] <= j; ++next) put(perm[next]);
        r.moved[static_cast<std::size_t>(restFrom[j])] = static_cast<int>(entries.size());
        entries.push_back(std::move(rest[j]));
    }
    for (; next < perm.size(); ++next) put(perm[next]);
    return r;
}

}  // namespace bivane
