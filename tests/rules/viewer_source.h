// Byte sources for the viewer's rules tests: a string, and one that claims more than it holds
// (a file that shrank while shown).
#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "viewer/text_rules.h"

namespace bivane::viewer::test {

class StringSource : public ByteSource {
public:
    explicit StringSource(std::string bytes, std::int64_t claimed = -1)
        : bytes_(std::move(bytes)), claimed_(claimed < 0 ? static_cast<std::int64_t>(bytes_.size()) : claimed) {}
    std::int64_t Size() const override { return claimed_; }
    std::size_t Read(std::int64_t offset, void* buffer, std::size_t count) override {
        ++reads;
        if (offset < 0 || offset >= static_cast<std::int64_t>(bytes_.size())) return 0;
        const std::size_t n = std::min(count, bytes_.size() - static_cast<std::size_t>(offset));
        std::memcpy(buffer, bytes_.data() + offset, n);
        return n;
    }
    int reads = 0;

private:
    std::string bytes_;
    std::int64_t claimed_;
};

// UTF-16 of an ASCII-and-BMP text, little or big endian, with its BOM first.
inline std::string Utf16(const std::u16string& text, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += littleEndian ? lo : hi;
        out += littleEndian ? hi : lo;
    }
    return out;
}

}  // namespace bivane::viewer::test
