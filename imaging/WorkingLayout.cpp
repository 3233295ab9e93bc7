// Conversion of any decoded picture to the working layout (R,G,B,A bytes,
// straight alpha).
#include "ImagePath.h"

#include <QtEndian>

namespace tintwell {

namespace {

// RGB32 (0xffRRGGBB words) to RGBX8888 (R,G,B,0xff bytes) in place: what
// Qt's own conversion gives, as one loop the compiler can vectorise. False
// when the pixels cannot be written.
bool rgb32ToRgbx8888(QImage &image)
{
    uchar *const data = image.bits(); // detaches a shared picture
    if (!data)
        return false;
    const qsizetype stride = image.bytesPerLine();
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<quint32 *>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const quint32 argb = row[x];
            const quint32 rgba = ((argb >> 16) & 0xFFu) | (argb & 0xFF00u) | ((argb & 0xFFu) << 16) | 0xFF000000u;
            row[x] = qToLittleEndian(rgba);
        }
    }
    return image.reinterpretAsFormat(QImage::Format_RGBX8888);
}

QImage::Format workingFormatFor(const QImage &image)
{
    // Premultiplied sources are unpremultiplied by the conversion; palette and
    // grey pictures with transparency report an alpha channel too.
    return image.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
}

} // namespace

QImage toWorkingLayout(const QImage &image)
{
    if (image.isNull())
        return QImage();
    const QImage::Format format = image.format();
    if (format == QImage::Format_RGBX8888 || format == QImage::Format_RGBA8888)
        return image;
    return image.convertToFormat(workingFormatFor(image));
}

void convertToWorkingLayout(QImage &image)
{
    if (image.isNull())
        return;
    const QImage::Format format = image.format();
    if (format == QImage::Format_RGBX8888 || format == QImage::Format_RGBA8888)
        return;
    if (format == QImage::Format_RGB32) {
        // What the JPEG decoder gives: the common case, done by hand.
        if (!rgb32ToRgbx8888(image))
            image = QImage();
        return;
    }
    const QImage::Format target = workingFormatFor(image);
    image.convertTo(target);
    if (image.format() != target)
        image = QImage();
}

} // namespace tintwell
