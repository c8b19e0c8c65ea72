// The drive selector: an owner-drawn drop-down list of the drives with an icon per drive type.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

enum class DriveKind { Removable, Fixed, Remote, CdRom, Ram };

// "a:" for removable drives; "c: [label]" for fixed, CD-ROM and RAM drives; "x: name" for a
// connected network drive. Lower case throughout, as the selector's text case is lower.
std::string DriveItemText(char letter, DriveKind kind, const std::string& label,
                          const std::string& remoteName);

struct DriveItem {
    char letter;
    DriveKind kind;
    std::string text;
};
// The drives present, in letter order, with their item texts. Reading labels is slow (the
// platform asks each device), so both selectors share one scan.
std::vector<DriveItem> ScanDrives();

class DriveComboBox {
public:
    void Create(HWND parent, int id, int x, int y, int width);
    // The drive pictures drawn for dpi, and the items measured again in the font the selector has;
    // the selection field to match. Called once right after Create, and on each change.
    void SetDpi(int dpi);
    HWND Handle() const { return hwnd_; }
    // Takes the items and the current directory's drive; always reports a change.
    void CreateWnd(const std::vector<DriveItem>& drives);
    char Drive() const { return drive_; }  // lower-case letter, or 0
    void SetDrive(char letter);
    std::string ItemText(int index) const;
    int ItemCount() const { return static_cast<int>(items_.size()); }
    int Height() const;

    // Window notifications, routed by the parent.
    void OnCommand(int code);
    void Measure(MEASUREITEMSTRUCT* mis) const;
    void Draw(const DRAWITEMSTRUCT* dis) const;

    std::function<void()> OnChange;
    std::function<void()> OnClick;

private:
    HWND hwnd_ = nullptr;
    char drive_ = 0;
    std::vector<DriveItem> items_;
    AutoGdiObject bitmaps_[5];
    bool placed_ = false;  // SetDpi has run
    int fieldAt96_ = 0;    // the selection field's height as the control made it, when made at 96 DPI
};

}  // namespace bivane
