// Copying one file in blocks while the progress dialog shows how far it got.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/errors.h"

namespace bivane {

class ProgressDialog;

// Big blocks keep the copy at the speed of the disk: each block is a round to the system (and,
// under Wine, to its server). Stop, pause and the progress are read between two blocks.
constexpr unsigned kCopyBlockSize = 1u << 20;

// What a target was when the user agreed to the copy: absent, or that file (size and date).
struct TargetState {
    bool exists = false;
    std::int64_t size = 0;
    std::int64_t lastWrite = 0;  // FILETIME ticks
};

// The block a copy reads into, made once for a run of files: a fresh megabyte for each small file
// costs more than copying it.
class CopyBuffer {
public:
    CopyBuffer() : block_(std::make_unique_for_overwrite<char[]>(kCopyBlockSize)) {}
    char* get() const { return block_.get(); }

private:
    std::unique_ptr<char[]> block_;
};

struct CopyOptions {
    // The temporary is made here when given (a CopyStaging's, in the target's folder).
    std::wstring stagingDir;
    // A source that the system opens elsewhere than where it is listed (a link to a file, which
    // Wine lists as a plain file) is not read: ELinkedSource.
    bool noLinks = false;
    // The temporary is flushed and read back, past the cache where the system allows, before it
    // takes the target's place: a copy that reads back otherwise fails and the old target stays.
    bool verify = false;
    // When set, the target is looked at again when the copy takes its place: one that appeared
    // or changed since is not replaced unless replaceChanged (called on the copy's thread) says so;
    // without it the copy fails with ETargetChanged.
    std::optional<TargetState> agreed;
    std::function<bool(const std::string& target, bool appeared)> replaceChanged;
    CopyBuffer* buffer = nullptr;  // the run's; without one the copy makes its own
};

// Copies source to target (either may be relative to the current directory) and gives the target
// the source's date and attributes (read-only, hidden, system, archive). The bar of progress must
// be prepared by the caller: it is stepped once per block read. Raises FileOpenError,
// FileCreateError or CopyError; on any failure an existing target is left exactly as it was and
// nothing new is left behind. A source whose size or date changed while it was read (cut or grown
// by another program) fails too. Escape (or a job's stop) between two blocks raises ECopyStopped.
void CopyFileWithProgress(ProgressDialog& progress, const std::string& source, const std::string& target,
                          const CopyOptions& options);
void CopyFileWithProgress(ProgressDialog& progress, const std::string& source, const std::string& target,
                          const std::wstring& stagingDir = std::wstring(), bool noLinks = false);
class ELinkedSource : public FileOpenError {
public:
    using FileOpenError::FileOpenError;
};
// Stopped between two blocks: nothing written, the target as it was.
class ECopyStopped : public CopyError {
public:
    using CopyError::CopyError;
};
// Read back from the disk unlike its source: the copy removed, the target as it was.
class ECopyNotVerified : public CopyError {
public:
    using CopyError::CopyError;
};
// The target appeared or changed since the user agreed, and was left as it is.
class ETargetChanged : public CopyError {
public:
    using CopyError::CopyError;
};

// Tests simulate failing devices: while one of these lives, each copy may write (read) this many
// bytes in all, then the write falls short (the read fails); -1: no limit. corruptAt: the byte at
// that offset of each copy is written wrong (a device that garbles what it stores).
// afterFirstBlock, when set, runs once the first block of each file is written: another program
// acting on the source meanwhile.
struct DeviceFaults {
    std::int64_t writeLimit = -1;
    std::int64_t readLimit = -1;
    std::int64_t corruptAt = -1;
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
