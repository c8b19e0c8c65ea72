// Base of the program's dialogs: a window of its own class with the dialog manager's keyboard
// handling, created once and shown modally (through the seam) or modeless.
#pragma once
#include <string>

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
    HWND AddControl(const wchar_t* cls, const std::string& text, DWORD style, int x, int y, int w,
                    int h, int id, DWORD exStyle = 0);
    virtual void OnCommand(int id, int code) { (void)id; (void)code; }
    virtual void FormActivate() {}
    // Return true to take the message; result goes back to the sender.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        (void)msg; (void)wp; (void)lp; (void)result;
        return false;
    }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    bool running_ = false;
    int result_ = 0;
};

}  // namespace bivane
