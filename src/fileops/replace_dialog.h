// "Replace Files": asked once before a copy writes anything, when files of the copied names
// exist in the target folder.
#pragma once
#include <string>

#include "controls/modal_form.h"

namespace bivane {

class ReplaceDialog : public ModalForm {
public:
    // The modal results; Cancel is IDCANCEL (also Escape and the close box).
    enum { IdReplaceAll = 201, IdReplaceOlder = 202, IdSkipExisting = 203 };

    ReplaceDialog();
    void SetText(const std::string& text);
    std::string Text() const;

    HWND Message = nullptr;
    HWND ReplaceAllButton = nullptr;
    HWND ReplaceOlderButton = nullptr;
    HWND SkipButton = nullptr;  // the default: Enter never replaces anything
    HWND CancelButton = nullptr;

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;
};

}  // namespace bivane
