#include "panes/entry_rules.h"

#include <charconv>
#include <cstdio>
#include <unordered_map>

namespace bivane {

namespace {

char AsciiUpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Every file's date passes here: no formatting call for the usual 0 to 99.
void AppendTwoDigits(std::string& s, int v) {
    if (v < 0 || v > 99) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d", v);
        s += buf;
        return;
    }
    s += static_cast<char>('0' + v / 10);
    s += static_cast<char>('0' + v % 10);
}

}  // namespace

std::string FileCaption(std::string_view name) {
    std::string s(name);
    for (char& c : s) c = AsciiLowerChar(c);
    if (!s.empty()) s[0] = AsciiUpperChar(s[0]);
    return s;
}

std::string Extension(std::string_view caption) {
    const auto pos = caption.find_last_of(".:\\");
    if (pos == std::string_view::npos || caption[pos] != '.') return {};
    return std::string(caption.substr(pos));
}

bool IsProgramExtension(std::string_view caption) {
    const std::string ext = Extension(caption);
    return EqualsIgnoreAsciiCase(ext, ".exe") || EqualsIgnoreAsciiCase(ext, ".bat") ||
           EqualsIgnoreAsciiCase(ext, ".com");
}

std::uint8_t UntaggedImage(std::string_view caption) {
    return IsProgramExtension(caption) ? kImageProgram : kImageFile;
}

std::string DateText(const LocalTime& t, const LocaleFacts& loc) {
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const int year2 = ((t.year % 100) + 100) % 100;
    std::string s;
    s.reserve(14 + 2 * loc.dateSep.size() + loc.timeSep.size());
    AppendTwoDigits(s, t.month);
    s += loc.dateSep;
    AppendTwoDigits(s, t.day);
    s += loc.dateSep;
    AppendTwoDigits(s, year2);
    s += ' ';
    AppendTwoDigits(s, hour12);
    s += loc.timeSep;
    AppendTwoDigits(s, t.minute);
    s += t.hour < 12 ? "am" : "pm";
    return s;
}

std::int64_t MinuteStamp(const LocalTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 1440 + t.hour * 60 + t.minute;
}

std::string FreeText(std::int64_t freeBytes, const LocaleFacts& loc) {
    // to_chars is locale-independent, so the separator is always "." here and swapped below.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(freeBytes) * 0.000001,
                                   std::chars_format::fixed, 3);
    std::string number(buf, res.ptr);
    if (number.size() < 8) number.insert(0, 8 - number.size(), ' ');
    const auto dot = number.find('.');
    if (dot != std::string::npos) number.replace(dot, 1, loc.decimalSep);
    return "Free: " + number + "mb";
}

std::string DirTotalText(std::int64_t totalBytes) { return "Dir: " + std::to_string(totalBytes / 1000) + "k"; }

std::string FilesText(std::int64_t fileCount) { return std::to_string(fileCount) + " Files"; }

bool IsDirEntry(std::string_view caption) {
    return caption.size() >= 3 && (caption[0] == '[' || caption[0] == '<');
}

std::string StripDirBrackets(std::string_view caption) {
    if (!caption.empty() && caption.front() == '<') caption.remove_prefix(1);
    if (!caption.empty() && caption.back() == '>') caption.remove_suffix(1);
    return std::string(caption);
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpperChar(a[i]) != AsciiUpperChar(b[i])) return false;
    return true;
}

std::string AsciiUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiUpperChar(c);
    return r;
}

bool HasReplacementChar(std::string_view name) { return name.find("\xEF\xBF\xBD") != std::string_view::npos; }

void MarkTwins(std::vector<Entry>& entries, const std::vector<std::string>& hiddenNamesWithReplacement) {
    std::unordered_map<std::string, int> seen;
    for (const std::string& n : hiddenNamesWithReplacement) ++seen[AsciiUpper(n)];
    bool any = !seen.empty();
    for (const Entry& e : entries) {
        if (HasReplacementChar(e.caption)) {
            ++seen[AsciiUpper(e.Name())];
            any = true;
        }
    }
    if (!any) return;
    for (Entry& e : entries) {
        if (!HasReplacementChar(e.caption)) continue;
        if (seen[AsciiUpper(e.Name())] > 1 && e.reach == Reach::Exact) e.reach = Reach::Twin;
    }
}

std::string UnreachableText(const Entry& e) {
    std::string why;
    switch (e.reach) {
        case Reach::Wildcard: why = "The name holds ? or *, which Windows reads as a pattern."; break;
        case Reach::Separator: why = "The name holds a \\, which Windows reads as a folder."; break;
        case Reach::Twin: why = "Another entry here shows the same name: its letters cannot all be shown."; break;
        case Reach::Exact: return {};
    }
    return "Cannot reach '" + e.caption + "' exactly.\r" + why + "\rIt was left as it is.";
}

std::int64_t ReadSizeText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    // from_chars takes "-" but not "+".
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return 0;
    }
    std::int64_t value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return 0;
    return value;
}

}  // namespace bivane
