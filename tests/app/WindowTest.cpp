// The window as the user meets it: its controls, the keys of its commands,
// the title and status that follow the picture, the About box and Compare.
#include "AppFixture.h"
#include "EditorActions.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>

using namespace tintwell::test;

class Window : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        activate();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(delegate->window(), key, modifiers);
    }
    // A backslash key event as the window system sends it, auto-repeat or not.
    void backslash(QEvent::Type type, bool autoRepeat = false)
    {
        QKeyEvent event(type, Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\"), autoRepeat);
        QApplication::sendEvent(c->slider, &event); // reaches the window through a focused control
    }
    const QImage source = pattern(40, 30);
};

TEST_F(Window, ControlsStartAtZeroAndCoverEveryOffset)
{
    ASSERT_EQ(c->filter_selector->count(), 25);
    QSet<QString> names;
    for (int k = 0; k < 25; ++k)
        names.insert(c->filter_selector->itemText(k));
    EXPECT_EQ(names.size(), 25);
    EXPECT_FALSE(names.contains(QString()));
    for (QSlider *s : {c->slider, c->slider_red, c->slider_green, c->slider_blue}) {
        EXPECT_TRUE(s->hasTracking());
        EXPECT_LE(s->minimum(), -5);
        EXPECT_GE(s->maximum() - s->minimum() + 1, 256);
        EXPECT_EQ(s->value(), 0);
    }
    for (QLabel *l : {c->slider_pos, c->slider_red_pos, c->slider_green_pos, c->slider_blue_pos})
        EXPECT_EQ(l->text(), QStringLiteral("0"));
}

TEST_F(Window, KeysRunTheirCommands)
{
    EXPECT_FALSE(actionNamed("actionSave")->isEnabled());
    dialogs->openAnswers << writePicture(QStringLiteral("p.png"), source);
    c->slider->setValue(10);
    press(Qt::Key_O);
    ASSERT_TRUE(sameBytes(c->current_image, source));
    press(Qt::Key_S);
    EXPECT_EQ(dialogs->saveCalls, 1);
    press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogs->exportCalls, 1);
    const QImage once = shown().copy();
    press(Qt::Key_C);
    EXPECT_TRUE(sameBytes(QApplication::clipboard()->image(), once));
    press(Qt::Key_Return); // adopt
    EXPECT_TRUE(sameBytes(c->current_image, once));
    press(Qt::Key_Z); // undo
    EXPECT_TRUE(sameBytes(c->current_image, source));
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // redo
    EXPECT_TRUE(sameBytes(c->current_image, once));
    press(Qt::Key_Z);
    press(Qt::Key_Enter); // the keypad's Enter adopts too
    EXPECT_TRUE(sameBytes(c->current_image, once));
    press(Qt::Key_V); // paste: the copied picture, rendered once more
    EXPECT_TRUE(sameBytes(c->current_image, once));
    EXPECT_FALSE(sameBytes(shown(), once));
    press(Qt::Key_Q);
    EXPECT_FALSE(delegate->window()->isVisible());
}

TEST_F(Window, TitleStatusAndAboutFollowTheEditor)
{
    QMainWindow *window = delegate->window();
    auto *renderTime = window->findChild<QLabel *>(QStringLiteral("renderTime"));
    ASSERT_NE(renderTime, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tintwell"));
    open(writePicture(QStringLiteral("photo.png"), pattern(60, 40)));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("photo.png (60 × 40) — Tintwell"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Rendered in \\d+ ms$")).match(renderTime->text()).hasMatch())
        << renderTime->text().toStdString();
    c->undo();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tintwell"));
    EXPECT_TRUE(renderTime->text().isEmpty());

    actionNamed("actionAbout")->trigger();
    ASSERT_EQ(messages->abouts.size(), 1);
    EXPECT_TRUE(messages->abouts[0].contains(QStringLiteral("512 MB")));
    EXPECT_TRUE(messages->abouts[0].contains(QStringLiteral(TINTWELL_VERSION)));
}

TEST_F(Window, CompareShowsTheSourceWhileHeld)
{
    backslash(QEvent::KeyPress); // nothing to compare yet
    EXPECT_FALSE(c->isComparing());
    backslash(QEvent::KeyRelease);
    c->slider->setValue(10);
    open(writePicture(QStringLiteral("a.png"), source));
    const QImage result = shown().copy();

    backslash(QEvent::KeyPress);
    for (int i = 0; i < 3; ++i) { // X11 repeats a held key as release and press pairs
        backslash(QEvent::KeyRelease, true);
        EXPECT_TRUE(sameBytes(shown(), source)) << i;
        backslash(QEvent::KeyPress, true);
        EXPECT_TRUE(sameBytes(shown(), source)) << i;
    }
    EXPECT_EQ(c->slider->value(), 10); // the slider did not take the key
    c->copyToClipboard(); // actions while held work on the result
    EXPECT_TRUE(sameBytes(QApplication::clipboard()->image(), result));
    c->slider->setValue(20); // renders, but the source stays in view until release
    EXPECT_TRUE(sameBytes(shown(), source));
    backslash(QEvent::KeyRelease);
    EXPECT_EQ(pixelAt(shown(), 3, 3).r, (pixelAt(source, 3, 3).r + 20) % 256);

    QAbstractButton *button = delegate->actions().compareButton;
    ASSERT_NE(button, nullptr);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_TRUE(sameBytes(shown(), source));
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_FALSE(sameBytes(shown(), source));
}
