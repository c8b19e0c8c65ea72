#include "panes/sort_rules.h"

#include <algorithm>
#include <numeric>

#include "panes/entry_rules.h"

namespace bivane {

namespace {

// Everything one comparison needs, computed once per entry per sort.
struct SortKey {
    bool dir = false;
    bool noExt = false;
    bool reversible = false;  // the date text is long enough to be a file's
    std::string primary;      // name key for Name, extension key for Ext
    std::string name;         // case-insensitive name key for the tie-break
    std::int64_t number = 0;  // size or minute
};

int Sign(int v) { return (v > 0) - (v < 0); }

int CompareNumbers(std::int64_t a, std::int64_t b) { return (a > b) - (a < b); }

bool SizeTextIsDir(const std::string& sizeText) {
    return sizeText.size() >= 5 && EqualsIgnoreAsciiCase(std::string_view(sizeText).substr(0, 5), "<DIR>");
}

// A folder whose size was asked for shows digits in its Size cell; it still sorts as a folder.
bool SortsAsDir(const Entry& e) { return !e.IsFile() || SizeTextIsDir(e.sizeText); }

SortKey MakeKey(const Entry& e, SortOrder order, const Collation& c) {
    SortKey k;
    switch (order) {
    case SortOrder::Name:
        k.primary = NameSortKey(e, c);
        return k;
    case SortOrder::Ext: {
        const std::string ext = Extension(e.caption);
        k.dir = SortsAsDir(e);
        k.noExt = ext.empty();
        k.primary = c.caseInsensitiveKey(ext);
        break;
    }
    case SortOrder::Size:
        k.dir = SortsAsDir(e);
        k.number = e.size;
        break;
    case SortOrder::Date:
        k.dir = e.dateText.size() < 4;
        k.reversible = e.dateText.size() > 4;
        k.number = e.minute;
        break;
    }
    k.name = c.caseInsensitiveKey(e.caption);
    return k;
}

// Three-way result of the order's comparison, like the list's sort callback would give.
int Compare(const SortKey& a, const SortKey& b, SortOrder order) {
    if (order == SortOrder::Name) return Sign(a.primary.compare(b.primary));
    int r = 0;
    if (a.dir != b.dir) {
        r = a.dir ? -1 : 1;
    } else if (!a.dir) {
        if (order == SortOrder::Ext)
            r = a.noExt != b.noExt ? (a.noExt ? -1 : 1) : Sign(a.primary.compare(b.primary));
        else
            r = CompareNumbers(a.number, b.number);
    }
    if (r == 0) r = Sign(a.name.compare(b.name));
    // Newest first; the reversal also turns the name tie-break around.
    if (order == SortOrder::Date && a.reversible && b.reversible) r = -r;
    return r;
}

}  // namespace

std::string NameSortKey(const Entry& e, const Collation& collation) { return collation.caseSensitiveKey(e.caption); }

std::vector<std::uint32_t> PermutationByNameKeys(const std::vector<std::string_view>& keys) {
    std::vector<std::uint32_t> perm(keys.size());
    std::iota(perm.begin(), perm.end(), 0u);
    std::stable_sort(perm.begin(), perm.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    return perm;
}

std::vector<std::uint32_t> SortPermutation(const std::vector<Entry>& entries, SortOrder order,
                                           const Collation& collation) {
    std::vector<SortKey> keys;
    keys.reserve(entries.size());
    for (const Entry& e : entries) keys.push_back(MakeKey(e, order, collation));
    std::vector<std::uint32_t> perm(entries.size());
    std::iota(perm.begin(), perm.end(), 0u);
    std::stable_sort(perm.begin(), perm.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return Compare(keys[a], keys[b], order) < 0; });
    return perm;
}

std::size_t InsertionPoint(const std::vector<Entry>& sorted, const Entry& e, SortOrder order, const Collation& collation) {
    const SortKey key = MakeKey(e, order, collation);
    std::size_t lo = 0, hi = sorted.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (Compare(key, MakeKey(sorted[mid], order, collation), order) < 0) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

bool SortsBefore(const Entry& a, const Entry& b, SortOrder order, const Collation& collation) {
    return Compare(MakeKey(a, order, collation), MakeKey(b, order, collation), order) < 0;
}

const char* SortSuffix(SortOrder order) {
    switch (order) {
    case SortOrder::Ext: return "   [by ext]";
    case SortOrder::Size: return "   [by size]";
    case SortOrder::Date: return "   [by date]";
    case SortOrder::Name: break;
    }
    return "";
}

}  // namespace bivane
