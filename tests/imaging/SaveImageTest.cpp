// saveImage and formatForPath: lossless PNG, JPEG at full quality, and failures
// that leave existing files alone.
#include "ImagePath.h"
#include "TestPictures.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using tintwell::test::patternImage;
using tintwell::test::pixelBytes;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SaveImage, PngRoundTripIsExact)
{
    QTemporaryDir dir;
    for (QImage::Format format : {QImage::Format_RGBA8888, QImage::Format_RGBX8888}) {
        const QImage image = patternImage(9, 4).convertToFormat(format);
        const QString path = dir.filePath("out.png");
        ASSERT_EQ(tintwell::saveImage(image, path, "png"), QString());
        const QImage back = tintwell::toWorkingLayout(QImageReader(path).read());
        EXPECT_EQ(back.format(), format);
        EXPECT_EQ(pixelBytes(back), pixelBytes(image));
    }
}

TEST(SaveImage, JpegDropsAlphaAndKeepsColours)
{
    QTemporaryDir dir;
    QImage image(16, 8, QImage::Format_RGBA8888);
    image.fill(QColor(200, 100, 50, 30));
    for (const char *format : {"jpg", "jpeg", "JPG"}) {
        const QString path = dir.filePath(QString("out.") + format);
        ASSERT_EQ(tintwell::saveImage(image, path, format), QString());
        QImageReader reader(path);
        EXPECT_EQ(reader.format(), "jpeg");
        const QImage back = reader.read();
        EXPECT_EQ(back.size(), image.size());
        EXPECT_FALSE(back.hasAlphaChannel());
        const QColor c = back.pixelColor(5, 5);
        EXPECT_NEAR(c.red(), 200, 2);
        EXPECT_NEAR(c.green(), 100, 2);
        EXPECT_NEAR(c.blue(), 50, 2);
    }
}

TEST(SaveImage, ConsumingOverloadWritesTheSameBytes)
{
    QTemporaryDir dir;
    for (QImage::Format format : {QImage::Format_RGBA8888, QImage::Format_RGBX8888, QImage::Format_RGB32}) {
        for (const char *kind : {"jpg", "png"}) {
            const QImage image = patternImage(11, 7).convertToFormat(format);
            const QByteArray before = pixelBytes(image);
            const QString kept = dir.filePath(QString("kept.") + kind);
            const QString given = dir.filePath(QString("given.") + kind);
            ASSERT_EQ(tintwell::saveImage(image, kept, kind), QString());
            ASSERT_EQ(tintwell::saveImage(image.copy(), given, kind), QString());
            EXPECT_EQ(readAll(given), readAll(kept)) << kind << " from format " << format;
            EXPECT_EQ(pixelBytes(image), before) << "the const overload must not touch the picture";
        }
    }
    EXPECT_FALSE(tintwell::saveImage(QImage(), dir.filePath("x.jpg"), "jpg").isEmpty());
}

TEST(SaveImage, FailureIntoMissingDirectoryLeavesNoFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/out.png");
    const QString error = tintwell::saveImage(patternImage(2, 2), path, "png");
    EXPECT_TRUE(error.startsWith("cannot write " + path + ": ")) << error.toStdString();
    EXPECT_FALSE(error.contains('\n'));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(SaveImage, FailedEncodeLeavesExistingFileIntact)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.jpg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("original");
    file.close();
    // JPEG cannot hold more than 65500 pixels a row, so the encoder fails mid-write;
    // a null picture and an unknown format fail before writing.
    QImage tooWide(70000, 1, QImage::Format_RGBX8888);
    tooWide.fill(Qt::gray);
    const std::pair<QImage, QByteArray> failures[] = {
        {tooWide, "jpg"}, {QImage(), "png"}, {patternImage(2, 2), "bmp"}};
    for (const auto &[image, format] : failures) {
        EXPECT_FALSE(tintwell::saveImage(image, path, format).isEmpty()) << format.constData();
        EXPECT_EQ(readAll(path), "original");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"keep.jpg"});
    }
}

TEST(SaveImage, FailureInReadOnlyDirectoryLeavesExistingFileIntact)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores directory permissions";
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.png");
    ASSERT_EQ(tintwell::saveImage(patternImage(2, 2), path, "png"), QString());
    const QByteArray before = readAll(path);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(tintwell::saveImage(patternImage(3, 3), path, "png").isEmpty());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(path), before);
}

TEST(FormatForPath, MapsSuffixes)
{
    const std::pair<const char *, const char *> cases[] = {
        {"a.jpg", "jpg"}, {"b.JPEG", "jpg"}, {"dir.png/c.png", "png"}, {"d.Png", "png"},
        {"e.bmp", ""},    {"noSuffix", ""},   {"f.png.txt", ""},         {"g.jpg/", ""}};
    for (const auto &[path, format] : cases)
        EXPECT_EQ(tintwell::formatForPath(path), QByteArray(format)) << path;
}

} // namespace
