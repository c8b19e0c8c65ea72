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

struct TextLayout {
    Encoding encoding = Encoding::Ansi;
    std::int64_t origin = 0;  // where the text starts (after a BOM)
    int width = 80;           // columns of a wrapped line
    bool wrap = true;
    int tab = 8;
    const AnsiTable* ansi = nullptr;
};

// An unwrapped line longer than this continues on the next row; a line start is never looked for
// further back than kMaxLineScan bytes. Both keep a file without line ends as quick as any other.
constexpr int kMaxColumns = 4096;
constexpr std::int64_t kMaxLineScan = 64 * 1024;

struct DisplayLine {
    std::int64_t start = 0;
    std::int64_t end = 0;              // where its text ends (before any line end)
    std::int64_t next = 0;             // start of the following line (after any line end)
    std::u16string text;               // tabs expanded, control characters as a middle dot
    std::vector<std::uint32_t> at;     // for each unit of text, its byte offset from start
};

// The display line starting at start. Wrapping breaks after the last space or tab that fits, or
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
