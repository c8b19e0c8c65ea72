#include "viewer/file_source.h"

#include <algorithm>
#include <cstring>

#include "platform/fs.h"
#include "platform/utf.h"

#include <winternl.h>  // after windows.h

namespace bivane::viewer {

namespace {

using NtReadFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, void*, PIO_STATUS_BLOCK, void*, ULONG,
                                      PLARGE_INTEGER, PULONG);

// Reads count bytes at offset; the bytes read, 0 at the end or on an error. ReadFile with an
// OVERLAPPED hands the system the OVERLAPPED as a completion key, and Wine then asks its server
// after every read whether the handle has a completion port: a round trip per read, under load
// as long as reading 256 KB. The native read at an offset names no key, so it makes none.
DWORD ReadAt(HANDLE file, std::uint64_t offset, void* out, DWORD count) {
    static const auto native = reinterpret_cast<NtReadFileFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtReadFile")));
    if (native) {
        IO_STATUS_BLOCK io{};
        LARGE_INTEGER at{};
        at.QuadPart = static_cast<LONGLONG>(offset);
        const NTSTATUS status = native(file, nullptr, nullptr, nullptr, &io, out, count, &at, nullptr);
        return status >= 0 ? static_cast<DWORD>(io.Information) : 0;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return ReadFile(file, out, count, &got, &at) ? got : 0;
}

// The usual reasons in words of the viewer's own; the system's text for the rest.
std::string SystemMessage(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND: return "The file does not exist: it may have been moved or deleted.";
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return "Another program has the file open and does not let others read it.";
        case ERROR_ACCESS_DENIED: return "You are not allowed to read the file.";
        default: break;
    }
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring s = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(code) + L".";
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return Narrow(s);
}

[[noreturn]] void Fail(const std::string& path, const std::string& why) {
    throw OpenError{"Cannot open \"" + path + "\":\n" + why};
}

}  // namespace

FileSource::FileSource(const std::string& path) {
    // A \\?\ path is taken as it is; others reach the exact name (trailing dots and spaces kept).
    const std::wstring wide = path.rfind("\\\\?\\", 0) == 0 ? Widen(path) : ExactPath(path);
    // Looked at before opening: opening a FIFO for reading would wait for a writer for ever.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) Fail(path, SystemMessage(GetLastError()));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) Fail(path, "It is a folder, not a file.");
    file_.reset(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) Fail(path, SystemMessage(GetLastError()));
    if (GetFileType(file_.get()) != FILE_TYPE_DISK) Fail(path, "It is not a file on a disk.");
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size)) Fail(path, SystemMessage(GetLastError()));
    size_ = size.QuadPart;
}

const FileSource::Block& FileSource::Load(std::int64_t index) {
    ++clock_;
    for (Block& b : blocks_) {
        if (b.index == index) {
            b.used = clock_;
            return b;
        }
    }
    Block& b = *std::min_element(blocks_.begin(), blocks_.end(),
                                 [](const Block& x, const Block& y) { return x.used < y.used; });
    b.index = index;
    b.used = clock_;
    b.bytes.resize(kBlock);
    const auto offset = static_cast<std::uint64_t>(index) * kBlock;
    const DWORD got = ReadAt(file_.get(), offset, b.bytes.data(), static_cast<DWORD>(kBlock));
    b.bytes.resize(got);
    // Short of the size known: the file shrank (or cannot be read here). Take its new size, and
    // forget what was read before, which may be gone too.
    if (static_cast<std::int64_t>(offset + got) < size_ && got < kBlock) {
        LARGE_INTEGER now{};
        if (GetFileSizeEx(file_.get(), &now) && now.QuadPart < size_) {
            size_ = now.QuadPart;
            for (Block& other : blocks_) {
                if (&other != &b) other.index = -1;
            }
        }
    }
    return b;
}

std::unique_ptr<FileSource> FileSource::Duplicate() const {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), file_.get(), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return std::unique_ptr<FileSource>(new FileSource(AutoCloseHandle(copy), size_));
}

bool FileSource::Refresh() {
    LARGE_INTEGER now{};
    if (!GetFileSizeEx(file_.get(), &now) || now.QuadPart == size_) return false;
    const std::int64_t lastBlock = std::min(size_, now.QuadPart) / static_cast<std::int64_t>(kBlock);
    for (Block& b : blocks_) {
        if (b.index >= lastBlock) b.index = -1;
    }
    size_ = now.QuadPart;
    return true;
}

// Positioned reads, each at most a DWORD's worth; short at the end of what can be read.
std::size_t FileSource::ReadDirect(std::int64_t offset, std::uint8_t* out, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const auto want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        const DWORD got = ReadAt(file_.get(), static_cast<std::uint64_t>(offset) + done, out + done, want);
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::size_t FileSource::Read(std::int64_t offset, void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (offset < 0 || offset >= size_) return 0;
    if (count >= kBlock) return ReadDirect(offset, out, static_cast<std::size_t>(std::min<std::int64_t>(
                                                              static_cast<std::int64_t>(count), size_ - offset)));
    std::size_t done = 0;
    while (done < count && offset + static_cast<std::int64_t>(done) < size_) {
        const std::int64_t at = offset + static_cast<std::int64_t>(done);
        const Block& b = Load(at / static_cast<std::int64_t>(kBlock));
        const auto rel = static_cast<std::size_t>(at % static_cast<std::int64_t>(kBlock));
        if (rel >= b.bytes.size()) break;  // the file is shorter now, or unreadable here
        const std::size_t n = std::min(count - done, b.bytes.size() - rel);
        std::memcpy(out + done, b.bytes.data() + rel, n);
        done += n;
    }
    return done;
}

}  // namespace bivane::viewer
