// The newer-or-duplicates comparison on two sides of many files, timed against loading one side.
// Usage: compare_bench [files per side]   (default 100000; the folders are kept for the next run)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "form/main_window.h"
#include "bench/bench_util.h"
#include "platform/fs.h"
#include "platform/modal_seam.h"
#include "platform/utf.h"
#include "tests/support/unix_shell.h"
#include "tags/compare_dialog.h"

using namespace bivane;

namespace {

// Answers the mode dialog with the wanted mode and every box with OK.
class Answers : public ModalHandler {
public:
    bool newer = false;
    std::string report;
    int Box(const BoxRequest& box) override {
        report = box.text;
        return IDOK;
    }
    int Dialog(ModalForm& form) override {
        dynamic_cast<CompareDialog&>(form).SetNewerMode(newer);
        return IDOK;
    }
};

// Every tenth name is on both sides; of those, the left one is newer for half of them and the
// right one for a quarter. Made by the host's tools: far quicker than through Wine.
void MakeSide(const std::string& dir, bool left, int files) {
    if (FileExists(dir + ".done")) return;
    const std::string unixDir = test::UnixPath(dir);
    const std::string n = std::to_string(files);
    const std::string own = left ? "l" : "r";
    const std::string newer = left ? "int(i/10)%2==0" : "int(i/10)%4==1";
    const std::string names = "awk 'BEGIN{for(i=0;i<" + n + ";i++){s=i%10==0; if(SEL) printf \\\"%s%07d.txt\\n\\\", s?\\\"s\\\":\\\"" + own + "\\\", i}}'";
    auto select = [&](const std::string& sel) {
        std::string cmd = names;
        cmd.replace(cmd.find("SEL"), 3, sel);
        return cmd;
    };
    const std::string script = "mkdir -p '" + unixDir + "' && cd '" + unixDir + "' && " + select("1") +
                               " | xargs touch -d '2024-05-06 10:00' && " + select("s&&" + newer) +
                               " | xargs -r touch -d '2024-05-06 10:01' && touch '" + unixDir + ".done'";
    if (test::RunShell(script) != 0) {
        std::fprintf(stderr, "cannot make %s\n", dir.c_str());
        std::exit(2);
    }
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    const int files = argc > 1 ? std::max(1, _wtoi(argv[1])) : 100000;
    const std::string base = bench::BenchBase() + "\\compare" + std::to_string(files);
    CreateDirectoryW(Widen(bench::BenchBase()).c_str(), nullptr);
    CreateDirectoryW(Widen(base).c_str(), nullptr);
    const std::string left = base + "\\left", right = base + "\\right";
    auto made = std::chrono::steady_clock::now();
    MakeSide(left, true, files);
    MakeSide(right, false, files);
    std::printf("files per side: %d (folders ready in %.1f s)\n", files, Seconds(made));

    Answers answers;
    SetModalHandler(&answers);
    SetCurrentDirectoryW(Widen(left).c_str());
    auto form = std::make_unique<MainWindow>();
    form->Show();
    form->TitleClick(form->side[1]);
    form->side[1].Tree.SetDirectory(right);
    form->TitleClick(form->side[0]);

    auto t = std::chrono::steady_clock::now();
    form->ReloadActive();
    const double load = Seconds(t);
    std::printf("load one side: %.3f s (%zu entries)\n", load, form->side[0].Entries.size());

    // Runs on freshly loaded sides, then one more that first clears the tags of the one before.
    auto reload = [&] {
        form->TitleClick(form->side[1]);
        form->ReloadActive();
        form->TitleClick(form->side[0]);
        form->ReloadActive();
    };
    int failures = 0;
    const std::int64_t shared = (files + 9) / 10;
    struct Run {
        const char* name;
        bool newer, fresh;
    };
    for (const Run& run : {Run{"duplicates", false, true}, Run{"newer", true, true},
                           Run{"duplicates after a run (untags first)", false, false}}) {
        if (run.fresh) reload();
        answers.newer = run.newer;
        answers.report.clear();
        t = std::chrono::steady_clock::now();
        form->CompareSides();
        const double compare = Seconds(t);
        for (char& c : answers.report) if (c == '\r') c = ' ';
        bench::Row(std::string("compare ") + run.name + ", " + std::to_string(files) + " files a side", compare,
                   "load one side", load, compare / load, run.fresh ? "<= 0.5" : "");
        std::printf("  steps %lld, tags %lld / %lld: %s\n", static_cast<long long>(form->LastCompareSteps),
                    static_cast<long long>(form->side[0].TagCount), static_cast<long long>(form->side[1].TagCount),
                    answers.report.c_str());
        const std::int64_t wantLeft = run.newer ? (shared + 1) / 2 : shared;
        const std::int64_t wantRight = run.newer ? (shared + 2) / 4 : shared;
        if (form->side[0].TagCount != wantLeft || form->side[1].TagCount != wantRight) ++failures;
    }
    form.reset();
    SetModalHandler(nullptr);
    std::printf("%s\n", failures ? "FAILED: unexpected tag counts" : "ok");
    return failures ? 1 : 0;
}
