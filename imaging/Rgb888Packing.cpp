// In-place packing of R,G,B,X rows into R,G,B rows.
#include "Rgb888Packing.h"

#include <QColorSpace>

namespace tintwell {

QImage packToRgb888(QImage &image)
{
    const QImage::Format format = image.format();
    if (format != QImage::Format_RGBX8888 && format != QImage::Format_RGBA8888) {
        QImage converted = image.convertToFormat(QImage::Format_RGB888);
        image = QImage();
        return converted;
    }
    uchar *const data = image.bits(); // detaches a shared picture
    if (!data)
        return QImage();
    const int width = image.width();
    const qsizetype stride = image.bytesPerLine();
    for (int y = 0; y < image.height(); ++y) {
        uchar *row = data + y * stride;
        // Forward: pixel x moves from 4x to 3x, never over bytes still unread.
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = row[4 * x + 0];
            row[3 * x + 1] = row[4 * x + 1];
            row[3 * x + 2] = row[4 * x + 2];
        }
    }
    QImage view(data, width, image.height(), stride, QImage::Format_RGB888);
    // What convertToFormat carries over, and the encoder writes out (density,
    // text, colour profile).
    view.setDotsPerMeterX(image.dotsPerMeterX());
    view.setDotsPerMeterY(image.dotsPerMeterY());
    view.setOffset(image.offset());
    view.setDevicePixelRatio(image.devicePixelRatio());
    view.setColorSpace(image.colorSpace());
    for (const QString &key : image.textKeys())
        view.setText(key, image.text(key));
    return view;
}

} // namespace tintwell
