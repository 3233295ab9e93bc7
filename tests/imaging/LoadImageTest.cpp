// loadImage and loadImageData: decoding to the working layout and refusals with a reason.
#include "HostileFiles.h"
#include "ImagePath.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tintwell::test::crc32;
using tintwell::test::patternImage;
using tintwell::test::pngHeaderOnly;
using tintwell::test::pixelBytes;

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(LoadImage, CrcMatchesTheKnownCheckValue)
{
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
}

TEST(LoadImage, RefusesAbsurdHeaderSizeBeforeDecoding)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "huge.png", pngHeaderOnly(100000, 100000));
    const tintwell::LoadResult result = tintwell::loadImage(path);
    EXPECT_TRUE(result.image.isNull());
    EXPECT_TRUE(result.error.contains("too large")) << result.error.toStdString();
    EXPECT_TRUE(result.error.contains(path));
    EXPECT_TRUE(tintwell::loadImageData(pngHeaderOnly(100000, 100000)).error.contains("too large"));
}

TEST(LoadImage, ReportsUnreadableFilesWithReason)
{
    QTemporaryDir dir;
    const QString paths[] = {writeFile(dir, "text.png", "this is not a picture\n"),
                             writeFile(dir, "empty.jpg", {}), dir.filePath("missing.png")};
    for (const QString &path : paths) {
        const tintwell::LoadResult result = tintwell::loadImage(path);
        EXPECT_TRUE(result.image.isNull());
        EXPECT_TRUE(result.error.startsWith("cannot read " + path + ": ")) << result.error.toStdString();
        EXPECT_GT(result.error.size(), QString("cannot read " + path + ": ").size());
        EXPECT_FALSE(result.error.contains('\n'));
    }
    EXPECT_FALSE(tintwell::loadImageData("garbage").error.isEmpty());
}

TEST(LoadImage, DecodesToTheWorkingLayout)
{
    QTemporaryDir dir;
    const QImage rgba = patternImage(5, 3);
    ASSERT_TRUE(rgba.save(dir.filePath("rgba.png")));
    QImage grey(2, 2, QImage::Format_Grayscale8);
    grey.fill(40);
    ASSERT_TRUE(grey.save(dir.filePath("grey.png")));

    const tintwell::LoadResult loaded = tintwell::loadImage(dir.filePath("rgba.png"));
    ASSERT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
    EXPECT_EQ(loaded.image.format(), QImage::Format_RGBA8888);
    EXPECT_EQ(pixelBytes(loaded.image), pixelBytes(rgba));

    const tintwell::LoadResult greyLoaded = tintwell::loadImage(dir.filePath("grey.png"));
    EXPECT_EQ(greyLoaded.image.format(), QImage::Format_RGBX8888);
    EXPECT_EQ(greyLoaded.image.pixel(1, 1), qRgb(40, 40, 40));

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    rgba.save(&buffer, "PNG");
    EXPECT_EQ(pixelBytes(tintwell::loadImageData(png).image), pixelBytes(rgba));
}

} // namespace
