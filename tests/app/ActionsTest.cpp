// The picture actions on the real window: open, save, export, clipboard,
// adopt, drops and share, with real files and the real clipboard.
#include "AppFixture.h"
#include "ImageView.h"
#include "LaunchArguments.h"
#include "TestPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QImageReader>
#include <QMainWindow>
#include <QMimeData>
#include <QSlider>

#include <functional>

using namespace tintwell::test;

class Actions : public AppFixture
{
protected:
    // A picture opened with filter 0 at value 10: every colour byte plus 10.
    void openPlusTen()
    {
        c->filter_selector->setCurrentIndex(0);
        c->slider->setValue(10);
        open(writePicture(QStringLiteral("pattern.png"), source));
        ASSERT_FALSE(shown().isNull());
    }
    Rgba sourcePlus(int x, int y, int n) const
    {
        const Rgba in = pixelAt(source, x, y);
        return {(in.r + n) % 256, (in.g + n) % 256, (in.b + n) % 256, in.a};
    }
    void expectUnchanged(const QImage &before)
    {
        EXPECT_TRUE(sameBytes(shown(), before));
        EXPECT_TRUE(sameBytes(c->current_image, source));
    }
    // A whole drag onto `target`: enter, then the drop. Whether the drop was taken.
    bool drop(QWidget *target, const QMimeData &data)
    {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }
    const QImage source = pattern(40, 30, true);
};

TEST_F(Actions, OpenFailuresKeepBothPicturesAndSayWhy)
{
    openPlusTen();
    const QImage before = shown().copy();
    c->selectImage(); // cancelled
    const QString notes = pathFor(QStringLiteral("notes.png"));
    ASSERT_TRUE(writeBytes(notes, "these are words, not pixels\n"));
    open(notes);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(notes)});
    EXPECT_FALSE(drop(c->image_view, dropped));
    ASSERT_EQ(messages->errors.size(), 2);
    for (const QString &message : messages->errors) {
        const QString reason = tintwell::loadImage(notes).error; // "cannot read PATH: why", as a sentence
        EXPECT_EQ(message, reason.front().toUpper() + reason.mid(1));
        EXPECT_EQ(message.count(QDir::toNativeSeparators(notes)), 1) << message.toStdString();
    }
    expectUnchanged(before);
    c->slider->setValue(11); // the editor still works on the picture it had
    EXPECT_EQ(pixelAt(shown(), 3, 4), sourcePlus(3, 4, 11));
}

TEST_F(Actions, SaveAndExportWriteTheShownPicture)
{
    c->saveImage();
    c->exportPng();
    EXPECT_EQ(dialogs->saveCalls + dialogs->exportCalls, 0); // no source: no dialog

    openPlusTen();
    const QString jpeg = pathFor(QStringLiteral("out.jpg")), png = pathFor(QStringLiteral("out.png"));
    dialogs->saveAnswers << jpeg;
    c->saveImage();
    dialogs->exportAnswers << png;
    c->exportPng();
    EXPECT_TRUE(messages->errors.isEmpty());
    EXPECT_EQ(QImageReader(jpeg).format(), QByteArray("jpeg"));
    QString error;
    EXPECT_EQ(QImage(jpeg), QImage::fromData(tintwell::encodeImage(shown().copy(), "jpg", {}, &error)));
    EXPECT_TRUE(sameBytes(QImage(png), shown())); // lossless, alpha kept

    const QImage before = shown().copy();
    c->saveImage(); // cancelled
    const QString noFolder = pathFor(QStringLiteral("missing/out.jpg"));
    dialogs->saveAnswers << noFolder;
    c->saveImage();
    ASSERT_EQ(messages->errors.size(), 1);
    EXPECT_TRUE(messages->errors[0].startsWith("Cannot write " + QDir::toNativeSeparators(noFolder) + ": "))
        << messages->errors[0].toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3); // pattern.png, out.jpg, out.png
    expectUnchanged(before);
}

TEST_F(Actions, CopyPasteAndAdoptStackTheFilter)
{
    QApplication::clipboard()->setText(QStringLiteral("keep me"));
    c->copyToClipboard(); // nothing shown
    c->setAsSource();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep me"));
    EXPECT_TRUE(c->current_image.isNull());

    openPlusTen();
    const QImage once = shown().copy();
    c->copyToClipboard();
    EXPECT_TRUE(sameBytes(QApplication::clipboard()->image(), once));
    c->setPasteboardAsSource(); // the copied result, rendered once more
    EXPECT_TRUE(sameBytes(c->current_image, once));
    EXPECT_EQ(pixelAt(shown(), 39, 29), sourcePlus(39, 29, 20));

    c->setAsSource(); // no render: the shown picture becomes the source
    EXPECT_TRUE(sameBytes(c->current_image, shown()));
    EXPECT_EQ(pixelAt(shown(), 12, 7), sourcePlus(12, 7, 20));
    c->slider->setValue(11);
    EXPECT_EQ(pixelAt(shown(), 12, 7), sourcePlus(12, 7, 31));
    EXPECT_EQ(pixelAt(c->current_image, 12, 7), sourcePlus(12, 7, 20));

    QImage grey(8, 4, QImage::Format_Grayscale8);
    grey.fill(100);
    QApplication::clipboard()->setImage(grey);
    c->setPasteboardAsSource();
    EXPECT_EQ(c->current_image.format(), QImage::Format_RGBX8888);
    EXPECT_EQ(pixelAt(shown(), 7, 3), (Rgba{111, 111, 111, 255}));
    EXPECT_EQ(delegate->window()->windowTitle(), QStringLiteral("Pasted picture (8 × 4) — Tintwell"));
}

