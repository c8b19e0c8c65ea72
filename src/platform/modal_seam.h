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

// The program's texts break lines with a lone "\r", which Windows' boxes draw as a break but Wine
// neither breaks nor measures, and edit controls show as a mark: the text with "\r\n" throughout.
std::wstring WithDrawnLineBreaks(const std::string& text);
// "Information", "Warning", "Error"; AppError: the application title.
std::string BoxCaption(BoxKind kind);
// Caption by kind: "Information", "Warning", "Error"; AppError: the application title.
int ShowBox(HWND owner, BoxKind kind, const std::string& text, BoxButtons buttons);

extern const char* const kAppTitle;  // "Bivane for Windows 95"

}  // namespace bivane
