// A portrait camera JPEG (stored on its side with EXIF orientation 6, with an
// Adobe RGB profile) comes out of the editor and tintwell-cli upright, with
// its profile, as JPEG and as PNG, and stays upright when opened again.
#include "EntryPoints.h"
#include "../imaging/HostileFiles.h"
#include "../imaging/JpegFiles.h"
#include "ImagePath.h"
#include "Metadata.h"

#include <QColorSpace>

namespace {

struct RotatedCase {
    Entry entry;
    const char *suffix;
};

void PrintTo(const RotatedCase &c, std::ostream *out)
{
    *out << entryName(c.entry) << ' ' << c.suffix;
}

// Stored on its side: red on the left, blue on the right. Upright (turned a
// quarter clockwise) red is at the top.
QImage storedSideways()
{
    QImage image(64, 32, QImage::Format_RGBX8888);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, x < 32 ? QColor(220, 30, 30) : QColor(30, 30, 220));
    }
    image.setColorSpace(QColorSpace::AdobeRgb);
    return image;
}

bool isRed(const QColor &c)
{
    return c.red() > 150 && c.blue() < 100;
}

bool isBlue(const QColor &c)
{
    return c.blue() > 150 && c.red() < 100;
}

} // namespace

class RotatedPhoto : public EntryPointFixture, public ::testing::WithParamInterface<RotatedCase>
{
};

TEST_P(RotatedPhoto, ComesOutUprightWithItsProfile)
{
    const QString plain = pathFor(QStringLiteral("plain.jpg"));
    ASSERT_EQ(tintwell::saveImage(storedSideways(), plain, "jpg"), QString());
    const QByteArray rotated = tintwell::test::withExifOrientation(tintwell::test::readBytes(plain), 6);
    const QString input = pathFor(QStringLiteral("portrait.jpg"));
    ASSERT_TRUE(tintwell::test::writeBytes(input, rotated));

    const QString output = pathFor(QStringLiteral("out.") + QString::fromLatin1(GetParam().suffix));
    const Outcome outcome = filterFile(GetParam().entry, input, output, -1, 0); // no filter: colours kept
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();
    const QImage written(output);
    EXPECT_EQ(written.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));

    if (tintwell::readMetadata(rotated).orientation != 6)
        GTEST_SKIP() << "this build reads no EXIF orientation; only the profile was checked";
    ASSERT_EQ(written.size(), QSize(32, 64));
    EXPECT_TRUE(isRed(written.pixelColor(16, 8)));
    EXPECT_TRUE(isBlue(written.pixelColor(16, 56)));

    // Opened again it is not turned a second time.
    const tintwell::LoadResult again = tintwell::loadImage(output);
    ASSERT_EQ(again.image.size(), QSize(32, 64)) << again.error.toStdString();
    EXPECT_TRUE(isRed(again.image.pixelColor(16, 8)));
}

INSTANTIATE_TEST_SUITE_P(Outputs, RotatedPhoto,
                         ::testing::Values(RotatedCase{Entry::App, "jpg"}, RotatedCase{Entry::App, "png"},
                                           RotatedCase{Entry::Cli, "jpg"}, RotatedCase{Entry::Cli, "png"}),
                         [](const auto &info) {
                             return entryName(info.param.entry) + info.param.suffix;
                         });
