// "Copy File": shown modeless while files are copied; it has no way to be closed by the user.
#pragma once
#include "controls/modal_form.h"

namespace bivane {

class TProgress : public ModalForm {
public:
    TProgress();
};

}  // namespace bivane
