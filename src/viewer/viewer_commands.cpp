// The viewer's keys and what they do besides finding: moving, text or hex, wrapping, sideways
// scrolling, the encoding menu and following a growing file.
#include <algorithm>

#include "controls/controls.h"
#include "platform/utf.h"
#include "viewer/viewer_parts.h"
#include "viewer/viewer_window.h"

namespace bivane::viewer {

bool ViewerWindow::OnKey(WPARAM vk) {
    NoticeFileSize();
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    if (OnMoveKey(vk, ctrl)) return true;
    OnCommandKey(vk, ctrl, shift);
    return true;  // every other key is the viewer's too: none types anything
}

bool ViewerWindow::OnMoveKey(WPARAM vk, bool ctrl) {
    const int rows = RowsOnPage();
    switch (vk) {
        case VK_UP: LinesUp(1); return true;
        case VK_DOWN: LinesDown(1); return true;
        case VK_PRIOR: LinesUp(rows); return true;
        case VK_NEXT: LinesDown(rows); return true;
        case VK_HOME: ScrollTo(0); return true;
        case VK_END: ScrollTo(LastTop()); return true;
        case VK_LEFT:
        case VK_RIGHT: {
            const std::int64_t step = ctrl ? ColumnsOnPage() : 1;
            ScrollSideways(vk == VK_LEFT ? -step : step);
            return true;
        }
        default: return false;
    }
}

bool ViewerWindow::OnCommandKey(WPARAM vk, bool ctrl, bool shift) {
    if (ctrl) {
        if (vk == 'F') ShowBar(true, Bar::Find);
        if (vk == 'G') ShowBar(true, Bar::GoTo);
        if (vk == 'C') CopySelection();
        return true;
    }
    switch (vk) {
        case VK_F7: ShowBar(true, Bar::Find); return true;
        case VK_F3:
            if (needle_.empty()) {
                ShowBar(true, Bar::Find);
            } else {
                StartSearch(!shift);
            }
            return true;
        case VK_ESCAPE:
            if (job_) {
                StopJob(Searching() ? "Search stopped" : "Go to stopped");
            } else if (BarShown()) {
                ShowBar(false);
            } else {
                Close();
            }
            return true;
        case 'Q': Close(); return true;
        case 'H':
        case VK_F4: ToggleHex(); return true;
        case 'W':
        case VK_F2: ToggleWrap(); return true;
        case 'E': ShowEncodingMenu(); return true;
        case 'F': SetFollowing(!following_); return true;
        default: return false;
    }
}

void ViewerWindow::Close() { DestroyWindow(hwnd_); }

// Hex and text: the row that holds the top byte stays on top.
void ViewerWindow::ToggleHex() {
    const std::int64_t keep = top_;
    hex_ = !hex_;
    OnSize();  // the sideways bar shows only for unwrapped text
    ScrollTo(RowStartAt(keep));
}

void ViewerWindow::ToggleWrap() {
    if (hex_) return;
    wrap_ = !wrap_;
    hcol_ = 0;
    OnSize();
    ScrollTo(RowStartAt(top_));
}

// Right stops where no row of the page has anything left to show.
void ViewerWindow::ScrollSideways(std::int64_t columns) {
    if (hex_ || wrap_) return;
    const std::int64_t old = hcol_;
    hcol_ = std::max<std::int64_t>(0, hcol_ + columns);
    if (hcol_ == old) return;
    pageValid_ = false;
    if (columns > 0) {
        const std::vector<DisplayLine>& page = Page();
        const bool blank = std::all_of(page.begin(), page.end(), [](const DisplayLine& l) { return l.text.empty(); });
        if (blank) {
            hcol_ = old;
            pageValid_ = false;
            return;
        }
    }
    Changed(false);
}

std::vector<std::string> ViewerWindow::EncodingMenuTexts() const {
    std::vector<std::string> texts{"As detected"};
    for (const EncodingChoice& c : choices_) texts.push_back(c.label);
    return texts;
}

// A short menu under the status line's encoding; the one in use is checked.
void ViewerWindow::ShowEncodingMenu() {
    AutoMenu menu(CreatePopupMenu());
    if (!menu) return;
    const std::vector<std::string> texts = EncodingMenuTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const UINT flags = MF_STRING | (static_cast<int>(i) == encodingChosen_ ? MF_CHECKED : 0u);
        AppendMenuW(menu.get(), flags, kEncodingCommand + i, Widen(texts[i]).c_str());
        if (i == 0) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    }
    RECT part{};
    SendMessageW(status_, SB_GETRECT, kEncoding, reinterpret_cast<LPARAM>(&part));
    POINT at{part.left, part.top};
    ClientToScreen(status_, &at);
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_BOTTOMALIGN | TPM_LEFTALIGN,
                                                         at.x, at.y, hwnd_, nullptr));
    if (chosen >= static_cast<int>(kEncodingCommand)) ChooseEncoding(chosen - static_cast<int>(kEncodingCommand));
}

// 0 goes back to what was detected. A chosen encoding shows text, from a BOM of its own on.
void ViewerWindow::ChooseEncoding(int index) {
    if (index < 0 || index > static_cast<int>(choices_.size())) return;
    // A search or line count under way reads the old encoding: its answer would be wrong now.
    RetireJob();
    const std::int64_t keep = top_;
    encodingChosen_ = index;
    if (index == 0) {
        encoding_ = detected_.encoding;
        codePage_ = GetACP();
        origin_ = detected_.bom;
        hex_ = detected_.binary;
    } else {
        const EncodingChoice& c = choices_[static_cast<std::size_t>(index - 1)];
        encoding_ = c.encoding;
        if (c.encoding == Encoding::Ansi) codePage_ = c.codePage;
        origin_ = BomFor(encoding_, head_, headBytes_);
        hex_ = false;
    }
    ansi_ = CodePageTable(codePage_);
    longLines_.Clear();
    sel_ = {};
    matchTop_ = -1;
    top_ = std::max<std::int64_t>(origin_, 0);
    OnSize();
    ScrollTo(RowStartAt(std::max<std::int64_t>(keep, origin_)));
}

void ViewerWindow::SetFollowing(bool on) {
    following_ = on;
    if (on) {
        SetTimer(hwnd_, kFollowTimer, followMs_, nullptr);
        FollowTick();
        ScrollTo(LastTop());
    } else {
        KillTimer(hwnd_, kFollowTimer);
    }
    UpdateStatus();
}

void ViewerWindow::FollowTick() {
    if (following_) NoticeFileSize();
}

// The file as it is now, grown or cut short by another program: what was worked out from the old
// size goes, and a followed file is shown at its new end.
void ViewerWindow::NoticeFileSize() {
    if (!src_->Refresh()) return;
    CheckSize();
    if (following_) ScrollTo(LastTop());
}

}  // namespace bivane::viewer
