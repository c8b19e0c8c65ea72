#include "fileops/copy_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "core/errors.h"
#include "fileops/progress_dialog.h"
#include "platform/copy_temporaries.h"
#include "platform/fs.h"
#include "platform/handles.h"
#include "platform/job_queue.h"
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
// the copy as changed. And the attributes a copy keeps.
struct SourceTimes {
    FILETIME created{}, lastWrite{};
    DWORD attributes = 0;
};

constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

LARGE_INTEGER AsLarge(const FILETIME& t) {
    LARGE_INTEGER v{};
    v.LowPart = t.dwLowDateTime;
    v.HighPart = static_cast<LONG>(t.dwHighDateTime);
    return v;
}

// Gives the finished temporary the source's times (unless not known) and attributes (which take
// away its hidden mark unless the source has one), in one call on the open file (by name it would
// be one more look-up). False when the system refused: a copy without them is not finished.
bool SetDateAndAttributes(HANDLE file, const SourceTimes* times) {
    FILE_BASIC_INFO info{};  // times left 0: unchanged
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (times) {
        info.CreationTime = AsLarge(times->created);
        info.LastWriteTime = AsLarge(times->lastWrite);
        if (times->attributes & kKeptAttributes) attributes = times->attributes & kKeptAttributes;
    }
    info.FileAttributes = attributes;
    return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != FALSE;
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

// The file a copy comes to replace, looked at in one open (each look-up of a name costs a search
// of its folder under Wine): whether it may be replaced (as TargetCreatable), and what it is now.
struct FoundTarget {
    bool writable = false;
    TargetState state;
};
FoundTarget LookAtTarget(const std::wstring& target) {
    FoundTarget found;
    AutoCloseHandle h(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    FILE_BASIC_INFO basic{};
    LARGE_INTEGER size{};
    if (!h || !GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) || !GetFileSizeEx(h.get(), &size)) {
        return found;
    }
    // The mark is checked itself: an administrator (root under Wine) may write such a file.
    found.writable = !(basic.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
    found.state = TargetState{true, size.QuadPart, basic.LastWriteTime.QuadPart};
    return found;
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
    TemporaryFile(AutoCloseHandle handle, std::wstring name) : handle_(std::move(handle)), name_(std::move(name)) {}
    ~TemporaryFile() {
        handle_.reset();
        if (!name_.empty()) DeleteFileW(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    HANDLE get() const { return handle_.get(); }
    const std::wstring& Name() const { return name_; }
    // Under Wine every look-up of a missing name searches the whole folder, so the target is not
    // looked up before: the move fails when a file has the name, and that one is checked then,
    // against what the user agreed to when there is such an agreement.
    bool Commit(const std::wstring& target, const CopyOptions& options, const std::string& shownTarget) {
        if (!MoveOpenTemporary(handle_.get(), target, false)) {
            const DWORD error = GetLastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
            const FoundTarget found = LookAtTarget(target);
            if (!found.writable) return false;
            if (options.agreed) CheckAgreed(*options.agreed, found.state, options, shownTarget);
            if (!MoveOpenTemporary(handle_.get(), target, true)) return false;
        }
        name_.clear();
        handle_.reset();
        return true;
    }

private:
    static void CheckAgreed(const TargetState& agreed, const TargetState& now, const CopyOptions& options,
                            const std::string& shownTarget) {
        if (agreed.exists && now.size == agreed.size && now.lastWrite == agreed.lastWrite) return;
        if (options.replaceChanged && options.replaceChanged(shownTarget, !agreed.exists)) return;
        throw ETargetChanged((agreed.exists ? "Not replaced: changed since the copy was agreed\r"
                                            : "Not replaced: made since the copy was agreed\r") + shownTarget);
    }

    AutoCloseHandle handle_;
    std::wstring name_;
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

// A block buffer aligned for reads past the cache (FILE_FLAG_NO_BUFFERING wants the sector's
// alignment; a page is a multiple of every sector size).
struct VirtualFreer {
    void operator()(char* p) const { VirtualFree(p, 0, MEM_RELEASE); }
};
using AlignedBlock = std::unique_ptr<char, VirtualFreer>;
AlignedBlock NewBlock() {
    return AlignedBlock(static_cast<char*>(VirtualAlloc(nullptr, kCopyBlockSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)));
}

// The source and its copy as the copy goes.
struct CopyEnds {
    HANDLE in;
    HANDLE out;
    const std::string& shownSource;
    const std::string& fullTarget;
};

bool ReadBlock(HANDLE h, char* buffer, DWORD& n) { return ReadFile(h, buffer, kCopyBlockSize, &n, nullptr) != FALSE; }

// Writes a block, or as much of it as a simulated full disk takes.
bool WriteBlock(HANDLE h, const char* buffer, DWORD n, std::int64_t& writeBudget) {
    DWORD toWrite = n;
    if (writeBudget >= 0) {
        toWrite = static_cast<DWORD>(std::min<std::int64_t>(n, writeBudget));
        writeBudget -= toWrite;
    }
    DWORD written = 0;
    return WriteFile(h, buffer, toWrite, &written, nullptr) && written == n;
}

// Copies in blocks, stepping the bar and telling the job how far it got in the file; stops
// between two blocks when asked. Returns the bytes copied.
std::int64_t CopyBlocks(ProgressDialog& progress, const CopyEnds& ends, CopyBuffer* runs) {
    std::optional<CopyBuffer> own;
    char* const buffer = runs ? runs->get() : own.emplace().get();
    std::int64_t writeBudget = g_faults.writeLimit;
    std::int64_t copied = 0;
    DWORD n = 0;
    do {
        if (copied > 0 && progress.StopAsked()) throw ECopyStopped("Stopped while copying\r" + ends.shownSource);
        const bool read = ReadBlock(ends.in, buffer, n);
        if (!read || (g_faults.readLimit >= 0 && copied + n > g_faults.readLimit)) {
            throw CopyError("Failure reading file\r" + ends.shownSource);
        }
        if (n > 0) {
            if (g_faults.corruptAt >= copied && g_faults.corruptAt < copied + n) buffer[g_faults.corruptAt - copied] ^= 1;
            if (!WriteBlock(ends.out, buffer, n, writeBudget)) throw CopyError("Failure writing file\r" + ends.fullTarget);
            const bool first = copied == 0;
            copied += n;
            JobQueue::ReportInFile(copied);
            if (first && g_faults.afterFirstBlock) g_faults.afterFirstBlock();
        }
        progress.StepBar();
    } while (n >= kCopyBlockSize);
    return copied;
}

// Opens the finished temporary again to read it back: past the cache where the system allows,
// else as any file.
AutoCloseHandle OpenToReadBack(const std::wstring& name) {
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    for (const DWORD flags : {DWORD{FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN}, DWORD{FILE_FLAG_SEQUENTIAL_SCAN}}) {
        AutoCloseHandle h(CreateFileW(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr));
        if (h) return h;
    }
    return AutoCloseHandle();
}

// Whether the temporary, written to the disk, reads back as the source does from its beginning.
bool ReadsBack(HANDLE in, HANDLE out, const std::wstring& tempName) {
    if (!FlushFileBuffers(out)) return false;
    AutoCloseHandle back = OpenToReadBack(tempName);
    const AlignedBlock a = NewBlock(), b = NewBlock();
    LARGE_INTEGER zero{};
    if (!back || !a || !b || !SetFilePointerEx(in, zero, nullptr, FILE_BEGIN)) return false;
    for (;;) {
        DWORD na = 0, nb = 0;
        if (!ReadBlock(in, a.get(), na) || !ReadBlock(back.get(), b.get(), nb)) return false;
        if (na != nb || std::memcmp(a.get(), b.get(), na) != 0) return false;
        if (na < kCopyBlockSize) return true;
    }
}

// The source opened for the copy, with what is known of it.
struct OpenSource {
    AutoCloseHandle in;
    SourceTimes times;
    std::int64_t size = 0;
    bool known = false;
};

OpenSource OpenForCopy(const std::wstring& wSource, const std::string& shownSource, bool noLinks) {
    OpenSource s;
    s.in.reset(CreateFileW(wSource.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // Only a regular file has an end: a FIFO, socket or device (listed under Wine as an empty
    // file) would be copied as nothing or read without end.
    if (!s.in || GetFileType(s.in.get()) != FILE_TYPE_DISK) throw FileOpenError("Cannot open file " + shownSource);
    if (noLinks && OpenedThroughLink(s.in.get(), wSource)) throw ELinkedSource("Not copied: a link " + shownSource);
    // Dates, attributes and size from the open file, each a plain query: GetFileInformationByHandle
    // also asks the volume for its serial number, half a millisecond a file under Wine.
    FILE_BASIC_INFO basic{};
    LARGE_INTEGER length{};
    s.known = GetFileInformationByHandleEx(s.in.get(), FileBasicInfo, &basic, sizeof basic) &&
              GetFileSizeEx(s.in.get(), &length);
    s.times.created = {basic.CreationTime.LowPart, static_cast<DWORD>(basic.CreationTime.HighPart)};
    s.times.lastWrite = {basic.LastWriteTime.LowPart, static_cast<DWORD>(basic.LastWriteTime.HighPart)};
    s.times.attributes = basic.FileAttributes;
    s.size = length.QuadPart;
    return s;
}

}  // namespace

void CopyFileWithProgress(ProgressDialog& progress, const std::string& source, const std::string& target,
                          const std::wstring& stagingDir, bool noLinks) {
    CopyOptions options;
    options.stagingDir = stagingDir;
    options.noLinks = noLinks;
    CopyFileWithProgress(progress, source, target, options);
}

void CopyFileWithProgress(ProgressDialog& progress, const std::string& source, const std::string& target,
                          const CopyOptions& options) {
    // Exact forms: a name with a trailing dot or space must not reach its namesake without one.
    const std::wstring wTarget = ExactPath(target);
    const std::string fullTarget = ShownPath(wTarget);
    const std::wstring wSource = ExactPath(source);
    // Messages show a path given in its exact form (a folder copy's) without its prefix.
    const std::string shownSource = source.rfind("\\\\?\\", 0) == 0 ? ShownPath(wSource) : source;
    StatusReset statusReset(progress);
    OpenSource src = OpenForCopy(wSource, shownSource, options.noLinks);

    // A file that takes a while to copy fails at once on a target it could not replace.
    if ((!src.known || src.size > kCheckTargetFirst) && !TargetCreatable(wTarget)) {
        throw FileCreateError("Cannot create file " + fullTarget);
    }
    std::wstring tempName;
    const bool beside = options.stagingDir.empty();  // then hidden, among the target folder's files
    AutoCloseHandle tempHandle =
        CreateCopyTemporary(beside ? DirectoryOf(wTarget) : options.stagingDir, tempName, beside);
    if (!tempHandle) throw FileCreateError("Cannot create file " + fullTarget);
    TemporaryFile out(std::move(tempHandle), tempName);

    const std::int64_t copied = CopyBlocks(progress, CopyEnds{src.in.get(), out.get(), shownSource, fullTarget}, options.buffer);
    // The open's sharing keeps other Windows programs out, not a program of the host under Wine:
    // a file cut or grown meanwhile would leave a copy that matches neither version.
    if (src.known && !Unchanged(src.in.get(), src.size, src.times.lastWrite, copied)) {
        throw CopyError("File changed while it was copied\r" + shownSource);
    }
    if (options.verify) {
        progress.SetText(progress.Status, "Verifying...");
        progress.Repaint();
        if (!ReadsBack(src.in.get(), out.get(), out.Name())) throw ECopyNotVerified("The copy did not verify\r" + fullTarget);
    }
    progress.SetText(progress.Status, "Setting file date...");
    progress.Repaint();
    if (!SetDateAndAttributes(out.get(), src.known ? &src.times : nullptr)) {
        throw CopyError("Cannot set the date and attributes of\r" + fullTarget);
    }
    if (!out.Commit(wTarget, options, fullTarget)) throw FileCreateError("Cannot create file " + fullTarget);
}

}  // namespace bivane
