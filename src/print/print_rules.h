// Page arithmetic and line texts of the printed directory listing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry.h"

namespace bivane {

// L: lines per page for a text height h (each line takes h + 2 units).
int LinesPerPage(int printableHeight, int h);
// C: columns per page.
int ColumnsPerPage(int printableWidth, int avgCharWidth);
// M: the page total printed in the header, for all entries counted, the parent entry included.
int PageTotal(int entries, int L);

// Date and time, the program's label, then "Page p of M" right-aligned in columns - 53 characters.
std::string PageHeaderLine(std::string_view dateTime, int page, int total, int columns);
// " [by ext]", " [by date]", " [by size]" or " [by filename]", from the title panel's caption.
std::string OrderText(std::string_view titleCaption);

struct PrintPiece {
    std::string text;
    bool bold = false, italic = false;
};

// The pieces of one entry's line; empty for a caption beginning with "[", which prints nothing.
std::vector<PrintPiece> EntryLinePieces(const Entry& entry);

struct PagePlan {
    std::vector<std::vector<std::uint32_t>> pages;  // entry indices printed on each page
};

// Which entries go on which page: at most L - 3 entry lines a page, "[" entries take no line.
PagePlan PlanPages(const std::vector<Entry>& entries, int L);

}  // namespace bivane
