#include "platform/printer.h"

#include <algorithm>

#include "core/errors.h"
#include "platform/utf.h"

namespace bivane {

namespace {

[[noreturn]] void PrinterFailed() {
    const DWORD code = GetLastError();
    throw IoError(code ? static_cast<int>(code) : ERROR_GEN_FAILURE);
}

}  // namespace

PrinterOutput::PrinterOutput(HDC dc, const std::string& documentName, const std::string& outputFile)
    : dc_(dc) {
    const std::wstring name = Widen(documentName);
    const std::wstring output = Widen(outputFile);
    DOCINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = name.c_str();
    info.lpszOutput = output.empty() ? nullptr : output.c_str();
    if (StartDocW(dc_.get(), &info) <= 0) PrinterFailed();
    if (StartPage(dc_.get()) <= 0) {
        AbortDoc(dc_.get());
        PrinterFailed();
    }
    pageOpen_ = true;
}

PrinterOutput::~PrinterOutput() {
    if (pageOpen_) EndPage(dc_.get());
    EndDoc(dc_.get());
    if (originalFont_) SelectObject(dc_.get(), originalFont_);
}

HFONT PrinterOutput::Font(bool bold, bool italic) {
    AutoGdiObject& font = fonts_[(bold ? 1 : 0) + (italic ? 2 : 0)];
    if (!font) {
        const int height = -MulDiv(points_, GetDeviceCaps(dc_.get(), LOGPIXELSY), 72);
        font.reset(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               FIXED_PITCH | FF_MODERN, face_.c_str()));
        if (!font) PrinterFailed();
    }
    return static_cast<HFONT>(font.get());
}

void PrinterOutput::SetFont(const std::string& face, int points, bool bold, bool italic) {
    const std::wstring w = Widen(face);
    if (w != face_ || points != points_) {
        for (AutoGdiObject& f : fonts_) f.reset();
        face_ = w;
        points_ = points;
    }
    currentFont_ = Font(bold, italic);
    HGDIOBJ previous = SelectObject(dc_.get(), currentFont_);
    if (!originalFont_) originalFont_ = previous;
}

PrinterFigures PrinterOutput::Figures() const {
    PrinterFigures f;
    // The characters 32 to 255 of the code page, as the printer would get them.
    char bytes[224];
    for (int i = 0; i < 224; ++i) bytes[i] = static_cast<char>(32 + i);
    wchar_t wide[224];
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes, 224, wide, 224);
    SIZE extent{};
    GetTextExtentPoint32W(dc_.get(), wide, n, &extent);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_.get(), &tm);
    f.textHeight = extent.cy;
    f.pageWidth = GetDeviceCaps(dc_.get(), HORZRES);
    f.pageHeight = GetDeviceCaps(dc_.get(), VERTRES);
    f.avgCharWidth = tm.tmAveCharWidth;
    return f;
}

void PrinterOutput::Write(const std::string& text) {
    std::wstring rest = Widen(text);
    const int width = GetDeviceCaps(dc_.get(), HORZRES);
    while (!rest.empty()) {
        int fit = 0;
        SIZE extent{};
        GetTextExtentExPointW(dc_.get(), rest.c_str(), static_cast<int>(rest.size()), std::max(width - x_, 0),
                              &fit, nullptr, &extent);
        if (fit == 0 && x_ == 0) fit = 1;  // never stall on a character wider than the page
        if (fit > 0) {
            SIZE part{};
            GetTextExtentPoint32W(dc_.get(), rest.c_str(), fit, &part);
            if (!TextOutW(dc_.get(), x_, y_, rest.c_str(), fit)) PrinterFailed();
            x_ += part.cx;
            lineHeight_ = std::max<int>(lineHeight_, part.cy);
            rest.erase(0, static_cast<size_t>(fit));
        }
        if (!rest.empty()) EndLine();
    }
}

void PrinterOutput::EndLine() {
    if (lineHeight_ > 0) {
        y_ += lineHeight_ + 2;
    } else {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc_.get(), &tm);
        y_ += tm.tmHeight;
    }
    x_ = 0;
    lineHeight_ = 0;
}

void PrinterOutput::NewPage() {
    pageOpen_ = false;
    if (EndPage(dc_.get()) <= 0) PrinterFailed();
    if (StartPage(dc_.get()) <= 0) PrinterFailed();
    pageOpen_ = true;
    // Some drivers give each page fresh DC settings.
    if (currentFont_) SelectObject(dc_.get(), currentFont_);
    x_ = y_ = 0;
    lineHeight_ = 0;
}

std::string NowDateTimeText() {
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 128, nullptr);
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, nullptr, nullptr, time, 128);
    return Narrow(date) + " " + Narrow(time);
}

}  // namespace bivane
