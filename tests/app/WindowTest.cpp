// Compare on the real window, dropped files and pictures, and a view that
// fits the picture without enlarging it.
#include "AppFixture.h"
#include "EditorActions.h"

#include <QTest>

class Window : public AppFixture
{
protected:
    // A backslash key event as the window system sends it, auto-repeat or not.
    void backslash(QEvent::Type type, bool autoRepeat = false)
    {
        QKeyEvent event(type, Qt::Key_Backslash, Qt::NoModifier, QStringLiteral("\\"), autoRepeat);
        QApplication::sendEvent(c->slider, &event); // reaches the window through a focused control
    }
    const QImage source = pattern(40, 30);
};

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
    for (const auto &[size, fitted] : {std::pair{QSize(50, 40), QSize(50, 40)}, {{100, 400}, {50, 200}}, {{400, 100}, {200, 50}}}) {
        view.setImage(pattern(size.width(), size.height()));
        EXPECT_EQ(view.displayImage().size(), fitted);
    }
    const QImage painted = view.grab().toImage(); // centred: rows 75..124
    EXPECT_EQ(QColor(painted.pixel(100, 100)), QColor(view.displayImage().pixel(100, 25)));
    EXPECT_NE(QColor(painted.pixel(100, 10)), QColor(view.displayImage().pixel(100, 0)));
}

// A dropped file takes the open path, dropped image data the paste path; both
// render with the current controls.
TEST_F(Window, DropsOpenFilesAndTakeImageData)
{
    c->slider->setValue(5);
    const auto drop = [this](const QMimeData &data) {
        const QPoint at = c->image_view->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c->image_view, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c->image_view, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    };
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(writePicture("dropped.png", source))});
    EXPECT_TRUE(drop(file));
    finishJobs();
    EXPECT_EQ(pixelAt(shown(), 2, 1).g, (pixelAt(source, 2, 1).g + 5) % 256);
    QMimeData data;
    data.setImageData(pattern(7, 9));
    EXPECT_TRUE(drop(data));
    EXPECT_EQ(shown().size(), QSize(7, 9));
    EXPECT_EQ(pixelAt(shown(), 6, 8).b, (pixelAt(pattern(7, 9), 6, 8).b + 5) % 256);
}
