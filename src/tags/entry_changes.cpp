// Changing an entry's mark, image or caption; the list reports each change, as a list view would.
#include "form/main_window.h"

namespace bivane {

void MainWindow::SetEntryMark(Pane& s, int item, Mark mark) {
    s.Entries[static_cast<size_t>(item)].mark = mark;
    s.List.RedrawItem(item);
    EntryChanged(s, item);
}

void MainWindow::SetEntryImage(Pane& s, int item, std::uint8_t image) {
    s.Entries[static_cast<size_t>(item)].image = image;
    s.List.RedrawItem(item);
    EntryChanged(s, item);
}

void MainWindow::SetEntryCaption(Pane& s, int item, const std::string& caption) {
    s.Entries[static_cast<size_t>(item)].caption = caption;
    s.List.RedrawItem(item);
    EntryChanged(s, item);
}

}  // namespace bivane
