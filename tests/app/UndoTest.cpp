// Undo and redo on the real window: every change of the source (open, paste,
// use result as source) comes back with the controls that went with it and
// the view shows what it showed then; the history keeps to its byte budget.
#include "AppFixture.h"
#include "History.h"

class Undo : public AppFixture
{
protected:
    void expectControls(const tintwell::PassSettings &s)
    {
        const auto all = [](const tintwell::PassSettings &x) {
            return std::tuple(x.filter, x.value, x.red, x.green, x.blue, x.negative, x.reverse);
        };
        EXPECT_EQ(all(c->currentSettings()), all(s));
        EXPECT_EQ(c->slider_pos->text(), QString::number(s.value));
    }
    const QImage a = pattern(40, 30);
    const QImage b = pattern(30, 20, true);
};

TEST_F(Undo, OpenAndPasteGoBackToThePreviousPictureAndSettingsThenToNoSource)
{
    set({0, 10});
    open(writePicture("a.png", a));
    set({7, 20, 5, 0, 0, true});
    const QImage shownWithA = shown().copy();
    open(writePicture("b.png", b));
    set({4, -3});
    const QImage shownWithB = shown().copy();

    c->undo();
    EXPECT_TRUE(sameBytes(c->current_image, a));
    expectControls({7, 20, 5, 0, 0, true});
    EXPECT_TRUE(sameBytes(shown(), shownWithA));
    c->redo();
    expectControls({4, -3});
    EXPECT_TRUE(sameBytes(shown(), shownWithB));

    QApplication::clipboard()->setImage(a);
    c->setPasteboardAsSource();
    c->undo();
    EXPECT_TRUE(sameBytes(c->current_image, b));
    c->undo();
    c->undo(); // back to the start: no source
    EXPECT_FALSE(c->history().canUndo());
    EXPECT_TRUE(shown().isNull());
    c->slider->setValue(50); // no source: nothing renders
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
    EXPECT_TRUE(sameBytes(shown(), plusTen));
    c->redo();
    EXPECT_TRUE(sameBytes(shown(), plusTen));

    c->slider->setValue(11);
    const QImage stacked = shown().copy();
    EXPECT_FALSE(sameBytes(stacked, plusTen));
    c->undo();
    expectControls({0, 10});
    EXPECT_TRUE(sameBytes(shown(), plusTen));
    c->redo();
    expectControls({0, 11});
    EXPECT_TRUE(sameBytes(shown(), stacked));

    const qsizetype steps = c->history().size();
    open(pathFor("missing.png")); // failed actions add no step
    EXPECT_EQ(c->history().size(), steps);
}

TEST(History, OverTheBudgetTheOldestStepsGoFirst)
{
    const auto state = [](const char *name, int pixels) {
        return EditorState{QImage(pixels, 1, QImage::Format_RGBX8888), {}, false, {}, QString::fromLatin1(name), {}};
    };
    History history(1000); // room for two 400-byte pictures
    for (const char *name : {"a", "b", "c"})
        history.push(state(name, 100)); // "a" goes (the start holds no pixels)
    EXPECT_LE(history.bytes(), 1000);
    EXPECT_EQ(history.undo().name, QStringLiteral("b"));
    EXPECT_FALSE(history.canUndo());
    history.push(state("huge", 1000)); // larger than the budget: stays alone
    EXPECT_EQ(history.size(), 1);
    EXPECT_EQ(history.current().name, QStringLiteral("huge"));
}
