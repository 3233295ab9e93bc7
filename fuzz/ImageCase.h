// ImageCase: the render settings a fuzz_image input carries in its last nine
// bytes (encoded pictures ignore bytes after their end marker).
#pragma once

#include "ImagePath.h"

#include <cstddef>
#include <cstdint>

namespace tintwell::fuzz {

inline constexpr std::size_t imageTrailerBytes = 9;

// Trailer layout: filter selector, control value (4 bytes, little-endian,
// sign-extended), red, green, blue (signed bytes), flags (bit 0 negative,
// bit 1 reverse, bit 2 control value shifted up by 32 bits).
inline PassSettings settingsFromTrailer(const std::uint8_t *data, std::size_t size)
{
    PassSettings s;
    if (size < imageTrailerBytes)
        return s;
    const std::uint8_t *t = data + size - imageTrailerBytes;
    static const qint32 outside[] = {-1, 25, 26, 255, INT32_MAX, INT32_MIN, 1000};
    const std::uint8_t selector = t[0];
    s.filter = selector < 25 ? selector : outside[selector % (sizeof outside / sizeof outside[0])];
    const auto low = static_cast<std::uint32_t>(t[1] | t[2] << 8 | t[3] << 16 | std::uint32_t{t[4]} << 24);
    s.value = static_cast<std::int32_t>(low);
    if (t[8] & 4)
        s.value = static_cast<qint64>(static_cast<quint64>(s.value) << 32);
    s.red = static_cast<std::int8_t>(t[5]);
    s.green = static_cast<std::int8_t>(t[6]);
    s.blue = static_cast<std::int8_t>(t[7]);
    s.negative = (t[8] & 1) != 0;
    s.reverse = (t[8] & 2) != 0;
    return s;
}

} // namespace tintwell::fuzz
