// A thread the program starts, as its owner sees it: told to stop without waiting, and asked
// whether it has ended. An owner waits a short while for its threads at the end and leaves one
// blocked in the file system (a dead network share) to the process's end, never joining it.
#pragma once
#include <chrono>
#include <memory>
#include <vector>

namespace bivane {

class Stoppable {
public:
    virtual ~Stoppable() = default;  // called only once Ended() (it joins an ended thread)
    virtual void RequestStop() = 0;  // returns at once; the thread stops between two system calls
    virtual bool Ended() const = 0;  // the thread has ended, or never started
};

// Tells each to stop and waits until all have ended or `wait` has passed. Those ended are freed;
// the others are abandoned: never freed, as their threads still use them. How many were abandoned.
int EndWithin(std::vector<std::unique_ptr<Stoppable>>& threads, std::chrono::milliseconds wait);

}  // namespace bivane
