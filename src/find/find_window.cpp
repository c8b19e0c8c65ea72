#include "find/find_window.h"

#include <exception>

#include "controls/controls.h"
#include "controls/report_window.h"
#include "core/dpi.h"
#include "core/errors.h"
#include "core/paths.h"
#include "panes/entry_rules.h"
#include "platform/code_pages.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr int kColumnCount = 5;
constexpr ListColumn kColumns[kColumnCount] = {
    {L"Name", 150, LVCFMT_LEFT}, {L"Folder", 190, LVCFMT_LEFT}, {L"Size", 80, LVCFMT_RIGHT},
    {L"Date", 104, LVCFMT_LEFT}, {L"Line", 92, LVCFMT_LEFT},
};

// The encodings offered, the viewer's own among them: the first and the last are the searches'.
struct EncodingItem {
    std::string label;
    find::TextEncodings encodings;
    unsigned codePage;
};

std::vector<EncodingItem> EncodingItems() {
    std::vector<EncodingItem> items{{"As detected", find::TextEncodings::Detected, 0}};
    for (const viewer::EncodingChoice& c : viewer::EncodingChoices(AnsiCodePage(), OemCodePage())) {
        std::string label;
        for (const char ch : c.label) {
            if (ch != '&') label += ch;
        }
        const find::TextEncodings e = c.encoding == viewer::Encoding::Utf8      ? find::TextEncodings::Utf8
                                      : c.encoding == viewer::Encoding::Utf16Le ? find::TextEncodings::Utf16Le
                                      : c.encoding == viewer::Encoding::Utf16Be ? find::TextEncodings::Utf16Be
                                                                                : find::TextEncodings::CodePage;
        items.push_back({label, e, c.codePage});
    }
    items.push_back({"All of them", find::TextEncodings::All, 0});
    return items;
}

// Local midnight starting the day, in UTC ticks.
std::int64_t DayStart(const find::Day& d) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.year);
    st.wMonth = static_cast<WORD>(d.month);
    st.wDay = static_cast<WORD>(d.day);
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return FileTimeTicks(utc);
}

[[noreturn]] void Refuse(HWND field, const std::string& text) {
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    throw std::runtime_error(text);
}

}  // namespace

std::string FoundList::Path(const FoundFile& f) const { return JoinPathRootAware(folders[f.folder], f.name); }

FindWindow::FindWindow()
    : ModalForm(L"FindFilesWindow", "Find Files", 640, 480, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) {
    auto label = [&](const char* text, int x, int y, int w) { AddControl(L"STATIC", text, SS_LEFT, x, y + 3, w, 17, -1); };
    auto edit = [&](int id, int x, int y, int w) {
        return AddControl(L"EDIT", "", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, x, y, w, 22, id);
    };
    auto box = [&](int id, const char* text, int x, int y, int w) {
        return AddControl(L"BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, x, y, w, 20, id);
    };
    // Created in tab order, each field after its label (the label's letter reaches the field).
    label("&Where:", 12, 12, 60);
    edit(IdWhere, 76, 12, 420);
    label("De&pth:", 504, 12, 44);
    edit(IdDepth, 552, 12, 76);
    label("&Names:", 12, 40, 60);
    SetWindowTextUtf8(edit(IdNames, 76, 40, 552), "*.*");
    label("&Text:", 12, 68, 60);
    edit(IdText, 76, 68, 300);
    label("&Encoding:", 384, 68, 60);
    HWND encoding = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 448, 68, 180, 200, IdEncoding);
    for (const EncodingItem& item : EncodingItems()) {
        SendMessageW(encoding, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item.label).c_str()));
    }
    SendMessageW(encoding, CB_SETCURSEL, 0, 0);
    box(IdMatchCase, "Match &case", 76, 96, 100);
    box(IdWholeWords, "Whole w&ords", 180, 96, 104);
    box(IdNotContaining, "Files not contain&ing", 288, 96, 150);
    box(IdHidden, "&Hidden and system files", 442, 96, 186);
    SendMessageW(Field(IdHidden), BM_SETCHECK, BST_CHECKED, 0);
    label("At &least:", 12, 124, 60);
    edit(IdMinSize, 76, 124, 80);
    label("At &most:", 164, 124, 56);
    edit(IdMaxSize, 224, 124, 80);
    label("&After:", 312, 124, 44);
    edit(IdAfter, 360, 124, 84);
    label("&Before:", 452, 124, 48);
    edit(IdBefore, 504, 124, 84);
    label("Da&ys back:", 12, 152, 64);
    edit(IdDays, 76, 152, 80);
    box(IdFolders, "Folde&rs too", 224, 152, 120);
    box(IdKeepOpen, "&Keep open after Go to", 360, 152, 200);
    AddControl(L"BUTTON", "&Find", WS_TABSTOP | BS_DEFPUSHBUTTON, 12, 184, 75, 25, IdFind);
    AddControl(L"BUTTON", "&Stop", WS_TABSTOP | BS_PUSHBUTTON, 95, 184, 75, 25, IdStop);
    AddControl(L"BUTTON", "&Go to", WS_TABSTOP | BS_PUSHBUTTON, 178, 184, 75, 25, IdGoTo);
    AddControl(L"BUTTON", "&View", WS_TABSTOP | BS_PUSHBUTTON, 261, 184, 75, 25, IdView);
    AddControl(L"BUTTON", "Show on the si&de", WS_TABSTOP | BS_PUSHBUTTON, 344, 184, 120, 25, IdShowOnSide);
    AddControl(L"BUTTON", "&Unreadable...", WS_TABSTOP | BS_PUSHBUTTON, 472, 184, 75, 25, IdUnreadable);
    AddControl(L"BUTTON", "Close", WS_TABSTOP | BS_PUSHBUTTON, 553, 184, 75, 25, IDCANCEL);
    list_ = AddControl(WC_LISTVIEWW, "",
                       WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                           LVS_NOSORTHEADER,
                       12, 218, 616, 226, IdList);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    AddListColumns(list_, kColumns, kColumnCount);
    status_ = AddControl(L"STATIC", "", SS_LEFT | SS_PATHELLIPSIS, 12, 452, 616, 17, IdStatus);
    SendMessageW(Handle(), DM_SETDEFID, IdFind, 0);
    DpiChanged();
}

