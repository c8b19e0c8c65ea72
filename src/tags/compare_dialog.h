// "Confirm Tag Type": which kind of comparison to run. Created once, so the last choice stays.
#pragma once
#include "controls/controls.h"
#include "controls/modal_form.h"

namespace bivane {

class CompareDialog : public ModalForm {
public:
    enum { IdAllDuplicates = 101, IdNewerOnly = 102 };

    CompareDialog();
    // NewerOnlyChoice ("&Newer duplicate files only") is the selected choice.
    bool NewerMode() const;
    void SetNewerMode(bool newer);

    HWND AllDuplicatesChoice = nullptr;
    HWND NewerOnlyChoice = nullptr;
    HWND OKBtn = nullptr;
    HWND CancelBtn = nullptr;
    Hints hints;

protected:
    void OnCommand(int id, int code) override;
};

}  // namespace bivane
