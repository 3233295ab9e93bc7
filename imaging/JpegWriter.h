// Encoding a working-layout picture as JPEG with libjpeg at its best quality
// (quality 100, no chroma subsampling), with its colour profile and metadata.
#pragma once

#include "ByteSink.h"
#include "PictureMetadata.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tintwell {

// Encodes `image` (alpha ignored) into `out`: straight from Format_RGBX8888
// or Format_RGBA8888 rows, other formats through a working-layout copy. The
// image's colour profile goes into APP2 and the metadata blobs as given into
// APP1 (EXIF, XMP) and APP13 (IPTC); a blob too large for one segment is left
// out. Returns an empty string on success, else a one-line reason.
QString encodeJpeg(const QImage &image, const PictureMetadata &metadata, QByteArray &out);

// The same file given to `sink` piece by piece as it is made: the headers,
// then each band of a large picture as soon as it and every band above it
// are encoded. Returns an empty string on success, else a one-line reason;
// when the sink refuses a piece the encoder stops and says only that the
// write failed (the sink's owner knows why).
QString encodeJpeg(const QImage &image, const PictureMetadata &metadata, const ByteSink &sink);

} // namespace tintwell
