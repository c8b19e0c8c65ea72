#include "platform/folder_scan.h"

namespace bivane {

FolderScan::FolderScan(const std::wstring& folder)
    : find_(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd_, FindExSearchNameMatch, nullptr,
                             FIND_FIRST_EX_LARGE_FETCH)) {}

bool FolderScan::Next() {
    if (!find_) return false;
    if (first_) {
        first_ = false;
        return true;
    }
    return FindNextFileW(find_.get(), &fd_) != FALSE;
}

}  // namespace bivane
