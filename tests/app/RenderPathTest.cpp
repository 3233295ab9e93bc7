// The render path: one working copy that becomes the result as it is, the
// source never written, and a view that scales once per picture and paints only
// its screen-sized copy.
#include "AppFixture.h"
#include "ImagePath.h"
#include "ImageView.h"
#include "PassContext.h"
#include "TestPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorSpace>
#include <QComboBox>
#include <QLabel>
#include <QSlider>

using testpics::pixelAt;
using testpics::Rgba;

namespace {

// A working-layout picture with metadata that a copy has to carry along.
QImage pictureWithMetadata(int width, int height)
{
    QImage image = tintwell::toWorkingLayout(testpics::pattern(width, height));
    image.setText(QStringLiteral("Description"), QStringLiteral("render path"));
    image.setDotsPerMeterX(5905);
    image.setDotsPerMeterY(2953);
    image.setOffset(QPoint(7, 9));
    image.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
    return image;
}

QImage filled(int width, int height, QImage::Format format, QColor colour)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

void expectSameMetadata(const QImage &a, const QImage &b)
{
    EXPECT_EQ(a.text(), b.text());
    EXPECT_EQ(a.dotsPerMeterX(), b.dotsPerMeterX());
    EXPECT_EQ(a.dotsPerMeterY(), b.dotsPerMeterY());
    EXPECT_EQ(a.offset(), b.offset());
    EXPECT_EQ(a.colorSpace(), b.colorSpace());
    EXPECT_EQ(a.devicePixelRatio(), b.devicePixelRatio());
}

} // namespace

using RenderPathCycle = AppFixture;
using testpics::ShownView;

// Small pictures take a plain copy; from 8 MB on the copy goes into huge pages.
class RenderPath : public AppFixture, public ::testing::WithParamInterface<QSize>
{
protected:
    void setSourceAndSettings()
    {
        const QSize size = GetParam();
        source = pictureWithMetadata(size.width(), size.height());
        pristine = source.copy();
        c->filter_selector->setCurrentIndex(4);
        c->slider_red->setValue(3);
        c->check_box->setChecked(true);
        c->current_image = source;
    }
    tintwell::PassSettings settings(qint64 value) const
    {
        tintwell::PassSettings s;
        s.filter = 4;
        s.value = value;
        s.red = 3;
        s.negative = true;
        return s;
    }
    QImage source;
    QImage pristine;
};

TEST_P(RenderPath, ResultIsTheOnlyHolderOfItsOwnCopyWithTheSourcesMetadata)
{
    setSourceAndSettings();
    tintwell::current_filter = 4;
    const QImage result = c->applyFilter(21);
    ASSERT_FALSE(result.isNull());
    // Nobody else keeps a reference (no hidden second copy), and it is not
    // the source's memory.
    EXPECT_TRUE(result.isDetached());
    EXPECT_NE(result.constBits(), c->current_image.constBits());
    EXPECT_EQ(result.format(), source.format());
    EXPECT_EQ(result.bytesPerLine(), source.bytesPerLine());
    expectSameMetadata(result, source);

    const QImage expected = tintwell::renderImage(pristine, settings(21));
    EXPECT_TRUE(testpics::sameBytes(result, expected));
    EXPECT_NE(pixelAt(result, 1, 1), pixelAt(pristine, 1, 1));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, pristine));
    EXPECT_EQ(c->current_image.constBits(), source.constBits()); // not replaced either
}

TEST_P(RenderPath, RenderCycleShowsTheResultAndNeverWritesTheSource)
{
    setSourceAndSettings();
    for (const int value : {5, -77, 5}) {
        c->slider->setValue(value);
        c->changePosition();
        const QImage result = shown();
        ASSERT_FALSE(result.isNull());
        EXPECT_NE(result.constBits(), source.constBits());
        EXPECT_TRUE(testpics::sameBytes(result, tintwell::renderImage(pristine, settings(value))));
        expectSameMetadata(result, source);
        EXPECT_TRUE(testpics::sameBytes(c->current_image, pristine));
        EXPECT_EQ(c->slider_pos->text(), QString::number(value));
    }
    // Exported bytes of the result carry the source's text and resolution.
    const QString exported = pathFor(QStringLiteral("result.png"));
    ASSERT_TRUE(tintwell::saveImage(shown(), exported, QByteArrayLiteral("png")).isEmpty());
    const QImage reread(exported);
    EXPECT_EQ(reread.text(QStringLiteral("Description")), QStringLiteral("render path"));
    EXPECT_EQ(reread.dotsPerMeterX(), 5905);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RenderPath, ::testing::Values(QSize(40, 30), QSize(1600, 1400)),
                         [](const auto &info) {
                             return QStringLiteral("w%1h%2")
                                 .arg(info.param.width())
                                 .arg(info.param.height())
                                 .toStdString();
                         });

TEST_F(RenderPathCycle, ASourceInAnotherLayoutIsConvertedIntoTheWorkingCopyOnly)
{
    const QImage source = filled(300, 200, QImage::Format_RGB32, QColor(10, 20, 30));
    c->current_image = source;
    c->filter_selector->setCurrentIndex(0);
    c->slider->setValue(4);
    c->changePosition();
    EXPECT_EQ(shown().format(), QImage::Format_RGBX8888);
    EXPECT_EQ(pixelAt(shown(), 299, 199), (Rgba{14, 24, 34, 255}));
    EXPECT_EQ(c->current_image.format(), QImage::Format_RGB32);
    EXPECT_EQ(QColor(c->current_image.pixel(299, 199)), QColor(10, 20, 30));
}

