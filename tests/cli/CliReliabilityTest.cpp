// End to end: tintwell-cli interrupted mid-save, reading and writing standard
// streams, batches of pictures larger than the memory budget, and what it
// prints for odd names and noisy libraries.
#include "CliProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace {

using namespace tintwell::test;

using CliReliabilityTest = CliTest;

// Ctrl+C or kill while a save holds a named temporary (made so by the test
// hook that also pauses the save): the temporary goes, the old file stays,
// and the tool dies of the signal it got.
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
        process.start(TINTWELL_CLI_PATH, {in, target});
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
    const QList<QByteArray> filter{"--filter", "4", "--value", "9"};
    ASSERT_EQ(runRaw(filter + QList<QByteArray>{raw("in.png"), raw("reference.png")}).exitCode, 0);
    const QByteArray reference = readBytes(path("reference.png"));
    ASSERT_FALSE(reference.isEmpty());
    const CliRun fromStdin = runRaw(filter + QList<QByteArray>{"-", raw("out.png")}, readBytes(path("in.png")));
    EXPECT_EQ(fromStdin.exitCode, 0) << fromStdin.err.toStdString();
    EXPECT_EQ(readBytes(path("out.png")), reference);
    const CliRun toStdout = runRaw(filter + QList<QByteArray>{raw("in.png"), "-", "--format", "PNG"});
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err.toStdString();
    EXPECT_EQ(toStdout.rawOut, reference);
    EXPECT_EQ(toStdout.err, QString());
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

// Three pictures each needing most of the budget run one after another, so
// the batch's peak memory is that of one picture; one that can never fit is
// refused naming the limit.
TEST_F(CliReliabilityTest, BatchStaysWithinTheMemoryLimit)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's shadow and quarantine memory hide the batch's own budget";
#endif
    constexpr int side = 4000; // 64 MB decoded, 128 MB with a working copy
    // Rows of a filter byte and transparent black pixels: a few hundred KB.
    const QByteArray bomb = pngHeaderOnly(side, side, qCompress(QByteArray(side * (1 + 4 * side), '\0'), 1).mid(4));
    ASSERT_LT(bomb.size(), 1 << 20);
    QList<QByteArray> arguments{"--memory-limit", "150M", "--output-dir", raw("out")};
    for (const char *name : {"bomb1.png", "bomb2.png", "bomb3.png"}) {
        ASSERT_TRUE(writeBytes(path(name), bomb));
        arguments.append(raw(name));
    }
    ASSERT_TRUE(writeBytes(path("never.png"), pngHeaderOnly(20000, 20000)));
    arguments.append(raw("never.png"));
    ASSERT_TRUE(QDir().mkdir(path("out")));
    const CliRun small = runRaw({raw("in.png"), raw("small.jpg")}); // the tool's own size
    ASSERT_EQ(small.exitCode, 0);
    // One malloc arena: memory one thread frees is not kept for that thread
    // alone, so the peak shows what the budget admits, not the allocator's cache.
    qputenv("MALLOC_ARENA_MAX", "1");
    const CliRun run = runRaw(arguments);
    qunsetenv("MALLOC_ARENA_MAX");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.trimmed(), "tintwell-cli: cannot read " + path("never.png")
                                     + ": the picture of 20000 x 20000 pixels needs about 3052 MB, more than the "
                                       "memory limit of 150 MB (--memory-limit)");
    EXPECT_EQ(listing(path("out")), (QStringList{"bomb1.jpg", "bomb2.jpg", "bomb3.jpg"}));
    // One picture at a time stays about 70 MB over the tool's own peak; two
    // decoded at once (the budget ignored) go about 190 MB over it.
    EXPECT_LT(run.peakKB, small.peakKB + 120 * 1024) << "kB; the tool alone: " << small.peakKB << " kB";
    // The default budget, half the memory available, holds one of them.
    EXPECT_EQ(runRaw({raw("bomb1.png"), raw("one.jpg")}).exitCode, 0);
}

// Names are bytes: escape sequences and bytes that are not UTF-8 are shown
// escaped, and such names are read and written; libraries' warnings about a
// sound picture never reach stderr.
TEST_F(CliReliabilityTest, PrintsOnlyItsOwnLinesAndNoRawControlBytes)
{
    const QByteArray png = readBytes(path("in.png"));
    // A text chunk with a wrong checksum and a colour profile cut short.
    const QByteArray profile = QByteArray("p\0\0", 3) + qCompress(QByteArray(40, '\1')).mid(4);
    ASSERT_TRUE(writeBytes(path("noisy.png"),
                           png.left(33) + pngChunk("tEXt", QByteArray("a\0b", 3), 0) + pngChunk("iCCP", profile)
                               + png.mid(33)));
    ASSERT_EQ(tintwell::writeFileAtomically(tintwell::pathFromBytes(raw("\xff\xfe.png")), png), QString());
    const struct {
        QList<QByteArray> arguments;
        int exitCode;
        const char *err;
        QByteArray written;
    } cases[] = {
        {{raw("a\x1b[31mb\x9b\xc2\x9b.png"), raw("out.png")}, 1, "a\\x1b[31mb\\x9b\\x9b.png: File not found", {}},
        {{raw("x\xff.png"), raw("out.png")}, 1, "x\\xff.png: File not found", {}},
        {{raw("\xff\xfe.png"), raw("caf\xe9.jpg")}, 0, "", raw("caf\xe9.jpg")},
        {{raw("noisy.png"), raw("noisy.jpg")}, 0, "", raw("noisy.jpg")},
    };
    for (const auto &c : cases) {
        const CliRun run = runRaw(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_EQ(run.err.isEmpty(), !*c.err) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.err)) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains('\x1b') || run.err.contains(QChar(0x9b))) << "raw control character printed";
        if (!c.written.isEmpty()) { // QTemporaryDir cannot remove what it cannot name
            EXPECT_EQ(::unlink(c.written.constData()), 0);
        }
    }
    ::unlink(raw("\xff\xfe.png").constData());
}

} // namespace
