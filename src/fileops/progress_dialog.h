// "Copy File": shown modeless while files are copied; it has no way to be closed by the user.
#pragma once
#include <cstdint>
#include <string>

#include "controls/modal_form.h"

namespace bivane {

class TProgress : public ModalForm {
public:
    TProgress();

    // Paints the dialog now: the copy keeps the thread busy, so no WM_PAINT would come.
    void Repaint();
    void SetText(HWND label, const std::string& text);
    std::string Text(HWND label) const;

    // Position 0, step 1, range 0..max.
    void PrepareBar(int max);
    void SetBarPosition(int position);
    // One step per block copied. The control repaints itself at every change of position, which
    // costs far more than copying a block, so steps reach it at most about 60 times a second and
    // always at the end of the range; FlushBar shows the steps still held back.
    void StepBar();
    void FlushBar();
    int BarPosition() const;
    int BarMax() const;

    HWND Label2 = nullptr;        // "File:"
    HWND FileNameDesc = nullptr;  // the file being copied
    HWND Label1 = nullptr;        // "From:"
    HWND SourceDir = nullptr;
    HWND Label3 = nullptr;        // "To:"
    HWND DestDir = nullptr;
    HWND Bar1 = nullptr;
    HWND Status = nullptr;

private:
    int barPos_ = 0;
    int barMax_ = 100;
    int barShown_ = 0;
    ULONGLONG barShownAt_ = 0;
};

}  // namespace bivane
