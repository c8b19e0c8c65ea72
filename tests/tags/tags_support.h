// Small helpers the tag and order tests share: real clicks on list rows and a window sized to
// show an exact number of rows.
#pragma once
#include "support/form_fixture.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/utf.h"

namespace bivane::test {

// Centre of an entry's cell: column 0 is the name's label, 1 Size, 2 Modified.
inline POINT CellCentre(HWND list, int item, int column) {
    RECT r{};
    if (column == 0) {
        r.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
    } else {
        r.top = column;
        r.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
    }
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A left press and release as the mouse makes them; keys are MK_CONTROL / MK_SHIFT.
inline void ClickList(HWND list, POINT p, WPARAM keys = 0) {
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(p.x, p.y));
    SendMessageW(list, WM_LBUTTONUP, keys, MAKELPARAM(p.x, p.y));
    PumpMessages();
}

// Clicks a column header of the list through the header control.
inline void ClickHeader(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
    // The T column is 0 pixels wide by design; make room for the click.
    if (r.right - r.left < 4) {
        const int name = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
        SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(name - 24, 0));
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(20, 0));
        SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
    }
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
    PumpMessages();
}

// Resizes the main window until the list shows exactly rows whole rows.
inline bool ShowExactRows(MainWindow& form, Pane& s, int rows) {
    HWND list = s.List.Handle();
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (s.List.VisibleRows() == rows) return true;
        RECT client{}, header{}, win{};
        GetClientRect(list, &client);
        GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
        GetWindowRect(form.Handle(), &win);
        const int rowH = s.List.RowHeight();
        const int want = (header.bottom - header.top) + rows * rowH + rowH / 2;
        SetWindowPos(form.Handle(), nullptr, 0, 0, win.right - win.left,
                     win.bottom - win.top + want - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
    }
    return s.List.VisibleRows() == rows;
}

inline std::string Marks(const Pane& s) {
    std::string m;
    for (const Entry& e : s.Entries) m += MarkLetter(e.mark);
    return m;
}

inline std::vector<int> SelectedRows(const Pane& s) {
    std::vector<int> out;
    for (int i = s.List.FirstSelected(); i >= 0; i = s.List.NextSelected(i)) out.push_back(i);
    return out;
}

}  // namespace bivane::test
