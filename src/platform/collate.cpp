#include "platform/collate.h"

#include "platform/utf.h"
#include "platform/win.h"

namespace bivane {

namespace {
std::string SortKey(std::string_view utf8, DWORD flags) {
    const std::wstring w = Widen(utf8);
    // Most keys fit the stack buffer: one call instead of a size query and a second call.
    BYTE buf[512];
    int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, w.c_str(),
                          static_cast<int>(w.size()), reinterpret_cast<LPWSTR>(buf), sizeof buf,
                          nullptr, nullptr, 0);
    std::string key;
    if (n > 0) {
        key.assign(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
    } else {
        n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, w.c_str(),
                          static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr, 0);
        key.assign(static_cast<size_t>(n), '\0');
        LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, w.c_str(),
                      static_cast<int>(w.size()), reinterpret_cast<LPWSTR>(key.data()), n, nullptr,
                      nullptr, 0);
    }
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
