// A line-oriented text output to a printer device context, in UTF-8.
#pragma once
#include <string>

#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

// The printer's figures in device units, for one font.
struct PrinterFigures {
    int textHeight = 0;    // height of the extent of the characters 32 to 255
    int pageWidth = 0;     // printable width (HORZRES)
    int pageHeight = 0;    // printable height (VERTRES)
    int avgCharWidth = 0;  // tmAveCharWidth
};

// Opens the document on construction and ends it on destruction, on every way out. Owns the DC.
// Lines run from the printable area's left edge; a piece too wide for the line goes on below.
class PrinterOutput {
public:
    // Starts the document and its first page; throws IoError when the printer refuses.
    PrinterOutput(HDC dc, const std::string& documentName, const std::string& outputFile = "");
    ~PrinterOutput();
    PrinterOutput(const PrinterOutput&) = delete;
    PrinterOutput& operator=(const PrinterOutput&) = delete;

    // The font for the following text: face and size in points, bold and italic as asked.
    void SetFont(const std::string& face, int points, bool bold, bool italic);
    PrinterFigures Figures() const;
    void Write(const std::string& text);
    void EndLine();  // text height + 2, or the font's height for an empty line
    void NewPage();

private:
    HFONT Font(bool bold, bool italic);
    AutoDeleteDC dc_;
    std::wstring face_;
    int points_ = 0;
    AutoGdiObject fonts_[4];  // regular, bold, italic, bold italic
    HGDIOBJ originalFont_ = nullptr;
    HFONT currentFont_ = nullptr;
    int x_ = 0, y_ = 0;
    int lineHeight_ = 0;      // tallest piece written on the current line
    bool pageOpen_ = false;
};

// Now, as the user's short date format, a space and the long time format.
std::string NowDateTimeText();

}  // namespace bivane
