// A stand-in for the programs Bivane starts (the viewer, double-clicked programs, typed command
// lines). It appends what it was started with to the file named by BIVANE_RECORD, or to
// recorder.log next to itself, and ends at once.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring OutputPath() {
    wchar_t buf[MAX_PATH * 2] = {};
    if (GetEnvironmentVariableW(L"BIVANE_RECORD", buf, MAX_PATH * 2) > 0) return buf;
    GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    std::wstring path = buf;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"recorder.log";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t dir[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, dir);
    wchar_t exe[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH * 2);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    // One record: four lines, then an empty line.
    std::string record = "cmd=" + Utf8(GetCommandLineW()) + "\r\n" + "dir=" + Utf8(dir) + "\r\n" +
                         "exe=" + Utf8(exe) + "\r\n" + "flags=" + std::to_string(si.dwFlags) +
                         " show=" + std::to_string(si.wShowWindow) + "\r\n\r\n";
    HANDLE f = CreateFileW(OutputPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(f, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(f);
    return 0;
}
