#include "platform/removal.h"

#include <set>

#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/utf.h"

namespace bivane {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

AutoCloseHandle OpenForQuery(const std::wstring& path, DWORD access, DWORD extraFlags) {
    return AutoCloseHandle(CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | extraFlags, nullptr));
}

std::wstring FinalPathOf(HANDLE h) {
    std::wstring out(512, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()), 0);
    if (n >= out.size()) {
        out.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()), 0);
    }
    out.resize(n < out.size() ? n : 0);
    return out;
}

std::wstring FinalPathOf(const std::wstring& path) {
    AutoCloseHandle h = OpenForQuery(path, 0, 0);
    return h ? FinalPathOf(h.get()) : std::wstring();
}

// Compared ignoring case and the trailing dots and spaces that some path forms drop.
bool SamePath(std::wstring a, std::wstring b) {
    for (std::wstring* s : {&a, &b}) {
        while (!s->empty() && (s->back() == L'.' || s->back() == L' ')) s->pop_back();
    }
    return !a.empty() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

thread_local std::map<std::wstring, std::wstring>* tFolders = nullptr;  // of the living batch

std::wstring FolderFinalPath(const std::wstring& folder) {
    if (!tFolders) return FinalPathOf(folder);
    const auto found = tFolders->find(folder);
    if (found != tFolders->end()) return found->second;
    return (*tFolders)[folder] = FinalPathOf(folder);
}

// Where path would be if it were no link: its folder resolved, then its own name.
std::wstring ResolvedPlace(const std::wstring& path) {
    const size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos) return {};
    std::wstring folder = FolderFinalPath(path.substr(0, cut + 1));
    if (folder.empty()) return {};
    if (folder.back() != L'\\') folder += L'\\';
    return folder + path.substr(cut + 1);
}

bool NameIsDot(const wchar_t* n) { return n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0)); }

bool IsLinkWith(const std::wstring& path, DWORD attr) {
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    const std::wstring final = FinalPathOf(path);
    if (final.empty()) return false;  // cannot be opened: nothing is reached through it either
    return !SamePath(final, ResolvedPlace(path));
}

}  // namespace

bool IsLink(const std::wstring& path) { return IsLinkWith(path, GetFileAttributesW(path.c_str())); }

bool OpenedThroughLink(HANDLE opened, const std::wstring& path) {
    const std::wstring final = FinalPathOf(opened);
    return !final.empty() && !SamePath(final, ResolvedPlace(path));
}

bool ActsOnItself(const std::wstring& path) {
    if (!IsLink(path)) return true;
    AutoCloseHandle h = OpenForQuery(path, 0, FILE_FLAG_OPEN_REPARSE_POINT);
    return h && SamePath(FinalPathOf(h.get()), ResolvedPlace(path));
}

namespace {

// Removes a link itself through a handle on the link: never a call that might follow it.
bool RemoveLinkItself(const std::wstring& path) {
    AutoCloseHandle h = OpenForQuery(path, DELETE, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!h || !SamePath(FinalPathOf(h.get()), ResolvedPlace(path))) return false;
    FILE_DISPOSITION_INFO d{TRUE};
    return SetFileInformationByHandle(h.get(), FileDispositionInfo, &d, sizeof d) != 0;
}

// Removes an empty folder. Windows refuses one marked read-only: only then is the mark taken off,
// and put back when the folder stays all the same. (Wine never needs it, and cannot put a folder's
// mark back: taking it off opens the folder's mode for good.)
bool RemoveFolder(const std::wstring& path, DWORD attr) {
    if (RemoveDirectoryW(path.c_str())) return true;
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && (attr & FILE_ATTRIBUTE_READONLY) &&
        SetFileAttributesW(path.c_str(), attr & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY))) {
        if (RemoveDirectoryW(path.c_str())) return true;
        error = GetLastError();
        SetFileAttributesW(path.c_str(), attr);
    }
    SetLastError(error);
    return false;
}

std::vector<std::wstring> ChildrenOf(const std::wstring& path) {
    std::vector<std::wstring> children;
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW((path + L"\\*").c_str(), &fd));
    if (find) {
        do {
            if (!NameIsDot(fd.cFileName)) children.push_back(path + L"\\" + fd.cFileName);
        } while (FindNextFileW(find.get(), &fd));
    }
    return children;
}

