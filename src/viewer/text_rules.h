// The viewer's window-free rules for showing a file: its encoding, how its bytes become display
// lines (tabs, CR / LF / CR LF, wrapping) and hex rows. Everything works on byte offsets into a
// ByteSource, which reads only what is asked for, so a 5 GB file costs what a page costs.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bivane::viewer {

// Random access to the file's bytes. Read may deliver fewer bytes than asked (end of file, a read
// error, a file that shrank): the rules treat the first short read as the end.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::int64_t Size() const = 0;
    virtual std::size_t Read(std::int64_t offset, void* buffer, std::size_t count) = 0;
};

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct Detected {
    Encoding encoding = Encoding::Ansi;
    int bom = 0;          // bytes of byte-order mark before the text
    bool binary = false;  // shown in hex by default
};

// From the first bytes of a file: a BOM decides; else a NUL means binary; else UTF-8 when the
// bytes are valid UTF-8 with at least one multi-byte character (one cut off at the end of the
// sample counts as valid); else the ANSI code page.
Detected Detect(const std::uint8_t* p, std::size_t n);
std::string EncodingName(Encoding e, int bom, unsigned ansiCodePage);

// The encodings offered by hand: Unicode's, and single-byte code pages (Encoding::Ansi with the
// page's table), the system's own first. name is what the status line shows.
struct EncodingChoice {
    std::string name;
    std::string label;  // the menu's text
    Encoding encoding = Encoding::Ansi;
    unsigned codePage = 0;
};
std::vector<EncodingChoice> EncodingChoices(unsigned ansiCodePage, unsigned oemCodePage);
// Where the text starts when it is read in e: after a BOM that is e's own, else at 0.
int BomFor(Encoding e, const std::uint8_t* p, std::size_t n);

// UTF-16 of each byte in the ANSI code page (single-byte code pages; others show U+FFFD).
using AnsiTable = std::array<char16_t, 256>;
AnsiTable Latin1Table();

struct Char {
    char32_t cp;
    int len;  // bytes it takes; at least 1
};
int UnitSize(Encoding e);
// One character at p (n bytes available). Invalid or cut-off sequences give U+FFFD over one unit.
Char NextChar(const std::uint8_t* p, std::size_t n, Encoding e, const AnsiTable& ansi);
void AppendUtf16(std::u16string& out, char32_t cp);
// The text of bytes, as the clipboard wants it.
std::u16string DecodeText(const std::uint8_t* p, std::size_t n, Encoding e, const AnsiTable& ansi);

class LongLines;

struct TextLayout {
    Encoding encoding = Encoding::Ansi;
    std::int64_t origin = 0;  // where the text starts (after a BOM)
    int width = 80;           // columns of a wrapped line
    bool wrap = true;
    int tab = 8;
    const AnsiTable* ansi = nullptr;
    std::int64_t skipColumns = 0;     // unwrapped: the columns scrolled off to the left
    LongLines* longLines = nullptr;   // unwrapped: what is known of long lines, may be null
};

// Wrapped, a line start is never looked for further back than kMaxLineScan bytes, which keeps a
// file without line ends as quick as any other. Unwrapped, a line is one row whatever its
// length: its ends are found at the speed of reading, and a long one's kept in LongLines.
constexpr std::int64_t kMaxLineScan = 64 * 1024;
constexpr std::int64_t kLongLine = 64 * 1024;
constexpr std::int64_t kMarkColumns = 16 * 1024;

// Text lines longer than kLongLine seen so far, with a mark every kMarkColumns columns along each
// (the byte where that column starts), so a sideways scroll walks from the nearest mark.
class LongLines {
public:
    struct Line {
        std::int64_t start = 0, end = 0, next = 0;
        std::vector<std::pair<std::int64_t, std::int64_t>> marks;  // column, byte
    };
    Line* Starting(std::int64_t start);
    Line* Holding(std::int64_t pos);  // start <= pos < next
    Line& Add(std::int64_t start, std::int64_t end, std::int64_t next);
    void Clear() { lines_.clear(); }

private:
    std::vector<Line> lines_;  // a few, the newest last
};

struct DisplayLine {
    std::int64_t start = 0;
    std::int64_t end = 0;              // where its text ends (before any line end)
    std::int64_t next = 0;             // start of the following line (after any line end)
    std::int64_t shown = 0;            // the byte of text's first unit (past skipped columns)
    std::int64_t shownEnd = 0;         // the byte after text's last unit
    std::u16string text;               // tabs expanded, control characters as a middle dot
    std::vector<std::uint32_t> at;     // for each unit of text, its byte offset from shown
};

// The display line starting at start (unwrapped: only the columns on screen past skipColumns).
// Wrapping breaks after the last space or tab that fits, or
// at the width when there is none. A line end right after a full line belongs to that line.
DisplayLine LayoutLine(ByteSource& src, std::int64_t start, const TextLayout& l);
// The greatest display line start below pos (pos itself when pos is at the origin).
std::int64_t LineStartBefore(ByteSource& src, std::int64_t pos, const TextLayout& l);
// The start of the page of rows lines that ends with the file's last line.
std::int64_t LastPageStart(ByteSource& src, int rows, const TextLayout& l);

// Hex rows: offset, 16 bytes in hex (a gap after the eighth), then the bytes as characters.
constexpr int kHexPerRow = 16;
int HexOffsetDigits(std::int64_t size);  // 8, or more for files past 4 GB
std::string HexRow(std::int64_t offset, const std::uint8_t* p, std::size_t n, int digits);
int HexColumn(int index, int digits);      // column of the byte's first hex digit
int HexCharColumn(int index, int digits);  // column of the byte's character
// The byte (0 to 15) shown at a column, in either part; -1 between them.
int HexByteAt(int column, int digits);

// Position in percent of a file, for the status line: 100 for an empty file.
int Percent(std::int64_t pos, std::int64_t size);

}  // namespace bivane::viewer
