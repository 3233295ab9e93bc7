// The per-pixel kernel: applies the selected formula, then the colour offsets,
// the negative and the red/blue reversal to one pixel in place.
#pragma once

#include <cstdint>

namespace tintwell {

// Rewrites bytes 0..2 of the pixel at `pixel` (column x, row y). `data` is the
// first byte of the bitmap, used for neighbour reads; the geometry, offsets and
// filter index come from the pass context. This is the reference definition of
// every filter's result.
void changePixel(std::uint8_t *data, bool negative, bool reverse, std::int32_t x, std::int32_t y,
                 std::uint8_t *pixel, std::int64_t value);

// t <- 0; for each operand o: t <- ((t + o) mod 256) / 3. Result 0..85.
constexpr std::uint32_t runningThird(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    std::uint32_t t = 0;
    t = ((t + a) & 0xFFu) / 3u;
    t = ((t + b) & 0xFFu) / 3u;
    t = ((t + c) & 0xFFu) / 3u;
    return t;
}

} // namespace tintwell
