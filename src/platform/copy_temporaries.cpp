#include "platform/copy_temporaries.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/utf.h"

namespace bivane {

namespace {
constexpr wchar_t kTempPrefix[] = L"~bvcopy";
constexpr wchar_t kTempSuffix[] = L".tmp";
}  // namespace

bool IsCopyTemporaryName(std::wstring_view name) {
    if (name.size() != 19 || name.substr(0, 7) != kTempPrefix || name.substr(15) != kTempSuffix) return false;
    for (wchar_t c : name.substr(7, 8)) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'))) return false;
    }
    return true;
}

AutoCloseHandle CreateCopyTemporary(const std::wstring& dir, std::wstring& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const unsigned tag = static_cast<unsigned>(now.QuadPart * 2654435761u) ^ (GetCurrentProcessId() << 20) ^
                             static_cast<unsigned>(attempt);
        wchar_t hex[16];
        swprintf(hex, 16, L"%08x", tag);
        name = dir + kTempPrefix + hex + kTempSuffix;
        AutoCloseHandle h(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (h || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return AutoCloseHandle();
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

void RemoveStaleTemporaries(const std::string& dir) {
    std::wstring folder = Widen(dir);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    std::vector<std::wstring> stale;
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW((folder + kTempPrefix + L"*" + kTempSuffix).c_str(), &fd));
    if (!find) return;
    do {
        const DWORD attr = fd.dwFileAttributes;
        if ((attr & FILE_ATTRIBUTE_HIDDEN) && !(attr & FILE_ATTRIBUTE_DIRECTORY) && IsCopyTemporaryName(fd.cFileName)) {
            stale.push_back(folder + fd.cFileName);
        }
    } while (FindNextFileW(find.get(), &fd));
    find.reset();
    for (const std::wstring& path : stale) DeleteFileW(path.c_str());  // fails for one still in use
}

}  // namespace bivane
