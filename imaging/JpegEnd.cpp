// Marker walk over JPEG data, stopping at the end-of-image marker.
#include "JpegEnd.h"

#include <cstring>

namespace tintwell {

namespace {

constexpr unsigned char markerPrefix = 0xFF;
constexpr unsigned char startOfImage = 0xD8;
constexpr unsigned char endOfImage = 0xD9;
constexpr unsigned char startOfScan = 0xDA;
constexpr unsigned char temporary = 0x01;

bool isRestart(unsigned char code)
{
    return code >= 0xD0 && code <= 0xD7;
}

// Index of the 0xFF that starts the marker ending the scan data at `from`,
// or -1 when the data ends first. Stuffed bytes (FF 00) and restart markers
// belong to the scan.
qsizetype scanEnd(const unsigned char *bytes, qsizetype size, qsizetype from)
{
    qsizetype at = from;
    while (at < size) {
        const void *found = std::memchr(bytes + at, markerPrefix, size_t(size - at));
        if (!found)
            return -1;
        at = static_cast<const unsigned char *>(found) - bytes;
        if (at + 1 >= size)
            return -1;
        const unsigned char code = bytes[at + 1];
        if (code == 0x00 || isRestart(code))
            at += 2;
        else
            return at;
    }
    return -1;
}

} // namespace

bool jpegReachesEndMarker(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
    const qsizetype size = data.size();
    if (size < 2 || bytes[0] != markerPrefix || bytes[1] != startOfImage)
        return true;

    qsizetype at = 2;
    while (at < size) {
        // Anything between segments is skipped, as the decoder does (with a
        // warning); fill bytes (repeated 0xFF) come before the marker code.
        const void *found = std::memchr(bytes + at, markerPrefix, size_t(size - at));
        if (!found)
            return false;
        at = static_cast<const unsigned char *>(found) - bytes;
        while (at < size && bytes[at] == markerPrefix)
            ++at;
        if (at >= size)
            return false;
        const unsigned char code = bytes[at++];
        if (code == endOfImage)
            return true;
        if (code == temporary || isRestart(code) || code == 0x00)
            continue; // markers without a length
        if (at + 2 > size)
            return false;
        const qsizetype length = (qsizetype(bytes[at]) << 8) | bytes[at + 1];
        if (length < 2 || at + length > size)
            return false;
        at += length;
        if (code == startOfScan) {
            at = scanEnd(bytes, size, at);
            if (at < 0)
                return false;
        }
    }
    return false;
}

} // namespace tintwell
