// Unix commands from a test under Wine, which starts Unix programs through CreateProcess directly.
#pragma once
#include <cstdlib>
#include <string>

#include "platform/handles.h"
#include "platform/utf.h"
#include "platform/win.h"

namespace bivane::test {

// The host path of a Windows path (Wine's own export); empty when not under Wine.
inline std::string UnixPath(const std::string& path);

// Runs command with /bin/sh -c and waits for it; returns its exit code, -1 if it did not finish.
// Wine hands back no waitable handle for a Unix process, so the command leaves its exit code in
// a file that is polled for.
inline int RunShell(const std::string& command) {
    static int counter = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string marker = Narrow(temp) + "bvsh" + std::to_string(GetCurrentProcessId()) + "_" +
                               std::to_string(counter++) + ".rc";
    DeleteFileW(Widen(marker).c_str());
    const std::string unixMarker = UnixPath(marker);
    std::wstring line = L"/bin/sh -c \"" + Widen(command) + L"; echo $? > '" + Widen(unixMarker) + L"'\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"/bin/sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return -1;
    }
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    for (int waited = 0; waited < 120000; waited += 20) {
        AutoCloseHandle f(CreateFileW(Widen(marker).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
        char buf[16] = {};
        DWORD n = 0;
        if (f && ReadFile(f.get(), buf, sizeof buf - 1, &n, nullptr) && n > 0 && buf[n - 1] == '\n') {
            f.reset();
            DeleteFileW(Widen(marker).c_str());
            return std::atoi(buf);
        }
        Sleep(20);
    }
    return -1;
}

inline std::string UnixPath(const std::string& path) {
    using Fn = char*(CDECL*)(const wchar_t*);
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!fn) return {};
    char* p = fn(Widen(path).c_str());
    std::string out = p ? p : "";
    HeapFree(GetProcessHeap(), 0, p);
    return out;
}

}  // namespace bivane::test
