// The picture actions on the real window: open, save, clipboard, adopt and
// share, with real files and the real clipboard.
#include "AppFixture.h"
#include "ImagePath.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QUrlQuery>

using testpics::pixelAt;
using testpics::Rgba;

class ImageActions : public AppFixture
{
protected:
    // Opens a 40 × 30 pattern with filter 0 at value 10, so each colour byte
    // of the shown picture is the source's plus 10.
    void openWithPlusTen()
    {
        source = testpics::pattern(40, 30);
        c->filter_selector->setCurrentIndex(0);
        c->slider->setValue(10);
        open(writePicture(QStringLiteral("pattern.png"), source));
        ASSERT_FALSE(shown().isNull());
    }
    static int plus(int byte, int n) { return (byte + n) % 256; }
    Rgba sourcePlus(int x, int y, int n) const
    {
        const Rgba in = pixelAt(source, x, y);
        return {plus(in.r, n), plus(in.g, n), plus(in.b, n), 255};
    }
    QImage source;
};

// --- open ---------------------------------------------------------------

TEST_F(ImageActions, CancelledOpenChangesNothing)
{
    openWithPlusTen();
    const QImage before = shown();
    c->selectImage(); // no queued answer: the dialog is cancelled
    EXPECT_EQ(dialogs->openCalls, 2);
    EXPECT_TRUE(testpics::sameBytes(shown(), before));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(ImageActions, UnreadableFileKeepsBothPicturesAndSaysWhy)
{
    openWithPlusTen();
    const QImage before = shown().copy();
    QFile notPicture(pathFor(QStringLiteral("notes.png")));
    ASSERT_TRUE(notPicture.open(QIODevice::WriteOnly));
    notPicture.write("these are words, not pixels\n");
    notPicture.close();

    open(notPicture.fileName());
    EXPECT_TRUE(testpics::sameBytes(shown(), before));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
    ASSERT_EQ(messages->errors.size(), 1);
    const QString message = messages->errors.constFirst();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(notPicture.fileName()))) << message.toStdString();
    const QString reason = tintwell::loadImage(notPicture.fileName()).error;
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_EQ(message.compare(reason, Qt::CaseInsensitive), 0) << message.toStdString();

    // The editor still works on the picture it had.
    c->slider->setValue(11);
    EXPECT_EQ(pixelAt(shown(), 3, 4), sourcePlus(3, 4, 11));
}

// --- save ---------------------------------------------------------------

