#include "panes/drive_combo.h"

#include <algorithm>
#include <cctype>

#include "controls/controls.h"
#include "core/dpi.h"
#include "platform/fs.h"
#include "platform/utf.h"

namespace bivane {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

const wchar_t* const kBitmapNames[] = {L"FLOPPY", L"HARD", L"NETWORK", L"CDROM", L"RAM"};

// Draws a bitmap with the colour of its bottom-left pixel left out.
void DrawTransparent(HDC dc, HBITMAP bmp, int x, int y) {
    BITMAP info{};
    if (!bmp || !GetObjectW(bmp, sizeof(info), &info)) return;
    AutoDeleteDC mem(CreateCompatibleDC(dc));
    ScopedSelect sel(mem.get(), bmp);
    const COLORREF key = GetPixel(mem.get(), 0, info.bmHeight - 1);
    TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, mem.get(), 0, 0, info.bmWidth,
                   info.bmHeight, key);
}

}  // namespace

std::string DriveItemText(char letter, DriveKind kind, const std::string& label,
                          const std::string& remoteName) {
    const std::string l(1, static_cast<char>(std::tolower(static_cast<unsigned char>(letter))));
    switch (kind) {
        case DriveKind::Removable: return l + ":";
        case DriveKind::Remote:
            if (!remoteName.empty()) return l + ": " + Lower(remoteName);
            [[fallthrough]];
        default: return l + ": [" + Lower(label) + "]";
    }
}

void DriveComboBox::Create(HWND parent, int id, int x, int y, int width) {
    hwnd_ = CreateChild(parent, WC_COMBOBOXW, "",
                        WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                        x, y, width, 300, id);
}

void DriveComboBox::SetDpi(int dpi) {
    for (int i = 0; i < 5; ++i) bitmaps_[i] = LoadBitmapFor(kBitmapNames[i], dpi);
    // Owner-drawn items are measured once, when made: a new font or picture size is told.
    MEASUREITEMSTRUCT mis{};
    Measure(&mis);
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, 0, static_cast<LPARAM>(mis.itemHeight));
    if (!placed_ && dpi == kBaseDpi) {
        fieldAt96_ = static_cast<int>(SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    }
    placed_ = true;
    // The selection field: at 96 DPI as the control made it; else a line of the font and a little air.
    const int field = dpi == kBaseDpi && fieldAt96_ > 0 ? fieldAt96_ : static_cast<int>(mis.itemHeight) + Scaled(2, dpi);
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
}

int DriveComboBox::Height() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

std::vector<DriveItem> ScanDrives() {
    std::vector<DriveItem> items;
    // No "drive not ready" boxes while the labels are read.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        const char letter = static_cast<char>('a' + i);
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L":\\";
        DriveKind kind;
        switch (GetDriveTypeW(root.c_str())) {
            case DRIVE_REMOVABLE: kind = DriveKind::Removable; break;
            case DRIVE_FIXED: kind = DriveKind::Fixed; break;
            case DRIVE_REMOTE: kind = DriveKind::Remote; break;
            case DRIVE_CDROM: kind = DriveKind::CdRom; break;
            case DRIVE_RAMDISK: kind = DriveKind::Ram; break;
            default: continue;
        }
        std::string label, remote;
        if (kind != DriveKind::Removable) {
            wchar_t buf[MAX_PATH + 1] = {};
            if (GetVolumeInformationW(root.c_str(), buf, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                      nullptr, 0)) {
                label = Narrow(buf);
            }
        }
        if (kind == DriveKind::Remote) {
            wchar_t name[MAX_PATH + 1] = {};
            DWORD len = MAX_PATH + 1;
            const wchar_t local[] = {static_cast<wchar_t>(L'A' + i), L':', 0};
            if (WNetGetConnectionW(local, name, &len) == NO_ERROR) remote = Narrow(name);
        }
        items.push_back({letter, kind, DriveItemText(letter, kind, label, remote)});
    }
    SetErrorMode(oldMode);
    return items;
}

void DriveComboBox::CreateWnd(const std::vector<DriveItem>& drives) {
    items_ = drives;
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    for (const DriveItem& item : items_) {
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item.text).c_str()));
    }
    const std::string cur = GetCurrentDir();
    const char letter = HasDriveLetter(cur) ? cur[0] : 0;
    drive_ = 0;  // so that this first setting always reports
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetDrive(letter);
}

void DriveComboBox::SetDrive(char letter) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    const bool selected = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0) != CB_ERR;
    if (selected && letter == drive_) return;
    drive_ = letter;
    int index = -1;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (letter != 0 && items_[i].letter == letter) index = static_cast<int>(i);
    }
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (OnChange) OnChange();
}

std::string DriveComboBox::ItemText(int index) const { return items_.at(static_cast<size_t>(index)).text; }

void DriveComboBox::OnCommand(int code) {
    if (code != CBN_SELCHANGE) return;
    const auto sel = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    if (sel < 0 || static_cast<size_t>(sel) >= items_.size()) return;
    // The click arrives while the selector still holds the previous drive.
    const char letter = items_[static_cast<size_t>(sel)].text[0];
    const char previous = drive_;
    if (OnClick) OnClick();
    if (letter != previous) {
        SetDrive(letter);
    } else {
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(sel), 0);
    }
}

void DriveComboBox::Measure(MEASUREITEMSTRUCT* mis) const {
    TEXTMETRICW tm{};
    {
        WindowDC dc(hwnd_);
        ScopedSelect f(dc.get(), FontOf(hwnd_));
        GetTextMetricsW(dc.get(), &tm);
    }
    BITMAP b{};
    int bmpH = 11;
    if (bitmaps_[0] && GetObjectW(bitmaps_[0].get(), sizeof(b), &b)) bmpH = b.bmHeight;
    mis->itemHeight = static_cast<UINT>(std::max<int>(tm.tmHeight, bmpH));
}

void DriveComboBox::Draw(const DRAWITEMSTRUCT* dis) const {
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    const bool sel = (dis->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (dis->itemID == static_cast<UINT>(-1) || dis->itemID >= items_.size()) return;
    const DriveItem& item = items_[dis->itemID];
    HBITMAP bmp = static_cast<HBITMAP>(bitmaps_[static_cast<int>(item.kind)].get());
    int bmpW = 16, bmpH = 11;
    BITMAP b{};
    if (bmp && GetObjectW(bmp, sizeof(b), &b)) {
        bmpW = b.bmWidth;
        bmpH = b.bmHeight;
    }
    // The gaps scale with the picture, which is drawn for the window's DPI.
    const int gap = std::max(1, bmpW / 8);
    DrawTransparent(dc, bmp, r.left + gap, r.top + (r.bottom - r.top - bmpH) / 2);
    RECT tr = r;
    tr.left += bmpW + 3 * gap;
    ScopedSelect f(dc, FontOf(hwnd_));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring t = Widen(item.text);
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace bivane
