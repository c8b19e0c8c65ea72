// Base of the program's dialogs: a window of its own class with the dialog manager's keyboard
// handling, created once and shown modally (through the seam) or modeless.
#pragma once
#include <exception>
#include <string>
#include <vector>

#include "core/errors.h"
#include "platform/modal_seam.h"
#include "platform/win.h"

namespace bivane {

class ModalForm {
public:
    ModalForm(const wchar_t* className, const std::string& caption, int clientW, int clientH,
              DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    virtual ~ModalForm();
    ModalForm(const ModalForm&) = delete;
    ModalForm& operator=(const ModalForm&) = delete;

    HWND Handle() const { return hwnd_; }
    // The DPI the dialog is drawn for: its monitor's when made, then each WM_DPICHANGED's.
    int Dpi() const { return dpi_; }
    // Every control placed again and given the UI font for dpi, the dialog sized to match.
    void ApplyDpi(int dpi);
    std::string ClassName() const;
    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // Through the seam: a test's handler answers, otherwise the real modal loop runs.
    int ShowModal(HWND owner);
    // The real thing: disables the owner and runs messages until EndModal.
    int RunModalLoop(HWND owner);
    void EndModal(int result);
    bool IsModalRunning() const { return running_; }
    void ShowModeless();
    void Hide();
    // Presses a button the way a click would (BM_CLICK), for tests that answer for real.
    void Click(int id);

protected:
    // x, y, w and h as designed at 96 DPI: the control is placed at the dialog's DPI, and again
    // when it changes.
    HWND AddControl(const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w,
                    int h, int id, DWORD exStyle = 0);
    virtual void OnCommand(int id, int code) { (void)id; (void)code; }
    // Runs fn where an exception must not leave (a window procedure): what it throws is said in a
    // warning box over this window. False when it threw.
    template <typename F>
    bool Guarded(F&& fn) noexcept {
        try {
            fn();
            return true;
        } catch (const std::exception& e) {
            try {
                ShowBox(Handle(), BoxKind::Warning, WithFullStop(e.what()), BoxButtons::Ok);
            } catch (...) {
            }
        } catch (...) {
        }
        return false;
    }
    virtual void FormActivate() {}
    // After a change of DPI, for the fonts of a dialog's own (the UI font is given already).
    virtual void DpiChanged() {}
    // Return true to take the message; result goes back to the sender.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        (void)msg; (void)wp; (void)lp; (void)result;
        return false;
    }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    struct Placed {
        HWND control;
        RECT designed;  // left, top, width, height at 96 DPI
    };
    void Place(const Placed& p);  // at the dialog's DPI, in its font
    std::vector<Placed> placed_;
    int clientW_ = 0, clientH_ = 0;  // at 96 DPI
    int dpi_ = 96;
    HWND hwnd_ = nullptr;
    bool running_ = false;
    int result_ = 0;
};

}  // namespace bivane
