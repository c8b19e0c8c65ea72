// Copying one file in blocks while the progress dialog shows how far it got.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/errors.h"

namespace bivane {

class ProgressDialog;

constexpr unsigned kCopyBlockSize = 8192;

// Copies source to target (either may be relative to the current directory) and gives the target
// the source's date. The bar of progress must be prepared by the caller: it is stepped once per
// block read. Raises FileOpenError, FileCreateError or CopyError; on any failure an existing target
// is left exactly as it was and nothing new is left behind. A source whose size or date changed
// while it was read (cut or grown by another program) fails too.
// The temporary is made in stagingDir when one is given (a CopyStaging's, in the target's folder).
// With noLinks, a source that the system opens elsewhere than where it is listed (a link to a
// file, which Wine lists as a plain file) is not read: ELinkedSource.
void CopyFileWithProgress(ProgressDialog& progress, const std::string& source, const std::string& target,
                          const std::wstring& stagingDir = std::wstring(), bool noLinks = false);
class ELinkedSource : public FileOpenError {
public:
    using FileOpenError::FileOpenError;
};

// Tests simulate failing devices: while one of these lives, each copy may write (read) this many
// bytes in all, then the write falls short (the read fails); -1: no limit.
// afterFirstBlock, when set, runs once the first block of each file is written: another program
// acting on the source meanwhile.
struct DeviceFaults {
    std::int64_t writeLimit = -1;
    std::int64_t readLimit = -1;
    std::function<void()> afterFirstBlock = nullptr;
};
class SimulatedCopyFaults {
public:
    explicit SimulatedCopyFaults(DeviceFaults faults);
    ~SimulatedCopyFaults();
    SimulatedCopyFaults(const SimulatedCopyFaults&) = delete;
    SimulatedCopyFaults& operator=(const SimulatedCopyFaults&) = delete;
};

}  // namespace bivane
