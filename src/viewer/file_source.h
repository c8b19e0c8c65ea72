// The viewer's file: opened for reading (others may still write, rename or delete it) and read
// in 64 KB blocks, a few of them kept, so memory stays the same whatever the file's size.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "viewer/text_rules.h"

namespace bivane::viewer {

class FileSource : public ByteSource {
public:
    // Throws OpenError with a message for the user when path is not a readable, regular file.
    explicit FileSource(const std::string& path);
    std::int64_t Size() const override { return size_; }
    std::size_t Read(std::int64_t offset, void* buffer, std::size_t count) override;

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    struct Block {
        std::int64_t index = -1;
        std::vector<std::uint8_t> bytes;
        std::uint64_t used = 0;
    };
    const Block& Load(std::int64_t index);

    AutoCloseHandle file_;
    std::int64_t size_ = 0;
    std::array<Block, 4> blocks_;
    std::uint64_t clock_ = 0;
};

struct OpenError {
    std::string message;
};

}  // namespace bivane::viewer
