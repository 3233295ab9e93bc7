// A saved JPEG is the encoder's best: every colour at full resolution and
// close to the exact (PNG) result, from the editor and tintwell-cli alike.
// A name typed with another writable suffix gets that format.
#include "EntryPoints.h"
#include "../imaging/JpegFiles.h"
#include "TestPictures.h"

#include <QFile>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "HxV,HxV,HxV": each component's sampling factors from the frame header.
QString samplingFactors(const QByteArray &jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        const uchar marker = uchar(jpeg[pos + 1]);
        const int length = (uchar(jpeg[pos + 2]) << 8) | uchar(jpeg[pos + 3]);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && pos + 10 <= jpeg.size()) {
            QStringList factors;
            const int components = uchar(jpeg[pos + 9]);
            for (int i = 0; i < components && pos + 12 + 3 * i <= jpeg.size(); ++i) {
                const uchar sampling = uchar(jpeg[pos + 11 + 3 * i]);
                factors << QStringLiteral("%1x%2").arg(sampling >> 4).arg(sampling & 15);
            }
            return factors.join(QLatin1Char(','));
        }
        pos += 2 + length;
    }
    return QString();
}

// Fine colour detail everywhere: what subsampled chroma washes out.
QImage finePattern()
{
    QImage image(240, 160, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            row[3 * x + 0] = uchar(x * 7 + y * 3);
            row[3 * x + 1] = uchar((x ^ y) * 5);
            row[3 * x + 2] = uchar(y * 11 - x * 2);
        }
    }
    return image;
}

} // namespace

class SavedJpeg : public EntryPointFixture, public ::testing::WithParamInterface<Entry>
{
};

TEST_P(SavedJpeg, HasFullColourResolutionAndIsCloseToTheExactResult)
{
    const QString input = writePicture(QStringLiteral("pattern.png"), finePattern());
    const Outcome exact = filterFile(GetParam(), input, pathFor(QStringLiteral("exact.png")), 10, 37);
    ASSERT_TRUE(exact.ok) << exact.error.toStdString();
    const Outcome saved = filterFile(GetParam(), input, pathFor(QStringLiteral("saved.jpg")), 10, 37);
    ASSERT_TRUE(saved.ok) << saved.error.toStdString();

    const QByteArray jpeg = readAll(pathFor(QStringLiteral("saved.jpg")));
    EXPECT_EQ(samplingFactors(jpeg), QStringLiteral("1x1,1x1,1x1"));
    EXPECT_GE(tintwell::test::psnr(QImage::fromData(jpeg), QImage(pathFor(QStringLiteral("exact.png")))), 45.0);
}

INSTANTIATE_TEST_SUITE_P(Entries, SavedJpeg, ::testing::Values(Entry::App, Entry::Cli),
                         [](const auto &info) { return entryName(info.param); });

TEST_F(EntryPointFixture, SavingANamedPngFromTheJpegSaveWritesPng)
{
    open(writePicture(QStringLiteral("pattern.png"), testpics::translucentPattern(20, 10)));
    const QString typed = pathFor(QStringLiteral("typed.png"));
    dialogs->saveAnswers << typed;
    c->saveImage();

    EXPECT_TRUE(readAll(typed).startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_TRUE(testpics::sameBytes(QImage(typed), shown())); // lossless, alpha kept
}
