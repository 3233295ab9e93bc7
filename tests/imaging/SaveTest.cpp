// Saving and the file layer under it: PNG, JPEG and the format from the suffix,
// every failure reported with existing files kept, only regular files used.
#include "FileIO.h"
#include "JpegFiles.h"
#include "Pictures.h"

#include <QColorSpace>
#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <tuple>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
// Which syncs the interposed calls below fail with EIO: none, those of
// regular files, or those of folders.
enum class FailingSync { None, File, Folder };
FailingSync failingSync = FailingSync::None;
} // namespace

// Every fsync of this test program comes here, the image path's included: a
// disk that reports a failed flush only when data is synced. (The image path
// syncs with fsync only; a sync by another call fails the sync rows.)
extern "C" int fsync(int fd)
{
    struct stat status {};
    const bool fails = failingSync != FailingSync::None && ::fstat(fd, &status) == 0
                       && S_ISDIR(status.st_mode) == (failingSync == FailingSync::Folder);
    return fails ? (errno = EIO, -1) : int(::syscall(SYS_fsync, fd));
}

namespace {

using namespace tintwell::test;
using tintwell::pathToBytes;

// A scratch folder, and file systems mounted in it for one test with mount(8)
// and unmounted when it ends. Mounting needs root: where mount fails (saying
// why), the test is skipped.
class Scratch : public testing::Test {
protected:
    ~Scratch() override
    {
        for (auto point = mounted.crbegin(); point != mounted.crend(); ++point)
            QProcess::execute("umount", {"-l", *point}); // lazily: even while something holds it
    }
    // Runs mount with `arguments`; the mount point it makes is unmounted at the end.
    bool mount(const QStringList &arguments, const QString &point = {})
    {
        if (!point.isEmpty())
            mounted.append(point); // unmounting a point where mount failed only fails
        return QProcess::execute("mount", arguments) == 0;
    }
    // A tmpfs of `size` (such as "256k") on the new folder `folder`.
    bool mountTmpfs(const QString &folder, const QString &size)
    {
        return QDir().mkdir(folder) && mount({"-t", "tmpfs", "-o", "size=" + size, "tintwell-test", folder}, folder);
    }

