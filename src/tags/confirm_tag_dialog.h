// "Confirm Tag Type": which kind of comparison to run.
#pragma once
#include "controls/modal_form.h"

namespace bivane {

class TConfirmTag : public ModalForm {
public:
    TConfirmTag();
};

}  // namespace bivane
