#include "controls/report_window.h"

#include "controls/controls.h"
#include "platform/clipboard.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

namespace bivane {

namespace {
constexpr int kIdText = 1000;
constexpr int kIdCopy = 1001;
}  // namespace

ReportWindow::ReportWindow() : ModalForm(L"ReportWindow", "Warning", 560, 360) {
    TextBox = AddControl(L"EDIT", "", WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                          ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                         12, 12, 536, 294, kIdText, WS_EX_CLIENTEDGE);
    // A multi-line edit holds 32,767 characters unless told otherwise; a report may list thousands.
    SendMessageW(TextBox, EM_SETLIMITTEXT, 0, 0);
    CopyButton = AddControl(L"BUTTON", "Copy to &clipboard", WS_TABSTOP | BS_PUSHBUTTON, 12, 320, 140, 28, kIdCopy);
    OkButton = AddControl(L"BUTTON", "&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 473, 320, 75, 28, IDOK);
    SendMessageW(Handle(), DM_SETDEFID, IDOK, 0);
}

void ReportWindow::Fill(BoxKind kind, const std::string& text) {
    SetCaption(BoxCaption(kind));
    SetWindowTextW(TextBox, WithDrawnLineBreaks(text).c_str());
}

std::string ReportWindow::Text() const { return WindowText(TextBox); }

void ReportWindow::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDOK || id == IDCANCEL) EndModal(IDOK);
    if (id == kIdCopy) {
        const std::wstring all = Widen(Text());
        (void)PutTextOnClipboard(Handle(), std::u16string(all.begin(), all.end()));
    }
}

void ReportWindow::FormActivate() {
    SetFocus(OkButton);
    // The dialog manager selects an edit's whole text as it passes the focus, which scrolls to its
    // end; the first lines say what was done, so the report shows its top.
    SendMessageW(TextBox, EM_SETSEL, 0, 0);
    SendMessageW(TextBox, WM_VSCROLL, SB_TOP, 0);
}

void ShowReport(HWND owner, BoxKind kind, const std::string& text) {
    if (ModalHandler* handler = CurrentModalHandler()) {
        handler->Box(BoxRequest{kind, BoxCaption(kind), text, BoxButtons::Ok});
        return;
    }
    ReportWindow window;
    window.Fill(kind, text);
    window.RunModalLoop(owner);
}

}  // namespace bivane
