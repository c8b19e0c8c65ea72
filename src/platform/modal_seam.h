// Every message box and modal dialog passes through here, so a test can script the answers.
#pragma once
#include <string>

#include "platform/win.h"

namespace bivane {

class ModalForm;

enum class BoxKind { Information, Warning, Error, AppError };
enum class BoxButtons { Ok, OkCancel, YesNo, YesNoDefaultNo };  // the last: Enter answers No

struct BoxRequest {
    BoxKind kind;
    std::string caption;
    std::string text;
    BoxButtons buttons;
};

// Installed by tests; the program itself runs with none and shows the real thing.
class ModalHandler {
public:
    virtual ~ModalHandler() = default;
    virtual int Box(const BoxRequest& box) = 0;       // returns IDOK, IDCANCEL, IDYES or IDNO
    virtual int Dialog(ModalForm& form) = 0;          // returns the modal result
};

void SetModalHandler(ModalHandler* handler);
ModalHandler* CurrentModalHandler();

// Caption by kind: "Information", "Warning", "Error"; AppError: the application title.
int ShowBox(HWND owner, BoxKind kind, const std::string& text, BoxButtons buttons);

extern const char* const kAppTitle;  // "Bivane for Windows 95"

}  // namespace bivane
