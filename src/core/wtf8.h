// Names as the file system holds them, in 8 bits and back, without loss. A Windows name is any
// sequence of 16-bit units, lone surrogates included; plain UTF-8 cannot carry those, so a lone
// surrogate is written as the three bytes it would have as a code point (the WTF-8 form). Valid
// UTF-16 gives exactly its UTF-8.
#pragma once
#include <string>
#include <string_view>

namespace bivane {

std::string Utf16ToWtf8(std::u16string_view units);
// Malformed bytes (which no name read back from the system holds) become U+FFFD.
std::u16string Wtf8ToUtf16(std::string_view bytes);

}  // namespace bivane
