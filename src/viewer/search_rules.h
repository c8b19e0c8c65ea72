// Finding text in a file of any size, in the file's own encoding, ignoring case: the needle
// becomes, character by character, the byte forms it may take, and the file is scanned a block
// at a time, each block overlapping the next by a needle's length so no match is cut in two.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/scan_rules.h"
#include "viewer/text_rules.h"

namespace bivane::viewer {

struct Pattern {
    std::vector<std::vector<std::string>> chars;  // per character: its byte forms
    std::size_t maxBytes = 0;                     // the longest match
    int unit = 1;                                 // matches start on a unit of the encoding
    std::int64_t origin = 0;                      // ... counted from here
    // What a match starts with, looked for first: the first bytes of the first character's forms,
    // and of the second's, secondAt bytes on (the first's forms are all that long; else the
    // second set holds every byte).
    ByteSet first, second;
    std::size_t secondAt = 0;
    bool Empty() const { return chars.empty(); }
};

struct CaseFold {
    // The character and its other cases (the platform's upper and lower case mappings).
    std::function<std::u32string(char32_t)> variants;
    // The character's bytes in the ANSI code page; empty when it has none.
    std::function<std::string(char32_t)> ansi;
};
// Folds a to z only, and takes the ANSI code page for Latin-1: enough for tests.
CaseFold AsciiFold();

// An empty pattern when the needle is empty, not valid UTF-8, or has a character the file's
// encoding cannot hold (then nothing can match).
Pattern MakePattern(std::string_view needleUtf8, Encoding e, std::int64_t origin, const CaseFold& fold);

struct Match {
    std::int64_t at = -1;  // -1: none
    std::size_t length = 0;
    bool Found() const { return at >= 0; }
};

// The first match starting in [from, to), read a block at a time (small enough to stay in the
// processor's cache between the read and the scan).
Match FindForward(ByteSource& src, const Pattern& p, std::int64_t from, std::int64_t to,
                  std::size_t block = 256 << 10);
// The last match starting in [to, from).
Match FindBackward(ByteSource& src, const Pattern& p, std::int64_t from, std::int64_t to,
                   std::size_t block = 256 << 10);

}  // namespace bivane::viewer
