// BVLIST.EXE: shows one file, named on the command line, until its window is closed.
#include "platform/library_search.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"
#include "platform/win.h"
#include "viewer/command_rules.h"
#include "viewer/viewer_window.h"

using namespace bivane;

namespace {

bool IsFile(const std::string& name) {
    const DWORD a = GetFileAttributesW(Widen(name).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    // Before anything loads the libraries used on first use.
    LoadLibrariesFromSystemOnly();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    // The whole command line, not the tail Windows splits at the blanks of a name.
    viewer::StartAt at;
    const std::string tail(viewer::TakeStartAt(viewer::CommandTail(Narrow(GetCommandLineW())), at));
    const std::string file = viewer::FileFromTail(tail, IsFile);
    if (file.empty()) {
        ShowBox(nullptr, BoxKind::Information, "Usage: BVLIST.EXE [/at=<offset>[,<length>]] <file>\nShows the file as text or in hex, from the "
                "start or at the offset, length bytes selected.",
                BoxButtons::Ok);
        return 2;
    }
    std::unique_ptr<viewer::ViewerWindow> window = viewer::ViewerWindow::Open(file, show);
    if (!window) return 1;
    window->OnClosed = [] { PostQuitMessage(0); };
    if (at.offset >= 0) window->ShowMatchAt(at.offset, static_cast<std::size_t>(at.length));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
