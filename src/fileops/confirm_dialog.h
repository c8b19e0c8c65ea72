// "Confirm Copy" / "Confirm Delete" / "Confirm Move".
#pragma once
#include <string>

#include "controls/controls.h"
#include "controls/modal_form.h"
#include "fileops/copy_rules.h"

namespace bivane {

// ConfirmMode: fileops/copy_rules.h

class ConfirmDialog : public ModalForm {
public:
    ConfirmDialog();

    // Caption, mode label and its colour, and which of the To row and the recycle box is shown.
    void SetMode(ConfirmMode mode);

    void SetText(HWND label, const std::string& text);
    std::string Text(HWND label) const;
    // Checks one radio button and clears the other.
    void CheckRadio(HWND radio);
    bool IsChecked(HWND button) const;
    void SetChecked(HWND button, bool checked);
    void SetTagDescColor(COLORREF color);
    COLORREF TextColor(HWND label) const;  // ModeLabel, TagDesc and TagDescShadow have colours of their own
    std::string Hint(HWND control) const { return hints_.Get(control); }

    HWND ModeLabel = nullptr;
    HWND CurrentEntryChoice = nullptr;
    HWND TaggedFilesChoice = nullptr;
    HWND CurDesc = nullptr;
    HWND TagDescShadow = nullptr;
    HWND TagDesc = nullptr;
    HWND FromLabel = nullptr;
    HWND FromDesc = nullptr;
    HWND ToLabel = nullptr;
    HWND ToDesc = nullptr;
    HWND RecycleChoice = nullptr;
    HWND VerifyChoice = nullptr;  // a copy reads each file back before it replaces the old one
    HWND OKBtn = nullptr;
    HWND CancelBtn = nullptr;

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void DpiChanged() override;

private:
    void DrawTagDesc(const DRAWITEMSTRUCT& dis) const;
    COLORREF modeColor_ = RGB(0, 0, 128);
    COLORREF tagDescColor_ = RGB(128, 128, 128);
    Hints hints_;
};

}  // namespace bivane
