// UTF-8 inside the program, UTF-16 at the API call.
#pragma once
#include <string>
#include <string_view>

namespace bivane {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace bivane
