// End to end: tintwell-cli on a disk that fills up, interrupted mid-save,
// reading and writing standard streams, batches of pictures larger than the
// memory budget, and the messages it gives for odd names and options.
#include "CliProcess.h"
#include "../imaging/HostileFiles.h"
#include "ScratchMounts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

extern char **environ;

namespace {

using namespace tintwell::test;

struct RawRun {
    int exitCode = -1; // -1 when ended by a signal
    QByteArray out;
    QByteArray err;
    long peakKB = 0; // the tool's largest resident size
};

// Runs the tool with arguments as raw bytes (names that are not UTF-8 pass
// unchanged), standard input from `input`, and the outputs collected.
RawRun runRaw(const QList<QByteArray> &arguments, const QByteArray &input = {})
{
    QTemporaryDir io;
    const QByteArray in = QFile::encodeName(io.filePath("in"));
    const QByteArray out = QFile::encodeName(io.filePath("out"));
    const QByteArray err = QFile::encodeName(io.filePath("err"));
    writeBytes(io.filePath("in"), input);

    QList<QByteArray> argv{TINTWELL_CLI_PATH};
    argv += arguments;
    std::vector<char *> pointers;
    for (QByteArray &argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.constData(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    RawRun run;
    const int spawned = posix_spawn(&pid, argv.first().constData(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.peakKB = usage.ru_maxrss;
    EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readBytes(io.filePath("out"));
    run.err = readBytes(io.filePath("err"));
    return run;
}

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System,
                                  QDir::Name);
}

class CliReliabilityTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(writeBytes(path("in.png"), encode(photoLikeImage(96, 64), "png")));
    }
public:
    QString path(const QString &name) const { return dir.filePath(name); }
    // The path of `name` (any bytes) in the test's folder.
    QByteArray raw(const QByteArray &name) const { return QFile::encodeName(dir.path()) + '/' + name; }

protected:
    QTemporaryDir dir;
};

// A save that overflows the disk by a little (the last page or pages of the
// file) fails and leaves the file it would replace as it was.
TEST_F(CliReliabilityTest, SmallDiskOverflowsNeverExitZero)
{
    const QString fs = path("fs");
    ASSERT_TRUE(QDir().mkdir(fs));
    ScratchMounts mounts;
    if (const QString error = mounts.mountTmpfs(fs, "64k"); !error.isEmpty())
        GTEST_SKIP() << "no tmpfs can be mounted here: " << error.toStdString();

    ASSERT_EQ(runRaw({raw("in.png"), raw("reference.jpg")}).exitCode, 0);
    const qint64 size = QFileInfo(path("reference.jpg")).size();
    const QString target = QDir(fs).filePath("out.jpg");
    ASSERT_TRUE(writeBytes(target, "old"));
    struct statvfs status {};
    ASSERT_EQ(statvfs(QFile::encodeName(fs).constData(), &status), 0);
    const qint64 page = qint64(status.f_frsize);
    const qint64 room = qint64(status.f_bavail) * page;
    ASSERT_GT(room, size);

    // Free space of whole pages just below the result: 1..4096 bytes short,
    // then a page more each time.
    for (qint64 free = (size - 1) / page * page; free >= 0; free -= page) {
        const QString filler = QDir(fs).filePath("filler");
        ASSERT_TRUE(writeBytes(filler, QByteArray(room - free, 'f')));
        const RawRun run = runRaw({raw("in.png"), QFile::encodeName(target)});
        EXPECT_EQ(run.exitCode, 1) << size - free << " bytes short: " << run.err.constData();
        EXPECT_TRUE(run.err.contains("No space left on device")) << run.err.constData();
        EXPECT_EQ(readBytes(target), "old") << size - free << " bytes short";
        EXPECT_EQ(listing(fs), (QStringList{"filler", "out.jpg"}));
        ASSERT_TRUE(QFile::remove(filler));
    }
}

// Ctrl+C or kill while a save holds a named temporary (a file system without
// anonymous temporaries, made here by the test hook that also pauses the
// save): the temporary goes, the old file stays, and the tool dies of the
// signal it got.
TEST_F(CliReliabilityTest, InterruptedSaveLeavesNoTemporary)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        const QString out = path(QStringLiteral("out%1").arg(signal));
        ASSERT_TRUE(QDir().mkdir(out));
        const QString target = QDir(out).filePath("keep.jpg");
        ASSERT_TRUE(writeBytes(target, "old"));

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TINTWELL_TEST_HOLD_TEMPORARY_MS", "30000");
        process.setProcessEnvironment(environment);
        process.start(TINTWELL_CLI_PATH, {path("in.png"), target});
        ASSERT_TRUE(process.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (listing(out).size() < 2 && waited.elapsed() < 20000)
            QThread::msleep(5);
        ASSERT_EQ(listing(out).size(), 2) << "no temporary appeared";

        ::kill(pid_t(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
        EXPECT_EQ(process.exitCode(), signal);
        EXPECT_EQ(listing(out), QStringList{"keep.jpg"}) << "signal " << signal;
        EXPECT_EQ(readBytes(target), "old");
    }
}

// "-" as INPUT reads standard input, as OUTPUT writes standard output in the
// format --format names; both give the bytes a file would.
TEST_F(CliReliabilityTest, StandardStreamsWorkLikeFiles)
{
    ASSERT_EQ(runRaw({raw("in.png"), raw("reference.png"), "--filter", "4", "--value", "9"}).exitCode, 0);
    const QByteArray reference = readBytes(path("reference.png"));
    ASSERT_FALSE(reference.isEmpty());

    const RawRun fromStdin = runRaw({"-", raw("out.png"), "--filter", "4", "--value", "9"}, readBytes(path("in.png")));
    EXPECT_EQ(fromStdin.exitCode, 0) << fromStdin.err.constData();
    EXPECT_EQ(readBytes(path("out.png")), reference);

    const RawRun toStdout = runRaw({raw("in.png"), "-", "--format", "PNG", "--filter", "4", "--value", "9"});
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err.constData();
    EXPECT_EQ(toStdout.out, reference);
    EXPECT_EQ(toStdout.err, QByteArray());

    const QByteArray jpeg = encode(photoLikeImage(80, 60), "jpeg");
    const RawRun cut = runRaw({"-", raw("cut.png")}, jpeg.left(jpeg.size() / 2));
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(cut.err.contains("cannot read standard input: ")) << cut.err.constData();
    EXPECT_TRUE(cut.err.contains("premature end")) << cut.err.constData();
    EXPECT_FALSE(QFile::exists(path("cut.png")));
}

// A JPEG start followed by zeros without end on standard input: the read
// stops at the byte limit (here the memory limit) with an error.
TEST_F(CliReliabilityTest, EndlessStandardInputStopsAtTheLimit)
{
    QProcess process;
    process.start(TINTWELL_CLI_PATH, {"--memory-limit", "4M", "-", path("out.png")});
    ASSERT_TRUE(process.waitForStarted());
    const QByteArray chunk = QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(65536 - 4, '\0');
    qint64 sent = 0;
    while (process.state() == QProcess::Running && sent < (qint64(64) << 20)) {
        sent += process.write(chunk);
        process.waitForBytesWritten(1000);
    }
    ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(20000))
        << "still reading after " << sent << " bytes";
    EXPECT_EQ(process.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(err.contains("cannot read standard input: more than 4194304 bytes")) << err.toStdString();
}

// A PNG of `side` x `side` transparent black pixels, a few hundred KB that
// decode to side * side * 4 bytes.
QByteArray pngBomb(quint32 side)
{
    QByteArray idat;
    z_stream stream{};
    deflateInit(&stream, Z_BEST_SPEED);
    const QByteArray row(1 + 4 * qsizetype(side), '\0'); // filter byte, pixels
    QByteArray buffer(1 << 16, '\0');
    for (quint32 y = 0; y < side; ++y) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(row.constData()));
        stream.avail_in = uInt(row.size());
        const int flush = y + 1 == side ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
            stream.avail_out = uInt(buffer.size());
            deflate(&stream, flush);
            idat.append(buffer.constData(), buffer.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);

    QByteArray png = pngHeaderOnly(side, side);
    // Replace the empty data chunk (the last two chunks are IDAT and IEND).
    const qsizetype idatAt = png.lastIndexOf("IDAT") - 4;
    png.truncate(idatAt);
    const auto chunk = [&png](const QByteArray &type, const QByteArray &data) {
        const quint32 length = quint32(data.size());
        png.append(char(length >> 24)).append(char(length >> 16)).append(char(length >> 8)).append(char(length));
        const quint32 crc = pngCrc(type + data);
        png.append(type).append(data);
        png.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
    };
    chunk("IDAT", idat);
    chunk("IEND", {});
    return png;
}

// Three pictures each needing most of the budget run one after another, so
// the batch's peak memory is that of one picture; one that can never fit is
// refused naming the limit.
TEST_F(CliReliabilityTest, BatchStaysWithinTheMemoryLimit)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow and quarantine memory hide the batch's own budget";
#endif
    constexpr quint32 side = 4000; // 64 MB decoded, 128 MB with a working copy
    const QByteArray bomb = pngBomb(side);
    ASSERT_LT(bomb.size(), 1 << 20);
    QList<QByteArray> arguments{"--memory-limit", "150M", "--output-dir", raw("out")};
    for (const char *name : {"bomb1.png", "bomb2.png", "bomb3.png"}) {
        ASSERT_TRUE(writeBytes(path(name), bomb));
        arguments.append(raw(name));
    }
    ASSERT_TRUE(writeBytes(path("never.png"), pngHeaderOnly(20000, 20000)));
    arguments.append(raw("never.png"));
    ASSERT_TRUE(QDir().mkdir(path("out")));

