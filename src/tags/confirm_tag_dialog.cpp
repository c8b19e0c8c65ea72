#include "tags/confirm_tag_dialog.h"

namespace bivane {

TConfirmTag::TConfirmTag() : ModalForm(L"TConfirmTag", "Confirm Tag Type", 249, 105) {}

}  // namespace bivane
