// tintwell-cli's command line: each option reaches the pass, steps chain like
// separate runs, and malformed command lines are usage errors.
#include "CliProcess.h"
#include "ReferencePass.h"

#include <QDir>

#include <limits>

namespace {

using namespace tintwell::test;
using tintwell::PassSettings;
using Cli = CliTest;
constexpr qint32 i32min = std::numeric_limits<qint32>::min(), i32max = std::numeric_limits<qint32>::max();

struct OptionCase {
    QStringList options;
    PassSettings pass;
};

const OptionCase optionCases[] = {
    {{"--filter", "8", "--value", "-9223372036854775808"}, {8, std::numeric_limits<qint64>::min()}},
    {{"--filter=14", "--value=+9223372036854775807"}, {14, std::numeric_limits<qint64>::max()}},
    {{"--filter=1", "--value=-5", "--red=-2"}, {1, -5, -2}},
    {{"--filter", "0", "--red", "-2147483648", "--green", "2147483647"}, {0, 0, i32min, i32max}},
    {{"--filter", "11", "--blue", "-3", "--negative"}, {11, 0, 0, 0, -3, true}},
    {{"--filter", "21", "--value", "12", "--reverse"}, {21, 12, 0, 0, 0, false, true}},
    {{"--filter", "-2147483648", "--green", "1", "--reverse"}, {i32min, 0, 0, 1, 0, false, true}},
    {{"--filter", "3", "--red", "2", "--filter", "5", "--red=9"}, {5, 0, 9}}, // the last one counts
};

TEST_F(Cli, EveryOptionReachesThePass)
{
    const QImage input(in);
    for (const OptionCase &c : optionCases) {
        const auto run = runTool(QStringList(c.options) << in << path("out.png"));
        const std::string where = c.options.join(' ').toStdString();
        ASSERT_EQ(run.exitCode, 0) << where << run.err.toStdString();
        EXPECT_EQ(run.err, QString()) << where;
        EXPECT_EQ(pixelBytes(QImage(path("out.png"))), pixelBytes(referencePass(input, c.pass))) << where;
    }
}

TEST_F(Cli, StepsChainLikeSeparateRuns)
{
    // b and c omit options the step before them set: those take their defaults.
    const QStringList a{"--filter", "3", "--value", "7", "--red", "1", "--negative"};
    const QStringList b{"--filter", "8", "--value", "-2", "--reverse"};
    const QStringList c{"--filter", "18", "--value", "100", "--green", "-128", "--blue", "127"};
    // The oracle: one run per step through lossless PNGs, the last in the output's format.
    const auto separately = [&](const QList<QStringList> &steps, const QString &output) {
        QString from = in;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QString to = i + 1 < steps.size() ? path(QString("step%1.png").arg(i)) : path("x-" + output);
            EXPECT_EQ(runTool(QStringList(steps.at(i)) << from << to).exitCode, 0);
            from = to;
        }
        return readBytes(from);
    };
    for (const QString name : {"out.png", "out.jpg"}) {
        const auto run = runTool(QStringList(a) << "--then" << b << "--then" << c << in << path(name));
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(readBytes(path(name)), separately({a, b, c}, name)) << name.toStdString();
    }
    // In a batch, files and the other options may stand in any step.
    ASSERT_TRUE(QDir().mkdir(path("batch")));
    const auto batch = runTool(QStringList(a) << in << "--then" << "--format" << "png" << b << "--output-dir"
                                              << path("batch"));
    ASSERT_EQ(batch.exitCode, 0) << batch.err.toStdString();
    EXPECT_EQ(readBytes(path("batch/in.png")), separately({a, b}, "in.png"));
}

TEST_F(Cli, AFileNamedLikeAnOptionFollowsTheDoubleDash)
{
    ASSERT_TRUE(QFile::copy(in, path("--then")));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto run = runTool({"--filter", "4", "--", "--then", path("out.png")});
    QDir::setCurrent(previous);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(pixelBytes(QImage(path("out.png"))), pixelBytes(referencePass(QImage(in), {4})));
}

TEST_F(Cli, MalformedCommandLinesAreUsageErrors)
{
    const QString out = path("out.png");
    const QStringList cases[] = {
        {"--bogus", in, out},
        {"--filter", "2147483648", in, out},
        {"--red", "-2147483649", in, out},
        {"--value", "9223372036854775808", in, out},
        {"--value", " 5", in, out},
        {"--red", " 5", in, out},
        {in},
        {in, out, path("third.png")},
        {in, path("out.bmp")},
        {"--format", "png", in, out},
        {"--output-dir", dir.path(), "--format", "gif", in},
        {"--output-dir", dir.path()},
        {"--output-dir", "", in},
        {"", out},
        {"--output-dir", dir.path(), "-"},
        {"--filter", "1", in, out, "--then"},
        {"--filter", "1", "--then", "--then", "--filter", "2", in, out},
        {"--output-dir", "--then", "--filter", "2", in},
        {in, "-"},
        {"--output-dir", dir.path(), "--output-dir", dir.path(), in},
        {"--memory-limit", "12X", in, out},
        {"--filter", "1", "--then", "--red", "x", in, out},
    };
    for (const QStringList &args : cases) {
        const auto run = runTool(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage:")) << run.err.toStdString();
        EXPECT_EQ(run.out, QByteArray());
    }
    EXPECT_TRUE(runTool(cases[std::size(cases) - 1]).err.contains("step 2"));
}

} // namespace
