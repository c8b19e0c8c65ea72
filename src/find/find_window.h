// "Find Files": a window of its own over the main window, where a search is asked for, runs on the
// finder's thread and shows its results as they come (an owner-data list: a million results cost
// their memory, not a million rows); from a result the user goes there or views it, or lists them
// all on a side.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "controls/modal_form.h"
#include "find/file_finder.h"

namespace bivane {

// The results of one search: the folders they lie in, each kept once.
struct FoundList {
    std::vector<std::string> folders;
    std::vector<FoundFile> files;
    std::vector<std::string> unreadable;
    FindCounts counts;
    std::string Path(const FoundFile& f) const;
};

class FindWindow : public ModalForm {
public:
    enum {
        IdFind = 401, IdStop, IdGoTo, IdView, IdShowOnSide, IdWhere, IdDepth, IdNames, IdText, IdEncoding,
        IdMatchCase, IdWholeWords, IdNotContaining, IdHidden, IdFolders, IdMinSize, IdMaxSize, IdAfter,
        IdBefore, IdDays, IdKeepOpen, IdList, IdStatus, IdUnreadable
    };
    static constexpr UINT kFinderNews = WM_APP + 40;

    FindWindow();

    // The finder whose results this shows (the background work's, adopted when the window is
    // first opened); where to search when nothing was typed.
    void Open(HWND owner, FileFinder& finder, const std::string& folder);

    // Called with the result chosen; each runs in the window's procedure (what it throws is reported).
    std::function<void(const std::string& folder, const std::string& name)> GoTo;
    std::function<void(const std::string& path, const FoundFile& file)> View;
    std::function<void(const FoundList& found, const std::string& title)> ShowOnSide;

    const FoundList& Found() const { return found_; }
    int Selected() const;  // -1: none
    std::string Status() const;
    bool Searching() const { return searching_; }
    // Reads the fields and starts the search; a message box says what is wrong with a field.
    void StartSearch();
    // The fields read into the query; each refuses (throws) a value it cannot take.
    void ReadWhere(FindQuery& q);
    void ReadSizeAndDate(find::SizeDate& q);
    void StopSearch();
    HWND Field(int id) const { return GetDlgItem(Handle(), id); }

protected:
    void OnCommand(int id, int code) override;
    void FormActivate() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void DpiChanged() override;

private:
    void TakeNews();
    void ShowStatus();
    void Act(int id);
    std::wstring Cell(int row, int column) const;

    FileFinder* finder_ = nullptr;
    HWND list_ = nullptr, status_ = nullptr;
    FoundList found_;
    bool searching_ = false;
    mutable std::wstring cell_;  // the text a list's cell is drawn from
};

}  // namespace bivane
