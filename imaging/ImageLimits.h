// Size limits of the image path: the largest picture it agrees to decode and
// hold in the working layout.
#pragma once

#include <QtGlobal>

#include <cstdint>

namespace tintwell {

// Largest working copy, in bytes (4 bytes a pixel). Row strides and the pass
// geometry are signed 32-bit numbers, so nothing bigger can be filtered.
inline constexpr qint64 maxWorkingBytes = INT32_MAX;

// Largest picture file read, in bytes: an uncompressed file of the largest
// picture the working layout holds, with room for its headers.
inline constexpr qint64 maxEncodedBytes = 2 * maxWorkingBytes;

// Bytes of one pixel in the working layout.
inline constexpr int workingBytesPerPixel = 4;

// Bits of one sample in the working layout.
inline constexpr int workingBitsPerSample = 8;

// QImageReader's allocation limit while decoding, in megabytes. High enough
// for any picture that passes maxWorkingBytes (a 100-megapixel photo needs
// about 400 MB).
inline constexpr int decodeAllocationLimitMB = 2048;

// Most scans a progressive JPEG may have. Cameras and editors write about a
// dozen; a file with thousands of (empty) scans only burns time.
inline constexpr int maxProgressiveScans = 500;

// Whether a picture of this size would fit the working layout.
constexpr bool fitsWorkingLayout(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return false;
    const qint64 maxPixels = maxWorkingBytes / workingBytesPerPixel;
    return width <= maxPixels / height;
}

} // namespace tintwell
