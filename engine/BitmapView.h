// BitmapView: the caller-owned pixel memory that one pass rewrites in place.
#pragma once

#include <cstdint>

namespace tintwell {

struct BitmapSize {
    double width = 0;
    double height = 0;
};

struct BitmapView {
    std::uint8_t *data = nullptr;   // first byte of the first pixel of the first row
    BitmapSize size;                // size in pixels; only whole pixels are visited
    std::int32_t bytesPerRow = 0;   // byte distance from one row to the next
    std::int32_t bytesPerSample = 0; // byte distance from one pixel to the next (>= 3)
};

} // namespace tintwell
