// Saving: lossless PNG, JPEG at full quality, the format from the suffix, and
// every failure reported in one line with existing files left as they were.
#include "Pictures.h"
#include "ScratchMounts.h"

#include <QColorSpace>
#include <QDir>
#include <QImageReader>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace tintwell::test;

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

TEST(Save, PngKeepsEveryByteAndJpegTheSize)
{
    QTemporaryDir dir;
    for (const bool alpha : {true, false}) {
        QImage image = pattern(33, 17, alpha);
        image.setDotsPerMeterX(11811);
        image.setText("Description", "test picture");
        image.setColorSpace(QColorSpace::AdobeRgb);
        const QImage pristine = image.copy();

        const QString png = dir.filePath("out.png");
        ASSERT_EQ(tintwell::saveImage(image, png, "png"), QString());
        const QImage back = tintwell::toWorkingLayout(QImageReader(png).read());
        EXPECT_EQ(back.format(), image.format());
        EXPECT_EQ(pixelBytes(back), pixelBytes(image));

        // JPEG drops alpha; the picture given up gives the same bytes.
        for (const QString name : {"out.jpg", "out.JPEG"}) {
            const QString jpeg = dir.filePath(name);
            ASSERT_EQ(tintwell::saveImage(image, jpeg, "jpg"), QString());
            const QByteArray first = readBytes(jpeg);
            EXPECT_EQ(QImageReader(jpeg).read().size(), image.size()) << name.toStdString();
            ASSERT_EQ(tintwell::saveImage(image.copy(), jpeg, "jpg"), QString()); // the picture given up
            EXPECT_EQ(readBytes(jpeg), first) << name.toStdString();
        }
        EXPECT_EQ(image, pristine);
    }
}

TEST(Save, FormatComesFromTheSuffix)
{
    const std::pair<const char *, const char *> cases[] = {
        {"a.jpg", "jpg"}, {"b.JPEG", "jpg"}, {"dir.png/c.png", "png"}, {"d.Png", "png"},
        {"e.bmp", ""},    {"noSuffix", ""},   {"f.png.txt", ""},         {"g.jpg/", ""}};
    for (const auto &[path, format] : cases)
        EXPECT_EQ(tintwell::formatForPath(path), QByteArray(format)) << path;
}

// Where a save fails: before writing, in the encoder, or on the file system.
enum class Place { Folder, ReadOnlyFolder, ReadOnlyFile, FullDisk };

struct FailureCase {
    const char *name;
    Place place;
    const char *target; // in the folder, which holds keep.png
    const char *format;
    QImage image;
};

const QImage noise = pattern(256, 256, false, 255);
QImage tooWideForJpeg() // JPEG holds at most 65500 pixels a row: the encoder fails
{
    QImage image(70000, 1, QImage::Format_RGBX8888);
    image.fill(Qt::gray);
    return image;
}

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class SaveFailure : public testing::TestWithParam<FailureCase> {
protected:
    QTemporaryDir dir;
    ScratchMounts mounts; // after dir: unmounted before the folder goes
};

TEST_P(SaveFailure, IsReportedAndExistingFilesKeepTheirBytes)
{
    const FailureCase &c = GetParam();
    QString folder = dir.path();
    if (c.place != Place::Folder) {
        folder = dir.filePath("fs");
        ASSERT_TRUE(QDir().mkdir(folder));
        if (const QString error = mounts.mountTmpfs(folder, c.place == Place::FullDisk ? "256k" : "1m");
            !error.isEmpty())
            GTEST_SKIP() << "no tmpfs can be mounted here: " << error.toStdString();
    }
    const QString keep = QDir(folder).filePath("keep.png");
    const QByteArray original = encode(pattern(32, 32), "png");
    ASSERT_TRUE(writeBytes(keep, original));
    if (c.place == Place::ReadOnlyFolder) {
        ASSERT_EQ(mounts.remountReadOnly(folder), QString());
    } else if (c.place == Place::ReadOnlyFile) {
        ASSERT_EQ(mounts.bindReadOnly(keep), QString());
    }
    if (c.place == Place::FullDisk) {
        const qint64 room = QStorageInfo(folder).bytesAvailable();
        ASSERT_TRUE(writeBytes(QDir(folder).filePath("filler"), QByteArray(room - 16384, 'f')));
    }
    const QStringList before = listing(folder);

    const QString path = QDir(folder).filePath(c.target);
    const QString error = tintwell::saveImage(c.image, path, c.format);
    EXPECT_TRUE(error.startsWith("cannot write " + path + ": ")) << error.toStdString();
    EXPECT_FALSE(error.contains('\n'));
    if (c.place != Place::Folder) { // the file system's own reason
        EXPECT_FALSE(error.endsWith("unknown error", Qt::CaseInsensitive)) << error.toStdString();
    }
    EXPECT_EQ(readBytes(keep), original);
    EXPECT_EQ(listing(folder), before);
}

const FailureCase failureCases[] = {
    {"missingFolder", Place::Folder, "missing/out.png", "png", noise},
    {"encoderFailsOverAFile", Place::Folder, "keep.png", "jpg", tooWideForJpeg()},
    {"nullPicture", Place::Folder, "keep.png", "png", QImage()},
    {"unknownFormat", Place::Folder, "keep.png", "bmp", noise},
    {"newFileInReadOnlyFolder", Place::ReadOnlyFolder, "new.jpg", "jpg", noise},
    {"overFileInReadOnlyFolder", Place::ReadOnlyFolder, "keep.png", "png", noise},
    {"overReadOnlyFile", Place::ReadOnlyFile, "keep.png", "jpg", noise},
    {"newFileOnFullDisk", Place::FullDisk, "new.png", "png", noise},
    {"overFileOnFullDisk", Place::FullDisk, "keep.png", "jpg", noise},
};

INSTANTIATE_TEST_SUITE_P(Places, SaveFailure, testing::ValuesIn(failureCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
