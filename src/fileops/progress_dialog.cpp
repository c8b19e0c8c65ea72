#include "fileops/progress_dialog.h"

#include <algorithm>

#include "controls/controls.h"
#include "platform/job_queue.h"

namespace bivane {

namespace {
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX | SS_LEFTNOWORDWRAP;
}

ProgressDialog::ProgressDialog()
    : ModalForm(L"ProgressDialog", "Copy File", 361, 136, WS_POPUP | WS_CAPTION | DS_MODALFRAME) {
    FileLabel = AddControl(L"STATIC", "File:", kLabel, 23, 16, 22, 13, 0);
    FileNameDesc = AddControl(L"STATIC", "Filename", kLabel, 48, 16, 305, 13, 0);
    FromLabel = AddControl(L"STATIC", "From:", kLabel, 16, 40, 28, 13, 0);
    SourceDir = AddControl(L"STATIC", "DirName", kLabel | SS_PATHELLIPSIS, 48, 40, 305, 13, 0);
    ToLabel = AddControl(L"STATIC", "To:", kLabel, 26, 56, 18, 13, 0);
    DestDir = AddControl(L"STATIC", "DestDir", kLabel | SS_PATHELLIPSIS, 48, 56, 305, 13, 0);
    ProgressBar = AddControl(PROGRESS_CLASSW, "", 0, 24, 88, 313, 17, 0);
    SendMessageW(ProgressBar, PBM_SETRANGE32, 0, 100);
    SendMessageW(ProgressBar, PBM_SETSTEP, 1, 0);
    Status = AddControl(L"STATIC", "Status", kLabel, 168, 115, 185, 13, 0);
    Totals = AddControl(L"STATIC", "", kLabel, 48, 72, 305, 13, 0);
    BackgroundButton = AddControl(L"BUTTON", "&Background", WS_TABSTOP | BS_PUSHBUTTON, 16, 109, 85, 23, IdBackground);
}

void ProgressDialog::OnCommand(int id, int code) {
    if (id == IdBackground && code == BN_CLICKED && OnBackground) OnBackground();
}

namespace {
constexpr ULONGLONG kPaintInterval = 16;  // milliseconds: about 60 paints a second
constexpr ULONGLONG kWholeInterval = 250;  // the whole dialog: four times a second
constexpr UINT kPaintHeld = WM_APP + 1;  // posted by a job's thread: paint what is held
}  // namespace

bool ProgressDialog::Due() const { return Clock() - shownAt_ >= kPaintInterval; }

bool ProgressDialog::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != kPaintHeld) return false;
    paintPosted_ = false;
    Paint(WholeDue());
    result = 0;
    return true;
}

void ProgressDialog::PaintWhenDue() {
    if (!Due()) return;
    if (!JobQueue::Current()) return Paint(WholeDue());  // the window's own thread paints now
    shownAt_ = Clock();  // one post per interval at most
    if (!paintPosted_.exchange(true) && !PostMessageW(Handle(), kPaintHeld, 0, 0)) paintPosted_ = false;
}

void ProgressDialog::Paint(bool whole) {
    std::vector<HeldText> texts;
    int pos = 0, max = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (HeldText& t : texts_) {
            if (t.shown) continue;
            texts.push_back(t);
            t.shown = true;
            t.onScreen = t.text;
        }
        pos = barPos_;
        max = barMax_;
        if (whole) wholeDue_ = false;
    }
    for (const HeldText& t : texts) {
        SetWindowTextUtf8(t.label, t.text);
        UpdateWindow(t.label);  // Wine's label paints at once; Windows' waits for a WM_PAINT
    }
    // A new range only invalidates the bar; it is painted with the position.
    if (barShown_ != pos || rangeShown_ != max) {
        if (rangeShown_ != max) SendMessageW(ProgressBar, PBM_SETRANGE32, 0, max);
        SendMessageW(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
        UpdateWindow(ProgressBar);
    }
    rangeShown_ = max;
    barShown_ = pos;
    if (whole) {
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        wholeAt_ = Clock();
    }
    shownAt_ = Clock();
}

bool ProgressDialog::WholeDue() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return wholeDue_ && Clock() - wholeAt_ >= kWholeInterval;
}

void ProgressDialog::Repaint() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wholeDue_ = true;
    }
    PaintWhenDue();
}

void ProgressDialog::Flush() { Paint(false); }

void ProgressDialog::SetText(HWND label, const std::string& text) {
    if (Job* job = JobQueue::Current(); job && label == FileNameDesc) job->SetFile(text);  // for the title
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto held = std::find_if(texts_.begin(), texts_.end(), [&](const HeldText& t) { return t.label == label; });
        if (held == texts_.end()) {
            texts_.push_back(HeldText{label, text, false});
        } else if (held->text != text) {
            held->text = text;
            held->shown = text == held->onScreen;
        }
    }
    PaintWhenDue();
}

std::string ProgressDialog::Text(HWND label) const {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const HeldText& t : texts_) {
            if (t.label == label) return t.text;
        }
    }
    return WindowText(label);
}

void ProgressDialog::PrepareBar(int max) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        barMax_ = max;  // held like the position: each change of range is a message and a repaint
        barPos_ = 0;
    }
    PaintWhenDue();
}

void ProgressDialog::SetBarPosition(int position) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        barPos_ = position;
    }
    PaintWhenDue();
}

void ProgressDialog::StepBar() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Past the end the bar starts again from the beginning, as a stepped progress bar does.
        barPos_ = barPos_ >= barMax_ ? 0 : barPos_ + 1;
    }
    PaintWhenDue();
}

bool ProgressDialog::StopAsked() {
    // A job's thread reads its stop flag, which the window sets on Escape (StartJob).
    if (JobQueue::Current()) return JobQueue::StopAsked();
    if (Clock() - lookedAt_ < 50) return false;
    lookedAt_ = Clock();
    // Only key presses are taken from the queue, and all but Escape are put back in their order:
    // nothing else may run in the middle of a copy.
    std::vector<MSG> others;
    bool escape = false;
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        if (msg.wParam == VK_ESCAPE) {
            escape = true;
        } else {
            others.push_back(msg);
        }
    }
    for (const MSG& m : others) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
    return escape;
}

int ProgressDialog::BarPosition() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return barPos_;
}
int ProgressDialog::BarMax() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return barMax_;
}

}  // namespace bivane
