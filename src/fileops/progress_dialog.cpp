#include "fileops/progress_dialog.h"

namespace bivane {

TProgress::TProgress() : ModalForm(L"TProgress", "Copy File", 361, 136, WS_POPUP | WS_CAPTION | DS_MODALFRAME) {}

}  // namespace bivane
