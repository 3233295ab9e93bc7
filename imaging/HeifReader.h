// Decoding HEIF pictures (HEIC, AVIF) with libheif into the working layout.
#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>

namespace tintwell {

// Whether `data` is a HEIF file (HEIC, AVIF and kin), by its file-type box.
bool looksLikeHeif(QByteArrayView data);

struct HeifDecodeResult {
    QImage image;  // Format_RGBX8888 or Format_RGBA8888 with the embedded colour profile; null on failure
    QString error; // one-line reason (without the file name); empty on success
};

// Decodes the primary picture, upright: libheif applies the file's own
// rotation and mirroring, so EXIF orientation must not be applied again.
// Pictures too large for the working layout are refused before decoding.
HeifDecodeResult decodeHeif(QByteArrayView data);

} // namespace tintwell
