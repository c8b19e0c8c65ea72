#include "fileops/jobs_dialog.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "controls/controls.h"
#include "core/dpi.h"
#include "core/errors.h"
#include "core/scoped_flag.h"
#include "fileops/folder_copy_rules.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 250;
constexpr int kListId = 300;

// Widths at 96 DPI. The widths add up to the list's inside less a vertical scroll bar, so a long queue scrolls
// down only.
constexpr ListColumn kColumns[kJobColumns] = {
    {L"What", 48, LVCFMT_LEFT},   {L"From", 136, LVCFMT_LEFT},   {L"To", 136, LVCFMT_LEFT},
    {L"Files", 70, LVCFMT_RIGHT}, {L"Bytes", 104, LVCFMT_RIGHT}, {L"State", 56, LVCFMT_LEFT},
};

const char* StateText(JobRow::State state) {
    switch (state) {
        case JobRow::State::Running: return "running";
        case JobRow::State::Paused: return "paused";
        case JobRow::State::Waiting: return "waiting";
    }
    return "";
}

void SetCell(HWND list, int row, int column, const std::string& text) {
    std::wstring w = Widen(text);
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = w.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}

}  // namespace

std::array<std::string, kJobColumns> JobCells(const JobRow& row) {
    return {row.what, row.from, row.to, std::to_string(row.filesDone) + " of " + std::to_string(row.files),
            BytesDoneText(row.bytesDone, row.bytes), StateText(row.state)};
}

JobsDialog::JobsDialog() : ModalForm(L"JobsDialog", "Jobs", 600, 261) {
    // Created in tab order.
    List = AddControl(WC_LISTVIEWW, "",
                      WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                      12, 12, 576, 200, kListId);
    SendMessageW(List, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    AddListColumns(List, kColumns, kJobColumns);  // widths at 96 DPI, scaled with the dialog
    PauseButton = AddControl(L"BUTTON", "&Pause", WS_TABSTOP | BS_PUSHBUTTON, 12, 224, 75, 25, IdPause);
    ResumeButton = AddControl(L"BUTTON", "&Resume", WS_TABSTOP | BS_PUSHBUTTON, 95, 224, 75, 25, IdResume);
    CancelButton = AddControl(L"BUTTON", "&Cancel job", WS_TABSTOP | BS_PUSHBUTTON, 178, 224, 80, 25, IdCancelJob);
    UpButton = AddControl(L"BUTTON", "Move &up", WS_TABSTOP | BS_PUSHBUTTON, 266, 224, 75, 25, IdMoveUp);
    DownButton = AddControl(L"BUTTON", "Move &down", WS_TABSTOP | BS_PUSHBUTTON, 349, 224, 75, 25, IdMoveDown);
    // Enter closes too: no job is touched by a key that means "done".
    CloseButton = AddControl(L"BUTTON", "Close", WS_TABSTOP | BS_DEFPUSHBUTTON, 513, 224, 75, 25, IDCANCEL);
    SendMessageW(Handle(), DM_SETDEFID, IDCANCEL, 0);
    DpiChanged();
    EnableButtons();
}

void JobsDialog::DpiChanged() {
    for (int i = 0; i < kJobColumns; ++i) {
        SendMessageW(List, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), MAKELPARAM(Scaled(kColumns[i].width, Dpi()), 0));
    }
}

template <typename F>
bool JobsDialog::Guarded(F&& fn) noexcept {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("Unexpected error");
    }
    return false;
}

void JobsDialog::Report(const char* text) noexcept {
    ScopedFlag reporting(reporting_);
    try {
        ShowBox(Handle(), BoxKind::AppError, WithFullStop(text), BoxButtons::Ok);
    } catch (...) {
    }
}

void JobsDialog::Refresh() {
    std::vector<JobRow> rows;
    if (Rows && !Guarded([&] { rows = Rows(); })) {
        // One report, not one every quarter second: only a button or a new showing reads again.
        Tick(false);
        return;
    }
    if (!ticking_ && IsWindowVisible(Handle())) Tick(true);

    const int selected = SelectedRow();
    const bool wasSelected = selected >= 0 && selected < static_cast<int>(rows_.size());
    const int keep = wasSelected ? rows_[static_cast<std::size_t>(selected)].id : 0;
    const std::vector<JobRow> old = std::exchange(rows_, std::move(rows));
    const int n = static_cast<int>(rows_.size());
    {
        // Rows come and go below: the buttons wait for the list to be whole.
        ScopedFlag filling(filling_);
        // Only the cells that changed are set: the list repaints what it is given, four times a second.
        for (int count = RowCount(); count > n; --count) SendMessageW(List, LVM_DELETEITEM, static_cast<WPARAM>(count - 1), 0);
        for (int count = RowCount(); count < n; ++count) {
            LVITEMW it{};
            it.mask = LVIF_TEXT;
            it.iItem = count;
            it.pszText = const_cast<wchar_t*>(L"");
            SendMessageW(List, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
        }
        for (int i = 0; i < n; ++i) {
            const auto cells = JobCells(rows_[static_cast<std::size_t>(i)]);
            const bool known = i < static_cast<int>(old.size());
            const auto before = known ? JobCells(old[static_cast<std::size_t>(i)]) : std::array<std::string, kJobColumns>{};
            for (int c = 0; c < kJobColumns; ++c) {
                const auto k = static_cast<std::size_t>(c);
                if (!known || cells[k] != before[k]) SetCell(List, i, c, cells[k]);
            }
        }
    }

    int row = -1;
    if (wasSelected) {
        const auto at = std::find_if(rows_.begin(), rows_.end(), [&](const JobRow& r) { return r.id == keep; });
        row = at != rows_.end() ? static_cast<int>(at - rows_.begin()) : std::min(selected, n - 1);
    }
    SelectRow(row);
    EnableButtons();
}

int JobsDialog::RowCount() const { return static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)); }

