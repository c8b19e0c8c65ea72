#include "panes/dir_tree.h"

#include <algorithm>

#include "controls/controls.h"
#include "core/dpi.h"
#include "panes/shorten_path.h"
#include "platform/folder_scan.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "core/errors.h"

namespace bivane {

namespace {

bool SamePath(const std::string& a, const std::string& b) {
    const std::wstring wa = Widen(a), wb = Widen(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

// "C:\\DIR" and other doubled separators after the first two characters become single ones.
std::string CollapseSeparators(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        if (i >= 2 && path[i] == '\\' && !out.empty() && out.back() == '\\') continue;
        out += path[i];
    }
    return out;
}

}  // namespace

void PathLabel::SetText(const std::string& directory, int width, HWND measuredIn) {
    caption_ = ShortenPath(directory, width, [measuredIn](std::string_view text) { return TextWidthIn(measuredIn, text); });
}

void DirectoryListBox::Create(HWND parent, int id) {
    hwnd_ = CreateChild(parent, L"LISTBOX", "",
                        WS_VSCROLL | WS_BORDER | WS_TABSTOP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                            LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                        0, 0, 100, 100, id);
    SetDpi(kBaseDpi);
    directory_ = GetCurrentDir();
    Rebuild();
}

void DirectoryListBox::SetDpi(int dpi) {
    dpi_ = dpi;
    AutoImageList images(ImageList_Create(Scaled(16, dpi), Scaled(15, dpi), ILC_COLOR24 | ILC_MASK, 3, 0));
    for (const wchar_t* name : {L"OPENFOLDER", L"CURRENTFOLDER", L"CLOSEDFOLDER"}) {
        AutoGdiObject bmp = LoadBitmapFor(name, dpi);
        if (!bmp) continue;
        AutoDeleteDC mem(CreateCompatibleDC(nullptr));
        COLORREF key;
        {
            ScopedSelect sel(mem.get(), bmp.get());
            key = GetPixel(mem.get(), 0, Scaled(15, dpi) - 1);  // the bottom-left pixel is the mask colour
        }
        ImageList_AddMasked(images.get(), static_cast<HBITMAP>(bmp.get()), key);
    }
    images_ = std::move(images);
    MEASUREITEMSTRUCT mis{};
    Measure(&mis);
    SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(mis.itemHeight));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void DirectoryListBox::SetDirLabel(PathLabel* label) {
    label_ = label;
    UpdateLabel();
}

void DirectoryListBox::UpdateLabel() {
    if (!label_) return;
    const RECT r = ClientRect(hwnd_);
    label_->SetText(directory_, r.right - r.left, hwnd_);
}

void DirectoryListBox::Reread() {
    stale_ = true;
    SetDirectory(directory_);
}

void DirectoryListBox::SetDirectory(const std::string& path) {
    if (path.empty()) return;
    if (!stale_ && SamePath(path, directory_)) return;
    // Read against this tree's own directory: the process's current one may be another pane's.
    const std::string resolved = FullDirectory(CollapseSeparators(path), directory_);
    RequireDirectory(resolved);
    stale_ = false;
    directory_ = resolved;
    // The selectors hand over lower-case letters; keep one spelling so paths compare as text.
    if (HasDriveLetter(directory_)) {
        directory_[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(directory_[0])));
    }
    Rebuild();
    UpdateLabel();
    if (OnChange) OnChange();
}

void DirectoryListBox::SetDrive(char letter) {
    if (directory_.empty() || (HasDriveLetter(directory_) &&
                               std::toupper(static_cast<unsigned char>(directory_[0])) ==
                                   std::toupper(static_cast<unsigned char>(letter)))) {
        return;
    }
    SetDirectory(std::string(1, letter) + ":");
}

int DirectoryListBox::Selected() const {
    return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
}

void DirectoryListBox::SubdirectoriesChanged() {
    subdirectoriesRead_ = false;
    if (IsWindowVisible(hwnd_)) ReadSubdirectories();
}

void DirectoryListBox::Show(bool visible) {
    if (visible) ReadSubdirectories();
    SetVisible(hwnd_, visible);
}

const std::vector<DirectoryListBox::Item>& DirectoryListBox::Items() {
    ReadSubdirectories();
    return items_;
}

std::string DirectoryListBox::ItemPath(int k) {
    ReadSubdirectories();
    if (k < 0 || k >= static_cast<int>(items_.size())) return directory_;
    const size_t root = RootLength(directory_);
    if (k == 0) return directory_.substr(0, root);
    if (k == pathItems_ - 1) return directory_;
    if (k >= pathItems_) {
        std::string p = directory_;
        if (p.empty() || p.back() != '\\') p += '\\';
        return p + items_[static_cast<size_t>(k)].text;
    }
    // A directory on the path: cut after its k-th name, without the drive letter; it resolves on
    // the tree's own drive.
    const std::string s = HasDriveLetter(directory_) ? directory_.substr(2) : directory_;
    size_t pos = 0;
    for (int i = 0; i < k; ++i) {
        pos = s.find('\\', pos + 1);
        if (pos == std::string::npos) {
            pos = s.size();
            break;
        }
    }
    return s.substr(0, pos);
}

void DirectoryListBox::OpenSelected() {
    const int sel = Selected();
    if (sel < 0) return;
    SetDirectory(ItemPath(sel));
}

void DirectoryListBox::OnCommand(int code) {
    if (code == LBN_SELCHANGE) {
        if (OnClick) OnClick();
    } else if (code == LBN_DBLCLK) {
        OpenSelected();
    }
}

void DirectoryListBox::Rebuild() {
    items_.clear();
    const size_t root = RootLength(directory_);
    items_.push_back({directory_.substr(0, root), kOpen, 2});
    std::string rest = directory_.substr(root);
    int i = 1;
    size_t start = 0;
    while (start < rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        items_.push_back({rest.substr(start, end - start), kOpen, i * 4 + 2});
        ++i;
        start = end + 1;
    }
    items_.back().icon = kCurrent;
    pathItems_ = static_cast<int>(items_.size());

    subdirectoriesRead_ = false;
    if (IsWindowVisible(hwnd_)) {
        ReadSubdirectories();
    } else {
        Fill();
    }
}

void DirectoryListBox::ReadSubdirectories() {
    if (subdirectoriesRead_) return;
    subdirectoriesRead_ = true;
    items_.resize(static_cast<size_t>(pathItems_));
    std::vector<std::wstring> subdirs;
    std::wstring pattern = Widen(directory_);
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*";
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd,
                                         FindExSearchLimitToDirectories, nullptr, 0));
    if (find) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
            if (IsDotOrDotDot(fd.cFileName)) continue;
            subdirs.emplace_back(fd.cFileName);
        } while (FindNextFileW(find.get(), &fd));
    }
    std::sort(subdirs.begin(), subdirs.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
               CSTR_LESS_THAN;
    });
    const int slashes = static_cast<int>(std::count(directory_.begin(), directory_.end(), '\\'));
    for (const auto& s : subdirs) items_.push_back({Narrow(s), kClosed, slashes * 4 + 6});
    Fill();
}

