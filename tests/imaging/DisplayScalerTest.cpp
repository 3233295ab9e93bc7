// The screen copy: one-pixel stripes shrink to their mean colour (no row or
// column skipped), and a picture with a profile other than sRGB is shown
// converted to sRGB while the picture itself keeps its bytes.
#include "DisplayScaler.h"
#include "TestPictures.h"

#include <QColorSpace>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Alternating one-pixel rows (or columns) of red and blue, opaque.
QImage stripes(int width, int height, bool rows)
{
    QImage image(width, height, QImage::Format_RGBX8888);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool red = ((rows ? y : x) % 2) == 0;
            line[4 * x + 0] = red ? 255 : 0;
            line[4 * x + 1] = 0;
            line[4 * x + 2] = red ? 0 : 255;
            line[4 * x + 3] = 255;
        }
    }
    return image;
}

struct StripeCase {
    const char *name;
    bool rows;
    QSize from;
    QSize to;
};

} // namespace

TEST(DisplayScaler, StripesShrinkToTheirMeanColour)
{
    const StripeCase cases[] = {
        {"rows, 2:1", true, {64, 64}, {32, 32}},
        {"rows, 8:1", true, {256, 128}, {32, 16}},
        {"rows, 3:1", true, {96, 96}, {32, 32}},
        {"columns, 2:1", false, {64, 64}, {32, 32}},
        {"columns, 8:1", false, {256, 128}, {32, 16}},
    };
    for (const StripeCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QImage scaled = tintwell::scaledForDisplay(stripes(c.from.width(), c.from.height(), c.rows), c.to);
        ASSERT_EQ(scaled.size(), c.to);
        for (int y = 0; y < scaled.height(); ++y) {
            for (int x = 0; x < scaled.width(); ++x) {
                const QRgb pixel = scaled.pixel(x, y);
                ASSERT_LE(std::abs(qRed(pixel) - 128), 3) << x << "," << y;
                ASSERT_LE(std::abs(qBlue(pixel) - 128), 3) << x << "," << y;
            }
        }
    }
}

TEST(DisplayScaler, ScreenCopyIsSrgbAndThePictureKeepsItsBytes)
{
    QImage picture(40, 30, QImage::Format_RGBX8888);
    picture.fill(QColor(30, 200, 90));
    picture.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    const QImage before = picture.copy();

    const QSize sizes[] = {{40, 30}, {20, 15}};
    for (const QSize &size : sizes) {
        const QImage screen = tintwell::screenCopy(picture, size);
        ASSERT_EQ(screen.size(), size);
        EXPECT_EQ(screen.colorSpace(), QColorSpace(QColorSpace::SRgb));
        // Adobe RGB green is more saturated than sRGB's: converted, its red
        // and blue go down and green stays near the top.
        EXPECT_LT(qRed(screen.pixel(5, 5)), 30);
        EXPECT_EQ(tintwell::test::pixelBytes(picture), tintwell::test::pixelBytes(before));
        EXPECT_EQ(picture.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));
    }

    QImage srgb = before.copy();
    srgb.setColorSpace(QColorSpace(QColorSpace::SRgb));
    EXPECT_EQ(tintwell::screenCopy(srgb, srgb.size()).cacheKey(), srgb.cacheKey()); // drawn as it is
}
