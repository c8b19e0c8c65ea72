#include "platform/modal_seam.h"

#include "platform/utf.h"

namespace bivane {

const char* const kAppTitle = "Bivane for Windows 95";

namespace {
ModalHandler* g_handler = nullptr;
}

void SetModalHandler(ModalHandler* handler) { g_handler = handler; }
ModalHandler* CurrentModalHandler() { return g_handler; }

int ShowBox(HWND owner, BoxKind kind, const std::string& text, BoxButtons buttons) {
    BoxRequest req{kind, "", text, buttons};
    UINT flags = 0;
    switch (kind) {
        case BoxKind::Information: req.caption = "Information"; flags = MB_ICONINFORMATION; break;
        case BoxKind::Warning: req.caption = "Warning"; flags = MB_ICONWARNING; break;
        case BoxKind::Error: req.caption = "Error"; flags = MB_ICONERROR; break;
        case BoxKind::AppError: req.caption = kAppTitle; flags = MB_ICONERROR; break;
    }
    switch (buttons) {
        case BoxButtons::Ok: flags |= MB_OK; break;
        case BoxButtons::OkCancel: flags |= MB_OKCANCEL; break;
        case BoxButtons::YesNo: flags |= MB_YESNO; break;
    }
    if (g_handler) return g_handler->Box(req);
    return MessageBoxW(owner, Widen(req.text).c_str(), Widen(req.caption).c_str(), flags);
}

}  // namespace bivane
