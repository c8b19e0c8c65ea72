#include "fileops/get_txt_dialog.h"

namespace bivane {

TGetTxt::TGetTxt() : ModalForm(L"TGetTxt", "Enter New Directory", 353, 129, WS_POPUP | WS_CAPTION | DS_MODALFRAME) {}

}  // namespace bivane
