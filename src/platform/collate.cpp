#include "platform/collate.h"

#include "platform/utf.h"
#include "platform/win.h"

namespace bivane {

namespace {
std::string SortKey(std::string_view utf8, DWORD flags) {
    const std::wstring w = Widen(utf8);
    const int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, w.c_str(),
                                static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr, 0);
    std::string key(static_cast<size_t>(n), '\0');
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, w.c_str(), static_cast<int>(w.size()),
                  reinterpret_cast<LPWSTR>(key.data()), n, nullptr, nullptr, 0);
    while (!key.empty() && key.back() == '\0') key.pop_back();  // the key's own terminator
    return key;
}
}  // namespace

Collation PlatformCollation() {
    Collation c;
    c.caseSensitiveKey = [](std::string_view s) { return SortKey(s, 0); };
    c.caseInsensitiveKey = [](std::string_view s) { return SortKey(s, NORM_IGNORECASE); };
    return c;
}

}  // namespace bivane
