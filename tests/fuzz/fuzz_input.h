// Splits a fuzzer's bytes into the values a target needs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace bivane::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool Empty() const { return p_ == end_; }
    std::uint8_t Byte() { return p_ == end_ ? 0 : *p_++; }
    int Int(int lo, int hi) { return lo + static_cast<int>((Byte() | (Byte() << 8)) % (hi - lo + 1)); }
    std::int64_t Int64() {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = (v << 8) | Byte();
        return static_cast<std::int64_t>(v);
    }
    // One of the choices, by the next byte.
    template <class T>
    T Pick(std::initializer_list<T> choices) {
        return choices.begin()[Byte() % choices.size()];
    }
    // Up to the next NUL byte, or the rest.
    std::string Text() {
        std::string s;
        while (p_ != end_ && *p_ != 0) s.push_back(static_cast<char>(*p_++));
        if (p_ != end_) ++p_;
        return s;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

}  // namespace bivane::fuzz
