// What a search for files decides without a window: which names its masks take, which sizes and
// dates pass, and where a text first stands in a file, in one encoding or in all of them. A file is
// read a block at a time (never whole), every pattern scanned over the block while it is in memory.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/search_rules.h"
#include "viewer/text_rules.h"

namespace bivane::find {

// The system's upper case of every UTF-16 unit, so names are matched ignoring case as the file
// system matches them.
using UpperTable = std::vector<char16_t>;  // 65,536 units
UpperTable AsciiUpperTable();               // a to z only: for tests

// "*.cpp;*.h | *.obj;*.tmp": names to take, and after "|" names to leave out. No mask to take
// means every name. Masks are kept upper-cased by the table they were made with.
struct NameMasks {
    std::vector<std::u16string> take, leave;
    bool Matches(std::u16string_view name, const UpperTable& upper) const;
};
NameMasks ParseMasks(std::string_view text, const UpperTable& upper);
// "*" any run of characters, "?" one; a name without a dot is matched as if it ended with one,
// so "*.*" takes every name and "*." the names without an extension.
bool MaskMatches(std::u16string_view upperMask, std::u16string_view name, const UpperTable& upper);

// "1500", "10k", "2.5 MB", "1 GB" (powers of 1,024); nothing for text that is not a size.
std::optional<std::int64_t> ParseSize(std::string_view text);
struct Day {
    int year = 0, month = 0, day = 0;
};
// "2026-12-31"; nothing for anything else or a day no calendar has.
std::optional<Day> ParseDay(std::string_view text);

struct SizeDate {
    std::int64_t minSize = -1, maxSize = -1;           // -1: no limit
    std::int64_t after = INT64_MIN, before = INT64_MAX;  // the date (FILETIME ticks): after <= d < before
    bool Passes(std::int64_t size, std::int64_t date, bool isFolder) const;
};

// The encodings a text is looked for in.
enum class TextEncodings { Detected, Utf8, Utf16Le, Utf16Be, CodePage, All };

struct TextQuery {
    std::string text;  // UTF-8; empty: no text search
    bool matchCase = false;
    bool wholeWords = false;
    bool notContaining = false;
    TextEncodings encodings = TextEncodings::Detected;
    unsigned codePage = 0;  // for CodePage
};

// What the platform gives a text search: its case folds and code pages.
struct TextPlatform {
    unsigned ansiCodePage = 1252, oemCodePage = 437;
    std::function<viewer::CaseFold(unsigned codePage)> fold;  // ignoring case
    std::function<viewer::AnsiTable(unsigned codePage)> table;
    std::function<bool(char32_t)> isWordChar;  // letters, digits, "_"
};
TextPlatform AsciiTextPlatform();  // for tests

struct TextHit {
    std::int64_t at = -1;  // -1: not found
    std::size_t length = 0;
    std::string line;  // the line holding it (UTF-8, at most kLineChars characters)
    bool Found() const { return at >= 0; }
};

class TextSearch {
public:
    TextSearch(const TextQuery& q, const TextPlatform& platform);
    bool Empty() const { return query_.text.empty(); }
    bool Valid() const { return !forms_.empty(); }  // false: the text cannot be written in any encoding asked
    // The first match in the file, read in blocks of `block` bytes; stops (nothing found) when
    // stop is set between two blocks.
    TextHit FindIn(viewer::ByteSource& src, const std::atomic<bool>* stop = nullptr,
                   std::size_t block = 1 << 20) const;
    static constexpr std::size_t kLineChars = 200;

private:
    struct Form {
        viewer::Pattern pattern;
        viewer::Encoding encoding;
        viewer::AnsiTable table;
        bool detected = false;  // one of the forms "as detected" chooses from
    };
    bool WholeWordAt(viewer::ByteSource& src, const Form& f, std::int64_t at, std::size_t length) const;
    std::string LineAt(viewer::ByteSource& src, const Form& f, std::int64_t at) const;

    TextQuery query_;
    TextPlatform platform_;
    std::vector<Form> forms_;
};

}  // namespace bivane::find
