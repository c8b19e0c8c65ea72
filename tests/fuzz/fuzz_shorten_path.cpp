// Shortening a path to a width, with a measure of one unit per byte.
#include <cstdlib>

#include "fuzz_input.h"
#include "panes/shorten_path.h"

using namespace bivane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const int width = in.Int(-5, 400);
    const std::string path = in.Text();
    const auto measure = [](std::string_view s) { return static_cast<int>(s.size()); };
    const std::string shown = ShortenPath(path, width, measure);
    if (measure(path) <= width && shown != path) std::abort();  // what fits is left alone
    return 0;
}
