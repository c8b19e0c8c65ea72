// The one report a command ends with when it left something out or failed on some entries: every
// entry, grouped by reason under the lines that say what was done in numbers, in a text that
// scrolls and can be copied whole. A message box names only what fits on the screen.
#pragma once
#include <string>

#include "controls/modal_form.h"

namespace bivane {

class ReportWindow : public ModalForm {
public:
    ReportWindow();
    // The caption by kind ("Warning", "Information") and the text, its lines broken by "\r".
    void Fill(BoxKind kind, const std::string& text);
    std::string Text() const;  // as shown, lines broken by "\r\n"

    HWND TextBox = nullptr;
    HWND CopyButton = nullptr;  // "Copy to &clipboard"
    HWND OkButton = nullptr;    // "&OK"

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;
};

// Shows text in a report window over owner and returns when the user closed it. A test's modal
// handler is asked as for a box of that kind with an OK button, with the same text.
void ShowReport(HWND owner, BoxKind kind, const std::string& text);

}  // namespace bivane
