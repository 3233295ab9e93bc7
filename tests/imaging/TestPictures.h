// Small pictures built in code for the image-path tests.
#pragma once

#include <QByteArray>
#include <QImage>

namespace tintwell::test {

// A width x height straight-alpha RGBA8888 picture whose bytes depend on the
// position, with alpha varying from 0 to 255.
inline QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[4 * x + 0] = uchar(31 * x + 7 * y);
            row[4 * x + 1] = uchar(200 - 13 * y + x);
            row[4 * x + 2] = uchar(x * y * 5 + 3);
            row[4 * x + 3] = uchar(x * 40 + y * 17);
        }
    }
    return image;
}

// The bytes of each row's pixels, without any row padding.
inline QByteArray pixelBytes(const QImage &image)
{
    QByteArray bytes;
    for (int y = 0; y < image.height(); ++y)
        bytes.append(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * image.depth() / 8);
    return bytes;
}

} // namespace tintwell::test
