// What the viewer window's files share: its messages, timers and status parts, and the
// platform's text facts for a code page.
#pragma once
#include <string>

#include "platform/win.h"
#include "viewer/search_rules.h"
#include "viewer/text_rules.h"

namespace bivane::viewer {

constexpr UINT kJobDone = WM_APP + 1;  // WPARAM: the job's id
constexpr UINT_PTR kProgressTimer = 1, kFollowTimer = 2, kSizeTimer = 3;
constexpr UINT kProgressMs = 100, kSizeMs = 500;
enum StatusParts { kOffset, kPercent, kEncoding, kSize, kMode };

// The platform's case mappings, and the code page's bytes without best-fit guesses (a guessed
// character would find text that is not there).
CaseFold PlatformFold(unsigned codePage);
// UTF-16 of each byte in a single-byte code page (U+FFFD for bytes it leaves undefined).
AnsiTable CodePageTable(unsigned codePage);

inline const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace bivane::viewer
