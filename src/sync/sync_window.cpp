#include "sync/sync_window.h"

#include <commctrl.h>

#include <cctype>
#include <exception>

#include "controls/controls.h"
#include "core/dpi.h"
#include "core/errors.h"
#include "core/wtf8.h"
#include "find/find_rules.h"
#include "panes/entry_rules.h"
#include "platform/code_pages.h"
#include "platform/fs.h"
#include "platform/identity.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"

namespace bivane {

using sync::Action;
using sync::Line;

namespace {

constexpr int kColumnCount = 7;
// Widths at 96 DPI. They add up to the list's inside less a vertical scroll bar: every column shows
// at the window's first (and only) size.
constexpr ListColumn kColumns[kColumnCount] = {
    {L"Name", 170, LVCFMT_LEFT},  {L"Left size", 66, LVCFMT_RIGHT},  {L"Left date", 104, LVCFMT_LEFT},
    {L"Relation", 88, LVCFMT_LEFT}, {L"Action", 72, LVCFMT_LEFT}, {L"Right size", 66, LVCFMT_RIGHT},
    {L"Right date", 104, LVCFMT_LEFT},
};

const char* const kModes[] = {"Mirror left to right", "Update the right", "Both ways", "Mirror right to left",
                              "Update the left"};
const char* const kShows[] = {"All", "Differences", "Only left", "Only right", "Equal"};

std::string DateOf(std::int64_t ticks) {
    const FILETIME t{static_cast<DWORD>(ticks), static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32)};
    return DateText(LocalTimes().Of(t), UserLocaleFacts());
}

std::string SideSize(const sync::Side& s) {
    switch (s.kind) {
        case sync::Kind::None: return "";
        case sync::Kind::Folder: return s.unreadable ? "<unreadable>" : "<DIR>";
        case sync::Kind::Link: return "<link>";
        case sync::Kind::Other: return "<not a file>";
        default: return std::to_string(s.size);
    }
}

int Choice(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

char Drive(const std::string& path) {
    return path.size() > 1 && path[1] == ':' ? static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))) : 0;
}

}  // namespace

SyncPreview::SyncPreview() : ModalForm(L"SyncPreview", "Synchronize: what will be done", 520, 360) {
    AddControl(L"EDIT", "", WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 12, 12,
               496, 300, IdText);
    AddControl(L"BUTTON", "&Apply", WS_TABSTOP | BS_DEFPUSHBUTTON, 352, 324, 75, 25, IdApply);
    AddControl(L"BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 433, 324, 75, 25, IDCANCEL);
}

void SyncPreview::SetText(const std::string& text) { SetWindowTextUtf8(GetDlgItem(Handle(), IdText), text); }

void SyncPreview::FormActivate() { SetFocus(GetDlgItem(Handle(), IdApply)); }

void SyncPreview::OnCommand(int id, int code) {
    if (code != BN_CLICKED && code != 0) return;
    if (id == IdApply || id == IDOK) EndModal(IdApply);
    if (id == IDCANCEL) EndModal(IDCANCEL);
}

SyncWindow::SyncWindow()
    : ModalForm(L"SynchronizeWindow", "Synchronize", 720, 500, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX) {
    auto label = [&](const char* text, int x, int y, int w) { AddControl(L"STATIC", text, SS_LEFT, x, y + 3, w, 17, -1); };
    auto edit = [&](int id, int x, int y, int w) {
        return AddControl(L"EDIT", "", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, x, y, w, 22, id);
    };
    auto box = [&](int id, const char* text, int x, int y, int w, bool on) {
        HWND b = AddControl(L"BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, x, y, w, 20, id);
        if (on) SendMessageW(b, BM_SETCHECK, BST_CHECKED, 0);
    };
    auto combo = [&](int id, int x, int y, int w, const char* const* items, int n) {
        HWND c = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, x, y, w, 200, id);
        for (int i = 0; i < n; ++i) SendMessageW(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(items[i]).c_str()));
        SendMessageW(c, CB_SETCURSEL, 0, 0);
    };
    label("&Left:", 12, 12, 44);
    edit(IdLeft, 60, 12, 648);
    label("&Right:", 12, 40, 44);
    edit(IdRight, 60, 40, 648);
    box(IdWhole, "&Whole trees", 60, 68, 110, true);
    box(IdContent, "By &content", 176, 68, 110, false);
    box(IdHours, "Ignore whole &hours", 292, 68, 150, false);
    box(IdRecycle, "Deletions to the recycle &bin", 448, 68, 200, true);
    label("&Mode:", 12, 96, 44);
    combo(IdMode, 60, 96, 170, kModes, 5);
    label("Sh&ow:", 240, 96, 40);
    combo(IdShow, 284, 96, 110, kShows, 5);
    label("&Names:", 404, 96, 48);
    SetWindowTextUtf8(edit(IdNames, 456, 96, 120), "*.*");
    box(IdVerify, "&Verify copies", 588, 96, 120, false);
    AddControl(L"BUTTON", "Com&pare", WS_TABSTOP | BS_DEFPUSHBUTTON, 12, 128, 80, 25, IdCompare);
    AddControl(L"BUTTON", "&Stop", WS_TABSTOP | BS_PUSHBUTTON, 100, 128, 80, 25, IdStop);
    AddControl(L"BUTTON", "&Apply...", WS_TABSTOP | BS_PUSHBUTTON, 188, 128, 80, 25, IdApply);
    AddControl(L"STATIC", "Right/Left: copy that way; L/R: delete there; Space: leave; Enter: open",
               SS_LEFT, 276, 132, 350, 17, -1);
    AddControl(L"BUTTON", "Close", WS_TABSTOP | BS_PUSHBUTTON, 633, 128, 75, 25, IDCANCEL);
    list_ = AddControl(WC_LISTVIEWW, "",
                       WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER, 12, 162,
                       696, 306, IdList);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP,
                 LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    AddListColumns(list_, kColumns, kColumnCount);
    SetWindowSubclass(list_, ListKeys, 1, reinterpret_cast<DWORD_PTR>(this));
    status_ = AddControl(L"STATIC", "", SS_LEFT | SS_PATHELLIPSIS, 12, 476, 696, 17, IdStatus);
    SendMessageW(Handle(), DM_SETDEFID, IdCompare, 0);
    DpiChanged();
}

