// End to end: a batch on a terminal shows a progress line that never wraps,
// keeps error lines whole and leaves nothing behind; elsewhere it shows none.
#include "CliProcess.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <vector>

#include <cerrno>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using tintwell::test::inputPicture;
using tintwell::test::runTool;

struct TerminalRun {
    int exitCode = -1;
    QByteArray output; // all the terminal received, stdout and stderr
};

// Runs tintwell-cli with stdout and stderr on a new pseudo-terminal `columns` wide.
TerminalRun runOnTerminal(const QStringList &arguments, unsigned short columns)
{
    std::vector<QByteArray> words{QByteArray(TINTWELL_CLI_PATH)};
    for (const QString &argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, &size);
    if (child == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    TerminalRun run;
    EXPECT_GT(child, 0) << "forkpty failed";
    if (child <= 0)
        return run;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0)
            run.output.append(buffer, got);
        else if (got < 0 && errno == EINTR)
            continue;
        else
            break; // EIO once the child's side is closed
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ::close(master);
    EXPECT_TRUE(WIFEXITED(status)) << "crashed: " << arguments.join(' ').toStdString();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// What the terminal shows at the end: '\r' moves to the start of the line and
// later characters overwrite earlier ones. Trailing blanks and empty last
// lines are dropped.
QStringList screen(const QByteArray &output)
{
    QStringList lines{QString()};
    qsizetype column = 0;
    for (const QChar c : QString::fromLocal8Bit(output)) {
        if (c == QLatin1Char('\r')) {
            column = 0;
        } else if (c == QLatin1Char('\n')) {
            lines.append(QString());
            column = 0;
        } else {
            QString &line = lines.last();
            if (column < line.size())
                line[column] = c;
            else
                line.append(c);
            ++column;
        }
    }
    for (QString &line : lines) {
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The longest stretch the terminal got without a line start.
qsizetype widestWrite(const QByteArray &output)
{
    qsizetype widest = 0;
    for (const QString &piece : QString::fromLocal8Bit(output).split(QRegularExpression("[\r\n]")))
        widest = std::max(widest, piece.size());
    return widest;
}

class CliProgressTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir().mkpath(outDir));
        ASSERT_TRUE(inputPicture().save(a));
        ASSERT_TRUE(inputPicture(4, 3).save(c));
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture at all");
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    const QString outDir = path("out");
    const QString a = path("a.png"), bad = path("bad.png"), c = path("c.png");
};

TEST_F(CliProgressTest, ABatchOnATerminalCountsItsFilesAndKeepsErrorLinesWhole)
{
    const QStringList args{"--output-dir", outDir, a, bad, c};
    const TerminalRun run = runOnTerminal(args, 200);
    EXPECT_EQ(run.exitCode, 1) << run.output.constData();
    for (const char *shown : {"[1/3] a.png", "[2/3] bad.png", "[3/3] c.png"})
        EXPECT_TRUE(run.output.contains(shown)) << shown << " in " << run.output.constData();

    // The screen keeps only the error, exactly the line a pipe gets.
    const auto piped = runTool(args);
    ASSERT_EQ(piped.exitCode, 1);
    EXPECT_EQ(screen(run.output).join('\n').toStdString(), piped.err.trimmed().toStdString())
        << run.output.constData();
    EXPECT_TRUE(QFile::exists(outDir + "/a.jpg"));
    EXPECT_TRUE(QFile::exists(outDir + "/c.jpg"));
}

TEST_F(CliProgressTest, LongNamesAreCutToTheTerminalWidth)
{
    const QString longName = path(QString(120, QLatin1Char('n')) + "-end.png");
    ASSERT_TRUE(QFile::copy(a, longName));
    const TerminalRun run = runOnTerminal({"--output-dir", outDir, "--format", "png", a, longName}, 40);
    EXPECT_EQ(run.exitCode, 0) << run.output.constData();
    EXPECT_TRUE(run.output.contains("[2/2] ...")) << run.output.constData();
    EXPECT_TRUE(run.output.contains("nnn-end.png")) << run.output.constData();
    EXPECT_LT(widestWrite(run.output), 40) << run.output.constData();
    EXPECT_EQ(screen(run.output).join('\n').toStdString(), "") << run.output.constData();
}

TEST_F(CliProgressTest, OneFileShowsNoProgress)
{
    EXPECT_EQ(runOnTerminal({"--output-dir", outDir, a}, 80).output, QByteArray());
    EXPECT_EQ(runOnTerminal({a, path("one.png")}, 80).output, QByteArray());
}

TEST_F(CliProgressTest, NoProgressWhenStderrIsNoTerminal)
{
    const auto run = runTool({"--output-dir", outDir, a, c, bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains('\r')) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("[1/")) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith("tintwell-cli: ")) << run.err.toStdString();
}

} // namespace
