#include "tags/compare_dialog.h"

namespace bivane {

CompareDialog::CompareDialog() : ModalForm(L"CompareDialog", "Confirm Tag Type", 249, 105) {
    // Creation order is the tab order: NewerOnlyChoice comes first.
    NewerOnlyChoice = AddControl(L"BUTTON", "&Newer duplicate files only",
                              WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 50, 33, 153, 17, IdNewerOnly);
    AllDuplicatesChoice = AddControl(L"BUTTON", "&All duplicate file names", BS_AUTORADIOBUTTON, 50, 14, 129, 17,
                              IdAllDuplicates);
    OKBtn = AddControl(L"BUTTON", "&OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 39, 68, 75, 25, IDOK);
    CancelBtn = AddControl(L"BUTTON", "&Cancel", WS_TABSTOP | BS_PUSHBUTTON, 135, 68, 75, 25, IDCANCEL);
    SendMessageW(Handle(), DM_SETDEFID, IDOK, 0);
    SetNewerMode(true);
    hints.Create(Handle());
    hints.Add(OKBtn, "OK");
    hints.Add(CancelBtn, "Cancel");
}

bool CompareDialog::NewerMode() const {
    return SendMessageW(NewerOnlyChoice, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CompareDialog::SetNewerMode(bool newer) {
    SendMessageW(NewerOnlyChoice, BM_SETCHECK, newer ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(AllDuplicatesChoice, BM_SETCHECK, newer ? BST_UNCHECKED : BST_CHECKED, 0);
}

void CompareDialog::OnCommand(int id, int code) {
    // The dialog manager sends IDOK for Enter and IDCANCEL for Esc as well as for the clicks.
    if (code != BN_CLICKED) return;
    if (id == IDOK) EndModal(IDOK);
    if (id == IDCANCEL) EndModal(IDCANCEL);
}

}  // namespace bivane
