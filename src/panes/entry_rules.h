// Texts of a list entry and the small caption helpers every command uses.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry.h"
#include "core/locale_facts.h"
#include "core/paths.h"

namespace bivane {

// README.TXT -> Readme.txt: ASCII A-Z lowered, then an ASCII a-z first byte raised.
std::string FileCaption(std::string_view name);
// From the last "." after any ":" or "\", dot included; empty when there is none.
std::string Extension(std::string_view caption);
bool IsProgramExtension(std::string_view caption);
std::uint8_t UntaggedImage(std::string_view caption);
// "mm/dd/yy hh:nnam/pm" with the locale's separators.
std::string DateText(const LocalTime& t, const LocaleFacts& loc);
std::int64_t MinuteStamp(const LocalTime& t);
// "Free: %8.3fmb" of bytes * 0.000001, with the locale's decimal separator.
std::string FreeText(std::int64_t freeBytes, const LocaleFacts& loc);
std::string DirTotalText(std::int64_t totalBytes);  // "Dir: 12k"
std::string FilesText(std::int64_t fileCount);      // "7 Files"

bool IsDirEntry(std::string_view caption);
std::string StripDirBrackets(std::string_view caption);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
std::string AsciiUpper(std::string_view s);
// A name that holds U+FFFD stands for bytes the system could not show; when another name of the
// folder (listed or hidden) reads the same ignoring case, a path may reach either: both are Twins.
bool HasReplacementChar(std::string_view name);
void MarkTwins(std::vector<Entry>& entries, const std::vector<std::string>& hiddenNamesWithReplacement);
// The message a command gives instead of acting on an entry it cannot reach exactly.
std::string UnreachableText(const Entry& e);
// Decimal text read back as a signed integer; leading blanks and sign allowed, 0 on junk.
std::int64_t ReadSizeText(std::string_view text);

}  // namespace bivane
