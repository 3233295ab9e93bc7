// ImageView: the full-size picture is kept; the painted copy fits the view,
// keeps its aspect ratio and is never enlarged.
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <gtest/gtest.h>

using testpics::ShownView;

TEST(ImageView, ScalesAWidePictureDownToFitKeepingItsAspect)
{
    ShownView shown(200, 200);
    const QImage wide = testpics::pattern(400, 100);
    shown.view.setImage(wide);
    EXPECT_EQ(shown.view.displayImage().size(), QSize(200, 50));
    EXPECT_EQ(shown.view.image().size(), QSize(400, 100));
    EXPECT_TRUE(testpics::sameBytes(shown.view.image(), wide));

    shown.view.resize(300, 120);
    shown.view.setImage(testpics::pattern(100, 240)); // tall: limited by the height
    EXPECT_EQ(shown.view.displayImage().size(), QSize(50, 120));
}

TEST(ImageView, NeverEnlargesASmallPicture)
{
    ShownView shown(300, 300);
    const QImage small = testpics::pattern(50, 40);
    shown.view.setImage(small);
    EXPECT_EQ(shown.view.displayImage().size(), QSize(50, 40));
    EXPECT_TRUE(testpics::sameBytes(shown.view.displayImage(), small));
}

TEST(ImageView, RescalesOnResizeUpToFullSizeOnly)
{
    ShownView shown(200, 200);
    shown.view.setImage(testpics::pattern(400, 100));
    shown.view.resize(160, 160);
    QApplication::processEvents();
    EXPECT_EQ(shown.view.displayImage().size(), QSize(160, 40));
    shown.view.resize(900, 900);
    QApplication::processEvents();
    EXPECT_EQ(shown.view.displayImage().size(), QSize(400, 100));
}

TEST(ImageView, NullPictureClearsTheView)
{
    ShownView shown(100, 100);
    shown.view.setImage(testpics::pattern(10, 10));
    shown.view.setImage(QImage());
    EXPECT_TRUE(shown.view.image().isNull());
    EXPECT_TRUE(shown.view.displayImage().isNull());
}

TEST(ImageView, PaintsTheScaledCopyCentred)
{
    ShownView shown(200, 200);
    QImage red(400, 100, QImage::Format_RGB32);
    red.fill(Qt::red);
    shown.view.setImage(red);
    const QImage painted = shown.view.grab().toImage();
    EXPECT_EQ(QColor(painted.pixel(100, 100)), QColor(Qt::red)); // centre
    EXPECT_EQ(QColor(painted.pixel(2, 80)), QColor(Qt::red));   // band 75..124
    EXPECT_NE(QColor(painted.pixel(100, 10)), QColor(Qt::red));  // above the band
    EXPECT_NE(QColor(painted.pixel(100, 190)), QColor(Qt::red)); // below the band
}
