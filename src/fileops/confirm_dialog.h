// "Confirm Copy" / "Confirm Delete" / "Confirm Move".
#pragma once
#include "controls/modal_form.h"

namespace bivane {

class TConfirm : public ModalForm {
public:
    TConfirm();
};

}  // namespace bivane
