// The platform's text facts that searches need: a character's other cases, its bytes in a code
// page, a code page's characters, the upper case file names are compared in, and what makes a word.
#pragma once
#include <array>
#include <string>
#include <vector>

namespace bivane {

// c and its upper and lower case (the platform's mappings).
std::u32string CaseVariants(char32_t c);
// c's bytes in the code page, without best-fit guesses (a guessed character would find text that
// is not there); empty when the page has no such character.
std::string InCodePage(char32_t c, unsigned codePage);
// UTF-16 of each byte in a single-byte code page (U+FFFD for bytes it leaves undefined).
std::array<char16_t, 256> CodePageUnits(unsigned codePage);
// The system's upper case of every UTF-16 unit (65,536 entries), as names are compared.
std::vector<char16_t> UpperCaseUnits();
// A letter or digit, or "_".
bool IsWordCharacter(char32_t c);
unsigned AnsiCodePage();
unsigned OemCodePage();

}  // namespace bivane