    // The tool's own size, on a small picture.
    const RawRun small = runRaw({raw("in.png"), raw("small.jpg")});
    ASSERT_EQ(small.exitCode, 0);
    const RawRun run = runRaw(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.err).trimmed(),
              "tintwell-cli: cannot read " + path("never.png")
                  + ": the picture of 20000 x 20000 pixels needs about 3052 MB, more than the memory "
                    "limit of 150 MB (--memory-limit)");
    EXPECT_EQ(listing(path("out")), (QStringList{"bomb1.jpg", "bomb2.jpg", "bomb3.jpg"}));
    // Within the budget: one picture at a time. (Without the budget this batch
    // holds three and goes about 60 MB past it.)
    EXPECT_LT(run.peakKB, small.peakKB + 150 * 1024) << "kB; the tool alone: " << small.peakKB << " kB";
}

// Messages and options: each case runs the tool once.
struct MessageCase {
    const char *name;
    // Makes the files of the case in `test` and returns the arguments.
    std::function<QList<QByteArray>(CliReliabilityTest &test)> prepare;
    int exitCode;
    const char *errContains; // nullptr: stderr must be empty
    std::function<bool(CliReliabilityTest &test)> check; // extra check of the result, or empty
};

class CliMessageTest : public CliReliabilityTest, public testing::WithParamInterface<MessageCase> {};

