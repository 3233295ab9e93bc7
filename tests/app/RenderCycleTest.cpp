// The render cycle on the real window: what the controls do with and without
// a source picture, and that renders start afresh from the source each time.
#include "AppFixture.h"
#include "ImagePath.h"
#include "ImageView.h"
#include "PassContext.h"
#include "TestPictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>

using testpics::pixelAt;
using testpics::Rgba;

namespace {

// Wrapping byte addition, as the pass does it.
int wrap(int v)
{
    return ((v % 256) + 256) % 256;
}

} // namespace

class RenderCycle : public AppFixture
{
protected:
    // A 64 × 48 pattern, opened in the editor.
    void openPattern()
    {
        source = testpics::pattern(64, 48);
        open(writePicture(QStringLiteral("pattern.png"), source));
        ASSERT_FALSE(c->current_image.isNull());
    }
    QImage source;
};

TEST_F(RenderCycle, WithoutSourceMainSliderAndPopupChangeNothing)
{
    const QString before = c->slider_pos->text();
    c->slider->setValue(40);
    c->filter_selector->setCurrentIndex(3);
    c->check_box->setChecked(true);
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(shown().isNull());
    EXPECT_EQ(c->slider_pos->text(), before);
}

TEST_F(RenderCycle, WithoutSourceColourSlidersRewriteOnlyTheirLabels)
{
    c->slider_red->setValue(12);
    c->slider_green->setValue(-7);
    c->slider_blue->setValue(100);
    EXPECT_EQ(c->slider_red_pos->text(), QStringLiteral("12"));
    EXPECT_EQ(c->slider_green_pos->text(), QStringLiteral("-7"));
    EXPECT_EQ(c->slider_blue_pos->text(), QStringLiteral("100"));
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("0"));
    EXPECT_TRUE(shown().isNull());
}

TEST_F(RenderCycle, AwakeFromNibEmptiesSourceAndSetsNoControl)
{
    openPattern();
    c->slider->setValue(9);
    const QImage before = shown();
    c->awakeFromNib();
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(testpics::sameBytes(shown(), before));
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("9"));
    c->slider->setValue(20); // no source any more: nothing happens
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("9"));
}

TEST_F(RenderCycle, OpeningRendersWithTheSettingsAlreadyChosen)
{
    c->filter_selector->setCurrentIndex(0); // filter 0 adds the value to R, G and B
    c->slider->setValue(10);
    openPattern();
    for (const QPoint p : {QPoint(0, 0), QPoint(63, 0), QPoint(17, 33), QPoint(63, 47)}) {
        const Rgba in = pixelAt(source, p.x(), p.y());
        const Rgba out = pixelAt(shown(), p.x(), p.y());
        EXPECT_EQ(out, (Rgba{wrap(in.r + 10), wrap(in.g + 10), wrap(in.b + 10), 255}));
    }
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("10"));
}

TEST_F(RenderCycle, RendersDoNotAccumulateAndNeverWriteTheSource)
{
    openPattern();
    const QImage original = c->current_image.copy();
    c->filter_selector->setCurrentIndex(7);
    c->slider->setValue(30);
    const QImage first = shown().copy();
    c->changePosition();
    c->changeFilter();
    EXPECT_TRUE(testpics::sameBytes(shown(), first));
    c->slider->setValue(-60);
    c->slider_red->setValue(77);
    c->check_box->setChecked(true);
    c->reverse_box->setChecked(true);
    c->slider->setValue(30);
    c->slider_red->setValue(0);
    c->check_box->setChecked(false);
    c->reverse_box->setChecked(false);
    EXPECT_TRUE(testpics::sameBytes(shown(), first));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, original));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
}

TEST_F(RenderCycle, MainLabelShowsMinusFiveForValueMinusFive)
{
    openPattern();
    c->filter_selector->setCurrentIndex(0);
    c->slider->setValue(-5);
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("-5"));
    const Rgba in = pixelAt(source, 5, 5);
    EXPECT_EQ(pixelAt(shown(), 5, 5), (Rgba{wrap(in.r - 5), wrap(in.g - 5), wrap(in.b - 5), 255}));
}

TEST_F(RenderCycle, NoSelectionAppliesOnlyOffsetsAndFlags)
{
    QImage one(1, 1, QImage::Format_RGB32);
    one.setPixel(0, 0, qRgb(250, 7, 9));
    open(writePicture(QStringLiteral("one.png"), one));
    c->slider->setValue(50);
    c->slider_red->setValue(10);
    c->slider_blue->setValue(-6); // 250 modulo 256
    c->filter_selector->setCurrentIndex(-1);
    EXPECT_EQ(tintwell::current_filter, -1);
    EXPECT_EQ(pixelAt(shown(), 0, 0), (Rgba{4, 7, 3, 255}));
}

TEST_F(RenderCycle, ColourSlidersReachTheirOwnChannels)
{
    openPattern();
    c->filter_selector->setCurrentIndex(-1);
    c->slider_red->setValue(1);
    c->slider_green->setValue(-2);
    c->slider_blue->setValue(3);
    const Rgba in = pixelAt(source, 40, 20);
    EXPECT_EQ(pixelAt(shown(), 40, 20), (Rgba{wrap(in.r + 1), wrap(in.g - 2), wrap(in.b + 3), 255}));
}

TEST_F(RenderCycle, CheckBoxesNegateAndSwapAndPartialCountsAsTicked)
{
    QImage one(1, 1, QImage::Format_RGB32);
    one.setPixel(0, 0, qRgb(10, 20, 30));
    open(writePicture(QStringLiteral("one.png"), one));
    c->filter_selector->setCurrentIndex(-1);

    c->check_box->setTristate(true);
    c->check_box->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(pixelAt(shown(), 0, 0), (Rgba{246, 236, 226, 255}));

    c->reverse_box->setTristate(true);
    c->reverse_box->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(pixelAt(shown(), 0, 0), (Rgba{226, 236, 246, 255}));

    c->check_box->setCheckState(Qt::Unchecked);
    EXPECT_EQ(pixelAt(shown(), 0, 0), (Rgba{30, 20, 10, 255}));
    c->reverse_box->setCheckState(Qt::Unchecked);
    EXPECT_EQ(pixelAt(shown(), 0, 0), (Rgba{10, 20, 30, 255}));
}

TEST_F(RenderCycle, PopupIndexSelectsThatFilter)
{
    openPattern();
    c->slider->setValue(23);
    for (int index : {7, 0, 24}) {
        c->filter_selector->setCurrentIndex(index);
        EXPECT_EQ(tintwell::current_filter, index);
        tintwell::PassSettings settings;
        settings.filter = index;
        settings.value = 23;
        const QImage expected = tintwell::renderImage(source, settings);
        EXPECT_TRUE(testpics::sameBytes(shown(), expected)) << "filter " << index;
    }
    // Filter 7 really differs from filter 0 on this picture.
    tintwell::PassSettings seven;
    seven.filter = 7;
    seven.value = 23;
    tintwell::PassSettings zero = seven;
    zero.filter = 0;
    EXPECT_FALSE(testpics::sameBytes(tintwell::renderImage(source, seven),
                                     tintwell::renderImage(source, zero)));
}

