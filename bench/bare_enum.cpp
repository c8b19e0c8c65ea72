// The reference for start-up in a big folder: a bare program that enumerates its current folder
// (names, sizes, dates, as the listing needs them) and ends.
#include "platform/win.h"

int wmain() {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW(L"*", FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 1;
    unsigned long long count = 0, bytes = 0;
    do {
        ++count;
        bytes += (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return count > 0 && bytes != ~0ull ? 0 : 1;
}
