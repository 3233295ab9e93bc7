// Zooming the picture view on the real window: 100% shows the result's own
// pixels, larger scales show them as sharp squares, the View actions step the
// scale and fit again, and the mouse zooms about the pointer and pans.
#include "AppFixture.h"

#include <QPointingDevice>
#include <QTest>

class Zoom : public AppFixture
{
protected:
    // Opens a grainy picture larger than the view (no colour profile, so the
    // screen shows the result's bytes) and renders it with value 7.
    void SetUp() override
    {
        AppFixture::SetUp();
        set({0, 7});
        open(writePicture("large.png", pattern(1600, 1200, false, 60)));
        ASSERT_FALSE(shown().isNull());
        view = c->image_view;
    }
    void trigger(const char *action)
    {
        actionNamed(action)->trigger();
        QApplication::processEvents(); // scroll bars come and go
    }
    QImage screen() const { return view->viewport()->grab().toImage(); }
    QPoint middle() const { return {view->viewport()->width() / 2, view->viewport()->height() / 2}; }
    static QRgb rgb(const QImage &image, QPoint at) { return image.pixel(at) & 0xffffff; }
    // Whether the screen's 16 x 16 pixels around `at` show the result's
    // pixels from `picture` on, each as a `factor` x `factor` square, the
    // squares' corners `phase` device pixels left of and above `at`.
    bool showsSquares(const QImage &screen, QPoint at, QPoint picture, int factor, QPoint phase) const
    {
        const auto floorDiv = [factor](int a) { return a >= 0 ? a / factor : -((factor - 1 - a) / factor); };
        for (int dy = -8; dy < 8; ++dy)
            for (int dx = -8; dx < 8; ++dx) {
                const QPoint source = picture + QPoint(floorDiv(dx + phase.x()), floorDiv(dy + phase.y()));
                if (rgb(screen, at + QPoint(dx, dy)) != rgb(shown(), source))
                    return false;
            }
        return true;
    }
    ImageView *view = nullptr;
};

TEST_F(Zoom, MustShow_HundredPercentShowsExactCentrePixels)
{
    trigger("actionActualSize");
    ASSERT_EQ(view->scale(), 1.0);
    EXPECT_TRUE(showsSquares(screen(), middle(), QPoint(800, 600), 1, {}));

    // Above 100% every picture pixel is a sharp square.
    view->zoomBy(2, QRectF(view->viewport()->rect()).center());
    ASSERT_EQ(view->scale(), 2.0);
    const QImage zoomed = screen();
    bool found = false; // the centre's picture pixel, give or take one, in either phase
    for (int y = 599; y <= 601 && !found; ++y)
        for (int x = 799; x <= 801 && !found; ++x)
            for (const QPoint phase : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                found = found || showsSquares(zoomed, middle(), {x, y}, 2, phase);
    EXPECT_TRUE(found);
}

TEST_F(Zoom, ActionsStepTheScaleAndFitRestoresTheFittedView)
{
    const double fitted = view->scale();
    const QImage fittedScreen = view->displayImage().copy();
    ASSERT_TRUE(view->isFitted());
    ASSERT_LT(fitted, 1.0);
    const struct {
        const char *action;
        double scale; // 0: larger than before; -1: the fitted scale
    } steps[] = {{"actionZoomOut", -1}, {"actionZoomIn", 0}, {"actionZoomIn", 0}, {"actionActualSize", 1},
                 {"actionZoomIn", 1.5}, {"actionZoomOut", 1}, {"actionFitToWindow", -1}};
    double before = fitted;
    for (const auto &step : steps) {
        trigger(step.action);
        const double now = view->scale();
        if (step.scale == 0)
            EXPECT_GT(now, before) << step.action;
        else
            EXPECT_DOUBLE_EQ(now, step.scale < 0 ? fitted : step.scale) << step.action;
        EXPECT_EQ(view->isFitted(), step.scale < 0) << step.action;
        before = now;
    }
    EXPECT_TRUE(sameBytes(view->displayImage(), fittedScreen));
}

// Ctrl + wheel and a pinch keep the picture pixel under the pointer; a drag
// moves the picture with the mouse.
TEST_F(Zoom, MouseZoomsAboutThePointerAndDrags)
{
    trigger("actionActualSize");
    QWidget *port = view->viewport();
    const QPoint at(port->width() / 4, port->height() / 3);
    const auto wheel = [&] {
        QWheelEvent event(at, port->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(port, &event);
    };
    const auto pinch = [&] {
        QNativeGestureEvent event(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, at, at,
                                  port->mapToGlobal(at), 0.5, {});
        QApplication::sendEvent(port, &event);
    };
    for (const auto &zoom : {std::function<void()>(wheel), std::function<void()>(pinch)}) {
        const QRgb under = rgb(screen(), at);
        const double scale = view->scale();
        zoom();
        QApplication::processEvents();
        EXPECT_GT(view->scale(), scale * 1.4);
        const QImage shot = screen();
        bool kept = false; // rounding may move the pixel by one
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                kept = kept || rgb(shot, at + QPoint(dx, dy)) == under;
        EXPECT_TRUE(kept) << view->scale();
    }

    const QRgb under = rgb(screen(), at);
    const QPoint to = at + QPoint(37, 23);
    QTest::mousePress(port, Qt::LeftButton, {}, at);
    QTest::mouseMove(port, to);
    QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    EXPECT_EQ(rgb(screen(), to), under);
}