bool DeleteTree(const std::wstring& path, Leftovers& left) {
    const DWORD attr = GetFileAttributesW(path.c_str());
    if (IsLinkWith(path, attr)) {
        if (RemoveLinkItself(path)) return true;
        left.linksKept.push_back(ShownPath(path));
        return false;
    }
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        // A FIFO or device under Wine has no attributes, yet its own name can be unlinked.
        if (DeleteFileW(path.c_str())) return true;
        left.failed.push_back({ShownPath(path), GetLastError()});
        return false;
    }
    bool all = true;
    std::set<std::wstring> deleted;  // as the system said
    for (const std::wstring& child : ChildrenOf(path)) {
        if (DeleteTree(child, left)) {
            deleted.insert(child);
        } else {
            all = false;
        }
    }
    if (all && RemoveFolder(path, attr)) return true;
    const DWORD error = all ? GetLastError() : ERROR_SUCCESS;
    // Under Wine a deletion is done when the file is closed, and a refusal then is not told: what
    // is still in the folder although deleted is what the system kept.
    bool kept = false;
    for (const std::wstring& child : ChildrenOf(path)) {
        if (!deleted.count(child)) continue;
        left.failed.push_back({ShownPath(child), kKeptSilently});
        kept = true;
    }
    if (all && !kept) left.failed.push_back({ShownPath(path), error});
    return false;
}

// While the shell works, its question "delete it for good instead?" is answered No at once: the
// window that asks is the only dialog it opens with FOF_NOCONFIRMATION.
thread_local bool tShellAsked = false;
thread_local HHOOK tHook = nullptr;

LRESULT CALLBACK DeclineShellQuestion(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE) {
        wchar_t cls[16] = {};
        GetClassNameW(reinterpret_cast<HWND>(wp), cls, 16);
        if (wcscmp(cls, L"#32770") == 0) {
            tShellAsked = true;
            PostMessageW(reinterpret_cast<HWND>(wp), WM_COMMAND, IDNO, 0);
        }
    }
    return CallNextHookEx(tHook, code, wp, lp);
}

class QuestionDeclined {
public:
    QuestionDeclined() {
        tShellAsked = false;
        tHook = SetWindowsHookExW(WH_CBT, DeclineShellQuestion, nullptr, GetCurrentThreadId());
    }
    ~QuestionDeclined() {
        if (tHook) UnhookWindowsHookEx(tHook);
        tHook = nullptr;
    }
    QuestionDeclined(const QuestionDeclined&) = delete;
    QuestionDeclined& operator=(const QuestionDeclined&) = delete;
    bool Ready() const { return tHook != nullptr; }
};

}  // namespace

bool DeleteForGood(const std::wstring& path, bool folder, Leftovers& left) {
    const DWORD attr = GetFileAttributesW(path.c_str());
    const bool isFolder = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) &&
                          !(attr & FILE_ATTRIBUTE_REPARSE_POINT);
    if (isFolder && !folder) {
        left.failed.push_back({ShownPath(path), ERROR_DIRECTORY});
        return false;
    }
    return DeleteTree(path, left);
}

FolderLookupBatch::FolderLookupBatch() : outermost_(tFolders == nullptr) {
    if (outermost_) tFolders = &finalPaths_;
}

FolderLookupBatch::~FolderLookupBatch() {
    if (outermost_) tFolders = nullptr;
}

RecycleResult Recycle(const std::wstring& path) {
    // The shell copies each name into a buffer of MAX_PATH characters and reads the \\?\ form as
    // a folder; a link would go with what it points to where the system cannot move it by itself.
    const std::wstring shown = Widen(ShownPath(path));
    if (shown.size() >= MAX_PATH || !ActsOnItself(path)) return RecycleResult::Refused;
    // Only a name ending in a dot or a space needs the exact form (the plain one reaches its namesake).
    std::wstring names = path.back() == L'.' || path.back() == L' ' ? path : shown;
    names.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = names.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_SILENT;
    QuestionDeclined guard;
    if (!guard.Ready()) return RecycleResult::Refused;  // without the guard the shell might delete for good
    const int rc = SHFileOperationW(&op);
    if (tShellAsked) return RecycleResult::Refused;
    // No look for the name afterwards: under Wine a name that is gone costs a scan of the folder.
    return rc == 0 && !op.fAnyOperationsAborted ? RecycleResult::Recycled : RecycleResult::Failed;
}

std::string ResolvedDirectory(const std::string& dir) {
    const std::wstring final = FinalPathOf(ExactPath(dir));
    return final.empty() ? std::string() : ShownPath(final);
}

}  // namespace bivane