void FindWindow::DpiChanged() {
    for (int i = 0; i < kColumnCount; ++i) {
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), MAKELPARAM(Scaled(kColumns[i].width, Dpi()), 0));
    }
}

void FindWindow::Open(HWND owner, FileFinder& finder, const std::string& folder) {
    finder_ = &finder;
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (WindowText(Field(IdWhere)).empty() || !searching_) SetWindowTextUtf8(Field(IdWhere), folder);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(Field(IdNames));
    SendMessageW(Field(IdNames), EM_SETSEL, 0, -1);
}

void FindWindow::FormActivate() { SetFocus(Field(IdNames)); }

// Where to search, and how deep. Folders separated by ";", each made full against the one shown on
// the active side.
void FindWindow::ReadWhere(FindQuery& q) {
    const std::string where = WindowText(Field(IdWhere));
    for (std::size_t from = 0; from <= where.size();) {
        std::size_t semi = where.find(';', from);
        if (semi == std::string::npos) semi = where.size();
        std::string one = where.substr(from, semi - from);
        while (!one.empty() && one.front() == ' ') one.erase(0, 1);
        while (!one.empty() && one.back() == ' ') one.pop_back();
        if (!one.empty()) {
            if (DirectoryError(one) != 0) Refuse(Field(IdWhere), "Cannot search \"" + one + "\": it is not a folder that can be read");
            q.roots.push_back(one);
        }
        from = semi + 1;
    }
    if (q.roots.empty()) Refuse(Field(IdWhere), "Type the folder to search in");
    const std::string depth = WindowText(Field(IdDepth));
    if (!depth.empty()) {
        const std::optional<std::int64_t> d = find::ParseSize(depth);
        if (!d || *d > 10000 || depth.find_first_not_of("0123456789 ") != std::string::npos) {
            Refuse(Field(IdDepth), "The depth is a number of levels below the folder (0: the folder alone), or empty for every level");
        }
        q.depth = static_cast<int>(*d);
    }
}

