// BVLIST's window: one file, shown as text or hex, a bar for finding text or going to a place,
// and a status line. Searches and line counts run on a thread of their own (BackgroundJob).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "viewer/background_job.h"
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
    std::int64_t Columns() const { return hcol_; }  // scrolled off to the left
    bool HexMode() const { return hex_; }
    bool Following() const { return following_; }
    bool Searching() const { return job_ != nullptr && job_->kind == JobKind::Search; }
    bool CountingLines() const { return job_ != nullptr && job_->kind == JobKind::Line; }
    bool JobThreadsDone() const { return !job_ && stopping_.empty(); }
    bool BarShown() const;
    bool FindBarShown() const { return BarShown() && bar_ == Bar::Find; }
    Match Selection() const { return sel_; }
    std::vector<std::string> Rows();           // the rows as painted
    std::string StatusPart(int part) const;    // read back from the status bar
    SIZE CellSize() const { return {charW_, lineH_}; }  // of one character of the page
    // The encoding menu (E): its entries in order, and the one chosen (0: as detected).
    static constexpr UINT kEncodingCommand = 100;  // + the entry's index
    std::vector<std::string> EncodingMenuTexts() const;
    int EncodingChosen() const { return encodingChosen_; }
    void SetFollowInterval(UINT ms) { followMs_ = ms; }
    int Dpi() const { return dpi_; }  // its monitor's, followed through WM_DPICHANGED
    // Shows the file at offset at (nothing past its end), length bytes selected as a match found.
    void ShowMatchAt(std::int64_t at, std::size_t length);

private:
    enum class Bar { Find, GoTo };
    enum class JobKind { Search, Line };
    struct RunningJob {
        JobKind kind;
        WPARAM id;
        std::unique_ptr<BackgroundJob> work;
        std::int64_t total;  // what progress counts up to
    };

    ViewerWindow(std::string path, std::unique_ptr<FileSource> src);
    bool Create(int show);
    void CreateChildren();
    void SetDpi(int dpi);
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK BarEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK StatusProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
    bool OnBarKey(WPARAM vk);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    bool OnMouse(UINT msg, LPARAM lp);
    void OnSize();
    void OnVScroll(WPARAM wp);
    void OnHScroll(WPARAM wp);
    void OnTimer(WPARAM id);
    void OnClose();

    // Keys and commands (viewer_commands.cpp).
    bool OnKey(WPARAM vk);
    bool OnMoveKey(WPARAM vk, bool ctrl);
    bool OnCommandKey(WPARAM vk, bool ctrl, bool shift);
    void Close();
    void ToggleHex();
    void ToggleWrap();
    void ScrollSideways(std::int64_t columns);
    void ShowEncodingMenu();
    void ChooseEncoding(int index);
    void SetFollowing(bool on);
    void FollowTick();
    void NoticeFileSize();

    // The page (viewer_page.cpp).
    TextLayout Layout();
    RECT TextArea() const;
    int RowsOnPage() const;
    int ColumnsOnPage() const;
    const std::vector<DisplayLine>& Page();
    std::int64_t LastTop();
    void CheckSize();
    std::int64_t RowStartAt(std::int64_t pos);  // the row that shows pos
    std::int64_t PageBottom();
    void ScrollTo(std::int64_t top);
    void LinesDown(int n);
    void LinesUp(int n);
    void Changed(bool layout);  // layout: the rows themselves change, not only the top
    void UpdateStatus();
    void UpdateScrollBars(std::int64_t bottom);
    std::string EncodingShown() const;
    void SetModeText(const std::string& text);
    static constexpr int kParts = 5;
    void SetStatusParts(const std::string (&texts)[kParts]);
    void Paint();
    void PaintRow(HDC dc, const DisplayLine& line, int y);
    std::int64_t HitTest(int x, int y);
    void CopySelection();

    // Finding and going to (viewer_search.cpp).
    void ShowBar(bool show, Bar which = Bar::Find);
    void OnBarEnter(bool shift);
    void StartSearch(bool forward);
    std::int64_t SearchStart(bool forward);
    void StartGoTo(const std::string& text);
    void StartJob(JobKind kind, std::int64_t total, BackgroundJob::Work work);
    void OnJobDone(WPARAM id);
    void ShowFound(const Match& m);
    void ShowLine(const JobResult& r);
    void ShowJobProgress();
    void StopJob(const std::string& why);
    void RetireJob();

    HWND hwnd_ = nullptr, status_ = nullptr, scroll_ = nullptr, hscroll_ = nullptr, barLabel_ = nullptr,
         barEdit_ = nullptr;
    std::string path_;
    std::unique_ptr<FileSource> src_;
    Detected detected_;
    std::uint8_t head_[4096] = {};  // the first bytes, for what a chosen encoding's BOM is
    std::size_t headBytes_ = 0;
    Encoding encoding_ = Encoding::Ansi;
    int origin_ = 0;
    AnsiTable ansi_{};
    unsigned codePage_ = 0;
    int encodingChosen_ = 0;
    std::vector<EncodingChoice> choices_;
    AutoGdiObject font_;
    int charW_ = 7, lineH_ = 14;
    int dpi_ = 96;

    bool hex_ = false, wrap_ = true;
    std::int64_t top_ = 0;
    std::int64_t hcol_ = 0;
    std::int64_t hscale_ = 1;  // columns per step of the sideways bar
    LongLines longLines_;
    std::vector<DisplayLine> page_;
    bool pageValid_ = false;
    std::int64_t lastTop_ = -1;
    std::int64_t knownSize_ = 0;
    bool following_ = false;
    UINT followMs_ = 250;

    Match sel_;
    std::int64_t matchTop_ = -1;  // the page's top when the last match was shown
    std::int64_t anchor_ = -1;
    std::string mode_;  // the status line's last part: the mode, or what a search found
    std::string statusShown_[kParts];
    bool holdStatusPaint_ = false;  // while its texts are set: painted once, with the page
    WNDPROC statusBaseProc_ = nullptr;
    SCROLLINFO scrollShown_{}, hscrollShown_{};
    SIZE statusFor_{};  // the client size the status line was last laid out for

    Bar bar_ = Bar::Find;
    std::string needle_;
    JobThread jobThread_;  // before the jobs: they go first
    std::unique_ptr<RunningJob> job_;
    // Jobs told to stop, kept until their thread says it is done: Escape never waits for one.
    std::vector<std::unique_ptr<RunningJob>> stopping_;
    WPARAM nextJobId_ = 1;
};

}  // namespace bivane::viewer
