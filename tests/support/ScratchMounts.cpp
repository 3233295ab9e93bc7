// mount/umount through QProcess for the tests that need real file-system limits.
#include "ScratchMounts.h"

#include <QProcess>

namespace tintwell::test {

ScratchMounts::~ScratchMounts()
{
    for (auto it = m_mounted.crbegin(); it != m_mounted.crend(); ++it)
        if (!run({*it}, "umount").isEmpty())
            run({"-l", *it}, "umount");
}

QString ScratchMounts::mountTmpfs(const QString &target, const QString &size)
{
    const QString error = run({"-t", "tmpfs", "-o", "size=" + size, "tintwell-test", target});
    if (error.isEmpty())
        m_mounted.append(target);
    return error;
}

QString ScratchMounts::bind(const QString &path, bool readOnly)
{
    if (QString error = run({"--bind", path, path}); !error.isEmpty())
        return error;
    m_mounted.append(path);
    return readOnly ? run({"-o", "remount,ro,bind", path}) : QString();
}

QString ScratchMounts::run(const QStringList &arguments, const char *program)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (process.error() == QProcess::FailedToStart || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return QString(program) + ' ' + arguments.join(' ') + " failed: " + process.errorString() + ' '
               + QString::fromLocal8Bit(process.readAll()).trimmed();
    return QString();
}

} // namespace tintwell::test
