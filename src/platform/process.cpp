#include "platform/process.h"

#include "core/paths.h"

#include <shellapi.h>

#include <vector>

#include "platform/handles.h"
#include "platform/utf.h"

namespace bivane {

bool StartProcess(const std::string& commandLine, DWORD startFlags, WORD show, DWORD creationFlags,
                  DWORD waitMs) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = startFlags;
    si.wShowWindow = show;
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring wide = Widen(commandLine);
    std::vector<wchar_t> line(wide.begin(), wide.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr,
                        &si, &pi)) {
        return false;
    }
    const AutoKernelHandle process(pi.hProcess);
    const AutoKernelHandle thread(pi.hThread);
    if (waitMs > 0) WaitForSingleObject(process.get(), waitMs);
    return true;
}

bool StartProgram(const std::string& path, WORD show) {
    // Quoted, so a path with spaces names this program and nothing after it becomes an argument.
    return StartProcess("\"" + path + "\"", STARTF_USESHOWWINDOW, show, 0, 0);
}

namespace {
const wchar_t kNoCurrentDir[] = L"NoDefaultCurrentDirectoryInExePath";
}  // namespace

CurrentDirNotSearched::CurrentDirNotSearched() {
    const DWORD n = GetEnvironmentVariableW(kNoCurrentDir, nullptr, 0);
    wasSet_ = n > 0;
    if (wasSet_) {
        was_.resize(n);
        was_.resize(GetEnvironmentVariableW(kNoCurrentDir, was_.data(), n));
    }
    SetEnvironmentVariableW(kNoCurrentDir, L"1");
}

CurrentDirNotSearched::~CurrentDirNotSearched() {
    SetEnvironmentVariableW(kNoCurrentDir, wasSet_ ? was_.c_str() : nullptr);
}

std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return DirectoryPart(Narrow(path));
}

bool ShellOpen(HWND owner, const std::string& path, const std::string& directory, int show) {
    const std::wstring file = Widen(path);
    const std::wstring dir = Widen(directory);
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;  // a failure is not reported to the user
    sei.hwnd = owner;
    sei.lpVerb = nullptr;  // the file type's default action
    sei.lpFile = file.c_str();
    sei.lpParameters = L"";
    sei.lpDirectory = dir.c_str();
    sei.nShow = show;
    return ShellExecuteExW(&sei) != FALSE;
}

}  // namespace bivane
