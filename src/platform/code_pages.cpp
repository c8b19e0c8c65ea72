#include "platform/code_pages.h"

#include "platform/win.h"

namespace bivane {

namespace {

std::wstring Units(char32_t c) {
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    c -= 0x10000;
    return {static_cast<wchar_t>(0xD800 + (c >> 10)), static_cast<wchar_t>(0xDC00 + (c & 0x3FF))};
}

}  // namespace

std::u32string CaseVariants(char32_t c) {
    std::u32string v(1, c);
    if (c < 0x10000) {
        wchar_t up = static_cast<wchar_t>(c), low = static_cast<wchar_t>(c);
        CharUpperBuffW(&up, 1);
        CharLowerBuffW(&low, 1);
        v += static_cast<char32_t>(up);
        v += static_cast<char32_t>(low);
    }
    return v;
}

std::string InCodePage(char32_t c, unsigned codePage) {
    const std::wstring u = Units(c);
    char out[8];
    BOOL guessed = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, u.c_str(), static_cast<int>(u.size()), out,
                                      sizeof out, nullptr, &guessed);
    return n > 0 && !guessed ? std::string(out, static_cast<std::size_t>(n)) : std::string();
}

std::array<char16_t, 256> CodePageUnits(unsigned codePage) {
    std::array<char16_t, 256> t{};
    for (std::size_t b = 0; b < t.size(); ++b) {
        const char c = static_cast<char>(b);
        wchar_t w = 0xFFFD;
        if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &c, 1, &w, 1) != 1) w = 0xFFFD;
        t[b] = static_cast<char16_t>(w);
    }
    return t;
}

std::vector<char16_t> UpperCaseUnits() {
    std::vector<wchar_t> units(65536);
    for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<wchar_t>(i);
    // Surrogates alone have no case; mapped in one call, as the file system's table maps them.
    CharUpperBuffW(units.data(), static_cast<DWORD>(units.size()));
    return std::vector<char16_t>(units.begin(), units.end());
}

bool IsWordCharacter(char32_t c) {
    if (c == U'_') return true;
    if (c >= 0x10000) return true;  // outside the table the platform asks: taken as letters
    return IsCharAlphaNumericW(static_cast<wchar_t>(c)) != FALSE;
}

unsigned AnsiCodePage() { return GetACP(); }
unsigned OemCodePage() { return GetOEMCP(); }

}  // namespace bivane
