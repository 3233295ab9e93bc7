// Runs the real tintwell-cli binary and collects its exit status and output;
// the picture and file reads the CLI tests share.
#pragma once

#include "Pictures.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace tintwell::test {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// `wrapper` runs first with the tool as its first argument (e.g. setpriv).
inline CliRun runTool(const QStringList &arguments, const QStringList &wrapper = {})
{
    QProcess process;
    const QStringList command = wrapper + QStringList{QStringLiteral(TINTWELL_CLI_PATH)} + arguments;
    process.start(command.first(), command.mid(1));
    EXPECT_TRUE(process.waitForFinished(-1));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "crashed: " << arguments.join(' ').toStdString();
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// A straight-alpha picture whose bytes depend on the position.
inline QImage inputPicture(int width = 9, int height = 6)
{
    return pattern(width, height, true);
}

inline QByteArray readAll(const QString &path)
{
    return readBytes(path);
}

} // namespace tintwell::test
