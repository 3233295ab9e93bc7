// orientedUpright turns each of the eight EXIF orientations upright.
#include "Orientation.h"

#include <QColorSpace>

#include <gtest/gtest.h>

namespace {

// A 3 x 2 picture whose pixels are numbered 1 to 6 in their red byte.
QImage numbered(const int (&rows)[2][3])
{
    QImage image(3, 2, QImage::Format_RGBX8888);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            image.setPixelColor(x, y, QColor(rows[y][x], 0, 0));
    }
    return image;
}

QList<int> reds(const QImage &image)
{
    QList<int> values;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            values << image.pixelColor(x, y).red();
    }
    return values;
}

} // namespace

TEST(Orientation, EachOrientationStandsUpright)
{
    // Upright, the picture reads 1 2 3 / 4 5 6. Each case is how a camera
    // with that orientation stores it.
    struct Case {
        int orientation;
        int stored[2][3];
        bool turned; // stored 2 wide and 3 high
        int storedTurned[3][2];
    };
    const Case cases[] = {
        {1, {{1, 2, 3}, {4, 5, 6}}, false, {}},
        {2, {{3, 2, 1}, {6, 5, 4}}, false, {}},
        {3, {{6, 5, 4}, {3, 2, 1}}, false, {}},
        {4, {{4, 5, 6}, {1, 2, 3}}, false, {}},
        {5, {}, true, {{1, 4}, {2, 5}, {3, 6}}},
        {6, {}, true, {{3, 6}, {2, 5}, {1, 4}}},
        {7, {}, true, {{6, 3}, {5, 2}, {4, 1}}},
        {8, {}, true, {{4, 1}, {5, 2}, {6, 3}}},
    };
    for (const Case &c : cases) {
        QImage stored;
        if (c.turned) {
            stored = QImage(2, 3, QImage::Format_RGBX8888);
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 2; ++x)
                    stored.setPixelColor(x, y, QColor(c.storedTurned[y][x], 0, 0));
            }
        } else {
            stored = numbered(c.stored);
        }
        stored.setColorSpace(QColorSpace::AdobeRgb);
        const QImage upright = tintwell::orientedUpright(stored, c.orientation);
        EXPECT_EQ(reds(upright), (QList<int>{1, 2, 3, 4, 5, 6})) << "orientation " << c.orientation;
        EXPECT_EQ(upright.format(), QImage::Format_RGBX8888);
        EXPECT_EQ(upright.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));
    }
}
