// The window as the user meets it: its first size and empty hint, the keys of
// its commands, the title and status that follow the picture,
// Compare, and a view that fits the picture without enlarging it.
#include "AppFixture.h"
#include "EditorActions.h"
#include "ImageView.h"

#include <QRegularExpression>
#include <QScreen>
#include <QTest>

class Window : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        QApplication::setActiveWindow(delegate->window());
        ASSERT_TRUE(QTest::qWaitForWindowActive(delegate->window()));
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

TEST_F(Window, FirstShowsLargeAndSaysHowToStart)
{
    QMainWindow *window = delegate->window();
    const QRect available = window->screen()->availableGeometry();
    EXPECT_GE(window->width() * 10, available.width() * 6);
    EXPECT_GE(window->height() * 10, available.height() * 6);
    EXPECT_TRUE(available.contains(window->geometry()));
    const QImage painted = c->image_view->grab().toImage();
    QImage blank(painted.size(), painted.format());
    blank.fill(painted.pixel(0, 0));
    EXPECT_NE(painted, blank); // the hint's letters
}

TEST_F(Window, KeysRunTheirCommandsAndTitleAndStatusFollow)
{
    QMainWindow *window = delegate->window();
    auto *renderTime = window->findChild<QLabel *>(QStringLiteral("renderTime"));
    EXPECT_FALSE(actionNamed("actionSave")->isEnabled());
    dialogs->openAnswers << writePicture("p.png", source);
    c->slider->setValue(10);
    press(Qt::Key_O);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("p.png (40 × 30) — Tintwell"));
    EXPECT_TRUE(QRegularExpression("^Rendered in \\d+ ms$").match(renderTime->text()).hasMatch());
    press(Qt::Key_S);
    press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(std::pair(dialogs->saveCalls, dialogs->exportCalls), std::pair(1, 1));
    const QImage once = shown().copy();
    press(Qt::Key_C);
    press(Qt::Key_Return); // adopt
    press(Qt::Key_Z); // undo
    EXPECT_TRUE(sameBytes(c->current_image, source));
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // redo
    press(Qt::Key_V); // paste: the copied picture, rendered once more
    EXPECT_TRUE(sameBytes(c->current_image, once));
    for (int i = 0; i < 3; ++i) // undo the paste, the adopt and the open: nothing shown
        press(Qt::Key_Z);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tintwell"));
    EXPECT_TRUE(renderTime->text().isEmpty());
    press(Qt::Key_Q);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(Window, CompareShowsTheSourceWhileHeld)
{
    c->slider->setValue(10);
    open(writePicture("a.png", source));
    const QImage result = shown().copy();
    backslash(QEvent::KeyPress);
    for (int i = 0; i < 3; ++i) { // X11 repeats a held key as release and press pairs
        backslash(QEvent::KeyRelease, true);
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

    QTest::mousePress(delegate->actions().compareButton, Qt::LeftButton);
    EXPECT_TRUE(sameBytes(shown(), source));
}

TEST(View, FitsKeepingTheAspectNeverEnlargingAndCentred)
{
    ImageView view;
    view.resize(200, 200);
    view.show();
    view.setImage(pattern(50, 40));
    EXPECT_EQ(view.displayImage().size(), QSize(50, 40));
    view.setImage(pattern(100, 400));
    EXPECT_EQ(view.displayImage().size(), QSize(50, 200));
    view.setImage(pattern(400, 100));
    EXPECT_EQ(view.displayImage().size(), QSize(200, 50));
    const QImage painted = view.grab().toImage(); // centred: rows 75..124
    EXPECT_EQ(QColor(painted.pixel(100, 100)), QColor(view.displayImage().pixel(100, 25)));
    EXPECT_NE(QColor(painted.pixel(100, 10)), QColor(view.displayImage().pixel(100, 0)));
}
