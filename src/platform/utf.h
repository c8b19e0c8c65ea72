// UTF-8 inside the program, UTF-16 at the API call. Both ways are lossless for every name the
// file system can hold (lone surrogates travel in the WTF-8 form), so a name read, kept and given
// back reaches the very same file.
#pragma once
#include <string>
#include <string_view>

namespace bivane {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace bivane
