// loadImage against hostile files: absurd header sizes, cut files, and a
// 100-megapixel photo that must still open.
#include "HostileFiles.h"
#include "ImagePath.h"

#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace tintwell::test;

struct RefusalCase {
    const char *name;
    QByteArray (*make)();
    const char *reason; // part of the message
};

QByteArray pngHuge()
{
    return pngHeaderOnly(100000, 100000);
}

QByteArray jpegHuge()
{
    return jpegClaimingSize(65000, 65000);
}

QByteArray jpegCut()
{
    const QByteArray whole = encode(photoLikeImage(120, 80), "jpeg");
    return whole.left(whole.size() / 2);
}

QByteArray progressiveJpegCut()
{
    const QByteArray whole = encode(photoLikeImage(120, 80), "jpeg", 90, true);
    return whole.left(whole.size() / 2);
}

// Headers whole, scan cut: refused before decoding, so this one never costs
// the 1.6 GB its header asks for.
QByteArray jpegCutClaimingLarge()
{
    const QByteArray whole = jpegClaimingSize(20000, 20000);
    return whole.left(whole.size() - 40);
}

QByteArray pngCut()
{
    const QByteArray whole = encode(photoLikeImage(120, 80), "png");
    return whole.left(whole.size() / 2);
}

const RefusalCase refusalCases[] = {
    {"pngClaiming100000Squared", pngHuge, "too large"},
    {"jpegClaiming65000Squared", jpegHuge, "too large"},
    {"jpegCutInHalf", jpegCut, "premature end of JPEG file"},
    {"progressiveJpegCutInHalf", progressiveJpegCut, "premature end of JPEG file"},
    {"jpegCutClaiming20000Squared", jpegCutClaimingLarge, "corrupt JPEG data"},
    {"pngCutInHalf", pngCut, ""},
};

void PrintTo(const RefusalCase &c, std::ostream *os)
{
    *os << c.name;
}

class HostileLoadTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(HostileLoadTest, IsRefusedWithOneLineNamingTheFile)
{
    const RefusalCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QString(c.name) + ".img");
    const QByteArray bytes = c.make();
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_TRUE(writeBytes(path, bytes));

    const tintwell::LoadResult fromFile = tintwell::loadImage(path);
    EXPECT_TRUE(fromFile.image.isNull());
    EXPECT_TRUE(fromFile.error.startsWith("cannot read " + path + ": ")) << fromFile.error.toStdString();
    EXPECT_TRUE(fromFile.error.contains(c.reason)) << fromFile.error.toStdString();
    EXPECT_FALSE(fromFile.error.contains('\n'));

    const tintwell::LoadResult fromData = tintwell::loadImageData(bytes);
    EXPECT_TRUE(fromData.image.isNull());
    EXPECT_TRUE(fromData.error.contains(c.reason)) << fromData.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, HostileLoadTest, testing::ValuesIn(refusalCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(HostileLoad, WholeJpegWithTrailingBytesStillOpens)
{
    const QImage picture = photoLikeImage(40, 30);
    const tintwell::LoadResult loaded = tintwell::loadImageData(encode(picture, "jpeg", 100) + "trailer");
    ASSERT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
    EXPECT_EQ(loaded.image.size(), picture.size());
}

TEST(HostileLoad, JpegDecodesToTheBytesOfAPlainDecodeAndConvert)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    ASSERT_TRUE(writeBytes(path, encode(photoLikeImage(301, 203), "jpeg", 85)));
    const QImage expected = QImageReader(path).read().convertToFormat(QImage::Format_RGBX8888);
    const tintwell::LoadResult loaded = tintwell::loadImage(path);
    ASSERT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
    EXPECT_EQ(loaded.image, expected);
}

TEST(HostileLoad, FolderAndMissingFileNameTheirReason)
{
    QTemporaryDir dir;
    for (const QString &path : {dir.path(), dir.filePath("missing.png")}) {
        const tintwell::LoadResult loaded = tintwell::loadImage(path);
        EXPECT_TRUE(loaded.image.isNull());
        EXPECT_TRUE(loaded.error.startsWith("cannot read " + path + ": ")) << loaded.error.toStdString();
        EXPECT_GT(loaded.error.size(), ("cannot read " + path + ": ").size() + 5);
    }
}

TEST(HostileLoad, HundredMegapixelPhotoOpens)
{
    constexpr int width = 12000;
    constexpr int height = 8400;
    QTemporaryDir dir;
    const QString path = dir.filePath("big.jpg");
    {
        const QImage picture = photoLikeImage(width, height, 7);
        ASSERT_TRUE(writeBytes(path, encode(picture, "jpeg", 75)));
    }
    const tintwell::LoadResult loaded = tintwell::loadImage(path);
    ASSERT_TRUE(loaded.error.isEmpty()) << loaded.error.toStdString();
    EXPECT_EQ(loaded.image.size(), QSize(width, height));
    EXPECT_EQ(loaded.image.format(), QImage::Format_RGBX8888);
    // The gradient's far corner: red high, green low (JPEG and noise allow slack).
    const QColor corner = loaded.image.pixelColor(width - 1, height - 1);
    EXPECT_NEAR(corner.red(), 220, 20);
    EXPECT_NEAR(corner.green(), 50, 20);
}

} // namespace
