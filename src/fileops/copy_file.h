// Copying one file in blocks while the progress dialog shows how far it got.
#pragma once
#include <cstdint>
#include <string>

namespace bivane {

class TProgress;

constexpr unsigned kCopyBlockSize = 8192;

// Copies source to target (either may be relative to the current directory) and gives the target
// the source's date. The bar of progress must be prepared by the caller: it is stepped once per
// block read. Raises EFOpenError, EFCreateError or EFCantCopy; on any failure an existing target
// is left exactly as it was and nothing new is left behind.
// The temporary is made in stagingDir when one is given (a CopyStaging's, in the target's folder).
void CopyFileWithProgress(TProgress& progress, const std::string& source, const std::string& target,
                          const std::wstring& stagingDir = std::wstring());

// Tests simulate failing devices: while one of these lives, each copy may write (read) this many
// bytes in all, then the write falls short (the read fails); -1: no limit.
struct DeviceFaults {
    std::int64_t writeLimit = -1;
    std::int64_t readLimit = -1;
};
class SimulatedCopyFaults {
public:
    explicit SimulatedCopyFaults(DeviceFaults faults);
    ~SimulatedCopyFaults();
    SimulatedCopyFaults(const SimulatedCopyFaults&) = delete;
    SimulatedCopyFaults& operator=(const SimulatedCopyFaults&) = delete;
};

}  // namespace bivane