void SyncWindow::DpiChanged() {
    for (int i = 0; i < kColumnCount; ++i) {
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), MAKELPARAM(Scaled(kColumns[i].width, Dpi()), 0));
    }
}

void SyncWindow::Open(HWND owner, TreeComparer& comparer, const std::string& left, const std::string& right) {
    comparer_ = &comparer;
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (!comparing_) {
        SetWindowTextUtf8(Field(IdLeft), left);
        SetWindowTextUtf8(Field(IdRight), right);
        // Copies to another drive are read back unless the user says otherwise.
        SendMessageW(Field(IdVerify), BM_SETCHECK, Drive(left) != Drive(right) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(lines_.empty() ? Field(IdCompare) : list_);
}

void SyncWindow::FormActivate() { SetFocus(lines_.empty() ? Field(IdCompare) : list_); }

void SyncWindow::StartCompare() {
    if (!comparer_) return;
    TreeQuery q;
    q.left = WindowText(Field(IdLeft));
    q.right = WindowText(Field(IdRight));
    for (const auto& [folder, id] : {std::pair{q.left, IdLeft}, std::pair{q.right, IdRight}}) {
        if (DirectoryError(folder) != 0) {
            SetFocus(Field(id));
            throw std::runtime_error("Cannot compare \"" + folder + "\": it is not a folder that can be read");
        }
    }
    if (FoldersOverlap(q.left, q.right)) {
        throw std::runtime_error("The two folders lie one in the other: choose two folders apart");
    }
    auto checked = [&](int id) { return SendMessageW(Field(id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    q.wholeTrees = checked(IdWhole);
    q.options.byContent = checked(IdContent);
    q.options.ignoreHours = checked(IdHours);
    q.caseApart = FolderTellsCaseApart(q.left) && FolderTellsCaseApart(q.right);
    q.upper = UpperCaseUnits();
    left_ = q.left;
    right_ = q.right;
    lines_.clear();
    shown_.clear();
    totals_.clear();
    failure_.clear();
    SendMessageW(list_, LVM_SETITEMCOUNT, 0, 0);
    comparing_ = true;
    comparer_->Start(std::move(q));
    ShowStatus();
}

void SyncWindow::StopCompare() {
    if (!comparer_ || !comparing_) return;
    comparer_->Stop();
    comparing_ = false;
    failure_ = "Stopped: nothing is listed.";
    ShowStatus();
}

void SyncWindow::TakeNews() {
    if (!comparer_ || !comparing_) return;
    std::unique_ptr<TreeResult> r = comparer_->Take();
    if (!r) return ShowStatus();
    comparing_ = false;
    failure_ = r->failure;
    lines_ = std::move(r->lines);
    totals_.clear();
    for (const sync::FolderTotal& t : sync::OneSidedTotals(lines_)) totals_[t.line] = t;
    sync::ApplyMode(lines_, static_cast<sync::Mode>(std::max(0, Choice(Field(IdMode)))));
    ShowLines();
    if (!shown_.empty()) Select(0);
    SetFocus(list_);
}

namespace {

// The filter's choice and the name test as the fields say, handed to use.
template <typename Use>
auto WithFilter(HWND show, HWND names, Use use) {
    const find::UpperTable upper = UpperCaseUnits();
    const find::NameMasks masks = find::ParseMasks(WindowText(names), upper);
    const bool all = masks.take.empty() && masks.leave.empty();
    return use(static_cast<sync::Show>(std::max(0, Choice(show))),
               all ? std::function<bool(const std::u16string&)>() : [&](const std::u16string& n) { return masks.Matches(n, upper); });
}

}  // namespace

sync::Preview SyncWindow::HiddenActions() const {
    return WithFilter(Field(IdShow), Field(IdNames), [&](sync::Show show, const std::function<bool(const std::u16string&)>& names) {
        return sync::HiddenActions(lines_, show, names);
    });
}

void SyncWindow::ShowLines() {
    shown_ = WithFilter(Field(IdShow), Field(IdNames), [&](sync::Show show, const std::function<bool(const std::u16string&)>& names) {
        return sync::VisibleLines(lines_, show, names);
    });
    SendMessageW(list_, LVM_SETITEMCOUNT, shown_.size(), LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, FALSE);
    ShowStatus();
}

std::string SyncWindow::Status() const {
    if (comparing_) {
        const TreeProgress p = comparer_ ? comparer_->Progress() : TreeProgress{};
        std::string s = "Comparing: " + std::to_string(p.folders) + " folders, " + std::to_string(p.names) + " names";
        if (p.contentBytes > 0) s += ", bytes " + std::to_string(p.contentDone * 100 / p.contentBytes) + "%";
        return s + " " + p.current;
    }
    if (!failure_.empty()) return failure_;
    if (lines_.empty() && left_.empty()) return "Press Compare.";
    const sync::Preview p = sync::MakePreview(lines_);
    std::int64_t differences = 0;
    for (const Line& l : lines_) {
        if (l.relation != sync::Relation::Equal && l.relation != sync::Relation::EqualOtherDate) ++differences;
    }
    std::string s = std::to_string(lines_.size()) + " lines, " + std::to_string(differences) + " differ; " +
                    std::to_string(shown_.size()) + " shown";
    if (p.errors) s += "; " + std::to_string(p.errors) + (p.errors == 1 ? " error" : " errors");
    if (p.conflicts) s += "; " + std::to_string(p.conflicts) + (p.conflicts == 1 ? " conflict" : " conflicts");
    return s + ".";
}

void SyncWindow::ShowStatus() {
    SetWindowTextUtf8(status_, Status());
    SetCaption(comparing_ ? "Synchronize (comparing)" : "Synchronize");
    EnableWindow(Field(IdStop), comparing_);
    EnableWindow(Field(IdApply), !comparing_ && !lines_.empty());
}

void SyncWindow::Select(int row) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list_, row, FALSE);
}

bool SyncWindow::SetSelectedAction(Action a) {
    bool any = false;
    for (int row = -1; (row = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;) {
        if (static_cast<std::size_t>(row) < shown_.size()) any = sync::SetAction(lines_, shown_[static_cast<std::size_t>(row)], a) || any;
    }
    if (!any) MessageBeep(MB_ICONWARNING);
    InvalidateRect(list_, nullptr, FALSE);
    ShowStatus();
    return any;
}

void SyncWindow::ToggleFolder(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) return;
    Line& l = lines_[shown_[static_cast<std::size_t>(row)]];
    if (!l.IsFolder() || (l.left.There() && l.right.There())) return;
    l.open = !l.open;
    ShowLines();
    Select(row);
}

void SyncWindow::PreviewAndApply() {
    if (comparing_ || lines_.empty()) return;
    const bool recycle = SendMessageW(Field(IdRecycle), BM_GETCHECK, 0, 0) == BST_CHECKED;
    const sync::Preview p = sync::MakePreview(lines_);
    if (!preview_) preview_ = std::make_unique<SyncPreview>();
    preview_->SetText("Left: " + left_ + "\r\nRight: " + right_ + "\r\n\r\n" + sync::HiddenText(HiddenActions()) +
                      sync::PreviewText(p, lines_, recycle));
    if (preview_->ShowModal(Handle()) != SyncPreview::IdApply || p.Empty() || !Apply) return;
    if (const std::vector<sync::Sweep> sweeps = sync::LargeSweeps(lines_);
        !sweeps.empty() && ShowBox(Handle(), BoxKind::Warning, sync::SweepsText(sweeps), BoxButtons::YesNoDefaultNo) != IDYES) {
        return;
    }
    SyncPlan plan{left_, right_, lines_, recycle, SendMessageW(Field(IdVerify), BM_GETCHECK, 0, 0) == BST_CHECKED};
    ShowWindow(Handle(), SW_HIDE);
    Apply(plan);
}

void SyncWindow::OnCommand(int id, int code) {
    if ((id == IdMode || id == IdShow) && code == CBN_SELCHANGE) {
        Guarded([&] {
            if (id == IdMode) sync::ApplyMode(lines_, static_cast<sync::Mode>(std::max(0, Choice(Field(IdMode)))));
            ShowLines();
        });
        return;
    }
    if (id == IdNames && code == EN_CHANGE) {
        Guarded([&] { ShowLines(); });
        return;
    }
    if (code != BN_CLICKED && code != 0) return;
    if (id == IDCANCEL) {
        if (comparing_) {
            Guarded([&] { StopCompare(); });
        } else {
            ShowWindow(Handle(), SW_HIDE);
        }
        return;
    }
    // Enter (the default button's id, or IDOK): on a line, open or close its folder; anywhere else, compare.
    if (id == IDOK || id == IdCompare) id = GetFocus() == list_ ? -1 : IdCompare;
    Guarded([&] {
        switch (id) {
            case -1: ToggleFolder(static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED))); break;
            case IdCompare: StartCompare(); break;
            case IdStop: StopCompare(); break;
            case IdApply: PreviewAndApply(); break;
            default: break;
        }
    });
}

std::string SyncWindow::Cell(int row, int column) const {
    const std::uint32_t i = shown_[static_cast<std::size_t>(row)];
    const Line& l = lines_[i];
    switch (column) {
        case 0: {
            std::string indent(static_cast<std::size_t>(l.depth) * 2, ' ');
            const bool oneSided = l.IsFolder() && (!l.left.There() || !l.right.There());
            const std::string mark = !l.IsFolder() ? "" : oneSided ? (l.open ? "- " : "+ ") : "";
            std::string name = Utf16ToWtf8(l.name);
            if (!l.rightName.empty()) name += " | " + Utf16ToWtf8(l.rightName);
            if (!oneSided) return indent + mark + (l.IsFolder() ? "[" + name + "]" : name);
            const auto t = totals_.find(i);
            const std::int64_t files = t == totals_.end() ? 0 : t->second.files, bytes = t == totals_.end() ? 0 : t->second.bytes;
            return indent + mark + "[" + name + "] (" + std::to_string(files) + (files == 1 ? " file, " : " files, ") +
                   std::to_string(bytes) + (bytes == 1 ? " byte)" : " bytes)");
        }
        case 1: return SideSize(l.left);
        case 2: return l.left.kind == sync::Kind::File ? DateOf(l.left.date) : "";
        case 3: return sync::RelationText(l.relation);
        case 4: return sync::ActionText(l.action);
        case 5: return SideSize(l.right);
        default: return l.right.kind == sync::Kind::File ? DateOf(l.right.date) : "";
    }
}

void SyncWindow::ListMenu() {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    const Action actions[] = {Action::CopyRight, Action::CopyLeft, Action::DeleteLeft, Action::DeleteRight, Action::Leave};
    const char* const texts[] = {"Copy to the right\tRight", "Copy to the left\tLeft", "Delete on the left\tL",
                                 "Delete on the right\tR", "Leave alone\tSpace"};
    for (int i = 0; i < 5; ++i) AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), Widen(texts[i]).c_str());
    POINT at{};
    GetCursorPos(&at);
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
    DestroyMenu(menu);
    if (chosen > 0) SetSelectedAction(actions[chosen - 1]);
}

