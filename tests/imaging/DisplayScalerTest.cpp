// The screen copy: one-pixel stripes shrink to their mean colour (no row or
// column skipped), and a picture with a profile other than sRGB is shown
// converted to sRGB while the picture itself keeps its bytes.
#include "DisplayScaler.h"
#include "Pictures.h"

#include <QColorSpace>
#include <gtest/gtest.h>

#include <cstdlib>

TEST(DisplayScaler, StripesShrinkToTheirMeanColour)
{
    const struct {
        bool rows; // alternating red and blue rows, else columns
        QSize from, to;
    } cases[] = {{true, {64, 64}, {32, 32}}, {true, {96, 96}, {32, 32}}, {false, {256, 128}, {32, 16}}};
    for (const auto &c : cases) {
        QImage stripes(c.from, QImage::Format_RGBX8888);
        for (int y = 0; y < stripes.height(); ++y)
            for (int x = 0; x < stripes.width(); ++x)
                stripes.setPixel(x, y, (c.rows ? y : x) % 2 ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
        const QImage scaled = tintwell::scaledForDisplay(stripes, c.to);
        ASSERT_EQ(scaled.size(), c.to);
        for (int y = 0; y < scaled.height(); ++y)
            for (int x = 0; x < scaled.width(); ++x)
                ASSERT_LE(std::abs(qRed(scaled.pixel(x, y)) - 128) + std::abs(qBlue(scaled.pixel(x, y)) - 128), 6)
                    << c.rows << " " << c.from.width() << " " << x << "," << y;
    }
}

TEST(DisplayScaler, ScreenCopyIsSrgbAndThePictureKeepsItsBytes)
{
    QImage picture(40, 30, QImage::Format_RGBX8888);
    picture.fill(QColor(30, 200, 90));
    picture.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    const QImage before = picture.copy();
    for (const QSize size : {QSize(40, 30), QSize(20, 15)}) {
        const QImage screen = tintwell::screenCopy(picture, size);
        ASSERT_EQ(screen.size(), size);
        EXPECT_EQ(screen.colorSpace(), QColorSpace(QColorSpace::SRgb));
        // Adobe RGB green is more saturated than sRGB's: converted, its red goes down.
        EXPECT_LT(qRed(screen.pixel(5, 5)), 30);
        EXPECT_TRUE(tintwell::test::sameBytes(picture, before));
        EXPECT_EQ(picture.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));
    }
    QImage srgb = before.copy();
    srgb.setColorSpace(QColorSpace(QColorSpace::SRgb));
    EXPECT_EQ(tintwell::screenCopy(srgb, srgb.size()).cacheKey(), srgb.cacheKey()); // drawn as it is
}