TEST_F(ImageActions, SaveWithoutSourceAsksNothingAndWritesNothing)
{
    dialogs->saveAnswers << pathFor(QStringLiteral("out.jpg"));
    c->saveImage();
    EXPECT_EQ(dialogs->saveCalls, 0);
    EXPECT_FALSE(QFile::exists(pathFor(QStringLiteral("out.jpg"))));
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(ImageActions, SaveWritesTheFilteredPictureAsJpeg)
{
    // A smooth picture that value 100 does not wrap, so JPEG keeps it close.
    QImage smooth(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            smooth.setPixel(x, y, qRgb(x * 3, y * 3, 60));
    source = smooth;
    c->slider->setValue(100); // far from the source, so the two are told apart
    open(writePicture(QStringLiteral("smooth.png"), smooth));
    const QString path = pathFor(QStringLiteral("out.jpg"));
    dialogs->saveAnswers << path;
    c->saveImage();
    EXPECT_TRUE(messages->errors.isEmpty());

    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    const QImage written = reader.read();
    ASSERT_FALSE(written.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(written.size(), shown().size());
    // Quality 100 stays close to the shown picture and far from the source.
    EXPECT_LT(testpics::meanDifference(written, shown()), 2.0);
    EXPECT_GT(testpics::meanDifference(written, source), 90.0);
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
}

TEST_F(ImageActions, CancelledSaveWritesNothing)
{
    openWithPlusTen();
    c->saveImage();
    EXPECT_EQ(dialogs->saveCalls, 1);
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.jpg")}).isEmpty());
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(ImageActions, FailedSaveKeepsEverythingAndSaysWhere)
{
    openWithPlusTen();
    const QImage before = shown().copy();

    const QString noFolder = pathFor(QStringLiteral("missing/out.jpg"));
    dialogs->saveAnswers << noFolder;
    c->saveImage();
    ASSERT_EQ(messages->errors.size(), 1);
    EXPECT_TRUE(messages->errors[0].contains(QDir::toNativeSeparators(noFolder)));
    EXPECT_GT(messages->errors[0].size(), QDir::toNativeSeparators(noFolder).size() + 10);
    EXPECT_FALSE(QFile::exists(noFolder));

    // A folder standing where the file would go is left as it is.
    const QString folder = pathFor(QStringLiteral("taken.jpg"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(pathFor(QStringLiteral("pattern.png")), folder + QStringLiteral("/inside.png")));
    dialogs->saveAnswers << folder;
    c->saveImage();
    ASSERT_EQ(messages->errors.size(), 2);
    EXPECT_TRUE(messages->errors[1].contains(QDir::toNativeSeparators(folder)));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/inside.png")));

    EXPECT_TRUE(testpics::sameBytes(shown(), before));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
}

// --- clipboard and adopt ---------------------------------------------------

TEST_F(ImageActions, CopyPutsTheShownPictureOnTheClipboard)
{
    openWithPlusTen();
    c->copyToClipboard();
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_TRUE(testpics::sameBytes(copied, shown()));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
}

TEST_F(ImageActions, CopyWithNothingShownKeepsTheClipboard)
{
    QApplication::clipboard()->setText(QStringLiteral("keep me"));
    c->copyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep me"));
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasImage());
}

TEST_F(ImageActions, CopyThenPasteAppliesTheFilterTwice)
{
    openWithPlusTen();
    const QImage once = shown().copy();
    c->copyToClipboard();
    c->setPasteboardAsSource();
    EXPECT_TRUE(testpics::sameBytes(c->current_image, once));
    EXPECT_EQ(pixelAt(shown(), 0, 0), sourcePlus(0, 0, 20));
    EXPECT_EQ(pixelAt(shown(), 39, 29), sourcePlus(39, 29, 20));
}

TEST_F(ImageActions, PasteStartsFromNoSourceAndConvertsToWorkingLayout)
{
    QImage grey(8, 4, QImage::Format_Grayscale8);
    grey.fill(100);
    QApplication::clipboard()->setImage(grey);
    c->filter_selector->setCurrentIndex(0);
    c->slider->setValue(10);
    c->setPasteboardAsSource();
    ASSERT_FALSE(c->current_image.isNull());
    EXPECT_EQ(c->current_image.format(), tintwell::toWorkingLayout(grey).format());
    EXPECT_EQ(pixelAt(shown(), 7, 3), (Rgba{110, 110, 110, 255}));
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("10"));
}

TEST_F(ImageActions, PasteWithTextOnTheClipboardChangesNothing)
{
    QApplication::clipboard()->setText(QStringLiteral("not a picture"));
    c->setPasteboardAsSource();
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(shown().isNull());

    openWithPlusTen();
    const QImage before = shown().copy();
    QApplication::clipboard()->setText(QStringLiteral("still not a picture"));
    c->setPasteboardAsSource();
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
    EXPECT_TRUE(testpics::sameBytes(shown(), before));
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(ImageActions, AdoptThenMoveAControlStacksTheFilter)
{
    openWithPlusTen();
    const QImage once = shown().copy();
    c->setAsSource();
    EXPECT_TRUE(testpics::sameBytes(shown(), once)); // no render
    EXPECT_TRUE(testpics::sameBytes(c->current_image, once));
    c->slider->setValue(11);
    EXPECT_EQ(pixelAt(shown(), 12, 7), sourcePlus(12, 7, 21));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, once)); // the new source is not written
}

TEST_F(ImageActions, AdoptWithNothingShownLeavesNoSource)
{
    c->setAsSource();
    EXPECT_TRUE(c->current_image.isNull());
    c->slider->setValue(33);
    EXPECT_TRUE(shown().isNull());
    EXPECT_EQ(c->slider_pos->text(), QStringLiteral("0"));
}

// --- share ----------------------------------------------------------------

TEST_F(ImageActions, ShareOpensExactlyTheShareLinkAndChangesNothing)
{
    openWithPlusTen();
    const QImage before = shown().copy();
    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "handleUrl");
    c->shareTintwell();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    const QString expected = QStringLiteral("https://www.facebook.com/sharer/sharer.php?u=" TINTWELL_SHARE_HOST
                                            "/blog/?index=126");
    ASSERT_EQ(browser.urls.size(), 1);
    const QUrl url = browser.urls.constFirst();
    EXPECT_EQ(url.toString(QUrl::FullyEncoded), expected);
    EXPECT_EQ(url.toString(), expected);
    EXPECT_EQ(url.host(), QStringLiteral("www.facebook.com"));
    EXPECT_EQ(url.path(), QStringLiteral("/sharer/sharer.php"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItems().size(), 1);
    EXPECT_EQ(query.queryItemValue(QStringLiteral("u")),
              QStringLiteral(TINTWELL_SHARE_HOST "/blog/?index=126"));

    EXPECT_TRUE(testpics::sameBytes(shown(), before));
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
    EXPECT_TRUE(messages->errors.isEmpty());
}