// A PNG whose ancillary chunks make libpng warn (a text chunk with a wrong
// checksum, a colour profile cut short) but whose picture is fine.
QByteArray pngWithLibraryWarnings()
{
    QByteArray png = encode(photoLikeImage(8, 8), "png");
    const auto chunk = [](const QByteArray &type, const QByteArray &data, quint32 crc) {
        QByteArray bytes;
        const quint32 length = quint32(data.size());
        bytes.append(char(length >> 24)).append(char(length >> 16)).append(char(length >> 8)).append(char(length));
        bytes.append(type).append(data);
        bytes.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
        return bytes;
    };
    const QByteArray profile = qCompress(QByteArray(40, '\1')).mid(4); // zlib stream, too short
    const QByteArray extra = chunk("tEXt", "a\0b", 0) + chunk("iCCP", QByteArray("p\0\0", 3) + profile,
                                                               pngCrc("iCCP" + QByteArray("p\0\0", 3) + profile));
    png.insert(8 + 25, extra); // after the signature and the header chunk
    return png;
}

const MessageCase messageCases[] = {
    {"jpegWiderThanItsLimit",
     [](CliReliabilityTest &t) {
         QImage wide(65501, 1, QImage::Format_RGB888);
         wide.fill(Qt::gray);
         EXPECT_TRUE(writeBytes(t.path("wide.png"), encode(wide, "png")));
         return QList<QByteArray>{t.raw("wide.png"), t.raw("wide.jpg")};
     },
     1, "JPEG cannot hold more than 65500 pixels a side", {}},
    {"namesThatAreNotUtf8",
     [](CliReliabilityTest &t) {
         const QByteArray input = t.raw("\xff\xfe.png");
         const int fd = ::open(input.constData(), O_WRONLY | O_CREAT, 0644);
         const QByteArray png = readBytes(t.path("in.png"));
         EXPECT_EQ(::write(fd, png.constData(), size_t(png.size())), png.size());
         ::close(fd);
         return QList<QByteArray>{input, t.raw("caf\xe9.jpg")};
     },
     0, nullptr,
     [](CliReliabilityTest &t) {
         // QTemporaryDir cannot remove what it cannot name.
         const bool written = ::access(t.raw("caf\xe9.jpg").constData(), F_OK) == 0;
         ::unlink(t.raw("caf\xe9.jpg").constData());
         ::unlink(t.raw("\xff\xfe.png").constData());
         return written;
     }},
    {"libraryWarningsStayQuiet",
     [](CliReliabilityTest &t) {
         EXPECT_TRUE(writeBytes(t.path("noisy.png"), pngWithLibraryWarnings()));
         return QList<QByteArray>{t.raw("noisy.png"), t.raw("noisy.jpg")};
     },
     0, nullptr, [](CliReliabilityTest &t) { return QFile::exists(t.path("noisy.jpg")); }},
    {"escapeSequenceInName",
     [](CliReliabilityTest &t) { return QList<QByteArray>{t.raw("a\x1b[31mb\x9b.png"), t.raw("out.png")}; },
     1, "a\\x1b[31mb\\x9b.png: File not found", {}},
    {"bytesNotUtf8InMessage",
     [](CliReliabilityTest &t) { return QList<QByteArray>{t.raw("x\xff.png"), t.raw("out.png")}; }, 1,
     "x\\xff.png: File not found", {}},
    {"repeatedOutputDir",
     [](CliReliabilityTest &t) {
         return QList<QByteArray>{"--output-dir", t.raw("."), "--output-dir", t.raw("."), t.raw("in.png")};
     },
     2, "--output-dir may be given only once", {}},
    {"formatInCapitals",
     [](CliReliabilityTest &t) {
         EXPECT_TRUE(QDir().mkdir(t.path("out")));
         return QList<QByteArray>{"--output-dir", t.raw("out"), "--format", "PNG", t.raw("in.png")};
     },
     0, nullptr, [](CliReliabilityTest &t) { return QFile::exists(t.path("out/in.png")); }},
    {"outputDirIsAFile",
     [](CliReliabilityTest &t) { return QList<QByteArray>{"--output-dir", t.raw("in.png"), t.raw("in.png")}; }, 1,
     "in.png is not a directory", {}},
    {"stdoutWithoutFormat", [](CliReliabilityTest &t) { return QList<QByteArray>{t.raw("in.png"), "-"}; }, 2,
     "writing to standard output (-) needs --format", {}},
    {"badMemoryLimit",
     [](CliReliabilityTest &t) {
         return QList<QByteArray>{"--memory-limit", "12X", t.raw("in.png"), t.raw("out.png")};
     },
     2, "--memory-limit needs a number of bytes", {}},
    {"namedPipeInBatch",
     [](CliReliabilityTest &t) {
         EXPECT_EQ(::mkfifo(t.raw("pipe.png").constData(), 0644), 0);
         EXPECT_TRUE(QFile::copy(t.path("in.png"), t.path("second.png")));
         EXPECT_TRUE(QDir().mkdir(t.path("out")));
         return QList<QByteArray>{"--output-dir", t.raw("out"), t.raw("in.png"), t.raw("pipe.png"),
                                  t.raw("second.png")};
     },
     1, "pipe.png: it is a named pipe, not a regular file",
     [](CliReliabilityTest &t) { return listing(t.path("out")) == QStringList{"in.jpg", "second.jpg"}; }},
};

void PrintTo(const MessageCase &c, std::ostream *os)
{
    *os << c.name;
}

TEST_P(CliMessageTest, SaysWhatHappened)
{
    const MessageCase &c = GetParam();
    const QList<QByteArray> arguments = c.prepare(*this);
    const RawRun run = runRaw(arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
    if (c.errContains) {
        EXPECT_TRUE(run.err.contains(c.errContains)) << run.err.constData();
        EXPECT_FALSE(run.err.contains('\x1b')) << "raw escape character printed";
    } else {
        EXPECT_EQ(run.err, QByteArray());
    }
    if (c.check) {
        EXPECT_TRUE(c.check(*this));
    }
}

INSTANTIATE_TEST_SUITE_P(Messages, CliMessageTest, testing::ValuesIn(messageCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
