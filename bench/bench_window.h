// The window a benchmark drives: controls registered, started in an empty folder (so its own start
// reads nothing big), shown, and with no box or dialog allowed while it measures.
#pragma once
#include "bench/bench_util.h"
#include "form/main_window.h"
#include "platform/fs.h"

namespace bivane::bench {

template <class Modals = NoModals>
struct BenchWindow {
    BenchWindow() {
        form.Show();
        Pump();
    }
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    // Members are made in this order: the controls and the folder before the window.
    bool ready = [] {
        InitControls();
        ChangeDir(EmptyFolder());
        return true;
    }();
    Modals modals;
    MainWindow form;
};

}  // namespace bivane::bench
