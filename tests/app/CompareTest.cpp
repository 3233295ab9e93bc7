// Compare: while the backslash key or the tool-bar button is held the view
// shows the source; on release, the result. Auto-repeat never flickers.
#include "AppFixture.h"
#include "EditorActions.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMainWindow>
#include <QSlider>
#include <QTest>

using testpics::sameBytes;

class Compare : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        activate();
        c->slider->setValue(10);
        open(writePicture(QStringLiteral("a.png"), source));
        result = shown().copy();
        ASSERT_FALSE(sameBytes(result, source));
    }
    // A key event as the window system sends it, auto-repeat or not.
    void sendKey(QWidget *to, QEvent::Type type, bool autoRepeat)
    {
        QKeyEvent event(type, Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\"), autoRepeat);
        QApplication::sendEvent(to, &event);
    }
    const QImage source = testpics::pattern(40, 30);
    QImage result;
};

TEST_F(Compare, BackslashShowsTheSourceWhileHeld)
{
    QTest::keyPress(delegate->window(), Qt::Key_Backslash);
    EXPECT_TRUE(c->isComparing());
    EXPECT_TRUE(sameBytes(shown(), source));
    QTest::keyRelease(delegate->window(), Qt::Key_Backslash);
    EXPECT_FALSE(c->isComparing());
    EXPECT_TRUE(sameBytes(shown(), result));
}

TEST_F(Compare, AutoRepeatDoesNotFlicker)
{
    QWidget *focus = c->slider; // the key reaches the window through a focused control
    sendKey(focus, QEvent::KeyPress, false);
    for (int i = 0; i < 5; ++i) {
        sendKey(focus, QEvent::KeyRelease, true); // X11 repeats as release+press pairs
        EXPECT_TRUE(sameBytes(shown(), source)) << i;
        sendKey(focus, QEvent::KeyPress, true);
        EXPECT_TRUE(sameBytes(shown(), source)) << i;
    }
    EXPECT_EQ(c->slider->value(), 10); // the slider did not take the key
    sendKey(focus, QEvent::KeyRelease, false);
    EXPECT_TRUE(sameBytes(shown(), result));
}

TEST_F(Compare, ButtonShowsTheSourceWhileHeld)
{
    QAbstractButton *button = delegate->actions().compareButton;
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_TRUE(sameBytes(shown(), source));
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_TRUE(sameBytes(shown(), result));
}

TEST_F(Compare, ActionsWhileHeldWorkOnTheResult)
{
    QTest::keyPress(delegate->window(), Qt::Key_Backslash);
    c->copyToClipboard();
    EXPECT_TRUE(sameBytes(QApplication::clipboard()->image(), result));
    const QString png = pathFor(QStringLiteral("held.png"));
    dialogs->exportAnswers << png;
    c->exportPng();
    EXPECT_TRUE(sameBytes(QImage(png), result));

    c->slider->setValue(20); // renders, but the source stays in view until release
    EXPECT_TRUE(sameBytes(shown(), source));
    QTest::keyRelease(delegate->window(), Qt::Key_Backslash);
    EXPECT_EQ(testpics::pixelAt(shown(), 3, 3).r, (testpics::pixelAt(source, 3, 3).r + 20) % 256);
}

TEST_F(Compare, NothingToCompareWithoutASource)
{
    c->awakeFromNib();
    c->image_view->setImage(QImage());
    EXPECT_FALSE(actionNamed("actionCompare")->isEnabled());
    QTest::keyPress(delegate->window(), Qt::Key_Backslash);
    EXPECT_FALSE(c->isComparing());
    EXPECT_TRUE(shown().isNull());
    QTest::keyRelease(delegate->window(), Qt::Key_Backslash);
    EXPECT_TRUE(shown().isNull());
}
