// The printout's header and entry lines on any texts and numbers.
#include "fuzz_input.h"
#include "print/print_rules.h"

using namespace bivane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const int page = in.Int(-3, 1000), total = in.Int(-3, 1000), width = in.Int(-10, 300);
    PageHeaderLine(in.Text(), page, total, width);
    OrderText(in.Text());
    Entry e;
    e.caption = in.Text();
    e.sizeText = in.Text();
    e.dateText = in.Text();
    e.mark = in.Pick({Mark::Untagged, Mark::Tagged, Mark::Directory});
    e.kind = static_cast<EntryKind>(in.Byte() % 3);
    EntryLinePieces(e);
    return 0;
}
