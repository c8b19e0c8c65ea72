// Finding text and going to a place: the bar under the page, and the searches and line counts
// that run on a thread of their own while the window goes on scrolling and painting.
#include <algorithm>
#include <memory>

#include "controls/controls.h"
#include "platform/utf.h"
#include "viewer/goto_rules.h"
#include "viewer/viewer_parts.h"
#include "viewer/viewer_window.h"

namespace bivane::viewer {

namespace {

// How much a job reads between looks at its stop flag: a few milliseconds' worth.
constexpr std::int64_t kSlice = 8 << 20;

JobResult SearchFile(ByteSource& src, const Pattern& pattern, bool forward, std::int64_t from,
                     const std::atomic<bool>& stop, std::atomic<std::int64_t>& progress) {
    const std::int64_t size = src.Size();
    for (std::int64_t pos = from; !stop.load();) {
        const std::int64_t to = forward ? std::min(size, pos + kSlice) : std::max<std::int64_t>(0, pos - kSlice);
        const Match m = forward ? FindForward(src, pattern, pos, to) : FindBackward(src, pattern, pos, to);
        if (m.Found()) return {m.at, m.length, 0, false};
        if (to == pos || to == (forward ? size : 0)) break;
        pos = to;
        progress.store(forward ? pos - from : from - pos);
    }
    return {};
}

JobResult FindLine(ByteSource& src, Encoding e, std::int64_t origin, std::int64_t line,
                   const std::atomic<bool>& stop, std::atomic<std::int64_t>& progress) {
    const std::int64_t size = src.Size();
    LineWalk walk{origin, line - 1};
    while (walk.pos < size && !stop.load()) {
        // After the last line end there is no empty line to go to.
        if (WalkLines(src, e, origin, walk, std::min(size, walk.pos + kSlice))) {
            return walk.pos < size ? JobResult{walk.pos, 0, line, false} : JobResult{};
        }
        progress.store(walk.pos - origin);
    }
    return {};
}

}  // namespace

void ViewerWindow::ShowBar(bool show, Bar which) {
    if (show) {
        bar_ = which;
        SetWindowTextUtf8(barLabel_, which == Bar::Find ? "Find:" : "Go to:");
        SendMessageW(barEdit_, EM_SETCUEBANNER, TRUE,
                     reinterpret_cast<LPARAM>(which == Bar::Find ? L"" : L"line, @offset, 0x1F00 or 1F00h, or 50%"));
    }
    // The page takes the keys before the edit goes: hiding the window with the focus moves it
    // first, and then again.
    if (!show) SetFocus(hwnd_);
    if (show != BarShown()) {
        SetVisible(barLabel_, show);
        SetVisible(barEdit_, show);
        OnSize();
    }
    if (show) {
        SendMessageW(barEdit_, EM_SETSEL, 0, -1);
        SetFocus(barEdit_);
        jobThread_.Start();  // while the text is typed: under Wine a start costs milliseconds
    }
}

void ViewerWindow::OnBarEnter(bool shift) {
    if (bar_ == Bar::Find) {
        StartSearch(!shift);
    } else {
        StartGoTo(WindowText(barEdit_));
    }
}

void ViewerWindow::StartSearch(bool forward) {
    if (FindBarShown()) needle_ = WindowText(barEdit_);
    if (needle_.empty()) return;
    const Pattern pattern = MakePattern(needle_, encoding_, origin_, PlatformFold(codePage_));
    std::shared_ptr<FileSource> src(src_->Duplicate());
    if (pattern.Empty() || !src) {
        RetireJob();
        SetModeText(src ? "Not found: " + needle_ : "Cannot read the file to search it");
        return;
    }
    const std::int64_t from = SearchStart(forward), size = src->Size();
    StartJob(JobKind::Search, forward ? size - from : from,
             [src, pattern, forward, from](const std::atomic<bool>& stop, std::atomic<std::int64_t>& progress) {
                 return SearchFile(*src, pattern, forward, from, stop, progress);
             });
}

// On from the last match while its page is still shown; else from the page shown: forward from
// its top, backward from its end.
std::int64_t ViewerWindow::SearchStart(bool forward) {
    if (sel_.Found() && matchTop_ == top_) return forward ? sel_.at + UnitSize(encoding_) : sel_.at;
    return forward ? top_ : PageBottom();
}

void ViewerWindow::StartGoTo(const std::string& text) {
    const GoToTarget target = ParseGoTo(text, hex_);
    const std::int64_t size = src_->Size();
    switch (target.kind) {
        case GoToTarget::Kind::Invalid:
            SetModeText("Go to: a line, @offset, 0x1F00 or 1F00h, or 50%");
            MessageBeep(MB_OK);
            return;
        case GoToTarget::Kind::Offset:
        case GoToTarget::Kind::Percent: {
            const std::int64_t at = target.kind == GoToTarget::Kind::Offset ? std::min(target.value, size)
                                                                            : PercentOffset(target.value, size);
            RetireJob();
            ShowBar(false);
            ScrollTo(RowStartAt(at));
            SetModeText("At offset " + std::to_string(at));
            return;
        }
        case GoToTarget::Kind::Line: break;
    }
    std::shared_ptr<FileSource> src(src_->Duplicate());
    if (!src) return SetModeText("Cannot read the file to count its lines");
    const Encoding e = encoding_;
    const std::int64_t origin = origin_, line = target.value;
    StartJob(JobKind::Line, size - origin,
             [src, e, origin, line](const std::atomic<bool>& stop, std::atomic<std::int64_t>& progress) {
                 if (line == 1) return JobResult{origin, 0, 1, false};
                 return FindLine(*src, e, origin, line, stop, progress);
             });
}

void ViewerWindow::StartJob(JobKind kind, std::int64_t total, BackgroundJob::Work work) {
    RetireJob();  // one at a time: a new search replaces the last
    const WPARAM id = nextJobId_++;
    job_ = std::make_unique<RunningJob>(
        RunningJob{kind, id, std::make_unique<BackgroundJob>(jobThread_, hwnd_, kJobDone, id, std::move(work)), total});
    SetTimer(hwnd_, kProgressTimer, kProgressMs, nullptr);
    ShowJobProgress();
}

void ViewerWindow::OnJobDone(WPARAM id) {
    // A stopped job's thread has ended: it goes (its join returns at once).
    std::erase_if(stopping_, [id](const std::unique_ptr<RunningJob>& j) { return j->id == id; });
    if (!job_ || job_->id != id) return;
    KillTimer(hwnd_, kProgressTimer);
    const std::unique_ptr<RunningJob> done = std::move(job_);
    const JobResult& r = done->work->Result();
    if (r.failed) {
        SetModeText("The file could not be read");
    } else if (done->kind == JobKind::Search) {
        if (r.at >= 0) {
            ShowFound({r.at, r.length});
        } else {
            SetModeText("Not found: " + needle_);
            MessageBeep(MB_OK);
        }
    } else {
        ShowLine(r);
    }
}

void ViewerWindow::ShowFound(const Match& m) {
    sel_ = m;
    if (m.at < top_ || m.at >= PageBottom()) ScrollTo(RowStartAt(m.at));
    matchTop_ = top_;
    Changed(false);
    SetModeText("Found at offset " + std::to_string(m.at));
}

void ViewerWindow::ShowMatchAt(std::int64_t at, std::size_t length) {
    if (at < 0 || at > src_->Size()) return;
    ShowFound({at, length});
}

void ViewerWindow::ShowLine(const JobResult& r) {
    if (r.at < 0) {
        SetModeText("The file has fewer lines than that");
        MessageBeep(MB_OK);
        return;
    }
    ShowBar(false);
    ScrollTo(RowStartAt(r.at));
    SetModeText("Line " + std::to_string(r.count) + " at offset " + std::to_string(r.at));
}

void ViewerWindow::ShowJobProgress() {
    if (!job_) return;
    const std::string what = job_->kind == JobKind::Search ? "Searching " : "Counting lines ";
    SetModeText(what + std::to_string(Percent(job_->work->Progress(), job_->total)) + "% (Esc stops)");
}

void ViewerWindow::StopJob(const std::string& why) {
    RetireJob();
    SetModeText(why);
}

void ViewerWindow::RetireJob() {
    KillTimer(hwnd_, kProgressTimer);
    if (!job_) return;
    job_->work->RequestStop();
    stopping_.push_back(std::move(job_));
}

}  // namespace bivane::viewer