TEST_F(Actions, PasteOfAnythingButAnImageChangesNothing)
{
    const std::function<void(QMimeData &)> offers[] = {
        [](QMimeData &) {},
        [](QMimeData &d) { d.setText(QStringLiteral("not a picture")); },
        [](QMimeData &d) { d.setHtml(QStringLiteral("<img src=\"x.png\"><b>bold</b>")); },
        [this](QMimeData &d) { d.setUrls({QUrl::fromLocalFile(writePicture(QStringLiteral("f.png"), source))}); },
        [](QMimeData &d) { d.setImageData(QImage()); }, // claims an image, holds none
    };
    for (const bool withSource : {false, true}) {
        if (withSource)
            openPlusTen();
        const QImage before = shown().copy();
        for (const auto &offer : offers) {
            auto *data = new QMimeData;
            offer(*data);
            QApplication::clipboard()->setMimeData(data);
            c->setPasteboardAsSource();
            EXPECT_EQ(c->current_image.isNull(), !withSource);
            if (withSource)
                expectUnchanged(before);
        }
    }
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(Actions, DropsTakeTheOpenAndPastePaths)
{
    c->slider->setValue(10);
    const QString path = writePicture(QStringLiteral("dropped.png"), source);
    for (QWidget *target : {static_cast<QWidget *>(delegate->window()), static_cast<QWidget *>(c->image_view)}) {
        c->awakeFromNib();
        QMimeData data; // a local file beats image data and remote links
        data.setUrls({QUrl(QStringLiteral("https://example.org/x.png")), QUrl::fromLocalFile(path)});
        data.setImageData(pattern(5, 5));
        EXPECT_TRUE(drop(target, data));
        EXPECT_TRUE(sameBytes(c->current_image, source));
        EXPECT_EQ(pixelAt(shown(), 39, 29), sourcePlus(39, 29, 10));
        EXPECT_EQ(delegate->window()->windowTitle(), QStringLiteral("dropped.png (40 × 30) — Tintwell"));
    }
    QMimeData image;
    image.setImageData(pattern(8, 4));
    EXPECT_TRUE(drop(c->image_view, image));
    EXPECT_TRUE(sameBytes(c->current_image, pattern(8, 4)));
    EXPECT_EQ(delegate->window()->windowTitle(), QStringLiteral("Dropped picture (8 × 4) — Tintwell"));
    QMimeData text;
    text.setText(QStringLiteral("words"));
    EXPECT_FALSE(drop(delegate->window(), text));
}

TEST_F(Actions, PictureNamedOnTheCommandLineOpensLikeTheOpenAction)
{
    const QString missing = pathFor(QStringLiteral("missing.jpg"));
    EXPECT_FALSE(openFromArguments(*c, {QStringLiteral("tintwell"), missing}));
    ASSERT_EQ(messages->errors.size(), 1);
    EXPECT_TRUE(messages->errors[0].contains(missing));
    writePicture(QStringLiteral("a b.png"), source);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    for (const QString &named : {QStringLiteral("a b.png"), QUrl::fromLocalFile(pathFor("a b.png")).toString()}) {
        c->awakeFromNib();
        EXPECT_TRUE(openFromArguments(*c, {QStringLiteral("tintwell"), named, QStringLiteral("ignored.png")}));
        EXPECT_TRUE(sameBytes(c->current_image, source)) << named.toStdString();
        EXPECT_EQ(delegate->window()->windowTitle(), QStringLiteral("a b.png (40 × 30) — Tintwell"));
    }
    QDir::setCurrent(previous);
    EXPECT_EQ(dialogs->openCalls, 0);
}

TEST_F(Actions, ShareOpensTheShareLinkAndChangesNothing)
{
    openPlusTen();
    const QImage before = shown().copy();
    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "handleUrl");
    c->shareTintwell();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(browser.urls.size(), 1);
    EXPECT_EQ(browser.urls[0].toString(QUrl::FullyEncoded),
              QStringLiteral("https://www.facebook.com/sharer/sharer.php?u=" TINTWELL_SHARE_HOST "/blog/?index=126"));
    expectUnchanged(before);
}
