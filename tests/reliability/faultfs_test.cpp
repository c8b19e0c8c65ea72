// What Wine gives a program for each fault of the fault-injecting file system (scripts/faultfs),
// mounted as F: by the test fixture, and what a copy through it does; docs/reliability.md says so.
#include <fstream>
#include <functional>
#include <tuple>

#include "fileops/confirm_dialog.h"
#include "fileops/replace_dialog.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "reliability/reliability_support.h"

namespace bivane::test {
namespace {

class FaultFs : public ReliabilityTest {
protected:
    void SetUp() override {
        ReliabilityTest::SetUp();
        if (GetFileAttributesW(L"F:\\") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no fault file system (F:)";
        MakeDir(top);
    }
    void TearDown() override {
        Faults("");
        RemoveTree(top);
        ReliabilityTest::TearDown();
    }
    // One control line, "kind path [n]", its path below the test's own folder.
    void Faults(std::string line) {
        if (!line.empty()) line.replace(line.find(' '), 1, " " + below + "/");
        std::ofstream(BuildFolder() + "\\faultfs-control", std::ios::binary) << line << "\n";
    }
    const std::string below = "t" + std::to_string(GetCurrentProcessId()), top = "F:\\" + below;
};

std::string Listed(const std::string& folder) {
    WIN32_FIND_DATAW fd{};
    AutoFindHandle find(FindFirstFileExW(Widen(folder + "\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!find) return "first call: error " + std::to_string(GetLastError());
    int names = 1;
    while (FindNextFileW(find.get(), &fd)) ++names;
    return std::to_string(names) + " names, then error " + std::to_string(GetLastError());
}

// Bytes read to the end (or written, up to 100,000), the error that ended it, the size now.
std::string Through(const std::string& path, bool write) {
    AutoCloseHandle h(CreateFileW(Widen(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  write ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr));
    if (!h) return "open error " + std::to_string(GetLastError());
    static char block[10000];
    std::int64_t total = 0;
    DWORD n = 0, error = 0;
    while (!error && (!write || total < 100000)) {
        const BOOL ok = write ? WriteFile(h.get(), block, sizeof block, &n, nullptr) : ReadFile(h.get(), block, sizeof block, &n, nullptr);
        if (ok && n == 0) break;
        error = ok ? 0 : GetLastError();
        total += ok ? n : 0;
    }
    return std::to_string(total) + " bytes, error " + std::to_string(error) + ", size now " + std::to_string(FileSizeOf(path));
}

}  // namespace

TEST_F(FaultFs, WhatWineGivesForEachFault) {
    for (const char* folder : {"\\big", "\\gone"}) MakeDir(top + folder);
    for (int i = 0; i < 30; ++i) MakeFile(top + "\\big\\f" + std::to_string(100 + i), 10);
    for (const char* file : {"\\r.bin", "\\gone\\a.txt"}) MakeFile(top + file, 100000);
    // The I/O error of a listing is swallowed: the names read, then the folder's plain end.
    for (const auto& [fault, measure, measured] : std::initializer_list<std::tuple<const char*, std::function<std::string()>, std::string>>{
             {"list-eio big 14", [&] { return Listed(top + "\\big"); }, "14 names, then error 18"},
             {"read-eio r.bin 40000", [&] { return Through(top + "\\r.bin", false); }, "40000 bytes, error 21, size now 100000"},
             {"moving r.bin", [&] { return Through(top + "\\r.bin", false); }, "104096 bytes, error 0, size now 104096"},
             {"vanish gone", [&] { return Listed(top + "\\gone") + "; " + Through(top + "\\gone\\a.txt", false); },
              "first call: error 3; open error 3"},
             {"enospc w.bin 30000", [&] { return Through(top + "\\w.bin", true); }, "30000 bytes, error 112, size now 30000"}}) {
        Faults(fault);
        EXPECT_EQ(measure(), measured) << fault;
    }
}

// A file and a folder copied through a read that fails and a target disk that fills: the source
// and the old target stay as they were, no temporary stays, and the user is told which and why.
TEST_F(FaultFs, ACopyThroughEachFaultKeepsWhatItHad) {
    const std::string l = top + "\\L", r = top + "\\R";
    const SYSTEMTIME old = LocalTimeOf(1999, 12, 31, 23, 59);
    struct Case {
        std::string fault;
        const char* pick;
        std::vector<std::string> says;  // the boxes, then the report; "%L", "%R": the two folders
    };
    const Case cases[] = {
        {"read-eio L/B.txt 30000", "B.txt", {"Failure reading file\r%L\\B.txt."}},
        {"enospc R 20000", "B.txt", {"Failure writing file\r%R\\B.txt."}},
        {"read-eio L/box/B.txt 30000", "<box>",
         {"Failure reading file\r%L\\box\\B.txt.", "1 of the 2 files were not copied:\rbox\\B.txt"}},
        {"enospc R 20000", "<box>",
         {"Failure writing file\r%R\\box\\A.txt.", "2 of the 2 files were not copied:\rbox\\A.txt\rbox\\B.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault + " " + c.pick);
        for (const std::string& d : {l, r}) RemoveTree(d);
        for (const std::string& d : {l, l + "\\box", r}) MakeDir(d);
        for (const std::string& f : {l + "\\B.txt", l + "\\box\\A.txt", l + "\\box\\B.txt"}) MakeFile(f, 50000);
        MakeFile(r + "\\B.txt", 9, &old);
        StartSides(l, r);
        Pick(Left(), c.pick);
        const Snapshot before = Snap(l);
        Faults(c.fault);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        if (std::string(c.pick) == "B.txt") ExpectReplace(ReplaceDialog::IdReplaceAll);
        for (std::string says : c.says) {
            for (const auto& [mark, folder] : {std::pair<std::string, std::string>{"%L", l}, {"%R", r}}) {
                for (std::size_t at; (at = says.find(mark)) != std::string::npos;) says.replace(at, 2, folder);
            }
            modals.ExpectBox(says);
        }
        RunMenu(MenuItem::Copy);
        modals.VerifyDone();
        Faults("");
        EXPECT_EQ(Changes(before, Snap(l)), std::set<std::string>{}) << "the source";
        EXPECT_EQ(FileSizeOf(r + "\\B.txt"), 9) << "the old target";
        EXPECT_EQ(Temporaries(r), 0);
        form.reset();
    }
}

}  // namespace bivane::test
