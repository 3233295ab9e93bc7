// Conversion of any decoded picture to the working layout (R,G,B,A bytes,
// straight alpha).
#include "ImagePath.h"

namespace tintwell {

namespace {

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
    const QImage::Format target = workingFormatFor(image);
    image.convertTo(target);
    if (image.format() != target)
        image = QImage();
}

} // namespace tintwell
