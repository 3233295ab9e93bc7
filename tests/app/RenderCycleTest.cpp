// The render cycle on the real window: without a source only the colour
// labels follow their sliders; with one every control reaches the pass, each
// render starts afresh from the source, and the main label names the value.
#include "AppFixture.h"
#include "ReferencePass.h"

TEST_F(AppFixture, RenderCycleTakesEveryControlAndStartsFromTheSource)
{
    set({3, 40, 12, -7, 100, true}); // no source: only the colour labels follow
    EXPECT_EQ(c->slider_red_pos->text() + c->slider_green_pos->text() + c->slider_blue_pos->text() +
                  c->slider_pos->text(), "12-71000");
    EXPECT_TRUE(shown().isNull());

    const QImage source = pattern(64, 48, true);
    tintwell::PassSettings s{0, 10};
    set(s);
    open(writePicture("pattern.png", source)); // rendered with the settings already chosen
    const auto expectShown = [&](const char *step) {
        EXPECT_TRUE(sameBytes(shown(), referencePass(source, s))) << step;
        EXPECT_EQ(c->slider_pos->text(), QString::number(s.value)) << step;
    };
    expectShown("open");
    c->slider->setValue(s.value = -5); // the label shows "-5"
    c->slider_red->setValue(s.red = 1);
    c->slider_green->setValue(s.green = -2);
    c->slider_blue->setValue(s.blue = 3);
    expectShown("value and offsets");
    c->check_box->setTristate(true);
    c->check_box->setCheckState(Qt::PartiallyChecked); // counts as ticked
    s.negative = true;
    c->reverse_box->setChecked(s.reverse = true);
    expectShown("negative and reverse");
    for (const int index : {7, 24, -1}) {
        c->filter_selector->setCurrentIndex(s.filter = index);
        expectShown("filter");
    }
    set(s = {0, 10});
    expectShown("renders accumulated");
    EXPECT_TRUE(sameBytes(c->current_image, source));

    const QImage before = shown();
    c->awakeFromNib(); // empties the source, sets no control
    EXPECT_TRUE(c->current_image.isNull());
    c->slider->setValue(20);
    EXPECT_TRUE(sameBytes(shown(), before));
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("10"));
}
