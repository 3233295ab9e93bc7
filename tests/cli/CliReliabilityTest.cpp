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
// format --format names, the bytes a file would get.
TEST_F(CliReliabilityTest, StandardStreamsWorkLikeFiles)
{
    const QStringList filter{"--filter", "4", "--value", "9"};
    ASSERT_EQ(runTool(filter + QStringList{in, path("reference.png")}).exitCode, 0);
    const CliRun piped = runTool(filter + QStringList{"-", "-", "--format", "PNG"}, readBytes(in));
    EXPECT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.out, readBytes(path("reference.png")));
    EXPECT_EQ(piped.err, QString());
}

// A JPEG start followed by 8 MB of zeros on standard input: the read stops at
// the byte limit (here the memory limit) with an error.
TEST_F(CliReliabilityTest, LongStandardInputStopsAtTheLimit)
{
    const QByteArray jpegStart("\xff\xd8\xff\xe0", 4);
    const CliRun run = runTool({"--memory-limit", "4M", "-", path("out.png")}, jpegStart + QByteArray(8 << 20, '\0'));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "tintwell-cli: cannot read standard input: more than 4194304 bytes of input\n");
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
    const QStringList bombs{path("bomb1.png"), path("bomb2.png"), path("bomb3.png")};
    for (const QString &name : bombs)
        ASSERT_TRUE(writeBytes(name, bomb));
    ASSERT_TRUE(writeBytes(path("never.png"), pngHeaderOnly(20000, 20000)));
    ASSERT_TRUE(QDir().mkdir(path("out")));
    const CliRun small = runTool({in, path("small.jpg")}); // the tool's own size
    ASSERT_EQ(small.exitCode, 0);
    // One malloc arena: memory one thread frees is not kept for that thread
    // alone, so the peak shows what the budget admits, not the allocator's cache.
    qputenv("MALLOC_ARENA_MAX", "1");
    const CliRun run =
        runTool(QStringList{"--memory-limit", "150M", "--output-dir", path("out")} + bombs << path("never.png"));
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
    EXPECT_EQ(runTool({bombs.first(), path("one.jpg")}).exitCode, 0);
}

// Names are bytes: escape sequences and bytes that are not UTF-8 are shown
// escaped, and such names are read and written; libraries' warnings about a
// sound picture never reach stderr.
TEST_F(CliReliabilityTest, PrintsOnlyItsOwnLinesAndNoRawControlBytes)
{
    const QByteArray png = readBytes(in);
    // A text chunk with a wrong checksum and a colour profile cut short.
    const QByteArray profile = QByteArray("p\0\0", 3) + qCompress(QByteArray(40, '\1')).mid(4);
    ASSERT_TRUE(writeBytes(path("noisy.png"),
                           png.left(33) + pngChunk("tEXt", QByteArray("a\0b", 3), 0) + pngChunk("iCCP", profile)
                               + png.mid(33)));
    const auto named = [&](const char *bytes) { return path(tintwell::pathFromBytes(bytes)); };
    const QString notUtf8 = named("\xff\xfe.png");
    ASSERT_EQ(tintwell::writeFileAtomically(notUtf8, png), QString());
    const struct {
        QStringList arguments;
        const char *err; // the escaped name and reason of a file not found; none when written
    } cases[] = {
        {{named("a\x1b[31mb\x9b\xc2\x9b.png"), path("out.png")}, "a\\x1b[31mb\\x9b\\x9b.png"},
        {{named("x\xff.png"), path("out.png")}, "x\\xff.png"},
        {{notUtf8, named("caf\xe9.jpg")}, nullptr},
        {{path("noisy.png"), path("noisy.jpg")}, nullptr},
    };
    for (const auto &c : cases) {
        const CliRun run = runTool(c.arguments);
        EXPECT_EQ(run.exitCode, c.err ? 1 : 0) << run.err.toStdString();
        EXPECT_EQ(run.err, c.err ? "tintwell-cli: cannot read " + path(c.err) + ": File not found\n" : QString());
        if (run.exitCode == 0) { // QTemporaryDir cannot remove what it cannot name
            EXPECT_EQ(::unlink(tintwell::pathToBytes(c.arguments.last()).constData()), 0);
        }
    }
    ::unlink(tintwell::pathToBytes(notUtf8).constData());
}

} // namespace
