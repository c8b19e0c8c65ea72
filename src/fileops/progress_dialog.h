// "Copy File": shown modeless while files are copied; it has no way to be closed by the user.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <functional>
#include <string>
#include <vector>

#include "controls/modal_form.h"

namespace bivane {

class ProgressDialog : public ModalForm {
public:
    ProgressDialog();

    // The copy tells the dialog how far it got as it goes. A label paints at every change of its
    // text and the bar at every change of its position, which costs far more than copying a small
    // file, so texts and steps are held here and reach the controls at most about 60 times a
    // second (Paint), and at once with Flush. Only the controls that changed are painted then; the
    // whole dialog (what another window uncovered) at most four times a second: under Wine it costs
    // about 5 ms, as much as copying five small files. A job's thread never touches the controls
    // (that would wait for the window's thread, busy with the user's keys): it posts one message,
    // and the window's thread paints what is held. The setters may be called on any one thread.
    void Repaint();  // paints the whole dialog, when such a paint is due
    void Flush();    // shows everything held, now
    void SetText(HWND label, const std::string& text);
    std::string Text(HWND label) const;  // as held: what the next paint shows

    // Position 0, step 1, range 0..max.
    void PrepareBar(int max);
    void SetBarPosition(int position);
    // One step per block copied, shown with the next paint.
    void StepBar();
    int BarPosition() const;  // as held, like Text
    int BarMax() const;       // as held

    // Whether Escape was pressed since the last look; looks at most every 50 ms (by Clock), as a
    // look costs a call to the server under Wine. Other keys pressed meanwhile stay queued.
    bool StopAsked();

    HWND FileLabel = nullptr;        // "File:"
    HWND FileNameDesc = nullptr;  // the file being copied
    HWND FromLabel = nullptr;        // "From:"
    HWND SourceDir = nullptr;
    HWND ToLabel = nullptr;        // "To:"
    HWND DestDir = nullptr;
    HWND ProgressBar = nullptr;
    HWND Status = nullptr;
    HWND Totals = nullptr;  // a folder's files and bytes done of its total; empty for files
    HWND BackgroundButton = nullptr;  // "Background": the job goes on, the dialog goes away
    std::function<void()> OnBackground;
    enum { IdBackground = 1 };

    ULONGLONG (*Clock)() = GetTickCount64;  // milliseconds; tests set their own

protected:
    void OnCommand(int id, int code) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    struct HeldText {
        HWND label;
        std::string text;
        bool shown;
        std::string onScreen = {};  // what the label shows: a text back to it before a paint is not painted again
    };
    void Paint(bool whole);  // held texts and bar to the controls, and the whole dialog (window thread)
    void PaintWhenDue();  // now on the window's thread, posted from a job's
    bool Due() const;
    bool WholeDue() const;

    mutable std::mutex mutex_;  // the held state below, between a job's thread and the window's
    std::vector<HeldText> texts_;
    int barPos_ = 0;
    int barMax_ = 100;
    bool wholeDue_ = false;
    std::atomic<ULONGLONG> shownAt_{0};
    std::atomic<bool> paintPosted_{false};
    int barShown_ = 0;  // the window thread's
    int rangeShown_ = 100;
    ULONGLONG wholeAt_ = 0;
    ULONGLONG lookedAt_ = 0;
};

}  // namespace bivane
