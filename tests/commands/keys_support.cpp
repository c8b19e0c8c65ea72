#include "commands/keys_support.h"


namespace bivane::test {

namespace {

class HeldKeys {
public:
    explicit HeldKeys(TShiftState shift) {
        GetKeyboardState(saved_);
        BYTE now[256];
        GetKeyboardState(now);
        const auto set = [&](int vk, bool down) { now[vk] = down ? 0x80 : 0; };
        set(VK_SHIFT, shift & ssShift);
        set(VK_LSHIFT, shift & ssShift);
        set(VK_CONTROL, shift & ssCtrl);
        set(VK_LCONTROL, shift & ssCtrl);
        set(VK_MENU, shift & ssAlt);
        set(VK_LMENU, shift & ssAlt);
        SetKeyboardState(now);
    }
    ~HeldKeys() { SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256];
};

}  // namespace

void PressKey(HWND list, WORD vk, TShiftState shift, wchar_t ch) {
    HeldKeys held(shift);
    const bool alt = (shift & ssAlt) != 0;
    const bool system = alt || vk == VK_F10;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM down = 1 | scan | (alt ? (1 << 29) : 0);
    SendMessageW(list, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, down);
    if (ch) SendMessageW(list, alt ? WM_SYSCHAR : WM_CHAR, ch, down);
    SendMessageW(list, system ? WM_SYSKEYUP : WM_KEYUP, vk, down | 0xC0000000);
    PumpMessages();
}

void TypeChar(HWND list, wchar_t ch) {
    SendMessageW(list, WM_CHAR, ch, 1);
    PumpMessages();
}

DefaultProcessingSpy::DefaultProcessingSpy(HWND form) : form_(form) {
    SetWindowSubclass(form_, &DefaultProcessingSpy::Proc, 77, reinterpret_cast<DWORD_PTR>(this));
}

DefaultProcessingSpy::~DefaultProcessingSpy() { RemoveWindowSubclass(form_, &DefaultProcessingSpy::Proc, 77); }

LRESULT CALLBACK DefaultProcessingSpy::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<DefaultProcessingSpy*>(ref);
    if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_KEYMENU) {
        ++self->keyMenus;
        return 0;
    }
    if (msg == WM_CONTEXTMENU) {
        ++self->contextMenus;
        return 0;
    }
    return DefSubclassProc(h, msg, wp, lp);
}

void KeysTest::StartSides(const std::string& left, const std::string& right) {
    FormTest::StartSides(left, right);
    spy = std::make_unique<DefaultProcessingSpy>(form->Handle());
}

void KeysTest::TearDown() {
    if (spy) {
        EXPECT_EQ(spy->keyMenus, expectedKeyMenus) << "a key reached the keyboard menu";
        EXPECT_EQ(spy->contextMenus, 0) << "a key reached the context menu";
        spy.reset();
    }
    FormTest::TearDown();
}

std::string KeysTest::FocusedCaption(const Pane& s) const {
    const int i = s.Focused();
    return i >= 0 && i < static_cast<int>(s.Entries.size()) ? s.Entries[static_cast<size_t>(i)].caption : "";
}

std::string KeysTest::Marks(const Pane& s) const {
    std::string m;
    for (const Entry& e : s.Entries) m += MarkLetter(e.mark);
    return m;
}

}  // namespace bivane::test
