#include "fileops/confirm_dialog.h"

#include "core/dpi.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX | SS_LEFTNOWORDWRAP;
// The two tag descriptions are drawn by the dialog: TagDescShadow's white copy shows one pixel right
// of and below TagDesc, which makes grey text look engraved.
constexpr DWORD kTagLabel = SS_OWNERDRAW;
constexpr int kIdRadio1 = 101, kIdRadio2 = 102;

}  // namespace

ConfirmDialog::ConfirmDialog() : ModalForm(L"ConfirmDialog", "Confirm Copy", 313, 159) {
    // Created in tab order: the dialog manager walks the children in creation order.
    CancelBtn = AddControl(L"BUTTON", "&No", WS_TABSTOP | BS_DEFPUSHBUTTON, 167, 116, 75, 25, IDCANCEL);
    OKBtn = AddControl(L"BUTTON", "&Yes", WS_TABSTOP | BS_PUSHBUTTON, 71, 116, 75, 25, IDOK);
    // Each radio button is a tab stop of its own, so the two are checked by hand.
    CurrentEntryChoice = AddControl(L"BUTTON", "&Current file...", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, 56, 14, 85, 17, kIdRadio1);
    TaggedFilesChoice = AddControl(L"BUTTON", "&Tagged files...", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, 56, 33, 85, 17, kIdRadio2);
    RecycleChoice = AddControl(L"BUTTON", "&Send to recycle bin (allow undelete)", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX,
                           15, 80, 189, 17, 103);
    VerifyChoice = AddControl(L"BUTTON", "&Verify copies", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 48, 97, 120, 17, 104);
    ModeLabel = AddControl(L"STATIC", "Copy:", kLabel | WS_GROUP, 12, 24, 42, 13, 0);
    CurDesc = AddControl(L"STATIC", "CurDesc", kLabel, 144, 14, 160, 13, 0);
    TagDescShadow = AddControl(L"STATIC", "TagDesc", kTagLabel, 145, 35, 160, 13, 0);
    TagDesc = AddControl(L"STATIC", "TagDesc", kTagLabel, 144, 34, 160, 13, 0);
    FromLabel = AddControl(L"STATIC", "From:", SS_RIGHT | SS_NOTIFY, 8, 65, 34, 13, 0);
    FromDesc = AddControl(L"STATIC", "FromDesc", kLabel | SS_PATHELLIPSIS, 48, 65, 257, 13, 0);
    ToLabel = AddControl(L"STATIC", "To:", SS_RIGHT | SS_NOTIFY, 8, 81, 34, 13, 0);
    ToDesc = AddControl(L"STATIC", "ToDesc", kLabel | SS_PATHELLIPSIS, 48, 81, 257, 13, 0);
    // TagDesc lies above TagDescShadow, so where they overlap TagDesc paints both texts.
    SetWindowPos(TagDescShadow, TagDesc, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    DpiChanged();
    SendMessageW(TaggedFilesChoice, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(RecycleChoice, BM_SETCHECK, BST_CHECKED, 0);
    SetVisible(RecycleChoice, false);
    SendMessageW(Handle(), DM_SETDEFID, IDCANCEL, 0);

    hints_.Create(Handle());
    hints_.Add(FromLabel, "Source directory");
    hints_.Add(ToLabel, "Destination directory");
    hints_.Add(OKBtn, "OK");
    hints_.Add(CancelBtn, "Cancel");
}

void ConfirmDialog::DpiChanged() {
    SendMessageW(ModeLabel, WM_SETFONT, reinterpret_cast<WPARAM>(UiFontVariant(Dpi(), true, false)), FALSE);
}

void ConfirmDialog::SetMode(ConfirmMode mode) {
    switch (mode) {
        case ConfirmMode::Copy:
            SetCaption("Confirm Copy");
            SetText(ModeLabel, "Copy:");
            modeColor_ = RGB(0, 0, 128);
            break;
        case ConfirmMode::Delete:
            SetCaption("Confirm Delete");
            SetText(ModeLabel, "Delete:");
            modeColor_ = RGB(128, 0, 0);
            break;
        case ConfirmMode::Move:
            SetCaption("Confirm Move");
            SetText(ModeLabel, "Move:");
            modeColor_ = RGB(0, 128, 0);
            break;
    }
    const bool del = mode == ConfirmMode::Delete;
    SetVisible(ToLabel, !del);
    SetVisible(ToDesc, !del);
    SetVisible(RecycleChoice, del);
    SetVisible(VerifyChoice, mode == ConfirmMode::Copy);
    InvalidateRect(ModeLabel, nullptr, TRUE);
}

void ConfirmDialog::SetText(HWND label, const std::string& text) {
    SetWindowTextUtf8(label, text);
    InvalidateRect(label, nullptr, TRUE);
    if (label == TagDescShadow) InvalidateRect(TagDesc, nullptr, TRUE);
}

std::string ConfirmDialog::Text(HWND label) const { return WindowText(label); }

void ConfirmDialog::CheckRadio(HWND radio) {
    SendMessageW(CurrentEntryChoice, BM_SETCHECK, radio == CurrentEntryChoice ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(TaggedFilesChoice, BM_SETCHECK, radio == TaggedFilesChoice ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ConfirmDialog::IsChecked(HWND button) const { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void ConfirmDialog::SetChecked(HWND button, bool checked) {
    SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ConfirmDialog::SetTagDescColor(COLORREF color) {
    tagDescColor_ = color;
    InvalidateRect(TagDesc, nullptr, TRUE);
}

COLORREF ConfirmDialog::TextColor(HWND label) const {
    if (label == ModeLabel) return modeColor_;
    if (label == TagDesc) return tagDescColor_;
    if (label == TagDescShadow) return kWhite;
    return GetSysColor(COLOR_WINDOWTEXT);
}

void ConfirmDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    if (id == IDOK || id == IDCANCEL) EndModal(id);
    else if (id == kIdRadio1) CheckRadio(CurrentEntryChoice);
    else if (id == kIdRadio2) CheckRadio(TaggedFilesChoice);
}

void ConfirmDialog::FormActivate() { SetFocus(CancelBtn); }

void ConfirmDialog::DrawTagDesc(const DRAWITEMSTRUCT& dis) const {
    FillRect(dis.hDC, &dis.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    ScopedSelect font(dis.hDC, FontOf(dis.hwndItem));
    SetBkMode(dis.hDC, TRANSPARENT);
    auto draw = [&](HWND label, COLORREF color, int dx, int dy) {
        const std::wstring text = Widen(WindowText(label));
        RECT r = dis.rcItem;
        OffsetRect(&r, Scaled(dx, Dpi()), Scaled(dy, Dpi()));
        SetTextColor(dis.hDC, color);
        DrawTextW(dis.hDC, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_NOPREFIX | DT_SINGLELINE);
    };
    if (dis.hwndItem == TagDesc) {
        draw(TagDescShadow, kWhite, 1, 1);  // the part of the white copy that TagDesc covers
        draw(TagDesc, tagDescColor_, 0, 0);
    } else {
        draw(TagDescShadow, kWhite, 0, 0);
    }
}

bool ConfirmDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DRAWITEM) {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (dis->hwndItem != TagDesc && dis->hwndItem != TagDescShadow) return false;
        DrawTagDesc(*dis);
        result = TRUE;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lp) == ModeLabel) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, modeColor_);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    return false;
}

}  // namespace bivane
