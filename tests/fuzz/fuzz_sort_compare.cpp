// Random entries: the four orders give permutations, and the indexed comparison agrees with the
// plain nested scan it replaces.
#include <algorithm>
#include <cstdlib>

#include "fuzz_input.h"
#include "tags/compare_rules.h"
#include "panes/sort_rules.h"

using namespace bivane;

namespace {

std::vector<Entry> Entries(fuzz::Input& in) {
    std::vector<Entry> out(static_cast<size_t>(in.Int(0, 40)));
    for (Entry& e : out) {
        e.caption = in.Text();
        e.sizeText = in.Text();
        e.dateText = in.Text();
        e.size = in.Int64();
        e.minute = in.Int64();
        e.mark = in.Pick({Mark::Untagged, Mark::Tagged, Mark::Directory});
    }
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const std::vector<Entry> a = Entries(in);
    const std::vector<Entry> b = Entries(in);
    const Collation collation{[](std::string_view s) { return std::string(s); }, Lower};
    for (SortOrder order : {SortOrder::Name, SortOrder::Ext, SortOrder::Size, SortOrder::Date}) {
        std::vector<std::uint32_t> perm = SortPermutation(a, order, collation);
        std::sort(perm.begin(), perm.end());
        for (size_t i = 0; i < perm.size(); ++i) if (perm[i] != i) std::abort();
        if (perm.size() != a.size()) std::abort();
    }
    for (bool newer : {false, true}) {
        const std::int64_t before = in.Int(0, 1000);
        const ComparePass fast = ScanPass(a, b, newer, before);
        const ComparePass plain = ScanPassLiteral(a, b, newer, before);
        if (fast.matches != plain.matches || fast.stepAfter != plain.stepAfter || fast.steps != plain.steps) std::abort();
    }
    return 0;
}
