// The owner-data report list that shows one side's entries.
#pragma once
#include <vector>

#include "core/entry.h"
#include "platform/win.h"

namespace bivane {

class FileListView {
public:
    void Create(HWND parent, HIMAGELIST images, const std::vector<Entry>* model);
    HWND Handle() const { return hwnd_; }
    int Count() const { return static_cast<int>(model_->size()); }
    // Tells the control the model's size changed; selection and focus are cleared.
    void Reset();
    void RedrawItem(int index);
    void RedrawAll();

    bool IsSelected(int index) const;
    void SetSelected(int index, bool selected);
    bool IsFocused(int index) const;
    void SetFocused(int index);  // focus moves, selection untouched
    int Focused() const;
    int FirstSelected() const;
    int NextSelected(int after) const;
    int SelectedCount() const;
    void ClearSelection();

    int TopIndex() const;
    int VisibleRows() const;    // fully visible rows
    int RowsWithoutHorizontalBar() const;  // fully visible rows once no horizontal scroll bar shows
    int RowHeight() const;
    void ScrollRows(int rows);  // positive: down
    void ScrollToTop();
    void EnsureVisible(int index);
    int HitTest(int x, int y) const;  // entry under the point (any column), or -1
    int HitTestLabel(int x, int y) const;  // entry whose icon or name is under the point, or -1
    bool HasVerticalScrollBar() const;

    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);

    // Answers LVN_GETDISPINFOW from the model.
    void FillDisplayInfo(NMLVDISPINFOW* info) const;
    // Answers LVN_ODFINDITEMW (the type-ahead search): prefix match ignoring case, wrapping.
    int FindItem(const NMLVFINDITEMW* find) const;

private:
    HWND hwnd_ = nullptr;
    const std::vector<Entry>* model_ = nullptr;
};

}  // namespace bivane
