// The window as it first shows: large, and saying how to start while empty.
#include "AppFixture.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QMainWindow>
#include <QScreen>

class FirstWindow : public AppFixture
{
protected:
    // Pixels of the view that differ from its top-left corner.
    int markedPixels()
    {
        const QImage painted = c->image_view->grab().toImage();
        const QRgb background = painted.pixel(0, 0);
        int marked = 0;
        for (int y = 0; y < painted.height(); ++y)
            for (int x = 0; x < painted.width(); ++x)
                marked += painted.pixel(x, y) != background;
        return marked;
    }
};

// Two thirds of the screen's free area, unless the layout needs more; never
// beyond the free area.
TEST_F(FirstWindow, TakesAboutTwoThirdsOfTheScreen)
{
    QMainWindow *window = delegate->window();
    const QRect available = window->screen()->availableGeometry();
    const QSize needed = window->minimumSizeHint();
    EXPECT_GE(window->width(), std::max(available.width() * 6 / 10, needed.width()));
    EXPECT_GE(window->height(), std::max(available.height() * 6 / 10, needed.height()));
    EXPECT_TRUE(available.contains(window->geometry()));
}

TEST_F(FirstWindow, EmptyViewSaysHowToStart)
{
    EXPECT_GT(markedPixels(), 50); // the hint's letters
}
