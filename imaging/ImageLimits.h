// Size limits of the image path: the largest picture it agrees to decode and
// hold in the working layout.
#pragma once

#include <QtGlobal>

#include <cstdint>

namespace tintwell {

// Largest working copy, in bytes (4 bytes a pixel). Row strides and the pass
// geometry are signed 32-bit numbers, so nothing bigger can be filtered.
inline constexpr qint64 maxWorkingBytes = INT32_MAX;

// Largest encoded file read, in bytes: no usable picture file is larger than
// the working copy it decodes to.
inline constexpr qint64 maxEncodedBytes = maxWorkingBytes;

// Bytes of one pixel in the working layout.
inline constexpr int workingBytesPerPixel = 4;

// Bits of one sample in the working layout.
inline constexpr int workingBitsPerSample = 8;

// QImageReader's allocation limit while decoding, in megabytes. High enough
// for any picture that passes maxWorkingBytes (a 100-megapixel photo needs
// about 400 MB).
inline constexpr int decodeAllocationLimitMB = 2048;

// Whether a picture of this size would fit the working layout.
constexpr bool fitsWorkingLayout(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return false;
    const qint64 maxPixels = maxWorkingBytes / workingBytesPerPixel;
    return width <= maxPixels / height;
}

} // namespace tintwell