int JobsDialog::SelectedRow() const {
    return static_cast<int>(SendMessageW(List, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::optional<int> JobsDialog::SelectedId() const {
    const int row = SelectedRow();
    if (row < 0 || row >= static_cast<int>(rows_.size())) return std::nullopt;
    return rows_[static_cast<std::size_t>(row)].id;
}

void JobsDialog::Select(int id) {
    const auto at = std::find_if(rows_.begin(), rows_.end(), [&](const JobRow& r) { return r.id == id; });
    SelectRow(at != rows_.end() ? static_cast<int>(at - rows_.begin()) : -1);
    EnableButtons();
}

void JobsDialog::SelectRow(int row) {
    if (row == SelectedRow()) return;
    ScopedFlag filling(filling_);
    LVITEMW it{};
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
    if (row < 0) return;
    it.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(List, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    SendMessageW(List, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

std::string JobsDialog::Cell(int row, int column) const {
    std::wstring text(4096, L'\0');
    LVITEMW it{};
    it.iSubItem = column;
    it.pszText = text.data();
    it.cchTextMax = static_cast<int>(text.size());
    const auto n = SendMessageW(List, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    text.resize(static_cast<std::size_t>(n));
    return Narrow(text);
}

void JobsDialog::EnableButtons() {
    const int row = SelectedRow();
    const int n = static_cast<int>(rows_.size());
    const JobRow* job = row >= 0 && row < n ? &rows_[static_cast<std::size_t>(row)] : nullptr;
    // The running or paused job stays first: a waiting one moves only among the waiting.
    auto waiting = [&](int i) { return i >= 0 && i < n && rows_[static_cast<std::size_t>(i)].state == JobRow::State::Waiting; };
    EnableWindow(PauseButton, job && job->state == JobRow::State::Running);
    EnableWindow(ResumeButton, job && job->state == JobRow::State::Paused);
    EnableWindow(CancelButton, job != nullptr);
    EnableWindow(UpButton, waiting(row) && waiting(row - 1));
    EnableWindow(DownButton, waiting(row) && waiting(row + 1));
    // A button that went grey keeps the focus, where no key reaches anything: it goes to the list.
    HWND focus = GetFocus();
    if (focus && IsChild(Handle(), focus) && !IsWindowEnabled(focus)) {
        SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(List), TRUE);
    }
}

void JobsDialog::Press(int id) {
    const std::function<void(int)>* action = id == IdPause      ? &Pause
                                             : id == IdResume   ? &Resume
                                             : id == IdCancelJob ? &Cancel
                                             : id == IdMoveUp   ? &MoveUp
                                             : id == IdMoveDown ? &MoveDown
                                                                : nullptr;
    // A click that reaches a grey button (BM_CLICK does) acts on nothing.
    const std::optional<int> job = SelectedId();
    if (!action || !job || !IsWindowEnabled(GetDlgItem(Handle(), id))) return;
    if (*action) Guarded([&] { (*action)(*job); });
    Refresh();
    // The button pressed may be grey now (Pause, once paused): a grey focus takes no keys, and
    // Escape would no longer close the window.
    if (const HWND focus = GetFocus(); !focus || !IsWindowEnabled(focus)) SetFocus(List);
}

void JobsDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDCANCEL) {
        Close();
    } else {
        Guarded([&] { Press(id); });
    }
}

void JobsDialog::Close() {
    if (IsModalRunning()) {
        EndModal(IDCANCEL);
    } else {
        Hide();
    }
}

void JobsDialog::FormActivate() { SetFocus(List); }

void JobsDialog::Tick(bool on) {
    if (on) {
        SetTimer(Handle(), kRefreshTimer, kRefreshMs, nullptr);
    } else {
        KillTimer(Handle(), kRefreshTimer);
    }
    ticking_ = on;
}

bool JobsDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_SHOWWINDOW:
            if (wp) {
                Tick(true);  // before Refresh, which stops it when the rows cannot be read
                Guarded([&] {
                    Refresh();
                    if (SelectedRow() < 0 && !rows_.empty()) Select(rows_.front().id);
                });
            } else {
                Tick(false);
            }
            return false;
        case WM_TIMER:
            if (wp != kRefreshTimer) return false;
            if (!reporting_) Guarded([&] { Refresh(); });
            result = 0;
            return true;
        case WM_NOTIFY: {
            const auto* nm = reinterpret_cast<const NMHDR*>(lp);
            if (nm->hwndFrom == List && nm->code == LVN_ITEMCHANGED && !filling_) EnableButtons();
            return false;
        }
        case WM_CLOSE:
            Close();
            result = 0;
            return true;
        default: return false;
    }
}

}  // namespace bivane
