// The render cycle on the real window: what the controls do without a source,
// and that with one every control reaches the pass and each render starts
// afresh from the source.
#include "AppFixture.h"
#include "ImageView.h"
#include "ReferencePass.h"
#include "TestPictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>

using namespace tintwell::test;

class RenderCycle : public AppFixture
{
protected:
    void openPattern()
    {
        open(writePicture(QStringLiteral("pattern.png"), source));
        ASSERT_FALSE(c->current_image.isNull());
    }
    const QImage source = pattern(64, 48, true);
};

TEST_F(RenderCycle, WithoutSourceOnlyTheColourLabelsChange)
{
    c->slider->setValue(40);
    c->filter_selector->setCurrentIndex(3);
    c->check_box->setChecked(true);
    c->slider_red->setValue(12);
    c->slider_green->setValue(-7);
    c->slider_blue->setValue(100);
    EXPECT_EQ(c->slider_red_pos->text(), QStringLiteral("12"));
    EXPECT_EQ(c->slider_green_pos->text(), QStringLiteral("-7"));
    EXPECT_EQ(c->slider_blue_pos->text(), QStringLiteral("100"));
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("0"));
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(shown().isNull());
}

TEST_F(RenderCycle, AwakeFromNibEmptiesTheSourceAndSetsNoControl)
{
    openPattern();
    c->slider->setValue(9);
    const QImage before = shown();
    c->awakeFromNib();
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(sameBytes(shown(), before));
    c->slider->setValue(20); // no source any more: nothing happens
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("9"));
}

TEST_F(RenderCycle, EveryControlReachesThePassAndTheSourceIsNeverWritten)
{
    c->filter_selector->setCurrentIndex(0);
    c->slider->setValue(10);
    openPattern(); // rendered with the settings already chosen
    tintwell::PassSettings s{0, 10};
    const auto expectShown = [&](const char *step) {
        EXPECT_TRUE(sameBytes(shown(), referencePass(source, s))) << step;
        EXPECT_EQ(c->slider_pos->text(), QString::number(s.value)) << step;
    };
    expectShown("open");
    c->slider->setValue(s.value = -5); // the label shows "-5"
    expectShown("value");
    c->slider_red->setValue(s.red = 1);
    c->slider_green->setValue(s.green = -2);
    c->slider_blue->setValue(s.blue = 3);
    expectShown("offsets");
    c->check_box->setTristate(true);
    c->check_box->setCheckState(Qt::PartiallyChecked); // counts as ticked
    s.negative = true;
    expectShown("negative");
    c->reverse_box->setTristate(true);
    c->reverse_box->setCheckState(Qt::PartiallyChecked);
    s.reverse = true;
    expectShown("reverse");
    for (const int index : {7, 24, -1}) {
        c->filter_selector->setCurrentIndex(s.filter = index);
        expectShown("filter");
    }
    c->check_box->setCheckState(Qt::Unchecked);
    c->reverse_box->setCheckState(Qt::Unchecked);
    c->slider_red->setValue(0);
    c->slider_green->setValue(0);
    c->slider_blue->setValue(0);
    c->filter_selector->setCurrentIndex(0);
    c->slider->setValue(10);
    EXPECT_TRUE(sameBytes(shown(), referencePass(source, {0, 10}))) << "renders accumulated";
    EXPECT_TRUE(sameBytes(c->current_image, source));

    // A source held in another layout is converted into the working copy only.
    const QImage rgb32 = source.convertToFormat(QImage::Format_RGB32);
    c->current_image = rgb32;
    c->changePosition();
    EXPECT_TRUE(sameBytes(shown(), referencePass(rgb32, {0, 10})));
    EXPECT_EQ(c->current_image, source.convertToFormat(QImage::Format_RGB32));
}
