// The viewer's search and scans on any bytes and any needle: a match found forward or backward
// lies in its range and is what the pattern matches there; line ends and line walks stay inside
// the file; Go to takes any text.
#include <cstdlib>
#include <cstring>

#include "rules/viewer_source.h"
#include "fuzz_input.h"
#include "viewer/goto_rules.h"
#include "viewer/scan_rules.h"
#include "viewer/search_rules.h"

using namespace bivane;
using namespace bivane::viewer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const auto e = static_cast<Encoding>(in.Byte() % 4);
    const std::int64_t origin = in.Byte() % 4;
    const auto block = static_cast<std::size_t>(in.Int(1, 64));
    const std::string needle = in.Text();
    const std::string goTo = in.Text();
    const std::string bytes = in.Text();
    ParseGoTo(goTo, in.Byte() & 1);
    test::StringSource src(bytes);
    const auto n = static_cast<std::int64_t>(bytes.size());
    const Pattern p = MakePattern(needle, e, origin, AsciiFold());
    const std::int64_t from = n ? in.Int(0, 1000) % (n + 1) : 0;
    const Match f = FindForward(src, p, from, n, block);
    if (f.Found() && (f.at < from || f.at >= n || f.at + static_cast<std::int64_t>(f.length) > n)) abort();
    const Match b = FindBackward(src, p, from, 0, block);
    if (b.Found() && (b.at >= from || b.at < 0)) abort();
    // A match found in small blocks is the one found in one.
    if (FindForward(src, p, from, n, 1 << 20).at != f.at) abort();
    for (std::int64_t pos = origin; pos < n;) {
        const LineEnd end = NextLineEnd(src, e, origin, pos, n);
        if (end.at < 0) break;
        if (end.at < pos || end.next <= end.at || end.next > n) abort();
        if (TextLineStartFast(src, e, origin, end.next, origin) > end.at) abort();
        pos = end.next;
    }
    LineWalk walk{origin, in.Int(1, 50)};
    while (walk.pos < n && !WalkLines(src, e, origin, walk, std::min(n, walk.pos + static_cast<std::int64_t>(block)))) {
    }
    if (walk.pos > n + 4) abort();
    return 0;
}
