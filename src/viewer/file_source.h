// The viewer's file: opened for reading (others may still write, rename or delete it) and read
// in 64 KB blocks, a few of them kept, so memory stays the same whatever the file's size.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
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
    // Reads of a block or more go straight to the file; smaller ones through the blocks kept.
    std::size_t Read(std::int64_t offset, void* buffer, std::size_t count) override;
    // The same file, read through a handle of its own, for another thread (null if the system
    // refuses a second handle).
    std::unique_ptr<FileSource> Duplicate() const;
    // Takes the file's size again (a log grows while shown); true when it changed. What was kept
    // of the old last block is read again.
    bool Refresh();

private:
    FileSource(AutoCloseHandle file, std::int64_t size) : file_(std::move(file)), size_(size) {}
    std::size_t ReadDirect(std::int64_t offset, std::uint8_t* out, std::size_t count);
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
