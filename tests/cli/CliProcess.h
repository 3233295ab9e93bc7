// Runs the real tintwell-cli binary and collects its exit status, output and
// peak memory; the test folder, pictures and file reads the CLI tests share.
#pragma once

#include "FileIO.h"
#include "ImagePath.h"
#include "Pictures.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace tintwell::test {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray rawOut;
    long peakKB = 0; // the tool's largest resident size
};

// Arguments as raw bytes (names that are not UTF-8 pass unchanged), standard
// input from `input`.
inline CliRun runRaw(const QList<QByteArray> &arguments, const QByteArray &input = {})
{
    QTemporaryDir io;
    const QByteArray in = QFile::encodeName(io.filePath("in")), out = QFile::encodeName(io.filePath("out")),
                     err = QFile::encodeName(io.filePath("err"));
    writeBytes(io.filePath("in"), input);
    QList<QByteArray> argv = QList<QByteArray>{TINTWELL_CLI_PATH} + arguments;
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
    CliRun run;
    const int spawned = posix_spawn(&pid, argv.first().constData(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    EXPECT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKB = usage.ru_maxrss;
    run.rawOut = readBytes(io.filePath("out"));
    run.out = QString::fromLocal8Bit(run.rawOut);
    run.err = QString::fromLocal8Bit(readBytes(io.filePath("err")));
    return run;
}

inline CliRun runTool(const QStringList &arguments)
{
    QList<QByteArray> raw;
    for (const QString &argument : arguments)
        raw.append(pathToBytes(argument));
    return runRaw(raw);
}

// Each test's own folder, holding a small picture `in`.
class CliTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pattern(13, 7, true).save(in)); }
    QString path(const QString &name) const { return dir.filePath(name); }
    // The path of `name` (any bytes) in the test's folder.
    QByteArray raw(const QByteArray &name) const { return QFile::encodeName(dir.path()) + '/' + name; }
    QTemporaryDir dir;
    const QString in = dir.filePath("in.png");
};

} // namespace tintwell::test
