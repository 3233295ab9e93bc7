// Test pictures made in code, their encoded forms (whole, cut or lying about
// their size), byte-level comparisons and whole-file reads and writes: what the
// image-path, CLI, app and fuzz tests share.
#pragma once

#include "ImagePath.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <algorithm>
#include <optional>

#include <zlib.h>

namespace tintwell::test {

// A deterministic picture in the working layout: colour gradients and a
// checker, plus grain of `noise` levels (photo-like, so that encoders cannot
// squeeze it). With `alpha` it is straight RGBA8888 whose alpha covers 0..255;
// else RGBX8888.
inline QImage pattern(int width, int height, bool alpha = false, int noise = 0, quint32 seed = 1)
{
    QImage image(width, height, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    quint32 state = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        uchar *p = image.scanLine(y);
        for (int x = 0; x < width; ++x, p += 4) {
            state = state * 1664525u + 1013904223u;
            const int grain = noise ? int(state >> 24) % noise - noise / 2 : 0;
            const int r = x * 255 / std::max(1, width - 1), g = y * 255 / std::max(1, height - 1);
            const int b = ((x / 8 + y / 8) % 2 ? 200 : 40) + (x * y) % 50;
            p[0] = uchar(std::clamp(r + grain, 0, 255));
            p[1] = uchar(std::clamp(g - grain, 0, 255));
            p[2] = uchar(std::clamp(b + grain, 0, 255));
            p[3] = alpha ? uchar(31 * x + 43 * y) : 255;
        }
    }
    return image;
}

// `image` encoded in memory as `format` ("png", "jpeg"...).
inline QByteArray encode(const QImage &image, const char *format, int quality = 90, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes); // the writer opens it
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image) ? bytes : QByteArray();
}

// CRC-32 as PNG chunks use it (zlib's).
inline quint32 pngCrc(QByteArrayView bytes)
{
    return quint32(::crc32(0, reinterpret_cast<const Bytef *>(bytes.data()), uInt(bytes.size())));
}

// One PNG chunk: length, type, data and its CRC-32 (or `crc` when given, to
// make a damaged chunk).
inline QByteArray pngChunk(const QByteArray &type, const QByteArray &data, std::optional<quint32> crc = {})
{
    QByteArray length(4, '\0'), sum(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), length.data());
    qToBigEndian<quint32>(crc.value_or(pngCrc(type + data)), sum.data());
    return length + type + data + sum;
}

// A PNG whose header claims width x height RGBA pixels, with `zlibData` (by
// default an empty stream: a file of a few dozen bytes) as its pixel data.
inline QByteArray pngHeaderOnly(quint32 width, quint32 height,
                                const QByteArray &zlibData = QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8))
{
    QByteArray header("\0\0\0\0\0\0\0\0\x08\x06\0\0\0", 13); // 8 bits a sample, RGBA
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlibData)
           + pngChunk("IEND", {});
}

// A small real JPEG whose frame header claims width x height pixels.
inline QByteArray jpegClaimingSize(quint16 width, quint16 height)
{
    QByteArray jpeg = encode(pattern(16, 16, false, 30), "jpeg");
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2)); // then length, precision, height, width
    qToBigEndian<quint16>(height, jpeg.data() + frame + 5);
    qToBigEndian<quint16>(width, jpeg.data() + frame + 7);
    return jpeg;
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The whole content of a file, or an empty array.
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names in `folder`, hidden ones included, sorted.
inline QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Name);
}

// The pixel bytes of `image` in the working layout, rows without padding.
inline QByteArray pixelBytes(const QImage &image)
{
    const QImage working = toWorkingLayout(image);
    QByteArray bytes;
    for (int y = 0; y < working.height(); ++y)
        bytes.append(reinterpret_cast<const char *>(working.constScanLine(y)), qsizetype(working.width()) * 4);
    return bytes;
}

// Same size and the same four bytes in every pixel, in the working layout.
inline bool sameBytes(const QImage &a, const QImage &b)
{
    return a.size() == b.size() && pixelBytes(a) == pixelBytes(b);
}

// The four bytes of one pixel, in the working layout.
struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba &) const = default;
};
inline Rgba pixelAt(const QImage &image, int x, int y)
{
    const QByteArray p = pixelBytes(image.copy(x, y, 1, 1));
    return {uchar(p[0]), uchar(p[1]), uchar(p[2]), uchar(p[3])};
}

} // namespace tintwell::test
