// The file layer under every load and save: a disk that fills up by any small
// amount never counts as written, only regular files are read or replaced,
// an overwrite keeps what it should, and names that are not UTF-8 work.
#include "FileIO.h"
#include "HostileFiles.h"
#include "ImagePath.h"
#include "ScratchMounts.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace tintwell::test;
using tintwell::pathFromBytes;
using tintwell::pathToBytes;
using tintwell::readFileBytes;
using tintwell::writeFileAtomically;

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System,
                                  QDir::Name);
}

qint64 freeBytes(const QString &folder)
{
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return -1;
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

// A write larger than the free space by any amount from 1 byte to 64 KiB:
// the disk fills while the last bytes are written or synced. None of them may
// count as written, and the file it would replace keeps its bytes.
TEST(FullDisk, EveryOverflowUpTo64KiBFailsAndKeepsTheTarget)
{
    QTemporaryDir dir;
    ScratchMounts mounts;
    const QString fs = dir.filePath("fs");
    ASSERT_TRUE(QDir().mkdir(fs));
    if (const QString error = mounts.mountTmpfs(fs, "64k"); !error.isEmpty())
        GTEST_SKIP() << "no tmpfs can be mounted here: " << error.toStdString();

    const QString target = QDir(fs).filePath("keep.png");
    const QByteArray original = encode(photoLikeImage(8, 8), "png");
    ASSERT_TRUE(writeBytes(target, original));
    const QStringList before = listing(fs);
    const qint64 room = freeBytes(fs);
    ASSERT_GT(room, 0);

    // Every size over the first pages (the disk is counted in pages, so the
    // pattern repeats), then every 257 bytes up to 64 KiB.
    const QByteArray bytes(room + 65536, 'x');
    for (qint64 overflow = 1; overflow <= 65536; overflow += overflow < 8192 ? 1 : 257) {
        const QByteArrayView write(bytes.constData(), room + overflow);
        const QString error = writeFileAtomically(target, write);
        ASSERT_FALSE(error.isEmpty()) << "reported as written " << overflow << " bytes past the free space";
        ASSERT_EQ(readBytes(target), original) << overflow << " bytes past the free space";
        ASSERT_EQ(listing(fs), before) << overflow << " bytes past the free space";
    }
    // What exactly fits is written: the room was measured right.
    EXPECT_EQ(writeFileAtomically(target, QByteArrayView(bytes.constData(), room)), QString());
    EXPECT_EQ(readBytes(target).size(), room);
}

// Writes of outputs that are not a regular file or a new name.
struct TargetCase {
    const char *name;
    // Makes `path` inside `dir`; returns false to skip (not permitted here).
    std::function<bool(const QString &dir, const QString &path)> make;
    const char *reason; // part of the refusal; nullptr when the write must succeed
};

QByteArray bytesOf(const QString &path)
{
    return pathToBytes(path);
}

bool makeLink(const QString &to, const QString &path)
{
    return ::symlink(bytesOf(to).constData(), bytesOf(path).constData()) == 0;
}

// A private copy of the null device: a test that failed must not replace the
// system's.
bool makeDevice(const QString &path)
{
    return ::mknod(bytesOf(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

const TargetCase targetCases[] = {
    {"symlinkToDevice",
     [](const QString &dir, const QString &path) {
         return makeDevice(dir + "/device") && makeLink(dir + "/device", path);
     },
     "symbolic link to a character device"},
    {"device", [](const QString &, const QString &path) { return makeDevice(path); }, "character device"},
    {"namedPipe", [](const QString &, const QString &path) { return ::mkfifo(bytesOf(path), 0644) == 0; },
     "named pipe"},
    {"danglingSymlink", [](const QString &dir, const QString &path) { return makeLink(dir + "/nowhere", path); },
     "does not exist"},
    {"symlinkLoop",
     [](const QString &dir, const QString &path) {
         return makeLink(dir + "/loop2", path) && makeLink(path, dir + "/loop2");
     },
     "loops"},
    {"symlinkToFolder",
     [](const QString &dir, const QString &path) {
         return QDir(dir).mkdir("folder") && makeLink(dir + "/folder", path);
     },
     "folder"},
    {"folder", [](const QString &, const QString &path) { return QDir().mkdir(path); }, "folder"},
    {"symlinkToRegularFile",
     [](const QString &dir, const QString &path) {
         return writeBytes(dir + "/real.png", "old") && makeLink("real.png", path);
     },
     nullptr},
};

void PrintTo(const TargetCase &c, std::ostream *os)
{
    *os << c.name;
}

struct FileState {
    mode_t type = 0;
    QByteArray link;
    bool operator==(const FileState &) const = default;
};

FileState stateOf(const QString &path)
{
    FileState state;
    struct stat status {};
    if (::lstat(bytesOf(path).constData(), &status) == 0)
        state.type = status.st_mode & S_IFMT;
    char target[4096];
    const ssize_t length = ::readlink(bytesOf(path).constData(), target, sizeof target);
    if (length > 0)
        state.link = QByteArray(target, length);
    return state;
}

class SpecialTargetTest : public testing::TestWithParam<TargetCase> {
protected:
    QTemporaryDir dir;
};

TEST_P(SpecialTargetTest, OnlyRegularFilesAndNewNamesAreWritten)
{
    const TargetCase &c = GetParam();
    const QString path = dir.filePath("out.png");
    if (!c.make(dir.path(), path))
        GTEST_SKIP() << "cannot make the file here: " << std::strerror(errno);
    const FileState before = stateOf(path);
    const QStringList entries = listing(dir.path());

    const QString error = writeFileAtomically(path, "new bytes");
    EXPECT_EQ(stateOf(path), before) << "the output path itself changed";
    EXPECT_EQ(listing(dir.path()), entries);
    if (c.reason) {
        EXPECT_TRUE(error.contains(c.reason)) << error.toStdString();
    } else {
        EXPECT_EQ(error, QString());
        EXPECT_EQ(readBytes(dir.filePath("real.png")), "new bytes");
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, SpecialTargetTest, testing::ValuesIn(targetCases),
                         [](const auto &info) { return std::string(info.param.name); });

// An overwrite keeps the file's mode, owner and group (the owner where the
// process may change it: as root). A hard link to the old file keeps the old
// bytes: the new file replaces the name only.
TEST(Overwrite, KeepsModeOwnerAndGroupAndLeavesOtherHardLinksAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.png");
    ASSERT_TRUE(writeBytes(path, "old"));
    ASSERT_EQ(::chmod(bytesOf(path), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(bytesOf(path), 1234, 5678), 0);
    }
    ASSERT_EQ(::link(bytesOf(path), bytesOf(dir.filePath("other"))), 0);
    struct stat before {};
    ASSERT_EQ(::stat(bytesOf(path), &before), 0);

    ASSERT_EQ(writeFileAtomically(path, "new"), QString());
    struct stat after {};
    ASSERT_EQ(::stat(bytesOf(path), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(readBytes(dir.filePath("other")), "old");
    EXPECT_EQ(listing(dir.path()), (QStringList{"keep.png", "other"}));
}

// Inputs that are not regular files are refused at once: reading a named
// pipe with no writer must not wait for one.
struct InputCase {
    const char *name;
    std::function<bool(const QString &path)> make;
    const char *reason;
};

const InputCase inputCases[] = {
    {"namedPipe", [](const QString &path) { return ::mkfifo(bytesOf(path), 0644) == 0; }, "named pipe"},
    {"device", [](const QString &path) { return makeDevice(path); }, "character device"},
    {"socket",
     [](const QString &path) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         const QByteArray name = bytesOf(path);
         if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
             return false;
         std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
         const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
         ::close(fd);
         return bound;
     },
     "socket"},
    {"symlinkToNamedPipe",
     [](const QString &path) { return ::mkfifo(bytesOf(path + ".fifo"), 0644) == 0 && makeLink(path + ".fifo", path); },
     "named pipe"},
};

void PrintTo(const InputCase &c, std::ostream *os)
{
    *os << c.name;
}

class SpecialInputTest : public testing::TestWithParam<InputCase> {
protected:
    QTemporaryDir dir;
};

TEST_P(SpecialInputTest, IsRefusedAtOnce)
{
    const InputCase &c = GetParam();
    const QString path = dir.filePath("in.png");
    if (!c.make(path))
        GTEST_SKIP() << "cannot make the file here: " << std::strerror(errno);
    const tintwell::LoadResult loaded = tintwell::loadImage(path);
    EXPECT_TRUE(loaded.image.isNull());
    EXPECT_TRUE(loaded.error.startsWith("cannot read " + path + ": ")) << loaded.error.toStdString();
    EXPECT_TRUE(loaded.error.contains(c.reason)) << loaded.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Inputs, SpecialInputTest, testing::ValuesIn(inputCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Names as the file system stores them: bytes that are not UTF-8 survive the
// round trip through a QString, and the file is read and written under them.
TEST(FileNames, BytesThatAreNotUtf8NameTheSameFile)
{
    const QByteArray names[] = {
        "plain.png", "caf\xc3\xa9.png", "latin1-caf\xe9.png", "\xff\xfe.png", "cut-\xe2\x82.png",
        "overlong-\xc0\xaf.png", "surrogate-\xed\xa0\x80.png", "\xf0\x9f\x98\x80.png",
    };
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QByteArray png = encode(photoLikeImage(4, 3), "png");
    for (const QByteArray &name : names) {
        const QString path = pathFromBytes(folder + name);
        EXPECT_EQ(pathToBytes(path), folder + name);
        ASSERT_EQ(writeFileAtomically(path, png), QString()) << name.toHex().constData();
        EXPECT_EQ(::access((folder + name).constData(), F_OK), 0) << name.toHex().constData();
        QString error;
        EXPECT_EQ(readFileBytes(path, 1 << 20, &error), png) << error.toStdString();
        EXPECT_FALSE(tintwell::loadImage(path).image.isNull()) << name.toHex().constData();
        ::unlink((folder + name).constData()); // QTemporaryDir cannot name it
    }
}

} // namespace
