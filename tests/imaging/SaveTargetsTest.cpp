// saveImage onto hostile targets on real file systems (a read-only folder, a
// read-only file, a full disk): each failure is reported, and existing files
// keep their exact bytes with no leftovers beside them.
#include "HostileFiles.h"
#include "ImagePath.h"
#include "ScratchMounts.h"

#include <QDir>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace tintwell::test;

enum class Restriction { ReadOnlyFolder, ReadOnlyFile, FullDisk };

struct TargetCase {
    const char *name;
    Restriction restriction;
    const char *target; // file name inside the mounted folder
    const char *format;
};

const TargetCase targetCases[] = {
    {"newFileInReadOnlyFolder", Restriction::ReadOnlyFolder, "new.jpg", "jpg"},
    {"overFileInReadOnlyFolder", Restriction::ReadOnlyFolder, "keep.png", "png"},
    {"overReadOnlyFile", Restriction::ReadOnlyFile, "keep.png", "png"},
    {"overReadOnlyFileAsJpeg", Restriction::ReadOnlyFile, "keep.png", "jpg"},
    {"newFileOnFullDisk", Restriction::FullDisk, "new.png", "png"},
    {"overFileOnFullDisk", Restriction::FullDisk, "keep.png", "png"},
    {"jpegOverFileOnFullDisk", Restriction::FullDisk, "keep.png", "jpg"},
};

void PrintTo(const TargetCase &c, std::ostream *os)
{
    *os << c.name;
}

// Every byte from the noise generator: neither PNG nor JPEG can squeeze it
// much, so it needs far more room than the full disk has left.
QImage noise(int side)
{
    QImage image(side, side, QImage::Format_RGBX8888);
    quint32 state = 12345;
    for (int y = 0; y < side; ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < side * 4; ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = uchar(state >> 24);
        }
    }
    return image;
}

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

class SaveTargetTest : public testing::TestWithParam<TargetCase> {
protected:
    QTemporaryDir dir;
    ScratchMounts mounts; // after dir: unmounted before the folder is removed
};

TEST_P(SaveTargetTest, FailureIsReportedAndExistingFilesKeepTheirBytes)
{
    const TargetCase &c = GetParam();
    const QString fs = dir.filePath("fs");
    ASSERT_TRUE(QDir().mkdir(fs));
    const QString size = c.restriction == Restriction::FullDisk ? "256k" : "1m";
    if (const QString error = mounts.mountTmpfs(fs, size); !error.isEmpty())
        GTEST_SKIP() << "no tmpfs can be mounted here: " << error.toStdString();

    const QString keep = QDir(fs).filePath("keep.png");
    const QByteArray original = encode(photoLikeImage(32, 32), "png");
    ASSERT_TRUE(writeBytes(keep, original));

    switch (c.restriction) {
    case Restriction::ReadOnlyFolder:
        ASSERT_EQ(mounts.remountReadOnly(fs), QString());
        break;
    case Restriction::ReadOnlyFile:
        ASSERT_EQ(mounts.bindReadOnly(keep), QString());
        break;
    case Restriction::FullDisk: {
        const qint64 room = QStorageInfo(fs).bytesAvailable();
        ASSERT_GT(room, 16384);
        ASSERT_TRUE(writeBytes(QDir(fs).filePath("filler"), QByteArray(room - 16384, 'f')));
        break;
    }
    }
    const QStringList before = listing(fs);

    const QString path = QDir(fs).filePath(c.target);
    const QString error = tintwell::saveImage(noise(256), path, c.format);
    EXPECT_TRUE(error.startsWith("cannot write " + path + ": ")) << error.toStdString();
    EXPECT_FALSE(error.contains('\n'));
    EXPECT_FALSE(error.endsWith("unknown error", Qt::CaseInsensitive)) << error.toStdString();
    EXPECT_EQ(readBytes(keep), original);
    EXPECT_EQ(listing(fs), before);
}

INSTANTIATE_TEST_SUITE_P(Targets, SaveTargetTest, testing::ValuesIn(targetCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
