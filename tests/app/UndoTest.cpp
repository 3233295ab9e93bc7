// Undo and redo on the real window: every change of the source (open, paste,
// use result as source) comes back with the controls that went with it, and
// the view shows exactly what it showed then.
#include "AppFixture.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QSlider>

using testpics::sameBytes;

class Undo : public AppFixture
{
protected:
    void set(int filter, int value, int red = 0, bool negative = false)
    {
        c->filter_selector->setCurrentIndex(filter);
        c->slider->setValue(value);
        c->slider_red->setValue(red);
        c->check_box->setChecked(negative);
    }
    void expectControls(int filter, int value, int red = 0, bool negative = false)
    {
        EXPECT_EQ(c->filter_selector->currentIndex(), filter);
        EXPECT_EQ(c->slider->value(), value);
        EXPECT_EQ(c->slider_pos->text(), QString::number(value));
        EXPECT_EQ(c->slider_red->value(), red);
        EXPECT_EQ(c->slider_red_pos->text(), QString::number(red));
        EXPECT_EQ(c->check_box->isChecked(), negative);
    }
    const QImage a = testpics::pattern(40, 30);
    const QImage b = testpics::translucentPattern(30, 20);
};

TEST_F(Undo, OpenGoesBackToThePreviousPictureAndSettingsThenToNoSource)
{
    EXPECT_FALSE(c->history().canUndo());
    set(0, 10);
    open(writePicture(QStringLiteral("a.png"), a));
    set(7, 20, 5, true);
    const QImage shownWithA = shown().copy();

    open(writePicture(QStringLiteral("b.png"), b));
    set(4, -3);
    const QImage shownWithB = shown().copy();

    c->undo();
    EXPECT_TRUE(sameBytes(c->current_image, a));
    expectControls(7, 20, 5, true);
    EXPECT_TRUE(sameBytes(shown(), shownWithA));

    c->redo();
    EXPECT_TRUE(sameBytes(c->current_image, b));
    expectControls(4, -3);
    EXPECT_TRUE(sameBytes(shown(), shownWithB));

    c->undo();
    c->undo(); // back to the start: no source, the controls as A was opened with
    EXPECT_FALSE(c->history().canUndo());
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(shown().isNull());
    expectControls(0, 10);
    c->slider->setValue(50); // no source: nothing renders
    EXPECT_TRUE(shown().isNull());

    c->redo();
    EXPECT_TRUE(sameBytes(c->current_image, a));
    expectControls(7, 20, 5, true);
    EXPECT_TRUE(sameBytes(shown(), shownWithA));
}

TEST_F(Undo, AdoptComesBackAsTheSourceItselfOrRendered)
{
    set(0, 10);
    open(writePicture(QStringLiteral("a.png"), a));
    const QImage plusTen = shown().copy();
    c->setAsSource();
    EXPECT_TRUE(c->history().canUndo());

    // Undo then redo right away: the adopted picture is shown as it is, not
    // filtered once more.
    c->undo();
    EXPECT_TRUE(sameBytes(c->current_image, a));
    EXPECT_TRUE(sameBytes(shown(), plusTen));
    c->redo();
    EXPECT_TRUE(sameBytes(c->current_image, plusTen));
    EXPECT_TRUE(sameBytes(shown(), plusTen));
    expectControls(0, 10);

    // After a move, redo shows the stacked render with the moved control.
    c->slider->setValue(11);
    const QImage stacked = shown().copy();
    EXPECT_FALSE(sameBytes(stacked, plusTen));
    c->undo();
    expectControls(0, 10);
    EXPECT_TRUE(sameBytes(shown(), plusTen));
    c->redo();
    expectControls(0, 11);
    EXPECT_TRUE(sameBytes(shown(), stacked));

    // Adopting what is already the source adds no step.
    c->setAsSource();
    const qsizetype steps = c->history().size();
    c->setAsSource();
    EXPECT_EQ(c->history().size(), steps);
}

TEST_F(Undo, PasteIsUndoneAndANewChangeDropsTheRedoSteps)
{
    set(0, 10);
    open(writePicture(QStringLiteral("a.png"), a));
    QApplication::clipboard()->setImage(b);
    set(2, 3);
    c->setPasteboardAsSource();
    const QImage withPaste = shown().copy();
    EXPECT_FALSE(c->recipe().hasFile());

    c->undo();
    expectControls(2, 3);
    EXPECT_TRUE(sameBytes(c->current_image, a));
    EXPECT_TRUE(c->recipe().hasFile());
    c->redo();
    EXPECT_TRUE(sameBytes(shown(), withPaste));
    EXPECT_FALSE(c->recipe().hasFile());

    c->undo();
    c->setAsSource(); // a new change: the paste can no longer be redone
    EXPECT_FALSE(c->history().canRedo());
    c->redo();
    EXPECT_FALSE(sameBytes(shown(), withPaste));
}

TEST_F(Undo, FailedOrCancelledActionsAddNoStep)
{
    open(writePicture(QStringLiteral("a.png"), a));
    const qsizetype steps = c->history().size();
    c->selectImage(); // cancelled
    open(pathFor(QStringLiteral("missing.png")));
    QApplication::clipboard()->setText(QStringLiteral("text"));
    c->setPasteboardAsSource();
    EXPECT_EQ(c->history().size(), steps);
    EXPECT_EQ(messages->errors.size(), 1);
}
