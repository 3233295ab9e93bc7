// ByteReader: reads little-endian integers from fuzz input bytes,
// giving zeros once the input runs out, so every byte string is a valid input.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tintwell::fuzz {

class ByteReader {
public:
    ByteReader(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::uint64_t u64() { return take(8); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::int64_t i64() { return static_cast<std::int64_t>(u64()); }

    // The bytes not read yet.
    const std::uint8_t *rest() const { return data_ + pos_; }
    std::size_t remaining() const { return size_ - pos_; }

private:
    std::uint64_t take(std::size_t n)
    {
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t b = pos_ < size_ ? data_[pos_++] : 0;
            v |= b << (8 * i);
        }
        return v;
    }

    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace tintwell::fuzz
