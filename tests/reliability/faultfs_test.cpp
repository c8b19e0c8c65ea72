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

// A copy through each fault (both sides on F:) keeps the old target, leaves no temporary, and says why.
TEST_F(FaultFs, ACopyThroughEachFaultKeepsTheTarget) {
    const std::string l = top + "\\L", r = top + "\\R";
    const SYSTEMTIME old = LocalTimeOf(1999, 12, 31, 23, 59);
    for (const auto& [fault, box] : {std::pair<std::string, std::string>{"read-eio L/B.txt 30000", "Failure reading file\r" + l + "\\B.txt."},
                                     {"enospc R 20000", "Failure writing file\r" + r + "\\B.txt."}}) {
        SCOPED_TRACE(fault);
        for (const std::string& d : {l, r}) MakeDir(d);
        MakeFile(l + "\\B.txt", 50000);
        MakeFile(r + "\\B.txt", 9, &old);
        StartSides(l, r);
        Pick(Left(), "B.txt");
        const Snapshot before = Snap(r);
        Faults(fault);
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        ExpectReplace(ReplaceDialog::IdReplaceAll);
        modals.ExpectBox(box, IDOK, kAppTitle);
        RunMenu(MenuItem::Copy);
        modals.VerifyDone();
        Faults("");
        EXPECT_EQ(Changes(before, Snap(r)), std::set<std::string>{});
        EXPECT_EQ(Temporaries(r), 0);
        form.reset();
    }
}

}  // namespace bivane::test