void DirectoryListBox::Fill() {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    for (const auto& it : items_) {
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(it.text).c_str()));
    }
    SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(pathItems_ - 1), 0);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void DirectoryListBox::Measure(MEASUREITEMSTRUCT* mis) const {
    TEXTMETRICW tm{};
    WindowDC dc(hwnd_);
    ScopedSelect f(dc.get(), FontOf(hwnd_));
    GetTextMetricsW(dc.get(), &tm);
    mis->itemHeight = static_cast<UINT>(std::max<int>(tm.tmHeight, Scaled(15 + 1, dpi_)));
}

void DirectoryListBox::Draw(const DRAWITEMSTRUCT* dis) const {
    if (dis->itemID == static_cast<UINT>(-1) || dis->itemID >= items_.size()) return;
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    const bool sel = (dis->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    const Item& item = items_[dis->itemID];
    const int indent = Scaled(item.indent, dpi_);
    ImageList_Draw(images_.get(), item.icon, dc, r.left + indent, r.top, ILD_TRANSPARENT);
    RECT tr = r;
    tr.left += indent + Scaled(16 + 4, dpi_);
    ScopedSelect f(dc, FontOf(hwnd_));
    const std::wstring t = Widen(item.text);
    SIZE sz{};
    GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &sz);
    tr.right = std::min<LONG>(r.right, tr.left + sz.cx + 2);
    if (sel) FillRect(dc, &tr, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &tr, DT_SINGLELINE | DT_TOP | DT_NOPREFIX);
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &tr);
}

}  // namespace bivane
