// The viewer's reading of any bytes: detection, decoding, line layout (wrapped or not, scrolled
// sideways) walked forward and back, the last page, and hex rows. Checks that every walk moves
// on and stays inside the file.
#include <cstdlib>

#include "rules/viewer_source.h"
#include "fuzz_input.h"
#include "viewer/text_rules.h"

using namespace bivane;
using namespace bivane::viewer;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    TextLayout l;
    l.width = in.Int(1, 40);
    l.wrap = in.Byte() & 1;
    l.tab = in.Int(1, 9);
    l.skipColumns = in.Int(0, 100);
    const int rows = in.Int(1, 10);
    const auto chosen = static_cast<Encoding>(in.Byte() % 4);
    const std::string bytes = in.Text();
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const Detected d = Detect(p, bytes.size());
    l.encoding = (in.Byte() & 1) ? d.encoding : chosen;
    l.origin = l.encoding == d.encoding ? d.bom : BomFor(l.encoding, p, bytes.size());
    LongLines longLines;
    if (in.Byte() & 1) l.longLines = &longLines;
    DecodeText(p, bytes.size(), l.encoding, Latin1Table());
    // Claimed bigger than it is, at times: a file that shrank while shown.
    test::StringSource src(bytes, static_cast<std::int64_t>(bytes.size()) + (in.Byte() & 1 ? 50 : 0));
    for (std::int64_t pos = l.origin; pos < static_cast<std::int64_t>(bytes.size());) {
        const DisplayLine line = LayoutLine(src, pos, l);
        if (line.next <= pos || line.end < pos || line.next > src.Size() || line.text.size() != line.at.size()) abort();
        const std::int64_t back = LineStartBefore(src, line.next, l);
        if (back > line.next || back < l.origin) abort();
        pos = line.next;
    }
    const std::int64_t last = LastPageStart(src, rows, l);
    if (last < l.origin && last != 0) abort();
    const int digits = HexOffsetDigits(static_cast<std::int64_t>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); i += kHexPerRow) {
        HexRow(static_cast<std::int64_t>(i), p + i, std::min<std::size_t>(kHexPerRow, bytes.size() - i), digits);
    }
    return 0;
}
