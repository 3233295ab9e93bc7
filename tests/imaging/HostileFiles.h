// Files made to break a decoder or a save, built in code for the image-path
// and command-line tests: absurd header sizes, cut files, photo-like pictures.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tintwell::test {

// CRC-32 as PNG chunks use it.
quint32 crc32(const QByteArray &bytes);

// A PNG of a few dozen bytes whose header claims width x height RGBA pixels,
// with one empty data chunk (a complete, empty zlib stream).
QByteArray pngHeaderOnly(quint32 width, quint32 height);

// A small real JPEG whose frame header (SOF0) is rewritten to claim
// width x height pixels (each at most 65535).
QByteArray jpegClaimingSize(quint16 width, quint16 height);

// Smooth gradients plus noise, opaque: what a photo looks like to an encoder.
QImage photoLikeImage(int width, int height, quint32 seed = 1);

// `image` encoded as `format` ("jpeg" or "png"); JPEG at `quality`.
QByteArray encode(const QImage &image, const char *format, int quality = 90, bool progressive = false);

// Writes bytes to a file; false when that fails.
bool writeBytes(const QString &path, const QByteArray &bytes);

// The whole content of a file, or an empty array.
QByteArray readBytes(const QString &path);

} // namespace tintwell::test
