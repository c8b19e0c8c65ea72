// "Synchronize": a window of its own over the main window that compares the folders of the two
// sides (on the comparer's thread), shows each path's relation and the action the mode gives it,
// lets the user change any action, previews the plan and hands it to the window to apply as a job.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/modal_form.h"
#include "sync/tree_compare.h"

namespace bivane {

// What Apply hands on: the lines and their actions as the user left them, and how.
struct SyncPlan {
    std::string left, right;
    std::vector<sync::Line> lines;
    bool recycle = true;  // deletions go to the recycle bin
    bool verify = false;  // each copy read back and compared with its source
};

// The plan before anything is written: its counts, bytes and every deletion; Apply or Cancel.
class SyncPreview : public ModalForm {
public:
    enum { IdText = 501, IdApply };
    SyncPreview();
    void SetText(const std::string& text);

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;  // on Apply: Enter applies, Escape cancels
};

class SyncWindow : public ModalForm {
public:
    enum {
        IdCompare = 601, IdStop, IdApply, IdLeft, IdRight, IdWhole, IdContent, IdHours, IdMode, IdShow, IdNames,
        IdRecycle, IdVerify, IdList, IdStatus
    };
    static constexpr UINT kComparerNews = WM_APP + 41;

    SyncWindow();
    // The comparer (the background work's, adopted when first opened) and the two sides' folders.
    void Open(HWND owner, TreeComparer& comparer, const std::string& left, const std::string& right);

    // Called with the plan once its preview was accepted; runs in the window's procedure.
    std::function<void(const SyncPlan& plan)> Apply;

    // Reads the fields and starts the comparison; a message box says what is wrong with a field.
    void StartCompare();
    void StopCompare();
    bool Comparing() const { return comparing_; }
    const std::vector<sync::Line>& Lines() const { return lines_; }
    const std::vector<std::uint32_t>& Shown() const { return shown_; }
    std::string Status() const;
    // The action for every selected line (where allowed); false when none took it.
    bool SetSelectedAction(sync::Action a);
    void ToggleFolder(int row);  // a folder of one side: its lines shown or hidden
    void Select(int row);
    HWND Field(int id) const { return GetDlgItem(Handle(), id); }
    // Builds the plan, shows the preview and, when accepted, hands it to Apply.
    void PreviewAndApply();
    std::string Cell(int row, int column) const;

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void DpiChanged() override;

private:
    void TakeNews();
    void ShowLines();  // the filter applied again, the list told its count
    sync::Preview HiddenActions() const;  // what Apply does to lines the filter hides
    void ShowStatus();
    void ListMenu();
    static LRESULT CALLBACK ListKeys(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    TreeComparer* comparer_ = nullptr;
    HWND list_ = nullptr, status_ = nullptr;
    std::vector<sync::Line> lines_;
    std::vector<std::uint32_t> shown_;
    std::unordered_map<std::uint32_t, sync::FolderTotal> totals_;  // the folders of one side, by line
    std::string left_, right_;  // the folders the lines compare
    std::string failure_;
    bool comparing_ = false;
    std::unique_ptr<SyncPreview> preview_;
    mutable std::wstring cell_;
};

}  // namespace bivane
