// The screen copy: one-pixel stripes shrink to their mean colour, no row or
// column skipped. (Its conversion to sRGB is checked on the window.)
#include "DisplayScaler.h"

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