LRESULT CALLBACK SyncWindow::ListKeys(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<SyncWindow*>(data);
    if (msg == WM_KEYDOWN && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        const Action none = static_cast<Action>(255);
        const Action a = wp == VK_RIGHT ? Action::CopyRight
                         : wp == VK_LEFT ? Action::CopyLeft
                         : wp == 'L'     ? Action::DeleteLeft
                         : wp == 'R'     ? Action::DeleteRight
                         : wp == VK_SPACE ? Action::Leave
                                          : none;
        if (a != none) {
            self->Guarded([&] { self->SetSelectedAction(a); });
            return 0;
        }
    }
    if (msg == WM_CHAR && (wp == L' ' || wp == L'l' || wp == L'L' || wp == L'r' || wp == L'R')) return 0;  // no search by letter
    return DefSubclassProc(h, msg, wp, lp);
}

bool SyncWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    (void)wp;
    switch (msg) {
        case kComparerNews:
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
                AnswerCellText(lp, static_cast<int>(shown_.size()), [this](int row, int column) { return Widen(Cell(row, column)); },
                               cell_);
            } else if (nm->code == NM_DBLCLK) {
                Guarded([&] { ToggleFolder(reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem); });
            } else if (nm->code == NM_RCLICK) {
                Guarded([&] { ListMenu(); });
            }
            result = 0;
            return true;
        }
        default: return false;
    }
}

}  // namespace bivane
