// Program entry: the application, the main window, the five dialogs, then the event loop.
#include "form/main_window.h"
#include "panes/listing.h"
#include "platform/fs.h"
#include "platform/library_search.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything loads the libraries used on first use.
    bivane::LoadLibrariesFromSystemOnly();
    // The first folder is read while the window is made (and the common controls are loaded,
    // which is why they are loaded on first use): in a big folder that is most of the start-up.
    bivane::ReadListingAhead(bivane::GetCurrentDir());
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    bivane::MainWindow form;
    form.Show();
    return form.Run();
}
