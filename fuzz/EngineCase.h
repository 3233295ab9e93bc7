// EngineCase: the fixed byte layout of one fuzz_engine input (pass settings,
// bitmap geometry choices, pixel bytes).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace tintwell::fuzz {

// Flag bits of EngineCase::flags.
enum EngineFlag : std::uint8_t {
    flagNegative = 1,     // the pass's negative flag
    flagReverse = 2,      // the pass's reverse flag
    flagNullData = 4,     // hand the pass a null data pointer
    flagScramble = 8,     // refused views only: fill the geometry globals with `scramble`
};

// How the width or height is chosen (kind % 8): 0-2 whole 0..40, 3 whole
// 0..299, 4 whole 0..40 plus a fraction, 5 a special value (NaN, infinities,
// negatives, 2^31, ...), 6 the raw double, 7 any 32-bit integer.
// bytesPerSample (kind % 8): 0-3 four, 4 three, 5 3..16, 6 0..2 (refused),
// 7 any 32-bit integer.
// bytesPerRow (kind % 8): 0-3 exactly columns * bytesPerSample, 4 plus 0..16
// padding bytes, 5 one to eight bytes too short, 6 any 32-bit integer, 7 plus
// 0..65535 padding bytes.
struct EngineCase {
    std::uint32_t filter = 0;
    std::int64_t value = 0;
    std::int32_t red = 0, green = 0, blue = 0;
    std::uint8_t flags = 0;
    std::uint8_t widthKind = 0, heightKind = 0, sampleKind = 0, rowKind = 0;
    std::uint64_t widthRaw = 0, heightRaw = 0;
    std::uint32_t sampleRaw = 0, rowRaw = 0;
    std::int32_t scramble[4] = {0, 0, 0, 0}; // width, height, bytesPerRow, bytesPerSample
    std::vector<std::uint8_t> pixels;        // repeated to fill the bitmap

    // Little-endian fields in the order above, zeros once the input runs out
    // (so every byte string is a valid input), the rest as pixel bytes.
    static EngineCase decode(const std::uint8_t *data, std::size_t size)
    {
        std::size_t pos = 0;
        const auto take = [&](int bytes) {
            std::uint64_t v = 0;
            for (int i = 0; i < bytes; ++i)
                v |= std::uint64_t{pos < size ? data[pos++] : std::uint8_t{0}} << (8 * i);
            return v;
        };
        EngineCase c;
        c.filter = std::uint32_t(take(4));
        c.value = std::int64_t(take(8));
        c.red = std::int32_t(take(4));
        c.green = std::int32_t(take(4));
        c.blue = std::int32_t(take(4));
        for (std::uint8_t *b : {&c.flags, &c.widthKind, &c.heightKind, &c.sampleKind, &c.rowKind})
            *b = std::uint8_t(take(1));
        c.widthRaw = take(8);
        c.heightRaw = take(8);
        c.sampleRaw = std::uint32_t(take(4));
        c.rowRaw = std::uint32_t(take(4));
        for (auto &s : c.scramble)
            s = std::int32_t(take(4));
        c.pixels.assign(data + pos, data + size);
        return c;
    }
};

} // namespace tintwell::fuzz
