#include "core/stoppable.h"

#include <thread>

namespace bivane {

int EndWithin(std::vector<std::unique_ptr<Stoppable>>& threads, std::chrono::milliseconds wait) {
    for (const auto& t : threads) t->RequestStop();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto allEnded = [&] {
        for (const auto& t : threads) {
            if (!t->Ended()) return false;
        }
        return true;
    };
    while (!allEnded() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    int abandoned = 0;
    for (auto& t : threads) {
        if (t->Ended()) {
            t.reset();
        } else {
            (void)t.release();  // its thread may wake and touch it: it lives until the process ends
            ++abandoned;
        }
    }
    threads.clear();
    return abandoned;
}

}  // namespace bivane
