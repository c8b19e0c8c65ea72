#include "fileops/copy_file.h"

#include <algorithm>
#include <vector>

#include "core/errors.h"
#include "fileops/progress_dialog.h"
#include "platform/copy_temporaries.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/removal.h"
#include "platform/utf.h"

namespace bivane {

namespace {
DeviceFaults g_faults;  // none outside tests
constexpr std::int64_t kCheckTargetFirst = 1 << 20;
}  // namespace

SimulatedCopyFaults::SimulatedCopyFaults(DeviceFaults faults) { g_faults = faults; }
SimulatedCopyFaults::~SimulatedCopyFaults() { g_faults = DeviceFaults{}; }

namespace {

// The source's times, exactly as the file system keeps them: a date rounded on the way (to local
// time, or to the packed 2-second form) would make every tool that compares dates afterwards take
// the copy as changed.
struct SourceTimes {
    FILETIME created{}, lastWrite{};
};

LARGE_INTEGER AsLarge(const FILETIME& t) {
    LARGE_INTEGER v{};
    v.LowPart = t.dwLowDateTime;
    v.HighPart = static_cast<LONG>(t.dwHighDateTime);
    return v;
}

// Gives the finished temporary the source's times (unless not known) and takes away its hidden
// mark if it has one, in one call on the open file (by name it would be one more look-up).
void SetDateAndShow(HANDLE file, const SourceTimes* times, bool hidden) {
    FILE_BASIC_INFO info{};  // times left 0: unchanged
    if (times) {
        info.CreationTime = AsLarge(times->created);
        info.LastWriteTime = AsLarge(times->lastWrite);
    }
    info.FileAttributes = hidden ? FILE_ATTRIBUTE_NORMAL : 0;  // 0: unchanged
    SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
}

// The copy is written beside the target and only then put in its place, so a target that exists
// must be writable: a read-only, locked or otherwise unwritable one (or a folder) fails as a
// direct create would. A missing one passes: a name the folder cannot hold fails when the copy
// takes it.
bool TargetCreatable(const std::wstring& target) {
    const DWORD attr = GetFileAttributesW(target.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    // The mark is checked itself: an administrator (root under Wine) may write such a file.
    if (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    AutoCloseHandle h(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(h);
}

// Whether the source read to its end was exactly as long as when opened (cut or grown meanwhile,
// it is not) and still has its date (rewritten in place, it has not). One query: each costs a
// round to the server under Wine, and most files copied are small.
bool Unchanged(HANDLE in, std::int64_t size, const FILETIME& date, std::int64_t read) {
    FILETIME nowDate{};
    return read == size && GetFileTime(in, nullptr, nullptr, &nowDate) && CompareFileTime(&nowDate, &date) == 0;
}

std::wstring DirectoryOf(const std::wstring& fullPath) {
    const size_t slash = fullPath.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : fullPath.substr(0, slash + 1);
}

}  // namespace

namespace {

// Owns the temporary copy: it is removed unless Commit put it in the target's place.
class TemporaryFile {
public:
    TemporaryFile(AutoCloseHandle handle, std::wstring name, bool hidden)
        : handle_(std::move(handle)), name_(std::move(name)), hidden_(hidden) {}
    ~TemporaryFile() {
        handle_.reset();
        if (!name_.empty()) DeleteFileW(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    HANDLE get() const { return handle_.get(); }
    // Under Wine every look-up of a missing name searches the whole folder, so the target is not
    // looked up before: the move fails when a file has the name, and that one is checked then.
    bool Commit(const std::wstring& target, const SourceTimes* times) {
        SetDateAndShow(handle_.get(), times, hidden_);
        if (!MoveOpenTemporary(handle_.get(), target, false)) {
            const DWORD error = GetLastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
            if (!TargetCreatable(target) || !MoveOpenTemporary(handle_.get(), target, true)) return false;
        }
        name_.clear();
        handle_.reset();
        return true;
    }

private:
    AutoCloseHandle handle_;
    std::wstring name_;
    bool hidden_;
};

// Sets Status to " " and repaints on every way out once the copy has begun.
class StatusReset {
public:
    explicit StatusReset(ProgressDialog& p) : p_(p) {}
    ~StatusReset() {
        p_.SetText(p_.Status, " ");
        p_.Repaint();
    }
    StatusReset(const StatusReset&) = delete;
    StatusReset& operator=(const StatusReset&) = delete;

private:
    ProgressDialog& p_;
};

}  // namespace

void CopyFileWithProgress(ProgressDialog& progress, const std::string& source, const std::string& target,
                          const std::wstring& stagingDir, bool noLinks) {
    // Exact forms: a name with a trailing dot or space must not reach its namesake without one.
    const std::wstring wTarget = ExactPath(target);
    const std::string fullTarget = ShownPath(wTarget);
    const std::wstring wSource = ExactPath(source);
    // Messages show a path given in its exact form (a folder copy's) without its prefix.
    const std::string shownSource = source.rfind("\\\\?\\", 0) == 0 ? ShownPath(wSource) : source;

    std::vector<char> buffer(kCopyBlockSize);
    StatusReset statusReset(progress);

    AutoCloseHandle in(CreateFileW(wSource.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // Only a regular file has an end: a FIFO, socket or device (listed under Wine as an empty
    // file) would be copied as nothing or read without end.
    if (!in || GetFileType(in.get()) != FILE_TYPE_DISK) throw FileOpenError("Cannot open file " + shownSource);
    if (noLinks && OpenedThroughLink(in.get(), wSource)) throw ELinkedSource("Not copied: a link " + shownSource);
    // The date and the size from the open file, each a plain query: GetFileInformationByHandle
    // also asks the volume for its serial number, half a millisecond a file under Wine.
    SourceTimes times;
    LARGE_INTEGER length{};
    const bool known =
        GetFileTime(in.get(), &times.created, nullptr, &times.lastWrite) && GetFileSizeEx(in.get(), &length);

    // A file that takes a while to copy fails at once on a target it could not replace.
    const std::int64_t size = length.QuadPart;
    if ((!known || size > kCheckTargetFirst) && !TargetCreatable(wTarget)) {
        throw FileCreateError("Cannot create file " + fullTarget);
    }
    std::wstring tempName;
    const bool beside = stagingDir.empty();  // then hidden, among the target folder's files
    AutoCloseHandle tempHandle = CreateCopyTemporary(beside ? DirectoryOf(wTarget) : stagingDir, tempName, beside);
    if (!tempHandle) throw FileCreateError("Cannot create file " + fullTarget);
    TemporaryFile out(std::move(tempHandle), tempName, beside);

    std::int64_t writeBudget = g_faults.writeLimit;
    std::int64_t readBudget = g_faults.readLimit;
    std::int64_t copied = 0;
    DWORD n = 0;
    do {
        const bool readFault = readBudget >= 0 && (readBudget -= kCopyBlockSize) < 0;
        if (readFault || !ReadFile(in.get(), buffer.data(), kCopyBlockSize, &n, nullptr)) {
            throw CopyError("Failure reading file\r" + shownSource);
        }
        if (n > 0) {
            DWORD toWrite = n;
            if (writeBudget >= 0) {
                toWrite = static_cast<DWORD>(std::min<std::int64_t>(n, writeBudget));
                writeBudget -= toWrite;
            }
            DWORD written = 0;
            if (!WriteFile(out.get(), buffer.data(), toWrite, &written, nullptr) || written < n) {
                throw CopyError("Failure writing file\r" + fullTarget);
            }
            if (copied == 0 && g_faults.afterFirstBlock) g_faults.afterFirstBlock();
            copied += n;
        }
        progress.StepBar();
    } while (n >= kCopyBlockSize);
    // The open's sharing keeps other Windows programs out, not a program of the host under Wine:
    // a file cut or grown meanwhile would leave a copy that matches neither version.
    if (known && !Unchanged(in.get(), size, times.lastWrite, copied)) {
        throw CopyError("File changed while it was copied\r" + shownSource);
    }

    progress.SetText(progress.Status, "Setting file date...");
    progress.Repaint();
    if (!out.Commit(wTarget, known ? &times : nullptr)) throw FileCreateError("Cannot create file " + fullTarget);
}

}  // namespace bivane
