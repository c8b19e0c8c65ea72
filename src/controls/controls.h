// The small control layer the main window and the dialogs are built from.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

HINSTANCE AppInstance();
// The program's 8-point dialog font at a DPI, shared by every window of that DPI: "MS Sans Serif"
// at 96, as it always was; above, "Microsoft Sans Serif", its TrueType twin: the bitmap font has a
// few sizes only, and a face of other widths (Tahoma) would not fit the designed controls.
// Made once per DPI and kept for the program's life.
HFONT UiFont(int dpi);
// The same font bold or italic, also once per DPI.
HFONT UiFontVariant(int dpi, bool bold, bool italic);
// The font a control was given (WM_SETFONT); the UI font at 96 DPI when it has none.
HFONT FontOf(HWND control);
// Width in pixels of text in control's font (the UI font for no control or one without a font).
int TextWidthIn(HWND control, std::string_view text);
// A bitmap resource drawn for dpi: at 200% each pixel is repeated, at other scales the nearest
// one is taken, so the edges stay hard. At 96 DPI the resource as it is.
AutoGdiObject LoadBitmapFor(const wchar_t* name, int dpi);
HWND CreateChild(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int x,
                 int y, int w, int h, int id = 0, DWORD exStyle = 0);
std::string WindowText(HWND w);
void SetWindowTextUtf8(HWND w, const std::string& text);
void MoveTo(HWND w, int x, int y, int width, int height);
void MoveBy(HWND w, int x, int y);  // keeps the size
RECT ClientRect(HWND w);
RECT ChildRect(HWND w);             // in the parent's client coordinates
void SetVisible(HWND w, bool visible);
bool IsShown(HWND w);
// One column of a report-style list view, and all of them added in order.
struct ListColumn {
    const wchar_t* title;
    int width;  // pixels
    int format;  // LVCFMT_*
};
void AddListColumns(HWND list, const ListColumn* columns, int count);
// An owner-data list asking for a cell's text (LVN_GETDISPINFOW, in lp): answered with text(row,
// column) for a row below rows, an empty text when that throws. holder keeps the text for the list.
void AnswerCellText(LPARAM lp, int rows, const std::function<std::wstring(int row, int column)>& text, std::wstring& holder);               // its own visible flag, whatever the parent's

// A panel: flat colour, optional bevel, centred caption, click callback, optional custom paint.
class Panel {
public:
    Panel() = default;
    void Create(HWND parent, const std::string& caption, int x, int y, int w, int h, bool bevel);
    // The caption's font (WM_SETFONT does the same); the UI font at 96 DPI until given one.
    void SetFont(HFONT font);
    HWND Handle() const { return hwnd_; }
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    void SetColors(COLORREF back, COLORREF text);
    COLORREF BackColor() const { return back_; }
    void Repaint();  // paint now, while the caller keeps the thread busy
    std::function<void()> OnClick;
    std::function<void(HDC, const RECT&)> OnPaint;  // replaces the caption drawing

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    std::string caption_;
    COLORREF back_ = GetSysColor(COLOR_BTNFACE);
    COLORREF text_ = RGB(0, 0, 0);
    HFONT font_ = nullptr;
    bool bevel_ = false;
};

// A status bar with three centred panels that share its width by what their texts need.
class StatusBar {
public:
    void Create(HWND parent, int panels);
    HWND Handle() const { return hwnd_; }
    // The width the panels share; every text change shares it again.
    void SetPanelsWidth(int width);
    int PanelWidth(int panel) const;
    void SetText(int panel, const std::string& text);
    std::string Text(int panel) const;

private:
    HWND hwnd_ = nullptr;
    void Share();
    void Show(int panel);
    int panels_ = 0;
    int width_ = 0;
    std::string texts_[3];
};

// One tool tip control that shows each registered control's hint.
class Hints {
public:
    void Create(HWND owner);
    void Add(HWND control, const std::string& hint);
    void Set(HWND control, const std::string& hint);
    std::string Get(HWND control) const;
    HWND Handle() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
};

}  // namespace bivane
