// The limits of pasting and opening in the window: encoded pictures from the
// clipboard decode under the same limits as files, from the first paste on;
// whatever is refused says so once, naming the path once.
#include "../imaging/HostileFiles.h"
#include "AppFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include <sys/stat.h>

namespace {

using namespace tintwell::test;

class PasteLimit : public AppFixture
{
protected:
    void paste(const QByteArray &png)
    {
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), png);
        QApplication::clipboard()->setMimeData(data);
        c->setPasteboardAsSource();
    }
};

// Run alone (as CTest does), nothing has opened a file before this paste.
TEST_F(PasteLimit, FortyMegapixelPngPastesIntoAFreshWindow)
{
    QImage big(8000, 5000, QImage::Format_Grayscale8);
    big.fill(77);
    paste(encode(big, "png", 100)); // grey and unpacked: quick to make
    EXPECT_EQ(c->current_image.size(), big.size());
    EXPECT_TRUE(messages->errors.isEmpty()) << messages->errors.join('\n').toStdString();
}

TEST_F(PasteLimit, RefusedPastesSayWhy)
{
    const struct {
        QByteArray png;
        const char *reason;
    } cases[] = {
        {pngHeaderOnly(100000, 100000), "too large"},
        {QByteArray("\x89PNG\r\n\x1a\nnot really a picture"), "Cannot read pasted picture: "},
    };
    for (const auto &refused : cases) {
        messages->errors.clear();
        paste(refused.png);
        EXPECT_TRUE(c->current_image.isNull());
        ASSERT_EQ(messages->errors.size(), 1) << refused.reason;
        EXPECT_TRUE(messages->errors[0].startsWith("Cannot read pasted picture: ")) << messages->errors[0].toStdString();
        EXPECT_TRUE(messages->errors[0].contains(refused.reason)) << messages->errors[0].toStdString();
    }
}

// Each message names the path once; a named pipe is refused at once.
TEST_F(PasteLimit, OpenAndSaveMessagesNameThePathOnce)
{
    const QString missing = pathFor("missing.png");
    open(missing);
    const QString pipe = pathFor("pipe.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    open(pipe);
    c->openFile(writePicture("small.png", photoLikeImage(4, 4)));
    const QString nowhere = pathFor("nowhere/out.png");
    dialogs->exportAnswers << nowhere;
    c->exportPng();

    ASSERT_EQ(messages->errors.size(), 3) << messages->errors.join('\n').toStdString();
    EXPECT_EQ(messages->errors[0], "Cannot read " + missing + ": File not found");
    EXPECT_EQ(messages->errors[1],
              "Cannot read " + pipe + ": it is a named pipe, not a regular file");
    EXPECT_TRUE(messages->errors[2].startsWith("Cannot write " + nowhere + ": "))
        << messages->errors[2].toStdString();
    EXPECT_EQ(messages->errors[2].count(nowhere), 1);
}

} // namespace
