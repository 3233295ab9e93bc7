// TIFF, WebP, HEIC and AVIF files open in the editor and tintwell-cli; a
// lossless one gives the same result pixels as the PNG of the same pixels.
#include "EntryPoints.h"
#include "../imaging/JpegFiles.h"
#include "TestPictures.h"

#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>

namespace {

struct FormatCase {
    const char *suffix;
    bool lossless;
};

void PrintTo(const FormatCase &c, std::ostream *out)
{
    *out << c.suffix;
}

// Smooth colours, as in a photo: what lossy encoders keep well.
QImage smoothPicture()
{
    QImage image(64, 48, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            row[3 * x + 0] = uchar(40 + 3 * x);
            row[3 * x + 1] = uchar(200 - 3 * y);
            row[3 * x + 2] = uchar(90 + x + y);
        }
    }
    return image;
}

const FormatCase formatCases[] = {{"tif", true}, {"webp", true}, {"heic", false}, {"avif", false}};

} // namespace

class MoreFormats : public EntryPointFixture,
                    public ::testing::WithParamInterface<std::tuple<FormatCase, Entry>>
{
protected:
    // `png` converted to `suffix`: Qt's writers for TIFF and (lossless) WebP,
    // libheif's encoding tool for HEIC and AVIF. Empty when the tool is missing.
    QString convert(const QString &png, const QImage &picture, const QString &suffix)
    {
        const QString path = pathFor(QStringLiteral("picture.") + suffix);
        if (suffix == QLatin1String("tif") || suffix == QLatin1String("webp")) {
            QImageWriter writer(path);
            writer.setQuality(100); // lossless WebP
            EXPECT_TRUE(writer.write(picture)) << writer.errorString().toStdString();
            return path;
        }
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("heif-enc"));
        if (tool.isEmpty())
            return QString();
        QStringList arguments{QStringLiteral("-q"), QStringLiteral("90"), QStringLiteral("-o"), path};
        if (suffix == QLatin1String("avif")) // this AV1 encoder accepts only 4:2:2 from the tool
            arguments << QStringLiteral("-A") << QStringLiteral("-p") << QStringLiteral("chroma=422");
        QProcess encoder;
        encoder.start(tool, arguments << png);
        EXPECT_TRUE(encoder.waitForFinished(-1));
        EXPECT_EQ(encoder.exitCode(), 0) << encoder.readAllStandardError().toStdString();
        return path;
    }
};

TEST_P(MoreFormats, OpensAndFiltersLikeThePngOfItsPixels)
{
    const auto &[format, entry] = GetParam();
    const QImage picture = smoothPicture();
    const QString png = writePicture(QStringLiteral("picture.png"), picture);
    const QString input = convert(png, picture, QString::fromLatin1(format.suffix));
    if (input.isEmpty())
        GTEST_SKIP() << "heif-enc (libheif's tools) is not installed";

    const Outcome fromPng = filterFile(entry, png, pathFor(QStringLiteral("from-png.png")), 3, 5);
    ASSERT_TRUE(fromPng.ok) << fromPng.error.toStdString();
    const Outcome fromOther = filterFile(entry, input, pathFor(QStringLiteral("from-other.png")), 3, 5);
    ASSERT_TRUE(fromOther.ok) << fromOther.error.toStdString();

    // The pixels, not the files: a reader that knows no density leaves the
    // default one, which the PNG carries.
    const QImage expected(pathFor(QStringLiteral("from-png.png")));
    const QImage actual(pathFor(QStringLiteral("from-other.png")));
    if (format.lossless) {
        EXPECT_EQ(actual.format(), expected.format());
        EXPECT_TRUE(testpics::sameBytes(actual, expected));
    } else {
        // The filter magnifies the encoder's small errors.
        EXPECT_EQ(actual.size(), picture.size());
        EXPECT_GE(tintwell::test::psnr(actual, expected), 25.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, MoreFormats,
                         ::testing::Combine(::testing::ValuesIn(formatCases),
                                            ::testing::Values(Entry::App, Entry::Cli)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).suffix)
                                    + entryName(std::get<1>(info.param));
                         });
