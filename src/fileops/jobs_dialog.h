// "Jobs": the copy, move or delete running and those waiting behind it, read again four times a
// second while shown, with buttons to pause, resume, cancel or reorder the selected one.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "controls/modal_form.h"

namespace bivane {

// One job as the queue window shows it.
struct JobRow {
    int id = 0;
    std::string what;       // "Copy", "Move" or "Delete"
    std::string from, to;   // the source folder; the target folder ("" for a delete)
    std::int64_t filesDone = 0, files = 0, bytesDone = 0, bytes = 0;
    enum class State { Running, Paused, Waiting } state = State::Waiting;
};

// A row's cells, by column: what, from, to, "3 of 10", "1.5 of 12.0 MB", "running".
constexpr int kJobColumns = 6;
std::array<std::string, kJobColumns> JobCells(const JobRow& row);

class JobsDialog : public ModalForm {
public:
    // The buttons' ids; Close is IDCANCEL (also Escape and the close box).
    enum { IdPause = 301, IdResume = 302, IdCancelJob = 303, IdMoveUp = 304, IdMoveDown = 305 };

    JobsDialog();

    // The queue as it is now, the running or paused job first. Read when the window is shown, by
    // its timer, and after each button.
    std::function<std::vector<JobRow>()> Rows;
    // Each called with the selected job's id. They, and Rows, run inside the window's procedure:
    // whatever they throw is reported in the application's error box here.
    std::function<void(int id)> Pause, Resume, Cancel, MoveUp, MoveDown;

    // Reads the rows again and shows them; the selected job stays selected, and when it has gone
    // the row now in its place is.
    void Refresh();
    std::optional<int> SelectedId() const;  // none when no row is selected
    void Select(int id);                   // nothing selected when no row has that id
    std::string Cell(int row, int column) const;  // as the list shows it
    int RowCount() const;

    HWND List = nullptr;  // a report list view, one row per job
    HWND PauseButton = nullptr;
    HWND ResumeButton = nullptr;
    HWND CancelButton = nullptr;  // cancels the selected job, not the window
    HWND UpButton = nullptr;
    HWND DownButton = nullptr;
    HWND CloseButton = nullptr;

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;
    void DpiChanged() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void SelectRow(int row);  // -1: none
    int SelectedRow() const;  // -1: none
    void EnableButtons();
    void Press(int id);
    void Close();
    void Tick(bool on);
    // Runs fn; what it throws goes to the error box. False when it threw.
    template <typename F>
    bool Guarded(F&& fn) noexcept;
    void Report(const char* text) noexcept;

    std::vector<JobRow> rows_;  // as shown
    bool ticking_ = false;
    bool reporting_ = false;    // an error box is up: the timer reads nothing meanwhile
    bool filling_ = false;      // the list is being changed: its notifications wait
};

}  // namespace bivane
