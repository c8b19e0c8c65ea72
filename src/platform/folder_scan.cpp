#include "platform/folder_scan.h"

#include <atomic>
#include <mutex>
#include <optional>

namespace bivane {

namespace {
// Set by tests only; listings on any thread read it, so it is guarded.
std::mutex g_faultMutex;
std::optional<ListingFault> g_fault;
std::atomic<bool> g_faultSet{false};

bool EndsWith(const std::wstring& s, const std::wstring& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::wstring WithoutTrailingSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}
}  // namespace

bool IsDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

SimulatedListingFault::SimulatedListingFault(ListingFault fault) {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    g_fault = std::move(fault);
    g_faultSet = true;
}

SimulatedListingFault::~SimulatedListingFault() {
    std::lock_guard<std::mutex> lock(g_faultMutex);
    g_fault.reset();
    g_faultSet = false;
}

FolderScan::FolderScan(const std::wstring& folder) {
    const std::wstring trimmed = WithoutTrailingSlash(folder);
    find_.reset(FindFirstFileExW((trimmed + L"\\*").c_str(), FindExInfoBasic, &fd_, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH));
    if (!g_faultSet) return;
    std::lock_guard<std::mutex> lock(g_faultMutex);
    if (g_fault && EndsWith(trimmed, g_fault->pathEnd)) {
        failAfter_ = g_fault->after;
        failWith_ = g_fault->error;
    }
}

bool FolderScan::Next() {
    if (!find_) return false;
    if (listed_ >= failAfter_) {
        error_ = failWith_;
        find_.reset();
        return false;
    }
    if (first_) {
        first_ = false;
    } else if (!FindNextFileW(find_.get(), &fd_)) {
        const DWORD error = GetLastError();
        if (error != ERROR_NO_MORE_FILES) error_ = error;
        find_.reset();
        return false;
    }
    ++listed_;
    return true;
}

}  // namespace bivane
