// Saving: lossless PNG, JPEG at full quality, the format from the suffix, and
// every failure reported in one line with existing files left as they were.
#include "JpegFiles.h"
#include "Pictures.h"
#include "ScratchMounts.h"

#include <QColorSpace>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// Which syncs the interposed calls below fail with EIO: none, those of
// regular files, or those of folders.
enum class FailingSync { None, File, Folder };
FailingSync failingSync = FailingSync::None;
} // namespace

// Every fsync and fdatasync of this test program comes here, the image
// path's included: a disk that reports a failed flush only when data is synced.
static bool syncFails(int fd)
{
    struct stat status {};
    return failingSync != FailingSync::None && ::fstat(fd, &status) == 0
           && S_ISDIR(status.st_mode) == (failingSync == FailingSync::Folder);
}
extern "C" int fsync(int fd)
{
    return syncFails(fd) ? (errno = EIO, -1) : int(::syscall(SYS_fsync, fd));
}
extern "C" int fdatasync(int fd)
{
    return syncFails(fd) ? (errno = EIO, -1) : int(::syscall(SYS_fdatasync, fd));
}

namespace {

using namespace tintwell::test;

TEST(Save, PngKeepsEveryByteAndJpegTheSize)
{
    QTemporaryDir dir;
    for (const bool alpha : {true, false}) {
        QImage image = pattern(33, 17, alpha);
        image.setColorSpace(QColorSpace::AdobeRgb);
        const QImage pristine = image.copy();
        const QString png = dir.filePath("out.png");
        ASSERT_EQ(tintwell::saveImage(image, png, "png"), QString());
        const QImage back = tintwell::toWorkingLayout(QImageReader(png).read());
        EXPECT_EQ(back.format(), image.format());
        EXPECT_EQ(pixelBytes(back), pixelBytes(image));
        // JPEG drops alpha; the picture given up gives the same bytes.
        const QString jpeg = dir.filePath("out.JPEG");
        ASSERT_EQ(tintwell::saveImage(image, jpeg, "jpg"), QString());
        const QByteArray first = readBytes(jpeg);
        EXPECT_EQ(QImageReader(jpeg).read().size(), image.size());
        ASSERT_EQ(tintwell::saveImage(image.copy(), jpeg, "jpg"), QString());
        EXPECT_EQ(readBytes(jpeg), first);
        EXPECT_EQ(image, pristine);
    }

    const std::pair<const char *, const char *> suffixes[] = {
        {"a.jpg", "jpg"}, {"b.JPEG", "jpg"}, {"dir.png/c.png", "png"}, {"d.Png", "png"},
        {"e.bmp", ""},    {"noSuffix", ""},   {"f.png.txt", ""},         {"g.jpg/", ""}};
    for (const auto &[path, format] : suffixes)
        EXPECT_EQ(tintwell::formatForPath(path), QByteArray(format)) << path;
}

// Large pictures are encoded in bands on several threads, joined by restart
// markers: the file decodes without a warning to the pixels of one pass.
TEST(Save, JpegInBandsDecodesLikeOnePass)
{
    const QImage image = pattern(256, 4700, false, 24); // ten bands: every restart marker number, and one again
    QString error;
    const QByteArray banded = tintwell::encodeImage(QImage(image), "jpg", {}, &error);
    ASSERT_EQ(error, QString());
    EXPECT_TRUE(banded.contains(QByteArray("\xFF\xDD", 2))); // a restart interval is set
    const tintwell::LoadResult fromBands = tintwell::loadImageData(banded);
    const tintwell::LoadResult fromOnePass = tintwell::loadImageData(plainJpeg(image));
    ASSERT_EQ(fromBands.error, QString());
    EXPECT_EQ(pixelBytes(fromBands.image), pixelBytes(fromOnePass.image));
    // A save writes the bands to the file as they are done: the same bytes.
    QTemporaryDir dir;
    ASSERT_EQ(tintwell::saveImage(image, dir.filePath("banded.jpg"), "jpg"), QString());
    EXPECT_EQ(readBytes(dir.filePath("banded.jpg")), banded);
}

// Where a save fails: before writing, in the encoder, or on the file system
// (a read-only one or one that fills up, a target that is a mount point, so
// that only the final rename fails, or a disk whose flush of the file or the
// folder fails).
enum class Place { Folder, ReadOnlyFolder, SmallDisk, ReadOnlyFile, MountedFile, FileSyncFails, FolderSyncFails };

struct FailureCase {
    const char *name;
    Place place;
    const char *target; // in the folder, which holds keep.png
    const char *format;
    QSize size;         // of the picture saved; empty: a null picture
};

class SaveFailure : public testing::TestWithParam<FailureCase> {
protected:
    QTemporaryDir dir;
    ScratchMounts mounts; // after dir: unmounted before the folder goes
};

TEST_P(SaveFailure, IsReportedAndExistingFilesKeepTheirBytes)
{
    const FailureCase &c = GetParam();
    QString folder = dir.path();
    if (c.place == Place::ReadOnlyFolder || c.place == Place::SmallDisk) {
        folder = dir.filePath("fs");
        ASSERT_TRUE(QDir().mkdir(folder));
        if (const QString error = mounts.mountTmpfs(folder, c.place == Place::SmallDisk ? "256k" : "1m");
            !error.isEmpty())
            GTEST_SKIP() << "no tmpfs can be mounted here: " << error.toStdString();
    }
    const QString keep = QDir(folder).filePath("keep.png");
    const QByteArray original = encode(pattern(32, 32), "png");
    ASSERT_TRUE(writeBytes(keep, original));
    QString mounted;
    if (c.place == Place::ReadOnlyFolder)
        mounted = mounts.remountReadOnly(folder);
    else if (c.place == Place::ReadOnlyFile || c.place == Place::MountedFile)
        mounted = mounts.bind(keep, c.place == Place::ReadOnlyFile);
    if (!mounted.isEmpty())
        GTEST_SKIP() << "cannot mount here: " << mounted.toStdString();
    const QStringList before = listing(folder);

    const QString path = QDir(folder).filePath(c.target);
    QImage image = c.size.isEmpty() ? QImage() : pattern(c.size.width(), c.size.height());
    failingSync = c.place == Place::FileSyncFails     ? FailingSync::File
                  : c.place == Place::FolderSyncFails ? FailingSync::Folder
                                                      : FailingSync::None;
    const QString error = tintwell::saveImage(image, path, c.format);
    failingSync = FailingSync::None;
    EXPECT_TRUE(error.startsWith("cannot write " + path + ": ")) << error.toStdString();
    EXPECT_FALSE(error.contains('\n'));
    if (c.place != Place::Folder) { // the file system's own reason
        EXPECT_FALSE(error.endsWith("unknown error", Qt::CaseInsensitive)) << error.toStdString();
    }
    if (c.place == Place::SmallDisk) {
        EXPECT_TRUE(error.endsWith(strerrordesc_np(ENOSPC))) << error.toStdString();
    }
    if (c.place != Place::FolderSyncFails) { // there the new file is in place, only not yet durable
        EXPECT_EQ(readBytes(keep), original);
        EXPECT_EQ(listing(folder), before);
    }
}

const FailureCase failureCases[] = {
    {"missingFolder", Place::Folder, "missing/out.png", "png", {64, 64}},
    // JPEG holds at most 65500 pixels a row: the encoder fails.
    {"encoderFailsOverAFile", Place::Folder, "keep.png", "jpg", {70000, 1}},
    {"nullPicture", Place::Folder, "keep.png", "png", {}},
    {"unknownFormat", Place::Folder, "keep.png", "bmp", {64, 64}},
    {"newFileInReadOnlyFolder", Place::ReadOnlyFolder, "new.jpg", "jpg", {64, 64}},
    {"overFileInReadOnlyFolder", Place::ReadOnlyFolder, "keep.png", "png", {64, 64}},
    {"overReadOnlyFile", Place::ReadOnlyFile, "keep.png", "jpg", {64, 64}},
    // A large JPEG goes to the file band by band: the disk fills midway.
    {"diskFillsWhileBandsAreWritten", Place::SmallDisk, "keep.png", "jpg", {1200, 1000}},
    {"renameOverAMountPointFails", Place::MountedFile, "keep.png", "png", {64, 64}},
    {"fileSyncFails", Place::FileSyncFails, "keep.png", "jpg", {64, 64}},
    {"folderSyncFails", Place::FolderSyncFails, "new.png", "png", {64, 64}},
};

INSTANTIATE_TEST_SUITE_P(Places, SaveFailure, testing::ValuesIn(failureCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
