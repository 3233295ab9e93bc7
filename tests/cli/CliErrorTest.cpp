// End to end: tintwell-cli's usage errors, unreadable inputs, batches,
// JPEG output and refusal to overwrite an input.
#include "CliProcess.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

namespace {

using tintwell::test::inputPicture;
using tintwell::test::readAll;
using tintwell::test::runTool;

class CliErrorTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(inputPicture().save(in));
        QFile bad(badInput);
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("not a picture at all");
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    const QString in = path("in.png");
    const QString badInput = path("bad.png");
    const QString out = path("out.png");
};

TEST_F(CliErrorTest, MalformedCommandLinesAreUsageErrors)
{
    const QStringList cases[] = {
        {"--bogus", in, out},
        {"--filter", "x", in, out},
        {"--filter", "2147483648", in, out},
        {"--red", "-2147483649", in, out},
        {"--value", "9223372036854775808", in, out},
        {"--value", "-9223372036854775809", in, out},
        {"--value", "1.5", in, out},
        {"--value", " 5", in, out},
        {"--value", "", in, out},
        {in, out, "--value"},
        {in},
        {in, out, path("third.png")},
        {in, path("out.bmp")},
        {"--format", "png", in, out},
        {"--output-dir", dir.path(), "--format", "gif", in},
        {"--output-dir", dir.path()},
    };
    for (const QStringList &args : cases) {
        const auto run = runTool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage:")) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(CliErrorTest, ExtremeNumbersAreAccepted)
{
    for (const QStringList &args : {QStringList{"--value", "-9223372036854775808"},
                                    QStringList{"--value", "+9223372036854775807"},
                                    QStringList{"--blue", "-2147483648", "--green", "2147483647"}}) {
        EXPECT_EQ(runTool(QStringList(args) << in << out).exitCode, 0) << args.join(' ').toStdString();
    }
}

TEST_F(CliErrorTest, HelpAndVersionGoToStdout)
{
    const auto help = runTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--output-dir"));
    const auto version = runTool({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("tintwell-cli "));
}

TEST_F(CliErrorTest, UnreadableInputIsOneLineNamingTheFile)
{
    for (const QString &input : {badInput, path("missing.png")}) {
        const auto run = runTool({input, out});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(input)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(CliErrorTest, JpegOutputDecodesAtTheRightSize)
{
    for (const QString &name : QStringList{"out.jpg", "out.JPEG"}) {
        ASSERT_EQ(runTool({"--filter", "3", "--value", "12", in, path(name)}).exitCode, 0);
        QImageReader reader(path(name));
        EXPECT_EQ(reader.format(), "jpeg");
        EXPECT_EQ(reader.read().size(), inputPicture().size());
    }
}

TEST_F(CliErrorTest, BatchProcessesTheGoodFilesDespiteABadOne)
{
    const QString results = path("results");
    ASSERT_TRUE(QDir().mkdir(results));
    ASSERT_TRUE(QFile::copy(in, path("photo.v2.png")));
    const auto run = runTool({"--output-dir", results, "--format", "png", "--filter", "4", in, badInput,
                              path("photo.v2.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(badInput));
    EXPECT_EQ(QDir(results).entryList(QDir::Files, QDir::Name), (QStringList{"in.png", "photo.v2.png"}));
    // The same settings give the same bytes as a single-file run.
    ASSERT_EQ(runTool({"--filter", "4", in, out}).exitCode, 0);
    EXPECT_EQ(readAll(QDir(results).filePath("in.png")), readAll(out));

    const auto jpegs = runTool({"--output-dir", results, in});
    EXPECT_EQ(jpegs.exitCode, 0) << jpegs.err.toStdString();
    EXPECT_TRUE(QFile::exists(QDir(results).filePath("in.jpg")));
    EXPECT_EQ(runTool({"--output-dir", path("nowhere"), in}).exitCode, 1);
}

TEST_F(CliErrorTest, OutputThatIsAnInputIsRefused)
{
    const QByteArray original = readAll(in);
    ASSERT_TRUE(QFile::link(in, path("link.png")));
    ASSERT_TRUE(QFile::link(dir.path(), path("alias")));
    const QStringList cases[] = {
        {in, in},
        {in, path("link.png")},
        {in, path("alias/in.png")},
        {"--output-dir", dir.path(), "--format", "png", in},
    };
    for (const QStringList &args : cases) {
        const auto run = runTool(args);
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("refusing")) << run.err.toStdString();
        EXPECT_EQ(readAll(in), original);
    }
}

TEST_F(CliErrorTest, FailedWriteLeavesExistingOutputIntact)
{
    const auto run = runTool({in, path("missing/out.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(path("missing/out.png"))) << run.err.toStdString();
    // A later bad input does not touch an earlier result.
    ASSERT_EQ(runTool({in, out}).exitCode, 0);
    const QByteArray written = readAll(out);
    EXPECT_EQ(runTool({badInput, out}).exitCode, 1);
    EXPECT_EQ(readAll(out), written);
}

} // namespace
