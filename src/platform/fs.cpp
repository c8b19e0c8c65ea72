#include "platform/fs.h"

#include <cctype>


#include "core/errors.h"
#include "platform/handles.h"
#include "platform/utf.h"

namespace bivane {

std::string GetCurrentDir() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring w(n, L'\0');
    n = GetCurrentDirectoryW(n, w.data());
    w.resize(n);
    return Narrow(w);
}

namespace {
// The process keeps its current directory in a buffer of MAX_PATH characters, the last two for the
// trailing backslash and the NUL. Windows refuses a longer one unless long paths are switched on
// for the whole system; Wine takes it and overruns that buffer, which breaks the process later.
// So the limit is kept here, the same on both.
bool SetCurrentDir(const std::string& dir) {
    const std::wstring w = Widen(dir);
    const size_t length = !w.empty() && w.back() == L'\\' ? w.size() - 1 : w.size();
    if (length > MAX_PATH - 2) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return SetCurrentDirectoryW(w.c_str()) != 0;
}
}  // namespace

void ChangeDir(const std::string& dir) {
    if (!SetCurrentDir(dir)) throw IoError(static_cast<int>(GetLastError()));
}

bool TryChangeDir(const std::string& dir) { return SetCurrentDir(dir); }

std::string ExpandPath(const std::string& path) {
    const std::wstring w = Widen(path);
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, out.data(), nullptr);
    out.resize(n);
    return Narrow(out);
}

std::string FullDirectory(const std::string& path, const std::string& base) {
    std::string full;
    if (RootLength(path) >= 3 || path.rfind("\\\\", 0) == 0) {
        full = path;
    } else if (HasDriveLetter(path) && !(HasDriveLetter(base) && std::toupper(static_cast<unsigned char>(path[0])) ==
                                                                   std::toupper(static_cast<unsigned char>(base[0])))) {
        full = path;  // another drive: its own current directory
    } else {
        const std::string rest = HasDriveLetter(path) ? path.substr(2) : path;
        if (rest.empty()) {
            full = base;
        } else if (rest[0] == '\\') {
            std::string root = base.substr(0, RootLength(base));
            if (!root.empty() && root.back() == '\\') root.pop_back();
            full = root + rest;
        } else {
            full = JoinPathRootAware(base, rest);
        }
    }
    full = ExpandPath(full);
    if (full.size() > RootLength(full) && full.back() == '\\') full.pop_back();
    return full;
}

DWORD DirectoryError(const std::string& dir) {
    const DWORD attributes = GetFileAttributesW(ExactPath(dir).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? 0 : ERROR_DIRECTORY;
}

void RequireDirectory(const std::string& dir) {
    if (const DWORD code = DirectoryError(dir)) throw IoError(static_cast<int>(code));
}

std::wstring ExactPath(const std::string& path) {
    if (path.rfind("\\\\", 0) == 0) return Widen(path);
    const size_t cut = path.find_last_of('\\');
    std::string folder;
    if (cut == std::string::npos) {
        folder = HasDriveLetter(path) ? path.substr(0, 2) : ".";  // "C:name" is relative to C:'s folder
    } else {
        folder = cut == 2 && HasDriveLetter(path) ? path.substr(0, 3) : path.substr(0, cut);
        if (folder.empty()) folder = "\\";
    }
    const size_t nameStart = cut == std::string::npos ? (folder == "." ? 0 : 2) : cut + 1;
    std::string full = ExpandPath(folder);
    if (full.empty() || full.back() != '\\') full += '\\';
    return L"\\\\?\\" + Widen(full + path.substr(nameStart));
}

std::wstring EntryPath(const std::string& dir, const std::string& name) {
    return ExactPath(JoinPathRootAware(dir, name));
}

std::string ShownPath(const std::wstring& exact) {
    return Narrow(exact.rfind(L"\\\\?\\", 0) == 0 ? std::wstring_view(exact).substr(4) : std::wstring_view(exact));
}

std::int64_t DriveFreeBytes(const std::string& root) {
    std::string r = root.substr(0, 2);
    if (r.size() == 2 && HasDriveLetter(r)) r += "\\";
    ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
    if (!GetDiskFreeSpaceExW(Widen(r).c_str(), &freeToCaller, &total, &totalFree)) return -1;
    return static_cast<std::int64_t>(freeToCaller.QuadPart);
}

std::wstring ExactFolder(const std::string& dir) {
    std::wstring path = ExactPath(JoinPathRootAware(dir, "x"));
    path.pop_back();
    return path;
}

std::int64_t FolderFreeBytes(const std::string& folder) {
    const std::wstring path = ExactFolder(folder);  // ending in "\\", as the call wants it
    ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
    if (!GetDiskFreeSpaceExW(path.c_str(), &freeToCaller, &total, &totalFree)) return DriveFreeBytes(folder);
    return static_cast<std::int64_t>(freeToCaller.QuadPart);
}

bool IsLinkAt(const std::wstring& path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    // The tag comes only with a listing of the name; none found is taken as a link.
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW(path.c_str(), &fd));
    return !find || IsLink(fd.dwFileAttributes, fd.dwReserved0);
}

