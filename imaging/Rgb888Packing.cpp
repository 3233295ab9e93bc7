// In-place packing of R,G,B,X rows into R,G,B rows.
#include "Rgb888Packing.h"

#include <QColorSpace>
#include <QSysInfo>

#include <cstdint>
#include <cstring>

namespace tintwell {

namespace {

// R,G,B,X bytes to R,G,B, four pixels (16 bytes to 12) at a time as 32-bit
// words (little-endian: R is the low byte). Pixel x moves from 4x to 3x, so
// the writes never pass bytes still unread.
void packRow(uchar *row, int width)
{
    int x = 0;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        for (; x + 4 <= width; x += 4) {
            std::uint32_t p[4];
            std::memcpy(p, row + 4 * x, sizeof p);
            const std::uint32_t out[3] = {
                (p[0] & 0x00FFFFFFu) | (p[1] << 24),
                ((p[1] >> 8) & 0x0000FFFFu) | (p[2] << 16),
                ((p[2] >> 16) & 0x000000FFu) | (p[3] << 8),
            };
            std::memcpy(row + 3 * x, out, sizeof out);
        }
    }
    for (; x < width; ++x) {
        row[3 * x + 0] = row[4 * x + 0];
        row[3 * x + 1] = row[4 * x + 1];
        row[3 * x + 2] = row[4 * x + 2];
    }
}

} // namespace

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
    for (int y = 0; y < image.height(); ++y)
        packRow(data + y * stride, width);
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
