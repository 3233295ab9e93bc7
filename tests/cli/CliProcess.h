// Runs the real tintwell-cli binary and collects its exit status and output;
// the pictures and file reads the CLI tests share.
#pragma once

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace tintwell::test {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TINTWELL_CLI_PATH), arguments);
    EXPECT_TRUE(process.waitForStarted(-1));
    EXPECT_TRUE(process.waitForFinished(-1));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "crashed: " << arguments.join(' ').toStdString();
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// A straight-alpha picture whose bytes depend on the position; alpha covers 0..255.
inline QImage inputPicture(int width = 9, int height = 6)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uchar *p = image.scanLine(y) + 4 * x;
            p[0] = uchar(29 * x + 11 * y);
            p[1] = uchar(250 - 7 * x * y);
            p[2] = uchar(13 * y + x + 100);
            p[3] = uchar(31 * x + 43 * y);
        }
    }
    return image;
}

// The whole content of a file, or nothing when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace tintwell::test
