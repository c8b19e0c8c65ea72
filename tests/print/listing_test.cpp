// The printed directory listing, through a real PostScript printer whose port is a file; the job
// is turned into text with ps2pdf and pdftotext.
#include <cstdlib>
#include <sstream>

#include "core/errors.h"
#include "platform/printer.h"
#include "print/print_rules.h"
#include "support/form_fixture.h"
#include "support/unix_shell.h"

#include <winspool.h>

namespace bivane::test {

namespace {

const wchar_t kDriver[] = L"Bivane Test PostScript";

// Wine's PostScript driver with the generic PPD that winspool carries, installed once.
bool InstallDriver() {
    static const bool installed = [] {
        HMODULE spool = LoadLibraryExW(L"winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC res = spool ? FindResourceW(spool, MAKEINTRESOURCEW(1), L"PPDFILE") : nullptr;
        if (!res) return false;
        const DWORD size = SizeofResource(spool, res);
        const void* data = LockResource(LoadResource(spool, res));
        // The driver reads its PPD from the version-3 folder of the driver directory.
        wchar_t dir[MAX_PATH] = {};
        DWORD needed = 0;
        if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &needed)) {
            return false;
        }
        const std::wstring folder = std::wstring(dir) + L"\\3";
        CreateDirectoryW(dir, nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring ppd = folder + L"\\bivane-test.ppd";
        {
            AutoCloseHandle f(CreateFileW(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
            DWORD written = 0;
            if (!f || !WriteFile(f.get(), data, size, &written, nullptr)) return false;
        }
        DRIVER_INFO_3W di{};
        di.cVersion = 3;
        di.pName = const_cast<wchar_t*>(kDriver);
        di.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
        di.pDataFile = const_cast<wchar_t*>(ppd.c_str());
        di.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
        di.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
        return AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES) != 0;
    }();
    return installed;
}

// A printer whose jobs land in one file; the default printer while it lives.
class TestPrinter {
public:
    explicit TestPrinter(const std::string& portFile) : port_(Widen(portFile)) {
        static int counter = 0;
        name_ = L"Bivane Test " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        if (!InstallDriver()) return;
        PRINTER_INFO_2W pi{};
        pi.pPrinterName = name_.data();
        pi.pPortName = port_.data();
        pi.pDriverName = const_cast<wchar_t*>(kDriver);
        pi.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
        pi.pDatatype = const_cast<wchar_t*>(L"RAW");
        pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
        HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
        if (!h) return;
        ClosePrinter(h);
        ok_ = SetDefaultPrinterW(name_.c_str()) != 0;
    }
    ~TestPrinter() {
        HANDLE h = nullptr;
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterW(name_.data(), &h, &access)) {
            DeletePrinter(h);
            ClosePrinter(h);
        }
    }
    TestPrinter(const TestPrinter&) = delete;
    TestPrinter& operator=(const TestPrinter&) = delete;
    bool Ok() const { return ok_; }
    HDC CreateDc() const { return CreateDCW(L"WINSPOOL", name_.c_str(), nullptr, nullptr); }

private:
    std::wstring name_, port_;
    bool ok_ = false;
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// pdftotext places words by position, so runs of spaces only come back roughly.
std::string Squash(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        out += c;
    }
    return out;
}

}  // namespace

class Listing : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        printer = std::make_unique<TestPrinter>(job);
        ASSERT_TRUE(printer->Ok()) << "test printer not installed";
    }
    void TearDown() override {
        FormTest::TearDown();
        printer.reset();
    }
    // The print dialog answered as the user's OK with the default printer would.
    void PrintWithDefaultPrinter() {
        form->PrintDialog = [](PRINTDLGW& pd) {
            EXPECT_TRUE(pd.Flags & PD_RETURNDC);
            pd.Flags |= PD_RETURNDEFAULT;
            return PrintDlgW(&pd);
        };
        form->PrintListing(form->Active());
    }
    // The job's pages as text lines; empty lines dropped.
    std::vector<std::vector<std::string>> JobPages() {
        const std::string pdf = UnixPath(tmp / "job.pdf"), txt = UnixPath(tmp / "job.txt");
        EXPECT_EQ(RunShell("ps2pdf '" + UnixPath(job) + "' '" + pdf + "' && pdftotext -layout '" + pdf + "' '" +
                           txt + "'"),
                  0);
        if (const char* png = std::getenv("BIVANE_LISTING_PNG")) {
            RunShell("pdftoppm -png -r 80 -f 1 -l 1 -singlefile '" + pdf + "' '" + png + "'");
        }
        std::vector<std::vector<std::string>> pages(1);
        for (const std::string& line : SplitLines(ReadAll(tmp / "job.txt"))) {
            std::string rest = line;
            while (!rest.empty() && rest.front() == '\f') {
                pages.emplace_back();
                rest.erase(0, 1);
            }
            if (rest.find_first_not_of(' ') != std::string::npos) pages.back().push_back(rest);
        }
        while (!pages.empty() && pages.back().empty()) pages.pop_back();
        return pages;
    }
    // L for the test printer, measured here from its device.
    int PrinterLines() {
        AutoDeleteDC dc(printer->CreateDc());
        AutoGdiObject font(CreateFontW(-MulDiv(9, GetDeviceCaps(dc.get(), LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                                       FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, FIXED_PITCH, L"Courier New"));
        ScopedSelect select(dc.get(), font.get());
        std::wstring chars;
        for (int c = 32; c < 256; ++c) chars += static_cast<wchar_t>(c);
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), chars.c_str(), static_cast<int>(chars.size()), &extent);
        return LinesPerPage(GetDeviceCaps(dc.get(), VERTRES), extent.cy);
    }

    std::string job = tmp / "job.ps";
    std::unique_ptr<TestPrinter> printer;
};

