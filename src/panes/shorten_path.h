// The title text of a side: its directory shortened to fit a width in pixels.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace bivane {

// measure(text) gives the text's width in the label's font.
std::string ShortenPath(std::string_view path, int maxWidth,
                        const std::function<int(std::string_view)>& measure);

}  // namespace bivane
