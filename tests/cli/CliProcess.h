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
    QByteArray out;
    QString err;
    long peakKB = 0; // the tool's largest resident size
};

// Arguments pass as the bytes pathToBytes gives (names that are not UTF-8
// unchanged); standard input comes from `input`.
inline CliRun runTool(const QStringList &arguments, const QByteArray &input = {})
{
    QTemporaryDir io; // files 0, 1 and 2: the standard streams
    writeBytes(io.filePath("0"), input);
    QList<QByteArray> argv{TINTWELL_CLI_PATH};
    for (const QString &argument : arguments)
        argv.append(pathToBytes(argument));
    std::vector<char *> pointers;
    for (QByteArray &argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; fd < 3; ++fd) {
        const QByteArray name = QFile::encodeName(io.filePath(QString::number(fd)));
        posix_spawn_file_actions_addopen(&actions, fd, name.constData(), fd == 0 ? O_RDONLY : O_WRONLY | O_CREAT, 0600);
    }
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
    run.out = readBytes(io.filePath("1"));
    run.err = QString::fromLocal8Bit(readBytes(io.filePath("2")));
    return run;
}

// Each test's own folder, holding a small picture `in`.
class CliTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pattern(13, 7, true).save(in)); }
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    const QString in = dir.filePath("in.png");
};

} // namespace tintwell::test