// --- the view ----------------------------------------------------------------

TEST(ImageViewScaling, ScalesOncePerPictureAndResizeNotPerPaint)
{
    ShownView shown(300, 200);
    const QImage big = testpics::pattern(3000, 2000);
    shown.view.setImage(big);
    const qint64 first = shown.view.displayImage().cacheKey();
    for (int i = 0; i < 3; ++i) {
        shown.view.repaint();
        (void)shown.view.grab();
    }
    QApplication::processEvents();
    EXPECT_EQ(shown.view.displayImage().cacheKey(), first);
    // The full-size picture is kept as given, not copied.
    EXPECT_EQ(shown.view.image().constBits(), big.constBits());

    shown.view.setImage(testpics::pattern(3000, 2000));
    EXPECT_NE(shown.view.displayImage().cacheKey(), first);
    const qint64 second = shown.view.displayImage().cacheKey();
    shown.view.resize(240, 160);
    QApplication::processEvents();
    EXPECT_NE(shown.view.displayImage().cacheKey(), second);
    EXPECT_EQ(shown.view.displayImage().size(), QSize(240, 160));
}

TEST(ImageViewScaling, LargePictureKeepsItsColoursAndSidesOnScreen)
{
    ShownView shown(200, 150);
    // Left half red-ish, right half blue-ish: a byte-order slip would swap
    // them, a mirrored sampling would move them.
    QImage big(4000, 3000, QImage::Format_RGBX8888);
    big.fill(QColor(200, 30, 10));
    for (int y = 0; y < big.height(); ++y) {
        uchar *row = big.scanLine(y);
        for (int x = 2000; x < 4000; ++x) {
            row[4 * x + 0] = 5;
            row[4 * x + 1] = 60;
            row[4 * x + 2] = 220;
        }
    }
    shown.view.setImage(big);
    const QImage display = shown.view.displayImage();
    ASSERT_EQ(display.size(), QSize(200, 150));
    EXPECT_FALSE(display.hasAlphaChannel());
    EXPECT_EQ(display.format(), QImage::Format_RGB32); // painted without conversion
    EXPECT_EQ(pixelAt(display, 10, 75), (Rgba{200, 30, 10, 255}));
    EXPECT_EQ(pixelAt(display, 190, 75), (Rgba{5, 60, 220, 255}));

    const QImage painted = shown.view.grab().toImage();
    EXPECT_EQ(QColor(painted.pixel(10, 75)), QColor(200, 30, 10));
    EXPECT_EQ(QColor(painted.pixel(190, 75)), QColor(5, 60, 220));
}

TEST(ImageViewScaling, FinePatternsAverageInsteadOfFlickering)
{
    // One-pixel stripes, as several filters produce: the screen copy shows
    // their average grey, never whole black or white columns.
    ShownView shown(300, 200);
    for (const int width : {2400, 3000, 3300}) { // 8:1, 10:1 and 11:1
        QImage stripes(width, width * 2 / 3, QImage::Format_RGBX8888);
        for (int y = 0; y < stripes.height(); ++y) {
            uchar *row = stripes.scanLine(y);
            for (int x = 0; x < stripes.width(); ++x) {
                const uchar v = (x % 2) ? 255 : 0;
                row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = v;
                row[4 * x + 3] = 255;
            }
        }
        shown.view.setImage(stripes);
        const QImage display = shown.view.displayImage();
        ASSERT_EQ(display.size(), QSize(300, 200));
        for (int x = 0; x < display.width(); x += 7) {
            const int grey = pixelAt(display, x, 100).g;
            EXPECT_GT(grey, 100) << "width " << width << " column " << x;
            EXPECT_LT(grey, 155) << "width " << width << " column " << x;
        }
    }
}

TEST(ImageViewScaling, TranslucentLargePictureKeepsItsAlpha)
{
    ShownView shown(200, 150);
    shown.view.setImage(filled(2000, 1500, QImage::Format_RGBA8888, QColor(100, 150, 200, 128)));
    const QImage display = shown.view.displayImage();
    ASSERT_EQ(display.size(), QSize(200, 150));
    ASSERT_TRUE(display.hasAlphaChannel());
    const QColor centre = display.pixelColor(100, 75);
    EXPECT_EQ(centre.alpha(), 128);
    EXPECT_NEAR(centre.red(), 100, 2);
    EXPECT_NEAR(centre.green(), 150, 2);
    EXPECT_NEAR(centre.blue(), 200, 2);
}

TEST_F(RenderPathCycle, SliderMoveLeavesTheViewHoldingTheNewScreenCopy)
{
    c->filter_selector->setCurrentIndex(0);
    c->slider->setValue(0);
    open(writePicture(QStringLiteral("grey.png"), filled(2400, 1800, QImage::Format_RGB32, QColor(50, 50, 50))));
    ASSERT_FALSE(c->image_view->displayImage().isNull());
    const QSize screen = c->image_view->displayImage().size();
    EXPECT_LT(screen.width(), 2400);
    EXPECT_EQ(pixelAt(c->image_view->displayImage(), 3, 3), (Rgba{50, 50, 50, 255}));

    c->slider->setValue(25); // the slider's signal runs the whole cycle
    EXPECT_EQ(c->image_view->displayImage().size(), screen);
    EXPECT_EQ(pixelAt(c->image_view->displayImage(), 3, 3), (Rgba{75, 75, 75, 255}));
    EXPECT_EQ(pixelAt(shown(), 2399, 1799), (Rgba{75, 75, 75, 255}));
}
