// The one-line text dialog: new directory names, renames and the command-line prompt.
#pragma once
#include "controls/modal_form.h"

namespace bivane {

class TGetTxt : public ModalForm {
public:
    TGetTxt();
};

}  // namespace bivane
