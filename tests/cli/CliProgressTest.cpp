// A batch on a terminal shows a progress line and keeps error lines whole;
// elsewhere it shows none.
#include "CliProcess.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

using namespace tintwell::test;

// Runs tintwell-cli with stdout and stderr on a new terminal `columns` wide,
// made by script(1); returns all the terminal received.
QByteArray runOnTerminal(const QStringList &arguments, int columns, int *exitCode = nullptr)
{
    QString command = QStringLiteral("stty cols %1; exec '%2'").arg(columns).arg(TINTWELL_CLI_PATH);
    for (const QString &argument : arguments)
        command += " '" + argument + "'";
    QProcess script;
    script.setStandardInputFile(QProcess::nullDevice());
    script.start("script", {"-qefc", command, "/dev/null"});
    EXPECT_TRUE(script.waitForFinished(-1) && script.exitStatus() == QProcess::NormalExit);
    if (exitCode)
        *exitCode = script.exitCode();
    return script.readAllStandardOutput();
}

class CliProgress : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(outDir));
        ASSERT_TRUE(pattern(9, 6, true).save(a));
        ASSERT_TRUE(pattern(4, 3, true).save(c));
        ASSERT_TRUE(writeBytes(bad, "not a picture at all"));
    }
    QTemporaryDir dir;
    const QString outDir = dir.filePath("out"), a = dir.filePath("a.png"), bad = dir.filePath("bad.png"),
                  c = dir.filePath("c.png");
};

TEST_F(CliProgress, ABatchOnATerminalCountsItsFilesAndKeepsErrorLinesWhole)
{
    const QStringList args{"--output-dir", outDir, a, bad, c};
    int exitCode = -1;
    const QByteArray output = runOnTerminal(args, 200, &exitCode);
    EXPECT_EQ(exitCode, 1);
    for (const char *shown : {"[1/3] a.png", "[2/3] bad.png", "[3/3] c.png"})
        EXPECT_TRUE(output.contains(shown)) << shown << " in " << output.constData();
    // The error is the whole line a pipe gets, which shows no progress.
    const auto piped = runTool(args);
    EXPECT_EQ(piped.err.count('\n'), 1) << piped.err.toStdString();
    EXPECT_FALSE(piped.err.contains('\r') || piped.err.contains("[1/"));
    EXPECT_TRUE(output.contains(piped.err.trimmed().toLocal8Bit() + "\r\n")) << output.constData();
    // One file shows no progress.
    EXPECT_EQ(runOnTerminal({"--output-dir", outDir, a}, 80), QByteArray());
    EXPECT_EQ(runOnTerminal({a, dir.filePath("one.png")}, 80), QByteArray());
}

} // namespace
