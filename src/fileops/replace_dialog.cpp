#include "fileops/replace_dialog.h"

#include "controls/controls.h"
#include "platform/utf.h"

namespace bivane {

ReplaceDialog::ReplaceDialog() : ModalForm(L"ReplaceDialog", "Replace Files", 412, 205) {
    Message = AddControl(L"STATIC", "", SS_LEFT | SS_NOPREFIX, 12, 12, 388, 140, 0);
    SkipButton = AddControl(L"BUTTON", "&Skip existing", WS_TABSTOP | BS_DEFPUSHBUTTON, 12, 168, 91, 25, IdSkipExisting);
    ReplaceOlderButton =
        AddControl(L"BUTTON", "Replace &older only", WS_TABSTOP | BS_PUSHBUTTON, 111, 168, 107, 25, IdReplaceOlder);
    ReplaceAllButton = AddControl(L"BUTTON", "Replace &all", WS_TABSTOP | BS_PUSHBUTTON, 226, 168, 83, 25, IdReplaceAll);
    CancelButton = AddControl(L"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 317, 168, 83, 25, IDCANCEL);
    SendMessageW(Handle(), DM_SETDEFID, IdSkipExisting, 0);
}

// The dialog's texts break lines with "\r", as the message boxes' do; the control wants "\r\n".
void ReplaceDialog::SetText(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        shown += c;
        if (c == '\r') shown += '\n';
    }
    SetWindowTextUtf8(Message, shown);
}

std::string ReplaceDialog::Text() const {
    std::string text;
    for (const char c : WindowText(Message)) {
        if (c != '\n') text += c;
    }
    return text;
}

void ReplaceDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IdReplaceAll || id == IdReplaceOlder || id == IdSkipExisting || id == IDCANCEL) EndModal(id);
}

void ReplaceDialog::FormActivate() { SetFocus(SkipButton); }

}  // namespace bivane
