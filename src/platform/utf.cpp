#include "platform/utf.h"

#include "core/wtf8.h"

namespace bivane {

// wchar_t is 16 bits on Windows, so the two views share their storage.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring Widen(std::string_view s) {
    const std::u16string w = Wtf8ToUtf16(s);
    return std::wstring(reinterpret_cast<const wchar_t*>(w.data()), w.size());
}

std::string Narrow(std::wstring_view w) {
    return Utf16ToWtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

}  // namespace bivane