DiskKind KindNow(const std::wstring& path) {
    const DWORD attr = GetFileAttributesW(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES) {
        if (IsLinkAt(path, attr)) return DiskKind::Link;
        return (attr & FILE_ATTRIBUTE_DIRECTORY) ? DiskKind::Directory : DiskKind::File;
    }
    return StoredNameAt(path).empty() ? DiskKind::Missing : DiskKind::Unknown;
}

std::string StoredNameAt(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    AutoFindHandle find(FindFirstFileW(path.c_str(), &fd));
    return find ? Narrow(fd.cFileName) : std::string();
}

bool FolderTellsCaseApart(const std::string& dir) {
#ifndef FILE_CS_FLAG_CASE_SENSITIVE_DIR
    constexpr DWORD FILE_CS_FLAG_CASE_SENSITIVE_DIR = 1;
#endif
    AutoCloseHandle h(CreateFileW(ExactPath(dir).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILE_CASE_SENSITIVE_INFO info{};
    return h && GetFileInformationByHandleEx(h.get(), FileCaseSensitiveInfo, &info, sizeof info) &&
           (info.Flags & FILE_CS_FLAG_CASE_SENSITIVE_DIR);
}

std::wstring FoldedName(const std::wstring& name) {
    std::wstring folded = name;
    if (!folded.empty()) CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

bool RenameLetterCase(const std::wstring& from, const std::wstring& to) {
    const size_t slash = from.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    wchar_t unique[16];
    swprintf(unique, 16, L"%08lx", static_cast<unsigned long>(GetTickCount() ^ GetCurrentProcessId()));
    const std::wstring temporary = from.substr(0, slash + 1) + L"~bvname" + unique + L".tmp";
    // A folder that tells case apart may hold both spellings: the other one is not ours to take.
    const size_t toSlash = to.find_last_of(L'\\');
    if (StoredNameAt(to) == Narrow(to.substr(toSlash == std::wstring::npos ? 0 : toSlash + 1))) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    if (!MoveFileExW(from.c_str(), temporary.c_str(), 0)) return false;
    if (MoveFileExW(temporary.c_str(), to.c_str(), 0)) return true;
    const DWORD error = GetLastError();
    MoveFileExW(temporary.c_str(), from.c_str(), 0);
    SetLastError(error);
    return false;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::int64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA d{};
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &d)) return -1;
    return (static_cast<std::int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

DirectoryReader::DirectoryReader(const std::string& dir) : scan_(Widen(dir)) {}

bool DirectoryReader::Next(FoundEntry& out) {
    if (!scan_.Next()) return false;
    out = FoundEntry{scan_.Name(), scan_.Attributes(), scan_.Size(), scan_.LastWrite(), scan_.ReparseTag()};
    return true;
}

LocalTimes::LocalTimes() {
    FILETIME utc{};
    GetSystemTimeAsFileTime(&utc);
    FILETIME local{};
    if (!FileTimeToLocalFileTime(&utc, &local)) return;
    bias_ = FileTimeTicks(local) - FileTimeTicks(utc);
}

LocalTime LocalTimes::Of(const FILETIME& utc) const {
    const auto ticks = static_cast<std::uint64_t>(FileTimeTicks(utc) + bias_);
    const FILETIME local{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME st{};
    FileTimeToSystemTime(&local, &st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute};
}

namespace {
std::string LocaleString(LCTYPE type, const char* fallback) {
    wchar_t buf[16] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 16) <= 1) return fallback;
    return Narrow(buf);
}
}  // namespace

LocaleFacts UserLocaleFacts() {
    LocaleFacts f;
    f.dateSep = LocaleString(LOCALE_SDATE, "/");
    f.timeSep = LocaleString(LOCALE_STIME, ":");
    f.decimalSep = LocaleString(LOCALE_SDECIMAL, ".");
    return f;
}

}  // namespace bivane