void FindWindow::ReadSizeAndDate(find::SizeDate& q) {
    auto size = [&](int id, std::int64_t& out) {
        const std::string text = WindowText(Field(id));
        if (text.empty()) return;
        const std::optional<std::int64_t> s = find::ParseSize(text);
        if (!s) Refuse(Field(id), "\"" + text + "\" is not a size: type bytes, or a number with k, MB or GB");
        out = *s;
    };
    size(IdMinSize, q.minSize);
    size(IdMaxSize, q.maxSize);
    auto day = [&](int id) -> std::optional<find::Day> {
        const std::string text = WindowText(Field(id));
        if (text.empty()) return std::nullopt;
        const std::optional<find::Day> d = find::ParseDay(text);
        if (!d) Refuse(Field(id), "\"" + text + "\" is not a day: type it as 2026-12-31");
        return d;
    };
    if (const auto after = day(IdAfter)) q.after = DayStart(*after);
    if (const auto before = day(IdBefore)) q.before = DayStart(*before);
    if (const std::string days = WindowText(Field(IdDays)); !days.empty()) {
        const std::optional<std::int64_t> n = find::ParseSize(days);
        if (!n || days.find_first_not_of("0123456789 ") != std::string::npos || *n > 100000) {
            Refuse(Field(IdDays), "Days back is a whole number of days");
        }
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        q.after = std::max(q.after, FileTimeTicks(now) - *n * 864000000000LL);
    }
}

