// One row of a side's list. Window-free so the rules can be tested natively.
#pragma once
#include <cstdint>
#include <string>

namespace bivane {

enum ImageIndex : std::uint8_t { kImageFile = 0, kImageDir = 1, kImageProgram = 2, kImageTagged = 3 };

struct Entry {
    std::string caption;   // "<name>", "[parent]" or the file caption (UTF-8)
    std::string sizeText;  // decimal bytes, or "<DIR>" plus attribute letters
    std::string dateText;  // "mm/dd/yy hh:nnam/pm", or " " for directories
    std::int64_t size = 0;     // file size in bytes (0 for directories)
    std::int64_t minute = 0;   // local last-write time in whole minutes; what dates compare by
    char mark = 'N';           // 'Y' tagged, 'N' untagged file, 'D' directory or parent
    std::uint8_t image = kImageFile;
};

}  // namespace bivane
