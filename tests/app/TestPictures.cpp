#include "TestPictures.h"

#include "ImagePath.h"

#include <cstdlib>

namespace testpics {

QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int r = (x * 255) / qMax(1, width - 1);
            const int g = (y * 255) / qMax(1, height - 1);
            const int b = ((x / 8 + y / 8) % 2) ? 200 : 40;
            image.setPixel(x, y, qRgb(r, g, (b + x * y) % 256));
        }
    }
    return image;
}

QImage translucentPattern(int width, int height)
{
    QImage image = pattern(width, height).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb p = image.pixel(x, y);
            image.setPixel(x, y, qRgba(qRed(p), qGreen(p), qBlue(p), 55 + (x * 200) / qMax(1, width - 1)));
        }
    return image;
}

bool sameBytes(const QImage &a, const QImage &b)
{
    const QImage wa = tintwell::toWorkingLayout(a);
    const QImage wb = tintwell::toWorkingLayout(b);
    if (wa.size() != wb.size())
        return false;
    for (int y = 0; y < wa.height(); ++y)
        if (memcmp(wa.constScanLine(y), wb.constScanLine(y), size_t(wa.width()) * 4) != 0)
            return false;
    return true;
}

Rgba pixelAt(const QImage &image, int x, int y)
{
    const QImage w = tintwell::toWorkingLayout(image);
    const uchar *p = w.constScanLine(y) + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

double meanDifference(const QImage &a, const QImage &b)
{
    const QImage wa = tintwell::toWorkingLayout(a);
    const QImage wb = tintwell::toWorkingLayout(b);
    double sum = 0;
    for (int y = 0; y < wa.height(); ++y) {
        const uchar *pa = wa.constScanLine(y);
        const uchar *pb = wb.constScanLine(y);
        for (int x = 0; x < wa.width(); ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(pa[x * 4 + c]) - int(pb[x * 4 + c]));
    }
    return sum / (double(wa.width()) * wa.height() * 3);
}

} // namespace testpics