void FindWindow::StartSearch() {
    if (!finder_) return;
    FindQuery q;
    q.upper = UpperCaseUnits();
    ReadWhere(q);
    q.masks = find::ParseMasks(WindowText(Field(IdNames)), q.upper);
    ReadSizeAndDate(q.sizeDate);
    auto checked = [&](int id) { return SendMessageW(Field(id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    q.hiddenSystem = checked(IdHidden);
    q.folders = checked(IdFolders);
    q.text.text = WindowText(Field(IdText));
    q.text.matchCase = checked(IdMatchCase);
    q.text.wholeWords = checked(IdWholeWords);
    q.text.notContaining = checked(IdNotContaining);
    const std::vector<EncodingItem> items = EncodingItems();
    const auto chosen = static_cast<std::size_t>(SendMessageW(Field(IdEncoding), CB_GETCURSEL, 0, 0));
    if (chosen < items.size()) {
        q.text.encodings = items[chosen].encodings;
        q.text.codePage = items[chosen].codePage;
    }
    const find::TextPlatform platform = FinderTextPlatform();
    if (!q.text.text.empty() && !find::TextSearch(q.text, platform).Valid()) {
        Refuse(Field(IdText), "The text cannot be written in the encoding chosen");
    }
    found_ = FoundList{};
    SendMessageW(list_, LVM_SETITEMCOUNT, 0, 0);
    searching_ = true;
    finder_->Start(std::move(q), platform);
    ShowStatus();
    SetFocus(list_);
}

void FindWindow::StopSearch() {
    if (!finder_ || !searching_) return;
    finder_->Stop();
    searching_ = false;
    TakeNews();
    ShowStatus();
}

void FindWindow::TakeNews() {
    if (!finder_) return;
    FindBatch b = finder_->Take();
    if (!searching_) return;  // a stopped search's last news
    const bool first = found_.files.empty();
    found_.folders.insert(found_.folders.end(), std::make_move_iterator(b.folders.begin()), std::make_move_iterator(b.folders.end()));
    found_.files.insert(found_.files.end(), std::make_move_iterator(b.found.begin()), std::make_move_iterator(b.found.end()));
    found_.unreadable.insert(found_.unreadable.end(), b.unreadable.begin(), b.unreadable.end());
    found_.counts = b.counts;
    searching_ = b.running;
    // Rows are added at the end: the list keeps its scroll and selection.
    SendMessageW(list_, LVM_SETITEMCOUNT, found_.files.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    if (first && !found_.files.empty() && Selected() < 0) {
        ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    SetWindowTextUtf8(status_, searching_ ? "Searching " + b.current : std::string());
    ShowStatus();
}

std::string FindWindow::Status() const {
    const FindCounts& c = found_.counts;
    std::string s = std::to_string(found_.files.size()) + " found in " + std::to_string(c.files) + " files and " +
                    std::to_string(c.folders) + " folders";
    if (!found_.unreadable.empty()) s += "; " + std::to_string(found_.unreadable.size()) + " folders could not be read";
    if (c.unreadableFiles) s += "; " + std::to_string(c.unreadableFiles) + " files could not be read";
    if (c.links) s += "; " + std::to_string(c.links) + " links passed over";
    if (c.notFiles) s += "; " + std::to_string(c.notFiles) + " FIFOs or devices left alone";
    if (c.unreachable) s += "; " + std::to_string(c.unreachable) + " names no path reaches, not read";
    return s + (searching_ ? "..." : ".");
}

void FindWindow::ShowStatus() {
    const std::string head = searching_ ? "Searching: " : "";
    SetWindowTextUtf8(status_, head + Status());
    SetCaption(searching_ ? "Find Files (searching)" : "Find Files");
    EnableWindow(Field(IdStop), searching_);
    EnableWindow(Field(IdUnreadable), !found_.unreadable.empty());
}

int FindWindow::Selected() const {
    const int row = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return row >= 0 && row < static_cast<int>(found_.files.size()) ? row : -1;
}

void FindWindow::Act(int id) {
    switch (id) {
        case IdFind: StartSearch(); return;
        case IdStop: StopSearch(); return;
        case IdUnreadable: {
            const std::size_t n = found_.unreadable.size();
            std::string text = std::to_string(n) + (n == 1 ? " folder" : " folders") + " could not be read:";
            for (const std::string& folder : found_.unreadable) text += "\r" + folder;
            ShowReport(Handle(), BoxKind::Information, text);
            return;
        }
        case IdShowOnSide:
            if (ShowOnSide && !found_.files.empty()) {
                StopSearch();
                ShowWindow(Handle(), SW_HIDE);
                ShowOnSide(found_, "Found: " + WindowText(Field(IdNames)) +
                                       (WindowText(Field(IdText)).empty() ? "" : " with \"" + WindowText(Field(IdText)) + "\""));
            }
            return;
        default: break;
    }
    const int row = Selected();
    if (row < 0) return;
    const FoundFile& f = found_.files[static_cast<std::size_t>(row)];
    if (id == IdGoTo && GoTo) {
        GoTo(found_.folders[f.folder], f.name);
        if (SendMessageW(Field(IdKeepOpen), BM_GETCHECK, 0, 0) != BST_CHECKED) ShowWindow(Handle(), SW_HIDE);
    } else if (id == IdView && View && !f.IsFolder()) {
        View(found_.Path(f), f);
    }
}

void FindWindow::OnCommand(int id, int code) {
    if (code != BN_CLICKED && code != 0) return;
    if (id == IDCANCEL) {
        // Escape stops a search first; a second one closes the window.
        if (searching_) {
            Guarded([&] { StopSearch(); });
        } else {
            ShowWindow(Handle(), SW_HIDE);
        }
        return;
    }
    // Enter: on a result, go there; anywhere else, find.
    if (id == IDOK || id == IdFind) id = GetFocus() == list_ ? IdGoTo : IdFind;
    Guarded([&] { Act(id); });
}

std::wstring FindWindow::Cell(int row, int column) const {
    const FoundFile& f = found_.files[static_cast<std::size_t>(row)];
    switch (column) {
        case 0: return Widen(f.IsFolder() ? "[" + f.name + "]" : f.name);
        case 1: return Widen(found_.folders[f.folder]);
        case 2: return f.IsFolder() ? std::wstring() : std::to_wstring(f.size);
        case 3: {
            FILETIME t{static_cast<DWORD>(f.date), static_cast<DWORD>(static_cast<std::uint64_t>(f.date) >> 32)};
            return Widen(DateText(LocalTimes().Of(t), UserLocaleFacts()));
        }
        default: return Widen(f.line);
    }
}

bool FindWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    (void)wp;
    switch (msg) {
        case kFinderNews:
            Guarded([&] { TakeNews(); });
            result = 0;
            return true;
        case WM_CLOSE:
            OnCommand(IDCANCEL, BN_CLICKED);
            result = 0;
            return true;
        case WM_NOTIFY: {
            const auto* nm = reinterpret_cast<const NMHDR*>(lp);
            if (nm->hwndFrom != list_) return false;
            if (nm->code == LVN_GETDISPINFOW) {
                AnswerCellText(lp, static_cast<int>(found_.files.size()), [this](int row, int column) { return Cell(row, column); },
                               cell_);
            } else if (nm->code == NM_DBLCLK) {
                Guarded([&] { Act(IdGoTo); });
            } else if (nm->code == LVN_KEYDOWN) {
                const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lp)->wVKey;
                if (key == VK_F3 || key == 'S') Guarded([&] { Act(IdView); });
            }
            result = 0;
            return true;
        }
        default: return false;
    }
}

}  // namespace bivane
