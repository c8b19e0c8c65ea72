#include "platform/library_search.h"

#include "platform/handles.h"

namespace bivane {

void LoadLibrariesFromSystemOnly() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Only read when the default directories are not set; keeps the current directory out anyway.
    SetDllDirectoryW(L"");
    // Under Wine the system's own libraries look for the ones they load late beside the program
    // whatever the default directories say: its theming asks for msimg32 at the first paint,
    // before this program's own first use. A library already loaded is taken by its name, so the
    // small ones this program loads on first use, and ole32 (the taskbar button's progress; the
    // shell's libraries ask for it by name too), are loaded from the system folder now.
    static const AutoFreeLibrary msimg32(LoadLibraryExW(L"msimg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    static const AutoFreeLibrary mpr(LoadLibraryExW(L"mpr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    static const AutoFreeLibrary ole32(LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace bivane
