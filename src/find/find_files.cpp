// Ctrl+F: finding files, and going from a result to its folder or to the viewer.
#include <cctype>

#include "core/paths.h"
#include "find/find_window.h"
#include "form/main_window.h"
#include "panes/entry_rules.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"
#include "platform/process.h"

namespace bivane {

void MainWindow::ShowFindFiles(Pane& s) {
    if (!Background) return;
    // Made when first asked for: its forty controls cost the start-up a fifth of a second under Wine.
    if (!FindFilesWindow) FindFilesWindow = std::make_unique<FindWindow>();
    FindWindow& w = *FindFilesWindow;
    if (!Finder) {
        const HWND news = w.Handle();
        Finder = &Background->Adopt(std::make_unique<FileFinder>(
            [news] { return PostMessageW(news, FindWindow::kFinderNews, 0, 0) != FALSE; }));
    }
    w.GoTo = [this, &s](const std::string& folder, const std::string& name) { GoToFound(s, folder, name); };
    // At the first match of a text search, selected (BVLIST.EXE /at=offset,length).
    w.View = [this](const std::string& path, const FoundFile& f) {
        const std::string at = f.matchAt < 0 ? std::string()
                                             : "/at=" + std::to_string(f.matchAt) + "," + std::to_string(f.matchLength) + " ";
        RunCommandLine("BVLIST.EXE " + at + "\"" + path + "\"", SW_SHOW, 0);
    };
    w.ShowOnSide = [this, &s](const FoundList& found, const std::string& title) { ShowFoundOnSide(s, found, title); };
    w.Open(hwnd_, *Finder, s.Tree.Directory());
}

void MainWindow::GoToFound(Pane& s, const std::string& folder, const std::string& name) {
    Activate(s);
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(folder.empty() ? 0 : folder[0])));
    if (letter >= 'a' && letter <= 'z' && folder.size() > 1 && folder[1] == ':' && letter != s.Drive.Drive()) {
        s.Drive.SetDrive(letter);
    }
    if (s.Tree.Directory() != folder) s.Tree.SetDirectory(folder);
    Locate(s, name);
    s.FollowFocus();
    SetForegroundWindow(hwnd_);
    SetFocus(s.List.Handle());
}

namespace {

// Whether path is folder or lies below it, to the letter: a folder's case twin is another folder.
bool Below(const std::string& path, const std::string& folder) {
    if (path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || folder.back() == '\\' || path[folder.size()] == '\\';
}

// The side's entry of a file found in the folder below (its path under the side's folder).
Entry EntryOfFound(const FoundFile& f, const std::string& below, const LocaleFacts& locale, const LocalTimes& times) {
    Entry e;
    if (f.IsFolder()) {
        e.kind = EntryKind::Directory;
        e.caption = "<" + below + f.name + ">";
        e.sizeText = (f.attributes & FILE_ATTRIBUTE_READONLY) ? "<DIR>r" : "<DIR>";
        e.dateText = " ";
        e.mark = Mark::Directory;
        e.image = kImageDir;
    } else {
        e.caption = below + FileCaption(f.name);
        e.size = f.size;
        e.sizeText = std::to_string(f.size);
        const FILETIME t{static_cast<DWORD>(f.date), static_cast<DWORD>(static_cast<std::uint64_t>(f.date) >> 32)};
        const LocalTime local = times.Of(t);
        e.dateText = DateText(local, locale);
        e.minute = MinuteStamp(local);
        e.image = UntaggedImage(e.caption);
    }
    e.SetName(below + f.name);
    e.reach = Reach::Exact;  // the separators are the path's, below the side's folder
    e.link = IsLink(f.attributes, f.reparseTag);
    return e;
}

}  // namespace

void MainWindow::ShowFoundOnSide(Pane& s, const FoundList& found, const std::string& title) {
    // The deepest folder that holds them all.
    std::string base = found.folders.empty() ? std::string() : found.folders.front();
    for (const std::string& folder : found.folders) {
        while (!base.empty() && !Below(folder, base)) {
            const std::string up = DirectoryPart(base);
            base = up == base ? std::string() : up;
        }
    }
    if (base.empty() || DirectoryError(base) != 0) {
        ShowBox(hwnd_, BoxKind::Warning, "The files found lie in no one folder that can be shown: go to each from Find Files.",
                BoxButtons::Ok);
        return;
    }
    const LocaleFacts locale = UserLocaleFacts();
    const LocalTimes times;
    std::vector<Entry> entries;
    std::size_t leftOut = 0;
    for (const FoundFile& f : found.files) {
        // A name no path reaches would be reached through its last part alone: another file.
        const std::string& folder = found.folders[f.folder];
        if (NameReach(f.name) != Reach::Exact) {
            ++leftOut;
            continue;
        }
        const std::string below = folder.size() > base.size() ? folder.substr(base.size() + (base.back() == '\\' ? 0 : 1)) + "\\" : "";
        entries.push_back(EntryOfFound(f, below, locale, times));
    }
    Activate(s);
    if (s.Tree.Directory() != base) {
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(base[0])));
        if (HasDriveLetter(base) && letter != s.Drive.Drive()) s.Drive.SetDrive(letter);
        s.Tree.SetDirectory(base);
    }
    s.ShowFound(std::move(entries), title);
    SortByName(s);
    FitAllColumns();
    SetForegroundWindow(hwnd_);
    SetFocus(s.List.Handle());
    if (leftOut > 0) {
        ShowBox(hwnd_, BoxKind::Information,
                std::to_string(leftOut) + " of the files found have names no path reaches exactly: they are not listed.",
                BoxButtons::Ok);
    }
}

}  // namespace bivane
