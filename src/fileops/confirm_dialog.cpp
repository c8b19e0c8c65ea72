#include "fileops/confirm_dialog.h"

namespace bivane {

TConfirm::TConfirm() : ModalForm(L"TConfirm", "Confirm Copy", 313, 159) {}

}  // namespace bivane
