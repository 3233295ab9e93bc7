// The image view: the full-size picture kept, the painted copy fitted,
// centred, never enlarged, with its colours, sides and alpha.
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace tintwell::test;

namespace {

struct ShownView {
    ShownView(int w, int h)
    {
        view.resize(w, h);
        view.show();
        QApplication::processEvents();
    }
    void resize(int w, int h)
    {
        view.resize(w, h);
        QApplication::processEvents();
    }
    ImageView view;
};

} // namespace

TEST(View, FitsKeepingTheAspectAndNeverEnlarges)
{
    struct Case {
        QSize view, picture, shown;
    };
    const Case cases[] = {{{200, 200}, {400, 100}, {200, 50}},  {{300, 120}, {100, 240}, {50, 120}},
                          {{300, 300}, {50, 40}, {50, 40}},     {{160, 160}, {400, 100}, {160, 40}},
                          {{900, 900}, {400, 100}, {400, 100}}};
    ShownView shown(10, 10);
    for (const Case &c : cases) {
        shown.resize(c.view.width(), c.view.height());
        const QImage picture = pattern(c.picture.width(), c.picture.height());
        shown.view.setImage(picture);
        EXPECT_EQ(shown.view.displayImage().size(), c.shown) << c.view.width() << " " << c.picture.width();
        EXPECT_TRUE(sameBytes(shown.view.image(), picture));
    }
    shown.view.setImage(pattern(400, 100)); // resizing rescales
    shown.resize(200, 200);
    EXPECT_EQ(shown.view.displayImage().size(), QSize(200, 50));
    const QImage painted = shown.view.grab().toImage(); // centred: rows 75..124
    EXPECT_EQ(QColor(painted.pixel(100, 100)), QColor(shown.view.displayImage().pixel(100, 25)));
    EXPECT_NE(QColor(painted.pixel(100, 10)), QColor(shown.view.displayImage().pixel(100, 0)));
    shown.view.setImage(QImage());
    EXPECT_TRUE(shown.view.image().isNull());
    EXPECT_TRUE(shown.view.displayImage().isNull());
}

TEST(View, LargePictureKeepsItsColoursSidesAndAlpha)
{
    ShownView shown(200, 150);
    QImage big(4000, 3000, QImage::Format_RGBA8888); // left half red-ish, right half blue-ish
    big.fill(QColor(200, 30, 10, 128));
    for (int y = 0; y < big.height(); ++y)
        for (uchar *p = big.scanLine(y) + 4 * 2000; p < big.scanLine(y) + 4 * 4000; p += 4)
            p[0] = 5, p[1] = 60, p[2] = 220;
    shown.view.setImage(big);
    const QImage display = shown.view.displayImage();
    ASSERT_EQ(display.size(), QSize(200, 150));
    const auto near = [](Rgba a, Rgba b) {
        return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2 && a.a == b.a;
    };
    EXPECT_TRUE(near(pixelAt(display, 10, 75), {200, 30, 10, 128}));
    EXPECT_TRUE(near(pixelAt(display, 190, 75), {5, 60, 220, 128}));
}

TEST(View, FineStripesAverageInsteadOfFlickering)
{
    // One-pixel stripes, as several filters make: the screen copy shows their
    // average grey, never whole black or white columns.
    ShownView shown(300, 200);
    for (const int width : {2400, 3000, 3300}) { // 8:1, 10:1 and 11:1
        QImage stripes(width, width * 2 / 3, QImage::Format_RGBX8888);
        for (int y = 0; y < stripes.height(); ++y)
            for (int x = 0; x < width; ++x)
                std::memset(stripes.scanLine(y) + 4 * x, x % 2 ? 255 : 0, 3), stripes.scanLine(y)[4 * x + 3] = 255;
        shown.view.setImage(stripes);
        const QImage display = shown.view.displayImage();
        for (int x = 0; x < display.width(); x += 7) {
            EXPECT_GT(pixelAt(display, x, 100).g, 100) << "width " << width << " column " << x;
            EXPECT_LT(pixelAt(display, x, 100).g, 155) << "width " << width << " column " << x;
        }
    }
}
