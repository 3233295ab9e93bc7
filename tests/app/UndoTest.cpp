// Undo and redo on the real window: every change (a control, an open, a paste,
// "use result as source") is one step named in the Edit menu, and undoing it
// puts back the settings, the source and the picture that were shown before.
#include "AppFixture.h"

#include <functional>

class Undo : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        set({0, 10});
        open(writePicture("a.png", a));
        withA = shown().copy();
    }
    void expectShown(const tintwell::PassSettings &s, const QImage &view)
    {
        EXPECT_EQ(c->currentSettings(), s);
        EXPECT_EQ(c->slider_pos->text(), QString::number(s.value));
        EXPECT_TRUE(sameBytes(shown(), view));
    }
    void undo() { actionNamed("actionUndo")->trigger(); }
    void redo() { actionNamed("actionRedo")->trigger(); }
    QString undoText() const { return actionNamed("actionUndo")->text().remove('&'); }
    QString redoText() const { return actionNamed("actionRedo")->text().remove('&'); }

    const QImage a = pattern(40, 30);
    QImage withA; // a rendered with filter 0 at 10
};

// Undo after any change puts back the settings, the source with its name and
// the picture shown before; redo brings the step back as it was (an adopted
// result is not filtered again).
TEST_F(Undo, MustShow_UndoAfterAChangeRestoresSettingsSourceAndPicture)
{
    const QImage other = pattern(30, 20, true);
    const struct {
        QString name;
        std::function<void()> change;
    } rows[] = {
        {"Filter", [this] { c->filter_selector->setCurrentIndex(7); }},
        {"Amount", [this] { c->slider->setValue(-20); }},
        {"Red", [this] { c->slider_red->setValue(5); }},
        {"Green", [this] { c->slider_green->setValue(-5); }},
        {"Blue", [this] { c->slider_blue->setValue(9); }},
        {"Negative", [this] { c->check_box->setChecked(true); }},
        {"Swap Red and Blue", [this] { c->reverse_box->setChecked(true); }},
        {"Open", [&] { open(writePicture("b.png", other)); }},
        {"Paste", [&] { QApplication::clipboard()->setImage(other), c->setPasteboardAsSource(); }},
        {"Use Result as Source", [this] { c->setAsSource(); }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        row.change();
        const tintwell::PassSettings changed = c->currentSettings();
        const QImage changedView = shown().copy(), source = c->current_image;
        const QString name = c->pictureName();
        EXPECT_EQ(undoText(), "Undo " + row.name);
        undo();
        expectShown({0, 10}, withA);
        EXPECT_TRUE(sameBytes(c->current_image, a));
        EXPECT_EQ(c->pictureName(), QStringLiteral("a.png"));
        EXPECT_EQ(redoText(), "Redo " + row.name); // restoring recorded no step
        redo();
        expectShown(changed, changedView);
        EXPECT_EQ(c->current_image.cacheKey(), source.cacheKey());
        EXPECT_EQ(c->pictureName(), name);
        undo();
    }
    EXPECT_EQ(undoText(), "Undo Open");
    undo(); // back to the start: no picture
    EXPECT_TRUE(shown().isNull());
    EXPECT_TRUE(c->pictureName().isEmpty());
}

// A drag (pressed to released) is one step; so is a run of key or wheel steps
// on one slider; a drag back to where it began leaves none.
TEST_F(Undo, ADragOrARunOfKeyStepsIsOneStep)
{
    const auto drag = [this](QSlider *slider, std::initializer_list<int> values) {
        slider->setSliderDown(true);
        for (int value : values)
            slider->setValue(value);
        slider->setSliderDown(false);
    };
    drag(c->slider, {12, 5, 10});
    EXPECT_EQ(undoText(), "Undo Open");
    drag(c->slider, {12, 14, 16});
    drag(c->slider, {20, 30});
    for (int step = 0; step < 3; ++step)
        c->slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const qint64 afterKeys = c->slider->value();
    ASSERT_NE(afterKeys, 30);
    drag(c->slider_red, {3, 4});
    for (const qint64 expected : {afterKeys, qint64(30), qint64(16), qint64(10)}) {
        undo();
        EXPECT_EQ(c->slider->value(), expected);
    }
    EXPECT_EQ(c->slider_red->value(), 0);
    expectShown({0, 10}, withA);
    EXPECT_EQ(undoText(), "Undo Open");

    // After an undo the next key step starts a step of its own.
    c->slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const qint64 firstRun = c->slider->value();
    c->slider_red->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    undo();
    c->slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    undo();
    EXPECT_EQ(c->slider->value(), firstRun);
}

// The oldest steps go when the pictures they keep are over the budget; the
// newest ones still work.
TEST_F(Undo, OldestStepsGoWhenThePicturesAreOverTheBudget)
{
    c->setUndoBudget(c->current_image.sizeInBytes() * 5 / 2); // two pictures, not three
    open(writePicture("b.png", pattern(40, 30, false, 20, 2)));
    const QImage bAt10 = shown().copy();
    c->slider->setValue(11);
    const QImage bAt11 = shown().copy();
    open(writePicture("c.png", pattern(40, 30, false, 20, 3)));
    undo();
    expectShown({0, 11}, bAt11);
    undo();
    expectShown({0, 10}, bAt10);
    EXPECT_FALSE(actionNamed("actionUndo")->isEnabled()); // the open of a is gone
    redo();
    redo();
    EXPECT_EQ(c->pictureName(), QStringLiteral("c.png"));
}
