#include "controls/file_list.h"

#include <algorithm>

#include "controls/controls.h"
#include "platform/utf.h"

namespace bivane {

namespace {
void CopyUtf8(const std::string& s, wchar_t* out, int cap) {
    if (!out || cap <= 0) return;
    int n = s.empty() ? 0
                      : MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out,
                                            cap - 1);
    if (n == 0 && !s.empty()) {  // too long for the buffer: cut
        const std::wstring w = Widen(s);
        n = std::min<int>(cap - 1, static_cast<int>(w.size()));
        w.copy(out, static_cast<size_t>(n));
    }
    out[n] = L'\0';
}
}  // namespace

void FileListView::Create(HWND parent, HIMAGELIST images, const std::vector<Entry>* model) {
    model_ = model;
    hwnd_ = CreateChild(parent, WC_LISTVIEWW, "",
                        WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_EDITLABELS |
                            LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                        0, 0, 100, 100);
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_LABELTIP, LVS_EX_LABELTIP);
    SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    const ListColumn cols[] = {{L"Name", 100, LVCFMT_LEFT}, {L"Size", 54, LVCFMT_RIGHT},
                               {L"Modified", 102, LVCFMT_LEFT}, {L"T", 0, LVCFMT_CENTER}};
    AddListColumns(hwnd_, cols, 4);
}

void FileListView::Reset() {
    SendMessageW(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(model_->size()), 0);
    ClearSelection();
    RedrawAll();
}

void FileListView::RedrawItem(int index) {
    SendMessageW(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(index), index);
}

void FileListView::RedrawAll() { InvalidateRect(hwnd_, nullptr, TRUE); }

bool FileListView::IsSelected(int index) const {
    return SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) != 0;
}

void FileListView::SetSelected(int index, bool selected) {
    LVITEMW it{};
    it.stateMask = LVIS_SELECTED;
    it.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
}

bool FileListView::IsFocused(int index) const {
    return SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_FOCUSED) != 0;
}

void FileListView::SetFocused(int index) {
    LVITEMW it{};
    it.stateMask = LVIS_FOCUSED;
    it.state = LVIS_FOCUSED;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
}

int FileListView::Focused() const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

int FileListView::FirstSelected() const { return NextSelected(-1); }

int FileListView::NextSelected(int after) const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

int FileListView::SelectedCount() const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
}

void FileListView::ClearSelection() {
    LVITEMW it{};
    it.stateMask = LVIS_SELECTED;
    it.state = 0;
    SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
}

int FileListView::TopIndex() const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETTOPINDEX, 0, 0));
}

int FileListView::VisibleRows() const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETCOUNTPERPAGE, 0, 0));
}

int FileListView::RowsWithoutHorizontalBar() const {
    const RECT client = ClientRect(hwnd_);
    int height = client.bottom;
    if (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_HSCROLL) height += GetSystemMetrics(SM_CYHSCROLL);
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0));
    if (header && IsWindowVisible(header)) {
        RECT h{};
        GetWindowRect(header, &h);
        height -= h.bottom - h.top;
    }
    return std::max(0, height / RowHeight());
}

int FileListView::RowHeight() const {
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (Count() > 0 &&
        SendMessageW(hwnd_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) && r.bottom > r.top) {
        return r.bottom - r.top;
    }
    return 16;
}

void FileListView::ScrollRows(int rows) {
    if (rows == 0) return;
    SendMessageW(hwnd_, LVM_SCROLL, 0, rows * RowHeight());
}

void FileListView::ScrollToTop() { ScrollRows(-TopIndex()); }

void FileListView::EnsureVisible(int index) {
    SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

int FileListView::HitTest(int x, int y) const {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    SendMessageW(hwnd_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.iItem;
}

int FileListView::HitTestLabel(int x, int y) const {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    const int i = static_cast<int>(SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (i < 0 || !(hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL))) return -1;
    // The report view counts every column as the label; only the Name column is the name.
    if (x >= ColumnWidth(0)) return -1;
    return i;
}

bool FileListView::HasVerticalScrollBar() const {
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VSCROLL) != 0;
}

int FileListView::ColumnWidth(int column) const {
    return static_cast<int>(SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void FileListView::SetColumnWidth(int column, int width) {
    SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

void FileListView::FillDisplayInfo(NMLVDISPINFOW* info) const {
    LVITEMW& it = info->item;
    if (it.iItem < 0 || it.iItem >= Count()) return;
    const Entry& e = (*model_)[static_cast<size_t>(it.iItem)];
    if (it.mask & LVIF_TEXT) {
        switch (it.iSubItem) {
            case 0: CopyUtf8(e.caption, it.pszText, it.cchTextMax); break;
            case 1: CopyUtf8(e.sizeText, it.pszText, it.cchTextMax); break;
            case 2: CopyUtf8(e.dateText, it.pszText, it.cchTextMax); break;
            case 3: CopyUtf8(std::string(1, MarkLetter(e.mark)), it.pszText, it.cchTextMax); break;
            default: break;
        }
    }
    if (it.mask & LVIF_IMAGE) it.iImage = e.image;
}

int FileListView::FindItem(const NMLVFINDITEMW* find) const {
    const LVFINDINFOW& fi = find->lvfi;
    if (!(fi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !fi.psz) return -1;
    const std::wstring want(fi.psz);
    const int n = Count();
    if (n == 0 || want.empty()) return -1;
    const int start = find->iStart < 0 || find->iStart >= n ? 0 : find->iStart;
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        if (i < start && !(fi.flags & LVFI_WRAP)) break;
        const std::wstring cap = Widen((*model_)[static_cast<size_t>(i)].caption);
        const bool partial = (fi.flags & LVFI_PARTIAL) != 0;
        if (cap.size() < want.size() || (!partial && cap.size() != want.size())) continue;
        if (CompareStringOrdinal(cap.c_str(), static_cast<int>(want.size()), want.c_str(),
                                 static_cast<int>(want.size()), TRUE) == CSTR_EQUAL) {
            return i;
        }
    }
    return -1;
}

}  // namespace bivane
