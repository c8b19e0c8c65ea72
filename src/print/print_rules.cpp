#include "print/print_rules.h"

#include <algorithm>
#include <cstdlib>

#include "panes/entry_rules.h"

namespace bivane {

namespace {

// Entry lines on a page. A page shorter than four lines is not provided for; one line a page
// keeps the arithmetic defined there.
int EntryLinesPerPage(int L) { return std::max(L - 3, 1); }

bool StartsWith(std::string_view s, char c) { return !s.empty() && s.front() == c; }

}  // namespace

int LinesPerPage(int printableHeight, int h) {
    if (h <= 0) return 0;
    int lines = printableHeight / (h + 2);
    if (printableHeight % h != 0) --lines;  // tested against h, not h + 2
    return lines;
}

int ColumnsPerPage(int printableWidth, int avgCharWidth) {
    return avgCharWidth > 0 ? printableWidth / avgCharWidth : 0;
}

int PageTotal(int entries, int L) {
    const int perPage = EntryLinesPerPage(L);
    return (entries - 1) / perPage + ((entries - 1) % perPage != 0 ? 1 : 0);
}

std::string PageHeaderLine(std::string_view dateTime, int page, int total, int columns) {
    const std::string label = "Page " + std::to_string(page) + " of " + std::to_string(total);
    // "%*.*s" with width columns - 53 and the label's own length as precision: padded, never cut; a
    // negative width pads on the right, as printf does.
    const int width = columns - 53;
    const std::size_t field = static_cast<std::size_t>(std::abs(width));
    const std::string pad(field > label.size() ? field - label.size() : 0, ' ');
    const std::string aligned = width >= 0 ? pad + label : label + pad;
    return std::string(dateTime) + "   (Directory listing by Bivane)" + aligned;
}

std::string OrderText(std::string_view titleCaption) {
    if (titleCaption.find("[by ext]") != std::string_view::npos) return " [by ext]";
    if (titleCaption.find("[by date]") != std::string_view::npos) return " [by date]";
    if (titleCaption.find("[by size]") != std::string_view::npos) return " [by size]";
    return " [by filename]";
}

std::vector<PrintPiece> EntryLinePieces(const Entry& entry) {
    const std::string& caption = entry.caption;
    if (StartsWith(caption, '[')) return {};
    if (StartsWith(caption, '<'))
        return {{"       SubDirectory (folder): ", false, true}, {StripDirBrackets(caption), true, false}};
    // "%8.8s": right-aligned in 8 characters, cut to the first 8.
    const std::string size = entry.sizeText.substr(0, 8);
    const std::string sizeField = std::string(8 - size.size(), ' ') + size;
    return {{"       " + sizeField + "  " + entry.dateText + "  " + caption}};
}

PagePlan PlanPages(const std::vector<Entry>& entries, int L) {
    PagePlan plan;
    int linesLeft = 0;
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        // The header comes before the "[" test, so even a parent entry can open a page.
        if (linesLeft == 0) {
            plan.pages.emplace_back();
            linesLeft = EntryLinesPerPage(L);
        }
        if (StartsWith(entries[i].caption, '[')) continue;
        plan.pages.back().push_back(i);
        --linesLeft;
    }
    return plan;
}

}  // namespace bivane