TEST_F(Listing, HeaderEntriesAndPageBreaks) {
    const int L = PrinterLines();
    ASSERT_GT(L, 10);
    Make({{"list\\Sub Folder\\"}});
    {
        // A sparse file whose size text is longer than eight digits.
        AutoCloseHandle f(CreateFileW(Widen(tmp / "list\\huge.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER size{};
        size.QuadPart = 123456789;
        ASSERT_TRUE(SetFilePointerEx(f.get(), size, nullptr, FILE_BEGIN) && SetEndOfFile(f.get()));
    }
    const int files = L - 3 + 5;  // one full page and five lines on the next
    for (int i = 0; i < files - 1; ++i) MakeFile(tmp / ("list\\n" + std::to_string(1000 + i) + ".txt"), i);
    StartIn(tmp / "list");
    const int N = static_cast<int>(Left().Entries.size());
    ASSERT_EQ(N, files + 2);  // [parent] and <Sub Folder> too
    Left().Title.SetCaption(Left().Title.Caption() + " [by date]");

    PrintWithDefaultPrinter();
    EXPECT_EQ(GetFocus(), Left().List.Handle());
    const auto pages = JobPages();
    ASSERT_EQ(pages.size(), 2u);
    const int M = 2;
    for (int p = 0; p < 2; ++p) {
        const std::vector<std::string>& page = pages[static_cast<size_t>(p)];
        ASSERT_GE(page.size(), 2u);
        EXPECT_TRUE(Contains(page[0], "(Directory listing by Bivane)")) << page[0];
        const std::string label = "Page " + std::to_string(p + 1) + " of " + std::to_string(M);
        EXPECT_EQ(page[0].substr(page[0].size() - label.size()), label) << page[0];
        EXPECT_TRUE(Contains(page[1], tmp / "list")) << page[1];
        EXPECT_TRUE(Contains(page[1], "[by date]")) << page[1];
    }
    // The parent entry takes no line: the first page holds L - 3 entries, the rest go on the next.
    EXPECT_EQ(static_cast<int>(pages[0].size()) - 2, L - 3);
    EXPECT_EQ(static_cast<int>(pages[1].size()) - 2, N - 1 - (L - 3));
    const std::string all = ReadAll(tmp / "job.txt");
    EXPECT_FALSE(Contains(all, "[parent]"));
    EXPECT_TRUE(Contains(pages[0][2], "SubDirectory (folder): Sub Folder")) << pages[0][2];
    EXPECT_EQ(Squash(pages[0][3]), "12345678 " + Left().Entries[2].dateText + " Huge.bin");
    EXPECT_FALSE(Contains(all, "123456789"));
    const Entry& e = Left().Entries.back();
    EXPECT_EQ(Squash(pages[1].back()), e.sizeText + " " + e.dateText + " " + e.caption);
}

TEST_F(Listing, OnlyTheParentEntryGivesAHeaderWithTotalZero) {
    MakeDir(tmp / "empty");
    StartIn(tmp / "empty");
    ASSERT_EQ(Captions(Left()), std::vector<std::string>{"[parent]"});
    PrintWithDefaultPrinter();
    const auto pages = JobPages();
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].size(), 2u);
    EXPECT_EQ(pages[0][0].substr(pages[0][0].size() - 11), "Page 1 of 0");
    EXPECT_TRUE(Contains(pages[0][1], "[by filename]"));
}

TEST_F(Listing, AnEmptyListOpensAndClosesAJobWithNoLines) {
    MakeDir(tmp / "empty");
    StartIn(tmp / "empty");
    Left().Entries.clear();
    Left().List.Reset();
    PrintWithDefaultPrinter();
    ASSERT_TRUE(Exists(job));
    EXPECT_TRUE(JobPages().empty());
}

TEST_F(Listing, CancelInThePrintDialogPrintsNothing) {
    StartWith({{"a.txt", 1}});
    SetFocus(Right().List.Handle());
    int asked = 0;
    form->PrintDialog = [&](PRINTDLGW&) {
        ++asked;
        return FALSE;
    };
    form->PrintListing(form->Active());
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(Exists(job));
    EXPECT_EQ(GetFocus(), Left().List.Handle());
}

// A printer error ends the printout with the error report; the job is ended all the same.
TEST_F(Listing, APrinterErrorStillEndsTheJob) {
    StartIn(tmp.Path());
    HDC dc = printer->CreateDc();
    ASSERT_TRUE(dc);
    bool thrown = false;
    try {
        PrinterOutput out(dc, "Test");
        out.SetFont("Courier New", 9, false, false);
        out.Write("before the failure");
        out.EndLine();
        throw IoError(5);
    } catch (const IoError&) {
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(Exists(job));  // the job was ended and written out
    const auto pages = JobPages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(Contains(pages[0][0], "before the failure"));
}

}  // namespace bivane::test
