// Undo and redo on the real window: every change of the source (open, paste,
// use result as source) comes back with the controls that went with it and
// the view shows what it showed then.
#include "AppFixture.h"

class Undo : public AppFixture
{
protected:
    void expect(const tintwell::PassSettings &s, const QImage &view)
    {
        const auto all = [](const tintwell::PassSettings &x) {
            return std::tuple(x.filter, x.value, x.red, x.green, x.blue, x.negative, x.reverse);
        };
        EXPECT_EQ(all(c->currentSettings()), all(s));
        EXPECT_EQ(c->slider_pos->text(), QString::number(s.value));
        EXPECT_TRUE(sameBytes(shown(), view));
    }
    const QImage a = pattern(40, 30);
};

TEST_F(Undo, OpenAndPasteGoBackToThePreviousPictureAndSettings)
{
    set({0, 10});
    open(writePicture("a.png", a));
    set({7, 20, 5, 0, 0, true});
    const QImage shownWithA = shown().copy();
    open(writePicture("b.png", pattern(30, 20, true)));
    set({4, -3});
    const QImage shownWithB = shown().copy();
    c->undo();
    EXPECT_TRUE(sameBytes(c->current_image, a));
    expect({7, 20, 5, 0, 0, true}, shownWithA);
    c->redo();
    expect({4, -3}, shownWithB);

    QApplication::clipboard()->setImage(a);
    c->setPasteboardAsSource();
    c->undo();
    expect({4, -3}, shownWithB);
    open(pathFor("missing.png")); // failed actions add no step
    c->undo();
    c->undo(); // back to the start: no source
    EXPECT_FALSE(c->history().canUndo());
    c->slider->setValue(50);
    EXPECT_TRUE(shown().isNull());
}

TEST_F(Undo, AfterASliderMoveRestoresTheSettingAndPicture)
{
    set({0, 10});
    open(writePicture("a.png", a));
    const QImage plusTen = shown().copy();
    c->setAsSource();
    c->undo(); // the adopted picture comes back as it was, not filtered again
    EXPECT_TRUE(sameBytes(c->current_image, a));
    expect({0, 10}, plusTen);
    c->redo();
    c->slider->setValue(11);
    const QImage stacked = shown().copy();
    EXPECT_FALSE(sameBytes(stacked, plusTen));
    c->undo();
    expect({0, 10}, plusTen);
    c->redo();
    expect({0, 11}, stacked);
}
