// Conversion of any decoded picture to the working layout (R,G,B,A bytes,
// straight alpha).
#include "ImagePath.h"

namespace tintwell {

QImage toWorkingLayout(const QImage &image)
{
    if (image.isNull())
        return QImage();
    const QImage::Format format = image.format();
    if (format == QImage::Format_RGBX8888 || format == QImage::Format_RGBA8888)
        return image;
    // Premultiplied sources are unpremultiplied by the conversion; palette and
    // grey pictures with transparency report an alpha channel too.
    const QImage::Format target =
        image.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
    return image.convertToFormat(target);
}

} // namespace tintwell
