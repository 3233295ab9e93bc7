// End to end: "--then" runs each step on the previous step's result, with
// its own options, and gives the bytes of running the steps one file at a time.
#include "CliProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using tintwell::test::inputPicture;
using tintwell::test::readAll;
using tintwell::test::runTool;

const QStringList stepA{"--filter", "3", "--value", "7", "--red", "1", "--negative"};
const QStringList stepB{"--filter", "8", "--value", "-2", "--reverse"};
const QStringList stepC{"--filter", "18", "--value", "100", "--green", "-128", "--blue", "127"};

class CliStepsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(inputPicture(13, 7).save(in));
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    // The oracle: each step a run of its own through a lossless PNG, as the
    // app does when it adopts a result as the source. The last run writes
    // `output` in its suffix's format.
    QByteArray oneRunPerStep(const QString &input, const QList<QStringList> &steps, const QString &output)
    {
        QString from = input;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QString to = i + 1 < steps.size() ? path(QStringLiteral("step%1.png").arg(i)) : output;
            const auto run = runTool(QStringList(steps.at(i)) << from << to);
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
            from = to;
        }
        const QByteArray bytes = readAll(output);
        EXPECT_FALSE(bytes.isEmpty());
        QFile::remove(output);
        return bytes;
    }

    QTemporaryDir dir;
    const QString in = path("in.png");
};

TEST_F(CliStepsTest, StepsChainInMemoryWithTheBytesOfSeparateRuns)
{
    for (const QString &name : {QStringLiteral("out.png"), QStringLiteral("out.jpg")}) {
        const QByteArray expected = oneRunPerStep(in, {stepA, stepB, stepC}, path(name));
        const auto run = runTool(QStringList(stepA) << "--then" << stepB << "--then" << stepC << in
                                                    << path(name));
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        EXPECT_EQ(readAll(path(name)), expected) << name.toStdString();
    }
}

TEST_F(CliStepsTest, OmittedOptionsTakeDefaultsNotThePreviousStepsValues)
{
    // Step 2 names only --filter: its value, offsets and flags are the defaults.
    const QStringList second{"--filter", "8"};
    const QByteArray expected = oneRunPerStep(in, {stepA, second}, path("x.png"));
    const auto run = runTool(QStringList(stepA) << "--then" << second << in << path("out.png"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(path("out.png")), expected);

    // Inheriting would have given these bytes instead.
    const QByteArray inherited = oneRunPerStep(
        in, {stepA, {"--filter", "8", "--value", "7", "--red", "1", "--negative"}}, path("y.png"));
    EXPECT_NE(readAll(path("out.png")), inherited);
}

TEST_F(CliStepsTest, ARepeatedOptionCountsWithItsLastValue)
{
    const QByteArray expected = oneRunPerStep(in, {{"--filter", "5", "--red", "9"}, {"--value", "4"}},
                                              path("x.png"));
    const auto run = runTool({"--filter", "3", "--red", "2", "--filter", "5", "--red=9", "--then", "--value",
                              "-8", "--value", "4", in, path("out.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(path("out.png")), expected);
}

TEST_F(CliStepsTest, ABatchTakesFilesAndGlobalOptionsInAnyStep)
{
    const QString second = path("second.png");
    ASSERT_TRUE(inputPicture(5, 11).save(second));
    const QString outDir = path("out");
    ASSERT_TRUE(QDir().mkpath(outDir));
    const QByteArray expected1 = oneRunPerStep(in, {stepA, stepB}, path("x1.png"));
    const QByteArray expected2 = oneRunPerStep(second, {stepA, stepB}, path("x2.png"));

    const auto run = runTool(QStringList(stepA) << in << "--then" << "--format" << "png" << stepB
                                                << second << "--output-dir" << outDir);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(outDir + "/in.png"), expected1);
    EXPECT_EQ(readAll(outDir + "/second.png"), expected2);
}

TEST_F(CliStepsTest, AFileNamedLikeTheOptionFollowsTheDoubleDash)
{
    const QString odd = path("--then");
    ASSERT_TRUE(QFile::copy(in, odd));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto run = runTool(QStringList(stepA) << "--" << "--then" << path("out.png"));
    QDir::setCurrent(previous);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(readAll(path("out.png")), oneRunPerStep(in, {stepA}, path("x.png")));
}

TEST_F(CliStepsTest, MisplacedThenIsAUsageError)
{
    const QString out = path("out.png");
    const QList<QStringList> cases = {
        {"--filter", "1", in, out, "--then"},           // nothing after it
        {"--filter", "1", "--then", in, out},           // no option of its step
        {"--filter", "1", "--then", "--then", "--filter", "2", in, out},
        {"--filter", "1", "--then", "--output-dir", path(""), in, out},
        {"--value", "--then", "--filter", "2", in, out}, // taken as a value
        {"--filter", "1", "--then", "--red", "x", in, out},
        {"--output-dir", "--then", "--filter", "2", in},
        {"--then=1", "--filter", "2", in, out},
    };
    for (const QStringList &args : cases) {
        const auto run = runTool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage:")) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << args.join(' ').toStdString();
    }
    const auto bad = runTool({"--filter", "1", "--then", "--red", "x", in, out});
    EXPECT_TRUE(bad.err.contains("step 2")) << bad.err.toStdString();
}

TEST_F(CliStepsTest, HelpDescribesThen)
{
    const auto run = runTool({"--help"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("--then"));
}

} // namespace
