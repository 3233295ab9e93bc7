// The file layer under every load and save: a disk that fills up by any small
// amount never counts as written, only regular files are read or replaced,
// an overwrite keeps what it should, and names that are not UTF-8 work.
#include "FileIO.h"
#include "ImagePath.h"
#include "Pictures.h"
#include "ScratchMounts.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using namespace tintwell::test;
using tintwell::pathToBytes;
using tintwell::writeFileAtomically;

// A write larger than the free space by any amount from 1 byte to 64 KiB: the
// disk fills while the last bytes are written or synced. None may count as
// written, and the file it would replace keeps its bytes.
TEST(FullDisk, EveryOverflowUpTo64KiBFailsAndKeepsTheTarget)
{
    QTemporaryDir dir;
    ScratchMounts mounts;
    const QString fs = dir.filePath("fs");
    ASSERT_TRUE(QDir().mkdir(fs));
    if (const QString error = mounts.mountTmpfs(fs, "64k"); !error.isEmpty())
        GTEST_SKIP() << "no tmpfs can be mounted here: " << error.toStdString();
    const QString target = QDir(fs).filePath("keep.png");
    ASSERT_TRUE(writeBytes(target, "old"));
    struct statvfs status {};
    ASSERT_EQ(::statvfs(QFile::encodeName(fs).constData(), &status), 0);
    const qint64 room = qint64(status.f_bavail) * qint64(status.f_frsize);
    // Every size over the first pages (the disk is counted in pages, so the
    // pattern repeats), then every 257 bytes up to 64 KiB.
    const QByteArray bytes(room + 65536, 'x');
    for (qint64 overflow = 1; overflow <= 65536; overflow += overflow < 8192 ? 1 : 257) {
        ASSERT_NE(writeFileAtomically(target, QByteArrayView(bytes.constData(), room + overflow)), QString())
            << "reported as written " << overflow << " bytes past the free space";
        ASSERT_EQ(readBytes(target), "old") << overflow;
        ASSERT_EQ(listing(fs), QStringList{"keep.png"}) << overflow;
    }
    // What exactly fits is written: the room was measured right.
    EXPECT_EQ(writeFileAtomically(target, QByteArrayView(bytes.constData(), room)), QString());
    EXPECT_EQ(readBytes(target).size(), room);
}

bool makeLink(const QString &to, const QString &path)
{
    return ::symlink(pathToBytes(to), pathToBytes(path)) == 0;
}
// A private copy of the null device: a failed test must not replace the system's.
bool makeDevice(const QString &path)
{
    return ::mknod(pathToBytes(path), S_IFCHR | 0666, makedev(1, 3)) == 0;
}
bool makeFifo(const QString &path)
{
    return ::mkfifo(pathToBytes(path), 0644) == 0;
}
// A file at `path` in `dir` that is not a regular file (or a link to one).
struct SpecialCase {
    const char *name;
    std::function<bool(const QString &dir, const QString &path)> make;
    const char *reason; // part of the refusal; nullptr when a write must succeed
};

const SpecialCase outputCases[] = {
    {"symlinkToDevice", [](auto &d, auto &p) { return makeDevice(d + "/dev") && makeLink(d + "/dev", p); },
     "symbolic link to a character device"},
    {"device", [](auto &, auto &p) { return makeDevice(p); }, "character device"},
    {"namedPipe", [](auto &, auto &p) { return makeFifo(p); }, "named pipe"},
    {"danglingSymlink", [](auto &d, auto &p) { return makeLink(d + "/nowhere", p); }, "does not exist"},
    {"symlinkLoop", [](auto &d, auto &p) { return makeLink(d + "/loop", p) && makeLink(p, d + "/loop"); }, "loops"},
    {"folder", [](auto &, auto &p) { return QDir().mkdir(p); }, "folder"},
    {"symlinkToRegularFile", [](auto &d, auto &p) { return writeBytes(d + "/real.png", "old") && makeLink("real.png", p); },
     nullptr},
};

const SpecialCase inputCases[] = {
    {"namedPipe", [](auto &, auto &p) { return makeFifo(p); }, "named pipe"},
    {"device", [](auto &, auto &p) { return makeDevice(p); }, "character device"},
    {"symlinkToNamedPipe", [](auto &d, auto &p) { return makeFifo(d + "/fifo") && makeLink(d + "/fifo", p); },
     "named pipe"},
};

class SpecialOutput : public testing::TestWithParam<SpecialCase> {};
class SpecialInput : public testing::TestWithParam<SpecialCase> {};

TEST_P(SpecialOutput, OnlyRegularFilesAndNewNamesAreWritten)
{
    const SpecialCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("out.png");
    if (!c.make(dir.path(), path))
        GTEST_SKIP() << "cannot make the file here: " << std::strerror(errno);
    struct stat before {}, after {};
    ::lstat(pathToBytes(path).constData(), &before);
    const QStringList entries = listing(dir.path());
    const QString error = writeFileAtomically(path, "new bytes");
    ::lstat(pathToBytes(path).constData(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the output path itself was replaced";
    EXPECT_EQ(listing(dir.path()), entries);
    if (c.reason) {
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
    } else {
        EXPECT_EQ(error, QString());
        EXPECT_EQ(readBytes(dir.filePath("real.png")), "new bytes");
    }
}

// Refused at once: reading a named pipe with no writer must not wait for one.
TEST_P(SpecialInput, IsRefusedAtOnce)
{
    const SpecialCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("in.png");
    if (!c.make(dir.path(), path))
        GTEST_SKIP() << "cannot make the file here: " << std::strerror(errno);
    const tintwell::LoadResult loaded = tintwell::loadImage(path);
    EXPECT_TRUE(loaded.image.isNull());
    EXPECT_TRUE(loaded.error.startsWith("cannot read " + path + ": ")) << loaded.error.toStdString();
    EXPECT_TRUE(loaded.error.contains(c.reason)) << loaded.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Targets, SpecialOutput, testing::ValuesIn(outputCases),
                         [](const auto &info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Inputs, SpecialInput, testing::ValuesIn(inputCases),
                         [](const auto &info) { return std::string(info.param.name); });

// An overwrite keeps the file's mode, owner and group (the owner where the
// process may change it: as root); a hard link to the old file keeps the old
// bytes: the new file replaces the name only.
TEST(Overwrite, KeepsModeOwnerAndGroupAndLeavesOtherHardLinksAlone)
{
    QTemporaryDir dir;
    const QByteArray path = pathToBytes(dir.filePath("keep.png"));
    ASSERT_TRUE(writeBytes(dir.filePath("keep.png"), "old"));
    ASSERT_EQ(::chmod(path, 0640), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path, 1234, 5678), 0);
    }
    ASSERT_EQ(::link(path, pathToBytes(dir.filePath("other"))), 0);
    struct stat before {}, after {};
    ASSERT_EQ(::stat(path, &before), 0);
    ASSERT_EQ(writeFileAtomically(dir.filePath("keep.png"), "new"), QString());
    ASSERT_EQ(::stat(path, &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(readBytes(dir.filePath("keep.png")), "new");
    EXPECT_EQ(readBytes(dir.filePath("other")), "old");
    EXPECT_EQ(listing(dir.path()), (QStringList{"keep.png", "other"}));
}

} // namespace
