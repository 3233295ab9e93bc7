// Pictures that arrive without the open dialog: named on the command line or
// dropped on the window, as files or as image data. They take the same path
// as Open and Paste, errors included.
#include "AppFixture.h"
#include "DropOpener.h"
#include "ImagePath.h"
#include "ImageView.h"
#include "LaunchArguments.h"
#include "TestPictures.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMainWindow>
#include <QMimeData>
#include <QSlider>
#include <QUrl>

using testpics::pixelAt;
using testpics::Rgba;

// --- command line -----------------------------------------------------------

TEST(LaunchArgumentsParse, PictureHelpVersionAndErrors)
{
    const QString cwd = QDir::currentPath();
    EXPECT_TRUE(parseLaunchArguments({QStringLiteral("tintwell")}).picture.isEmpty());
    EXPECT_EQ(parseLaunchArguments({QStringLiteral("tintwell"), QStringLiteral("photo.jpg")}).picture,
              QDir(cwd).filePath(QStringLiteral("photo.jpg")));
    EXPECT_EQ(parseLaunchArguments({QStringLiteral("tintwell"), QStringLiteral("/p/a b.png"),
                                    QStringLiteral("/p/second.png")})
                  .picture,
              QStringLiteral("/p/a b.png"));
    EXPECT_EQ(parseLaunchArguments({QStringLiteral("tintwell"), QStringLiteral("file:///p/a%20b.png")}).picture,
              QStringLiteral("/p/a b.png"));

    const LaunchArguments help = parseLaunchArguments({QStringLiteral("tintwell"), QStringLiteral("--help")});
    EXPECT_TRUE(help.help);
    EXPECT_TRUE(help.helpText.contains(QStringLiteral("picture")));
    EXPECT_TRUE(parseLaunchArguments({QStringLiteral("tintwell"), QStringLiteral("--version")}).version);
    const LaunchArguments bad = parseLaunchArguments({QStringLiteral("tintwell"), QStringLiteral("--bogus")});
    EXPECT_FALSE(bad.error.isEmpty());
    EXPECT_TRUE(bad.picture.isEmpty());
}

class OpenAndDrop : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        source = testpics::pattern(40, 30);
        c->slider->setValue(10); // filter 0: every colour byte plus 10
    }
    Rgba sourcePlus(int x, int y, int n) const
    {
        const Rgba in = pixelAt(source, x, y);
        return {(in.r + n) % 256, (in.g + n) % 256, (in.b + n) % 256, 255};
    }

    // Sends a whole drag: enter, then the drop. Returns whether each was accepted.
    std::pair<bool, bool> drop(QWidget *target, const QMimeData &data)
    {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return {enter.isAccepted(), dropped.isAccepted()};
    }
    QList<QWidget *> targets() const { return {delegate->window(), c->image_view}; }

    QImage source;
};

TEST_F(OpenAndDrop, PictureNamedOnTheCommandLineOpensLikeTheOpenAction)
{
    const QString path = writePicture(QStringLiteral("photo.png"), source);
    EXPECT_TRUE(openFromArguments(*c, {QStringLiteral("tintwell"), path}));
    EXPECT_EQ(dialogs->openCalls, 0);
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
    EXPECT_EQ(pixelAt(shown(), 5, 6), sourcePlus(5, 6, 10));
    EXPECT_EQ(delegate->window()->windowTitle(), QStringLiteral("photo.png (40 × 30) — Tintwell"));
    EXPECT_TRUE(c->history().canUndo());
}

TEST_F(OpenAndDrop, CommandLineWithoutPictureOrWithABadOneShowsNothing)
{
    EXPECT_TRUE(openFromArguments(*c, {QStringLiteral("tintwell")}));
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(messages->errors.isEmpty());

    const QString missing = pathFor(QStringLiteral("missing.jpg"));
    EXPECT_FALSE(openFromArguments(*c, {QStringLiteral("tintwell"), missing}));
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(shown().isNull());
    ASSERT_EQ(messages->errors.size(), 1);
    EXPECT_TRUE(messages->errors[0].contains(QDir::toNativeSeparators(missing)));
    EXPECT_FALSE(c->history().canUndo());
}

TEST_F(OpenAndDrop, DroppedFileOpensOnWindowAndView)
{
    const QString path = writePicture(QStringLiteral("dropped.png"), source);
    for (QWidget *target : targets()) {
        c->awakeFromNib();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        const auto [entered, dropped] = drop(target, data);
        EXPECT_TRUE(entered) << target->objectName().toStdString();
        EXPECT_TRUE(dropped);
        EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
        EXPECT_EQ(pixelAt(shown(), 39, 29), sourcePlus(39, 29, 10));
        EXPECT_EQ(c->recipe().inputPath, path);
    }
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(OpenAndDrop, DroppedFileBeatsImageDataAndRemoteUrlsAreSkipped)
{
    const QString path = writePicture(QStringLiteral("file.png"), source);
    QImage other(5, 5, QImage::Format_RGB32);
    other.fill(Qt::red);
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.org/x.png")), QUrl::fromLocalFile(path)});
    data.setImageData(other);
    drop(delegate->window(), data);
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
}

TEST_F(OpenAndDrop, DroppedImageDataTakesThePastePath)
{
    QImage grey(8, 4, QImage::Format_Grayscale8);
    grey.fill(100);
    QMimeData data;
    data.setImageData(grey);
    const auto [entered, dropped] = drop(c->image_view, data);
    EXPECT_TRUE(entered);
    EXPECT_TRUE(dropped);
    EXPECT_EQ(c->current_image.format(), tintwell::toWorkingLayout(grey).format());
    EXPECT_EQ(pixelAt(shown(), 7, 3), (Rgba{110, 110, 110, 255}));
    EXPECT_FALSE(c->recipe().hasFile());
    EXPECT_EQ(delegate->window()->windowTitle(), QStringLiteral("Dropped picture (8 × 4) — Tintwell"));
}

TEST_F(OpenAndDrop, DropsOfTextOrUnreadableFilesChangeNothing)
{
    open(writePicture(QStringLiteral("kept.png"), source));
    const QImage before = shown().copy();

    QMimeData text;
    text.setText(QStringLiteral("words"));
    const auto [entered, dropped] = drop(delegate->window(), text);
    EXPECT_FALSE(entered);
    EXPECT_FALSE(dropped);

    QFile notPicture(pathFor(QStringLiteral("notes.png")));
    ASSERT_TRUE(notPicture.open(QIODevice::WriteOnly));
    notPicture.write("not pixels");
    notPicture.close();
    QMimeData bad;
    bad.setUrls({QUrl::fromLocalFile(notPicture.fileName())});
    EXPECT_FALSE(drop(c->image_view, bad).second);
    ASSERT_EQ(messages->errors.size(), 1); // the open action's message
    EXPECT_TRUE(messages->errors[0].contains(QDir::toNativeSeparators(notPicture.fileName())));

    EXPECT_TRUE(testpics::sameBytes(shown(), before));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
}
