// Copies one file the way the copy command does, so that a test can end the process in the middle:
//   copy_victim.exe <source> <target>
// Exit code 0 when the copy finished, 1 when it raised an error, 2 on wrong arguments.
#include <cstdio>

#include "core/errors.h"
#include "fileops/copy_file.h"
#include "fileops/progress_dialog.h"
#include "platform/utf.h"
#include "platform/win.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    bivane::ProgressDialog progress;
    progress.PrepareBar(100);
    try {
        bivane::CopyFileWithProgress(progress, bivane::Narrow(argv[1]), bivane::Narrow(argv[2]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
