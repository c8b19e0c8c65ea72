// The printed directory listing of the active side.
#include "form/main_window.h"
#include "platform/modal_seam.h"
#include "platform/printer.h"
#include "print/print_rules.h"

namespace bivane {

namespace {

const char kPrintFace[] = "Courier New";
const int kPrintPoints = 9;

// The device mode and names that the print dialog hands back are the caller's to free.
class PrintDialogResult {
public:
    explicit PrintDialogResult(PRINTDLGW& pd) : pd_(pd) {}
    ~PrintDialogResult() {
        if (pd_.hDevMode) GlobalFree(pd_.hDevMode);
        if (pd_.hDevNames) GlobalFree(pd_.hDevNames);
    }
    PrintDialogResult(const PrintDialogResult&) = delete;
    PrintDialogResult& operator=(const PrintDialogResult&) = delete;

private:
    PRINTDLGW& pd_;
};

void WritePieces(PrinterOutput& out, const std::vector<PrintPiece>& pieces) {
    for (const PrintPiece& p : pieces) {
        out.SetFont(kPrintFace, kPrintPoints, p.bold, p.italic);
        out.Write(p.text);
    }
    out.SetFont(kPrintFace, kPrintPoints, false, false);
    out.EndLine();
}

}  // namespace

void MainWindow::PrintListing(Pane& s) {
    SetFocus(s.List.Handle());

    PRINTDLGW pd{};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = hwnd_;
    pd.Flags = PD_RETURNDC;
    PrintDialogResult dialogResult(pd);
    if (!PrintDialog(pd) || !pd.hDC) return;

    PrinterOutput out(pd.hDC, kAppTitle);
    out.SetFont(kPrintFace, kPrintPoints, false, false);
    const PrinterFigures f = out.Figures();
    const int L = LinesPerPage(f.pageHeight, f.textHeight);
    const int columns = ColumnsPerPage(f.pageWidth, f.avgCharWidth);
    const int pages = PageTotal(static_cast<int>(s.Entries.size()), L);
    const std::string directory = s.Tree.Directory();
    const std::string order = OrderText(s.Title.Caption());

    const PagePlan plan = PlanPages(s.Entries, L);
    for (std::size_t page = 0; page < plan.pages.size(); ++page) {
        if (page > 0) out.NewPage();
        WritePieces(out, {{PageHeaderLine(NowDateTimeText(), static_cast<int>(page) + 1, pages, columns)}});
        WritePieces(out, {{directory, true, false}, {order}});
        WritePieces(out, {});
        for (std::uint32_t item : plan.pages[page]) WritePieces(out, EntryLinePieces(s.Entries[item]));
    }
}

}  // namespace bivane
