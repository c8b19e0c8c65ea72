// The application's error report: every event's errors end here (Guard), never in a window
// procedure.
#include "core/errors.h"
#include "form/main_window.h"
#include "platform/modal_seam.h"

namespace bivane {

void MainWindow::ReportError(const char* text) noexcept {
    try {
        ShowBox(hwnd_, BoxKind::AppError, WithFullStop(text), BoxButtons::Ok);
    } catch (...) {
    }
}

}  // namespace bivane
