#include "fileops/text_dialog.h"

#include "controls/controls.h"
#include "platform/utf.h"

namespace bivane {

namespace {
// Neither button carries IDCANCEL: the dialog manager sends IDCANCEL for Escape, which must do nothing.
constexpr int kIdButton2 = 1002;
}

TextDialog::TextDialog()
    : ModalForm(L"TextDialog", "Enter New Directory", 353, 129, WS_POPUP | WS_CAPTION | DS_MODALFRAME) {
    PromptLabel = AddControl(L"STATIC", "PromptLabel", SS_LEFT | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 16, 16, 321, 13, 0);
    TextEdit = AddControl(L"EDIT", "TextEdit", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 16, 48, 321, 21, 1000,
                       WS_EX_CLIENTEDGE);
    OkButton = AddControl(L"BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 88, 88, 75, 25, IDOK);
    CancelButton = AddControl(L"BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, 184, 88, 75, 25, kIdButton2);
    SetWindowSubclass(TextEdit, &TextDialog::EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(Handle(), DM_SETDEFID, IDOK, 0);
}

void TextDialog::Prepare(const std::string& caption, const std::string& label) {
    SetCaption(caption);
    SetWindowTextUtf8(PromptLabel, label);
    SetWindowTextW(TextEdit, L"");
    SendMessageW(Handle(), DM_SETDEFID, IDOK, 0);
}

std::string TextDialog::Text() const { return WindowText(TextEdit); }
void TextDialog::SetText(const std::string& text) { SetWindowTextUtf8(TextEdit, text); }
std::string TextDialog::Label() const { return WindowText(PromptLabel); }

void TextDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDOK) EndModal(IDOK);
    else if (id == kIdButton2) EndModal(IDCANCEL);
}

void TextDialog::FormActivate() { SetFocus(TextEdit); }

bool TextDialog::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    // No close box: only the two buttons (or Enter) end the dialog.
    if (msg != WM_CLOSE) return false;
    result = 0;
    return true;
}

bool TextDialog::TextEditKeyDown(WORD key) {
    if (key != VK_F10 || !CommandLinePromptOpen) return false;
    const std::wstring insert = Widen(" " + PromptFileName + " ");
    SendMessageW(TextEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(insert.c_str()));
    return true;
}

LRESULT CALLBACK TextDialog::EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    // F10 arrives as a system key.
    if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) &&
        reinterpret_cast<TextDialog*>(ref)->TextEditKeyDown(static_cast<WORD>(wp))) {
        return 0;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace bivane
