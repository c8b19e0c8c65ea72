// What Wine gives a program for each fault of the fault-injecting file system (scripts/faultfs), mounted
// as F: by the test fixture: each case prints what it measured, for docs/reliability.md.
#include <cstdio>
#include <functional>

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
        below = "t" + std::to_string(GetCurrentProcessId());
        top = "F:\\" + below;
        RemoveTree(top);
        MakeDir(top);
    }
    void TearDown() override {
        Faults("");
        if (!top.empty()) RemoveTree(top);
        ReliabilityTest::TearDown();
    }
    // The control file's lines; each path is below the test's own folder.
    void Faults(const std::string& lines) {
        FILE* f = _wfopen(Widen(BuildFolder() + "\\faultfs-control").c_str(), L"wb");
        ASSERT_TRUE(f);
        fputs(lines.c_str(), f);
        fclose(f);
    }
    std::string below, top;
};

// Names listed, and the error the listing ended on (or the error of its first call).
std::string Listed(const std::string& folder) {
    WIN32_FIND_DATAW fd{};
    AutoFindHandle find(FindFirstFileExW(Widen(folder + "\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return "first call: error " + std::to_string(GetLastError());
    int names = 1;
    while (FindNextFileW(find.get(), &fd)) ++names;
    return std::to_string(names) + " names, then error " + std::to_string(GetLastError());
}

// What reading the whole file gave: bytes read, the error, and the size a new look gives.
std::string ReadThrough(const std::string& path) {
    AutoCloseHandle h(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h) return "open error " + std::to_string(GetLastError());
    static char buffer[65536];
    std::int64_t total = 0;
    DWORD got = 0, error = 0;
    while (true) {
        if (!ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr)) error = GetLastError();
        if (error || got == 0) break;
        total += got;
    }
    return std::to_string(total) + " bytes, error " + std::to_string(error) + ", size now " + std::to_string(FileSizeOf(path));
}

// Bytes written of 100,000, and the error the write ended on.
std::string WriteThrough(const std::string& path) {
    AutoCloseHandle h(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!h) return "create error " + std::to_string(GetLastError());
    static const char block[10000] = {};
    std::int64_t total = 0;
    DWORD done = 0;
    for (int i = 0; i < 10; ++i) {
        if (!WriteFile(h.get(), block, sizeof block, &done, nullptr)) return std::to_string(total) + " bytes, error " + std::to_string(GetLastError());
        total += done;
    }
    return std::to_string(total) + " bytes, error 0";
}

}  // namespace

TEST_F(FaultFs, WhatWineGivesForEachFault) {
    MakeDir(top + "\\big");
    MakeDir(top + "\\gone");
    for (int i = 0; i < 30; ++i) MakeFile(top + "\\big\\f" + std::to_string(100 + i), 10);
    MakeFile(top + "\\r.bin", 100000);
    MakeFile(top + "\\gone\\a.txt", 10);
    const struct {
        const char* fault;
        std::function<std::string()> measure;
        std::string measured;
    } cases[] = {
        // The I/O error is swallowed: the names read, then the folder's plain end.
        {"list-eio big 14", [&] { return Listed(top + "\\big"); }, "14 names, then error 18"},
        {"read-eio r.bin 40000", [&] { return ReadThrough(top + "\\r.bin"); }, "0 bytes, error 21, size now 100000"},
        {"moving r.bin", [&] { return ReadThrough(top + "\\r.bin"); }, "104096 bytes, error 0, size now 104096"},
        {"vanish gone", [&] { return Listed(top + "\\gone") + "; " + ReadThrough(top + "\\gone\\a.txt"); },
         "first call: error 3; open error 3"},
        {"enospc w.bin 30000", [&] { return WriteThrough(top + "\\w.bin"); }, "30000 bytes, error 112"},
    };
    for (const auto& c : cases) {
        const std::string fault = c.fault;
        const std::size_t space = fault.find(' ');
        Faults(fault.substr(0, space) + " " + below + "/" + fault.substr(space + 1) + "\n");
        const std::string got = c.measure();
        std::printf("faultfs: %-22s -> %s\n", c.fault, got.c_str());
        EXPECT_EQ(got, c.measured) << c.fault;
    }
}

// A copy through each fault Wine lets through, both sides on F:: the old target stays as it was, no
// temporary is left, and the user is told in the program's own words.
TEST_F(FaultFs, ACopyThroughEachFaultKeepsTheTarget) {
    const std::string l = top + "\\L", r = top + "\\R";
    const SYSTEMTIME old = LocalTimeOf(1999, 12, 31, 23, 59);
    const struct {
        const char* fault;
        std::string box;
    } cases[] = {
        {"read-eio L/B.txt 30000", "Failure reading file\r" + l + "\\B.txt."},
        {"enospc R 20000", "Failure writing file\r" + r + "\\B.txt."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        MakeDir(l);
        MakeDir(r);
        MakeFile(l + "\\B.txt", 50000);
        MakeFile(r + "\\B.txt", 9, &old);
        StartSides(l, r);
        Pick(Left(), "B.txt");
        const Snapshot before = Snap(r);
        Faults(std::string(c.fault).replace(std::string(c.fault).find(' '), 1, " " + below + "/") + "\n");
        modals.ExpectDialog("ConfirmDialog", [](ModalForm&) { return IDOK; });
        ExpectReplace(ReplaceDialog::IdReplaceAll);
        modals.ExpectBox(c.box, IDOK, kAppTitle);
        RunMenu(MenuItem::Copy);
        modals.VerifyDone();
        Faults("");
        EXPECT_EQ(Changes(before, Snap(r)), std::set<std::string>{});
        EXPECT_EQ(Temporaries(r), 0);
        form.reset();
        RemoveTree(l);
        RemoveTree(r);
    }
}

}  // namespace bivane::test
