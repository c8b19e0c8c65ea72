// What the key map and launch tests share: key presses sent to a list the way the keyboard makes
// them, a record of what reaches the main window by default processing, and two sides on real
// folders.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "support/form_fixture.h"

namespace bivane::test {

// One key press as the keyboard delivers it to a list: Shift and Ctrl held in the thread's key
// state for its duration, Alt marked in the message itself (bit 29, system-key messages; F10 is a
// system key too), the character TranslateMessage would make, then the release.
// chars: the character the press types (0: none).
void PressKey(HWND list, WORD vk, TShiftState shift = 0, wchar_t ch = 0);
// Just the typed character, as WM_CHAR.
void TypeChar(HWND list, wchar_t ch);

// Records the messages that the lists' default processing passes up to the main window: the
// keyboard menu (WM_SYSCOMMAND SC_KEYMENU) and the context menu (WM_CONTEXTMENU). Both are
// swallowed so that no menu loop starts inside a test.
class DefaultProcessingSpy {
public:
    explicit DefaultProcessingSpy(HWND form);
    ~DefaultProcessingSpy();
    DefaultProcessingSpy(const DefaultProcessingSpy&) = delete;
    DefaultProcessingSpy& operator=(const DefaultProcessingSpy&) = delete;
    int keyMenus = 0;
    int contextMenus = 0;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND form_;
};

class KeysTest : public FormTest {
protected:
    // Left side in left, right side in right, left active, splash hidden; the spy watches.
    void StartSides(const std::string& left, const std::string& right) override;
    // No key may have reached the keyboard or context menu, unless a test says otherwise.
    void TearDown() override;
    HWND ActiveList() { return form->Active().List.Handle(); }
    void Press(WORD vk, TShiftState shift = 0, wchar_t ch = 0) { PressKey(ActiveList(), vk, shift, ch); }
    std::string FocusedCaption(const Pane& s) const;
    std::string Marks(const Pane& s) const;

    std::unique_ptr<DefaultProcessingSpy> spy;
    int expectedKeyMenus = 0;
};

}  // namespace bivane::test
