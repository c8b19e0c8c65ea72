// BVLIST's window: one file, shown as text or hex, a find bar and a status line.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "viewer/file_source.h"
#include "viewer/search_rules.h"
#include "viewer/text_rules.h"

namespace bivane::viewer {

class ViewerWindow {
public:
    // Opens the file and shows its window; when it cannot be opened, says why in a message box
    // and returns null.
    static std::unique_ptr<ViewerWindow> Open(const std::string& path, int show);
    ~ViewerWindow();
    ViewerWindow(const ViewerWindow&) = delete;
    ViewerWindow& operator=(const ViewerWindow&) = delete;

    HWND Handle() const { return hwnd_; }
    bool Closed() const { return hwnd_ == nullptr; }
    std::function<void()> OnClosed;

    // What it shows, for the tests and the benchmark.
    std::int64_t Top() const { return top_; }
    bool HexMode() const { return hex_; }
    bool Searching() const { return search_.active; }
    bool FindBarShown() const;
    Match Selection() const { return sel_; }
    std::vector<std::string> Rows();           // the rows as painted
    std::string StatusPart(int part) const;    // read back from the status bar
    void SetSearchSlice(std::int64_t bytes) { slice_ = bytes; }
    SIZE CellSize() const { return {charW_, lineH_}; }  // of one character of the page

private:
    ViewerWindow(std::string path, std::unique_ptr<FileSource> src);
    bool Create(int show);
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK FindEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    bool OnKey(WPARAM vk);
    void Paint();
    void PaintRow(HDC dc, const DisplayLine& line, int y);

    TextLayout Layout() const;
    RECT TextArea() const;
    int RowsOnPage() const;
    int ColumnsOnPage() const;
    const std::vector<DisplayLine>& Page();
    std::int64_t LastTop();
    void CheckSize();
    std::int64_t RowStartAt(std::int64_t pos);  // the row that shows pos
    void ScrollTo(std::int64_t top);
    void LinesDown(int n);
    void LinesUp(int n);
    void Changed(bool layout);  // layout: the rows themselves change, not only the top
    void UpdateStatus();
    void SetModeText(const std::string& text);
    void SetStatusPart(int part, const std::string& text);

    void ShowFindBar(bool show);
    void StartSearch(bool forward);
    void SearchStep();
    void StopSearch(const std::string& why);
    std::int64_t HitTest(int x, int y);
    void CopySelection();

    HWND hwnd_ = nullptr, status_ = nullptr, scroll_ = nullptr, findLabel_ = nullptr, findEdit_ = nullptr;
    std::string path_;
    std::unique_ptr<FileSource> src_;
    Detected detected_;
    AnsiTable ansi_{};
    unsigned codePage_ = 0;
    AutoGdiObject font_;
    int charW_ = 7, lineH_ = 14;

    bool hex_ = false, wrap_ = true;
    std::int64_t top_ = 0;
    int hscroll_ = 0;
    std::vector<DisplayLine> page_;
    bool pageValid_ = false;
    std::int64_t lastTop_ = -1;
    std::int64_t knownSize_ = 0;

    Match sel_;
    std::int64_t anchor_ = -1;
    std::string mode_;  // the status line's last part: the mode, or what a search found
    static constexpr int kParts = 5;
    std::string statusShown_[kParts];
    SCROLLINFO scrollShown_{};

    struct Search {
        bool active = false;
        bool forward = true;
        Pattern pattern;
        std::int64_t pos = 0;
    } search_;
    std::string needle_;
    std::int64_t slice_ = 16 << 20;
};

}  // namespace bivane::viewer
