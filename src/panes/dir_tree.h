// The directory tree list: holds a side's directory, lists the path down to it and its
// subdirectories, and keeps the side's path label (the title text) in step.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/win.h"

namespace bivane {

// The hidden label that holds the directory shortened to fit the tree's width.
class PathLabel {
public:
    std::string Caption() const { return caption_; }
    // The directory shortened to width in the font of the control measuredIn.
    void SetText(const std::string& directory, int width, HWND measuredIn);

private:
    std::string caption_;
};

class DirectoryListBox {
public:
    enum Icon { kOpen = 0, kCurrent = 1, kClosed = 2 };
    struct Item {
        std::string text;
        Icon icon;
        int indent;  // pixels from the left edge to the icon
    };

    // Takes the process's current directory, as the tree does when it is created.
    void Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }
    // The folder pictures and the item height for dpi (the font is the owner's to give).
    void SetDpi(int dpi);
    const std::string& Directory() const { return directory_; }
    // Resolves against the tree's directory (FullDirectory), rebuilds, reports one change. Throws
    // IoError (tree unchanged, no report) when it is no reachable directory. Any length; the
    // process's current directory is the owner's business.
    void SetDirectory(const std::string& path);
    // Reads its directory again (made or changed meanwhile), with the report a change of directory gives.
    void Reread();
    // Its directory's subfolders changed on the disk: they are read again (now when shown, else
    // when next shown); no change is reported.
    void SubdirectoriesChanged();
    // Moves to the drive's current directory when the tree lies on another drive.
    void SetDrive(char letter);
    void OpenSelected();
    void SetDirLabel(PathLabel* label);
    // The subdirectories are read when the tree is shown or its items are asked for: reading a
    // folder of many files for them costs as much as loading its listing.
    void Show(bool visible);
    const std::vector<Item>& Items();
    std::string ItemPath(int index);
    int Selected() const;

    void OnCommand(int code);
    void Measure(MEASUREITEMSTRUCT* mis) const;
    void Draw(const DRAWITEMSTRUCT* dis) const;

    std::function<void()> OnChange;
    std::function<void()> OnClick;

private:
    void Rebuild();
    void ReadSubdirectories();
    void Fill();  // the list box from items_
    void UpdateLabel();
    HWND hwnd_ = nullptr;
    std::string directory_;
    bool stale_ = false;
    std::vector<Item> items_;
    int pathItems_ = 0;  // items of the root, the path and the directory itself
    bool subdirectoriesRead_ = false;
    PathLabel* label_ = nullptr;
    AutoImageList images_;
    int dpi_ = 96;
};

}  // namespace bivane
