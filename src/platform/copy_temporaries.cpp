#include "platform/copy_temporaries.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/utf.h"

namespace bivane {

namespace {
constexpr wchar_t kTempPrefix[] = L"~bvcopy";
constexpr wchar_t kTempSuffix[] = L".tmp";
constexpr wchar_t kStagingSuffix[] = L".dir";

bool HasCopyPattern(std::wstring_view name, std::wstring_view suffix) {
    if (name.size() != 19 || name.substr(0, 7) != kTempPrefix || name.substr(15) != suffix) return false;
    for (wchar_t c : name.substr(7, 8)) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}

// dir + the prefix + 8 fresh hex digits + suffix, for the attempt'th try.
std::wstring FreshName(const std::wstring& dir, const wchar_t* suffix, int attempt) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const unsigned tag = static_cast<unsigned>(now.QuadPart * 2654435761u) ^ (GetCurrentProcessId() << 20) ^
                         static_cast<unsigned>(attempt);
    wchar_t hex[16];
    swprintf(hex, 16, L"%08x", tag);
    return dir + kTempPrefix + hex + suffix;
}
}  // namespace

bool IsCopyTemporaryName(std::wstring_view name) {
    return HasCopyPattern(name, kTempSuffix) || HasCopyPattern(name, kStagingSuffix);
}

AutoCloseHandle CreateCopyTemporary(const std::wstring& dir, std::wstring& name, bool hidden) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = FreshName(dir, kTempSuffix, attempt);
        AutoCloseHandle h(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                      hidden ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return AutoCloseHandle();
}

CopyStaging::CopyStaging(const std::wstring& targetDir) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring dir = FreshName(targetDir, kStagingSuffix, attempt);
        if (!CreateDirectoryW(dir.c_str(), nullptr)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return;
        }
        SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
        held_.reset(CreateFileW(dir.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!held_) {
            RemoveDirectoryW(dir.c_str());
            return;
        }
        dir_ = dir + L"\\";
        return;
    }
}

CopyStaging::~CopyStaging() {
    if (dir_.empty()) return;
    held_.reset();
    RemoveDirectoryW(dir_.c_str());  // fails, and leaves it, if a temporary is still there
}

bool MoveOpenTemporary(HANDLE temporary, const std::wstring& target, bool replace) {
    // The system takes the name as a native path: "\\?\C:\..." is "\??\C:\...", "\\server\..." is
    // "\??\UNC\server\...".
    std::wstring native;
    if (target.rfind(L"\\\\?\\", 0) == 0) {
        native = L"\\??\\" + target.substr(4);
    } else if (target.rfind(L"\\\\", 0) == 0) {
        native = L"\\??\\UNC\\" + target.substr(2);
    } else {
        native = L"\\??\\" + target;
    }
    const size_t bytes = native.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::copy(native.begin(), native.end(), info->FileName);
    return SetFileInformationByHandle(temporary, FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
}

namespace {
void RemoveStale(const std::string& dir, bool staging) {
    std::wstring folder = Widen(dir);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> staleFiles, staleFolders;
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW((folder + kTempPrefix + L"*").c_str(), &fd));
    if (!find) return;
    do {
        const DWORD attr = fd.dwFileAttributes;
        if (!(attr & FILE_ATTRIBUTE_HIDDEN) && !(staging && !(attr & FILE_ATTRIBUTE_DIRECTORY))) continue;
        if (!(attr & FILE_ATTRIBUTE_DIRECTORY) && HasCopyPattern(fd.cFileName, kTempSuffix)) {
            staleFiles.push_back(folder + fd.cFileName);
        } else if ((attr & FILE_ATTRIBUTE_DIRECTORY) && HasCopyPattern(fd.cFileName, kStagingSuffix)) {
            staleFolders.push_back(folder + fd.cFileName);
        }
    } while (FindNextFileW(find.get(), &fd));
    find.reset();
    for (const std::wstring& path : staleFiles) DeleteFileW(path.c_str());  // fails for one still in use
    for (const std::wstring& path : staleFolders) {
        // A running copy holds its folder: neither its temporary nor the folder goes.
        if (!staging) RemoveStale(Narrow(path), true);
        RemoveDirectoryW(path.c_str());  // fails when in use or when anything else is inside
    }
}
}  // namespace

void RemoveStaleTemporaries(const std::string& dir) { RemoveStale(dir, false); }

}  // namespace bivane
