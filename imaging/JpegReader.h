// Decoding JPEG data with libjpeg straight into the working layout, refusing
// damaged data, oversized pictures and endless progressive files.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace tintwell {

// Whether `data` starts like a JPEG file (a start-of-image marker and another
// marker after it).
bool looksLikeJpeg(QByteArrayView data);

struct JpegDecodeResult {
    QImage image;  // Format_RGBX8888 with the embedded colour profile; null on failure
    QString error; // one-line reason (without the file name); empty on success
};

// Decodes a whole JPEG file as stored (no EXIF orientation applied). Grey
// pictures are expanded to RGB and CMYK ones converted to RGB; 12-bit and
// lossless files are refused. Any warning of the decoder (data cut short,
// corrupt data) refuses the file, as do pictures too large for the working
// layout (checked from the header before any pixel is allocated) and
// progressive files with more than maxProgressiveScans scans. A large
// single-scan picture is decoded by two decoders at once where a core is
// free, with the bytes and the reasons of one decoder alone.
JpegDecodeResult decodeJpeg(QByteArrayView data);

// The stored size the frame header of JPEG data gives (no EXIF orientation
// applied); invalid when the headers cannot be read.
QSize jpegHeaderSize(QByteArrayView data);

} // namespace tintwell