    QTemporaryDir dir;
    QStringList mounted;
};

TEST(Save, PngKeepsEveryByteAndJpegTheSizeAndProfile)
{
    QTemporaryDir dir;
    for (const bool alpha : {true, false}) {
        QImage image = pattern(33, 17, alpha);
        image.setColorSpace(QColorSpace::AdobeRgb);
        const QImage pristine = image.copy();
        const QString png = dir.filePath("out.png");
        ASSERT_EQ(tintwell::saveImage(image, png, "png"), QString());
        EXPECT_EQ(tintwell::toWorkingLayout(QImageReader(png).read()), image); // format and bytes
        // JPEG drops alpha; the picture given up gives the same bytes.
        const QString jpeg = dir.filePath("out.JPEG");
        ASSERT_EQ(tintwell::saveImage(image, jpeg, "jpg"), QString());
        const QByteArray first = readBytes(jpeg);
        const QImage decoded = QImageReader(jpeg).read();
        EXPECT_EQ(decoded.size(), image.size());
        EXPECT_EQ(decoded.colorSpace(), image.colorSpace());
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
    const char *reason;
};

class SaveFailure : public Scratch, public testing::WithParamInterface<FailureCase> {};

TEST_P(SaveFailure, IsReportedAndExistingFilesKeepTheirBytes)
{
    const FailureCase &c = GetParam();
    QString folder = dir.path();
    if (c.place == Place::ReadOnlyFolder || c.place == Place::SmallDisk) {
        folder = dir.filePath("fs");
        if (!mountTmpfs(folder, c.place == Place::SmallDisk ? "256k" : "1m"))
            GTEST_SKIP() << "no tmpfs can be mounted here";
    }
    const QString keep = QDir(folder).filePath("keep.png");
    const QByteArray original = encode(pattern(32, 32), "png");
    ASSERT_TRUE(writeBytes(keep, original));
    bool mountedHere = true;
    if (c.place == Place::ReadOnlyFolder)
        mountedHere = mount({"-o", "remount,ro", folder});
    else if (c.place == Place::ReadOnlyFile || c.place == Place::MountedFile)
        mountedHere = mount({"--bind", keep, keep}, keep)
                      && (c.place == Place::MountedFile || mount({"-o", "remount,ro,bind", keep}));
    if (!mountedHere)
        GTEST_SKIP() << "cannot mount here";
    const QStringList before = listing(folder);

    const QString path = QDir(folder).filePath(c.target);
    QImage image = c.size.isEmpty() ? QImage() : pattern(c.size.width(), c.size.height());
    failingSync = c.place == Place::FileSyncFails     ? FailingSync::File
                  : c.place == Place::FolderSyncFails ? FailingSync::Folder
                                                      : FailingSync::None;
    const QString error = tintwell::saveImage(image, path, c.format);
    failingSync = FailingSync::None;
    EXPECT_EQ(error, "cannot write " + path + ": " + c.reason);
    if (c.place != Place::FolderSyncFails) { // there the new file is in place, only not yet durable
        EXPECT_EQ(readBytes(keep), original);
        EXPECT_EQ(listing(folder), before);
    }
}

const FailureCase failureCases[] = {
    {"missingFolder", Place::Folder, "missing/out.png", "png", {64, 64}, "No such file or directory"},
    {"encoderFailsOverAFile", Place::Folder, "keep.png", "jpg", {70000, 1},
     "JPEG cannot hold more than 65500 pixels a side"},
    {"nullPicture", Place::Folder, "keep.png", "png", {}, "no picture to save"},
    {"unknownFormat", Place::Folder, "keep.png", "bmp", {64, 64}, "unsupported format \"bmp\""},
    {"newFileInReadOnlyFolder", Place::ReadOnlyFolder, "new.jpg", "jpg", {64, 64}, "Read-only file system"},
    {"overFileInReadOnlyFolder", Place::ReadOnlyFolder, "keep.png", "png", {64, 64}, "Read-only file system"},
    {"overReadOnlyFile", Place::ReadOnlyFile, "keep.png", "jpg", {64, 64}, "Read-only file system"},
    // A large JPEG goes to the file band by band: the disk fills midway.
    {"diskFillsWhileBandsAreWritten", Place::SmallDisk, "keep.png", "jpg", {1200, 1000}, "No space left on device"},
    {"renameOverAMountPointFails", Place::MountedFile, "keep.png", "png", {64, 64}, "Device or resource busy"},
    {"fileSyncFails", Place::FileSyncFails, "keep.png", "jpg", {64, 64}, "Input/output error"},
    {"folderSyncFails", Place::FolderSyncFails, "new.png", "png", {64, 64}, "Input/output error"},
};

INSTANTIATE_TEST_SUITE_P(Places, SaveFailure, testing::ValuesIn(failureCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A write larger than the free space by any amount from 1 byte to 64 KiB: the
// disk fills while the last bytes are written or synced. None may count as
// written, and the file it would replace keeps its bytes.
using FullDisk = Scratch;

TEST_F(FullDisk, EveryOverflowUpTo64KiBFailsAndKeepsTheTarget)
{
    const QString fs = dir.filePath("fs");
    if (!mountTmpfs(fs, "64k"))
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString target = QDir(fs).filePath("keep.png");
    ASSERT_TRUE(writeBytes(target, "old"));
    struct statvfs status {};
    ASSERT_EQ(::statvfs(QFile::encodeName(fs).constData(), &status), 0);
    const qint64 room = qint64(status.f_bavail) * qint64(status.f_frsize);
    // Every size over the first pages (the disk is counted in pages, so the
    // pattern repeats), then every 257 bytes up to 64 KiB.
    const QByteArray bytes(room + 65536, 'x');
    for (qint64 overflow = 1; overflow <= 65536; overflow += overflow < 8192 ? 1 : 257) {
        ASSERT_NE(tintwell::writeFileAtomically(target, QByteArrayView(bytes.constData(), room + overflow)), QString())
            << "reported as written " << overflow << " bytes past the free space";
        ASSERT_EQ(readBytes(target), "old") << overflow;
        ASSERT_EQ(listing(fs), QStringList{"keep.png"}) << overflow;
    }
    // What exactly fits is written: the room was measured right.
    EXPECT_EQ(tintwell::writeFileAtomically(target, QByteArrayView(bytes.constData(), room)), QString());
    EXPECT_EQ(readBytes(target).size(), room);
}

bool makeLink(const QString &to, const QString &path)
{
    return ::symlink(pathToBytes(to), pathToBytes(path)) == 0;
}
// A picture of mode 0640, owned by 1234:5678 where the test may set that (as root).
bool makePicture(const QString &path)
{
    return writeBytes(path, encode(pattern(4, 4), "png")) && ::chmod(pathToBytes(path), 0640) == 0
           && (::geteuid() != 0 || ::chown(pathToBytes(path), 1234, 5678) == 0);
}

// What is at the path a picture is loaded from and saved to.
struct KindCase {
    const char *name;
    std::function<bool(const QString &dir, const QString &path)> make;
    const char *loadReason; // nullptr: the picture opens
    const char *saveReason; // nullptr: the picture is written
};

class FileKind : public Scratch, public testing::WithParamInterface<KindCase> {};

// Refused at once (reading a named pipe with no writer must not wait for
// one), with nothing created or changed. An overwrite keeps the file's mode,
// owner and group and replaces the name only: a hard link to the old file
// keeps the old bytes, and a symbolic link stays a link to the new file.
TEST_P(FileKind, OnlyRegularFilesAreReadOrReplaced)
{
    const KindCase &c = GetParam();
    const QString path = dir.filePath("in.png");
    if (!c.make(dir.path(), path))
        GTEST_SKIP() << "cannot make the file here: " << std::strerror(errno);
    EXPECT_EQ(tintwell::loadImage(path).error, c.loadReason ? "cannot read " + path + ": " + c.loadReason : "");
    struct stat link {}, before {}, now {}, after {};
    ::lstat(pathToBytes(path).constData(), &link);
    const bool existed = ::stat(pathToBytes(path).constData(), &before) == 0;
    const QStringList entries = listing(dir.path());
    const QByteArray other = readBytes(dir.filePath("other"));

    const QImage picture = pattern(7, 5);
    EXPECT_EQ(tintwell::saveImage(picture, path, "png"),
              c.saveReason ? "cannot write " + path + ": " + c.saveReason : "");
    ::lstat(pathToBytes(path).constData(), &now);
    if (c.saveReason || S_ISLNK(link.st_mode)) {
        EXPECT_EQ(now.st_ino, link.st_ino) << "the path itself was replaced";
    }
    EXPECT_EQ(listing(dir.path()), existed || c.saveReason ? entries : QStringList{"in.png"});
    EXPECT_EQ(readBytes(dir.filePath("other")), other);
    if (existed) {
        ASSERT_EQ(::stat(pathToBytes(path).constData(), &after), 0);
        EXPECT_EQ(std::tie(after.st_mode, after.st_uid, after.st_gid),
                  std::tie(before.st_mode, before.st_uid, before.st_gid));
    }
    EXPECT_EQ(sameBytes(tintwell::loadImage(path).image, picture), !c.saveReason) << "read back as written";
}

const KindCase kindCases[] = {
    {"missing", [](auto &, auto &) { return true; }, "File not found", nullptr},
    {"folder", [](auto &, auto &p) { return QDir().mkdir(p); }, "it is a folder, not a picture file",
     "it is a folder, not a regular file"},
    {"namedPipe", [](auto &, auto &p) { return ::mkfifo(pathToBytes(p), 0644) == 0; },
     "it is a named pipe, not a regular file", "it is a named pipe, not a regular file"},
    // A private copy of the null device: a failed test must not replace the system's.
    {"device", [](auto &, auto &p) { return ::mknod(pathToBytes(p), S_IFCHR | 0666, makedev(1, 3)) == 0; },
     "it is a character device, not a regular file", "it is a character device, not a regular file"},
    {"symlinkToNamedPipe",
     [](auto &d, auto &p) { return ::mkfifo(pathToBytes(d + "/fifo"), 0644) == 0 && makeLink(d + "/fifo", p); },
     "it is a named pipe, not a regular file", "it is a symbolic link to a named pipe, not to a regular file"},
    {"danglingSymlink", [](auto &d, auto &p) { return makeLink(d + "/nowhere", p); }, "File not found",
     "it is a symbolic link to a file that does not exist"},
    {"symlinkLoop", [](auto &d, auto &p) { return makeLink(d + "/loop", p) && makeLink(p, d + "/loop"); },
     "Too many levels of symbolic links", "it is a symbolic link that loops"},
    {"pictureWithASecondHardLink",
     [](auto &d, auto &p) { return makePicture(p) && ::link(pathToBytes(p), pathToBytes(d + "/other")) == 0; },
     nullptr, nullptr},
    {"symlinkToPicture", [](auto &d, auto &p) { return makePicture(d + "/real.png") && makeLink("real.png", p); },
     nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Kinds, FileKind, testing::ValuesIn(kindCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
