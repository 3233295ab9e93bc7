// The picture actions on the real window: open, save, export, clipboard,
// "use result as source" and share, with real files and the real clipboard;
// the colour profile travels with every result.
#include "AppFixture.h"

#include <functional>

class Actions : public AppFixture
{
protected:
    // A picture opened with filter 0 at value 10: every colour byte plus 10.
    void openPlusTen()
    {
        set({0, 10});
        open(writePicture("pattern.png", source));
        ASSERT_FALSE(shown().isNull());
    }
    Rgba sourcePlus(int x, int y, int n) const
    {
        const Rgba in = pixelAt(source, x, y);
        return {(in.r + n) % 256, (in.g + n) % 256, (in.b + n) % 256, in.a};
    }
    const QImage source = [](QImage p) { return p.setColorSpace(QColorSpace::AdobeRgb), p; }(pattern(40, 30, true));
};

TEST_F(Actions, SaveAndExportWriteTheShownPictureOnlyWithASource)
{
    c->saveImage();
    c->exportPng();
    EXPECT_EQ(dialogs->saveCalls + dialogs->exportCalls, 0); // no source: no dialog
    openPlusTen();
    const QString png = pathFor("out.png"), typed = pathFor("typed.png");
    dialogs->saveAnswers << typed;
    c->saveImage(); // a .png name typed into the JPEG save gets PNG
    dialogs->exportAnswers << png;
    c->exportPng();
    finishJobs();
    EXPECT_TRUE(sameBytes(QImage(png), shown())); // lossless, alpha kept
    EXPECT_TRUE(sameBytes(QImage(typed), shown()));
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(Actions, CopyPasteAndAdoptStackTheFilter)
{
    QApplication::clipboard()->setText("keep me");
    c->copyToClipboard(); // nothing shown: nothing copied
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep me"));
    openPlusTen();
    // The screen shows the picture converted to sRGB; the result keeps the engine's bytes.
    const QImage screen = c->image_view->displayImage();
    EXPECT_EQ(screen.colorSpace(), QColorSpace(QColorSpace::SRgb));
    EXPECT_FALSE(sameBytes(screen.convertToFormat(shown().format()), shown()));
    const QImage once = shown().copy();
    c->copyToClipboard();
    EXPECT_TRUE(sameBytes(QApplication::clipboard()->image(), once));
    c->setPasteboardAsSource(); // the copied result, rendered once more
    EXPECT_TRUE(sameBytes(c->current_image, once));
    EXPECT_EQ(pixelAt(shown(), 39, 29), sourcePlus(39, 29, 20));
    c->setAsSource(); // no render: the shown picture becomes the source
    EXPECT_EQ(pixelAt(shown(), 12, 7), sourcePlus(12, 7, 20));
    c->slider->setValue(11);
    EXPECT_EQ(pixelAt(shown(), 12, 7), sourcePlus(12, 7, 31));
    EXPECT_EQ(shown().colorSpace(), source.colorSpace()); // the profile travelled with every step

    QImage grey(8, 4, QImage::Format_Grayscale8);
    grey.fill(100);
    QApplication::clipboard()->setImage(grey);
    c->setPasteboardAsSource();
    EXPECT_EQ(pixelAt(shown(), 7, 3), (Rgba{111, 111, 111, 255}));
    EXPECT_EQ(delegate->window()->windowTitle(), QStringLiteral("Pasted picture (8 × 4) — Tintwell"));

    const QImage before = shown().copy();
    const std::function<void(QMimeData &)> offers[] = { // none is a picture: nothing changes
        [](QMimeData &d) { d.setText("words"); }, [](QMimeData &d) { d.setHtml("<img src=\"x.png\"><b>bold</b>"); },
        [&](QMimeData &d) { d.setUrls({QUrl::fromLocalFile(writePicture("f.png", source))}); },
        [](QMimeData &d) { d.setImageData(QImage()); }};
    for (const auto &offer : offers) {
        auto *data = new QMimeData;
        offer(*data);
        QApplication::clipboard()->setMimeData(data);
        c->setPasteboardAsSource();
        EXPECT_TRUE(sameBytes(shown(), before));
    }
    EXPECT_TRUE(messages->errors.isEmpty());
}

TEST_F(Actions, PastedPicturesDecodeUnderTheFileLimitsFromTheFirstPaste)
{
    const auto paste = [this](const QByteArray &png) {
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), png);
        QApplication::clipboard()->setMimeData(data);
        c->setPasteboardAsSource();
    };
    paste(pngHeaderOnly(100000, 100000)); // a bomb
    EXPECT_TRUE(c->current_image.isNull());
    ASSERT_EQ(messages->errors.size(), 1);
    EXPECT_TRUE(messages->errors[0].startsWith("Cannot read pasted picture: ") && messages->errors[0].contains("too large"))
        << messages->errors[0].toStdString();

    QImage big(8000, 5000, QImage::Format_Grayscale8); // 40 megapixels, grey: quick to make
    big.fill(77);
    paste(encode(big, "png", 100));
    EXPECT_EQ(c->current_image.size(), big.size());
    EXPECT_EQ(messages->errors.size(), 1);
}

TEST_F(Actions, ShareOpensTheShareLink)
{
    UrlRecorder browser;
    QDesktopServices::setUrlHandler("https", &browser, "handleUrl");
    c->shareTintwell();
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(browser.urls, QList<QUrl>{QUrl::fromEncoded("https://www.facebook.com/sharer/sharer.php?u=" TINTWELL_SHARE_HOST "/blog/?index=126")});
}
