// Text onto the clipboard, and back (the tests read what a command put there).
#pragma once
#include <string>

#include "platform/win.h"

namespace bivane {

// Puts text (UTF-16) on the clipboard as CF_UNICODETEXT; false when the clipboard is busy or
// memory is short.
bool PutTextOnClipboard(HWND owner, const std::u16string& text);
// What the clipboard holds as CF_UNICODETEXT, in UTF-8; empty when nothing.
std::string ClipboardText(HWND owner);

}  // namespace bivane
