// The one-line text dialog: new directory names, renames and the command-line prompt.
#pragma once
#include <string>

#include "controls/modal_form.h"

namespace bivane {

class TextDialog : public ModalForm {
public:
    TextDialog();

    // Before each use: caption, prompt line, an empty text and "&OK" as the default button.
    void Prepare(const std::string& caption, const std::string& label);
    std::string Text() const;
    void SetText(const std::string& text);
    std::string Label() const;

    // Filled by the caller while the dialog serves as the command-line prompt: F10 then inserts
    // PromptFileName between two spaces.
    bool CommandLinePromptOpen = false;
    std::string PromptFileName;

    HWND PromptLabel = nullptr;
    HWND TextEdit = nullptr;
    HWND OkButton = nullptr;  // "&OK"
    HWND CancelButton = nullptr;  // "&Cancel"

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    bool TextEditKeyDown(WORD key);  // true: the key is taken
};

}  // namespace bivane
