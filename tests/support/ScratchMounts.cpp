// mount/umount through QProcess for the tests that need real file-system limits.
#include "ScratchMounts.h"

#include <QProcess>

namespace tintwell::test {

ScratchMounts::~ScratchMounts()
{
    for (auto it = m_mounted.crbegin(); it != m_mounted.crend(); ++it) {
        if (!run(QStringLiteral("umount"), {*it}).isEmpty())
            run(QStringLiteral("umount"), {QStringLiteral("-l"), *it});
    }
}

QString ScratchMounts::mountTmpfs(const QString &target, const QString &size)
{
    const QString error = run(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                        QStringLiteral("-o"), QStringLiteral("size=") + size,
                                                        QStringLiteral("tintwell-test"), target});
    if (error.isEmpty())
        m_mounted.append(target);
    return error;
}

QString ScratchMounts::bind(const QString &path, bool readOnly)
{
    QString error = run(QStringLiteral("mount"), {QStringLiteral("--bind"), path, path});
    if (!error.isEmpty())
        return error;
    m_mounted.append(path);
    if (!readOnly)
        return QString();
    return run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro,bind"), path});
}

QString ScratchMounts::remountReadOnly(const QString &target)
{
    return run(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,ro"), target});
}

QString ScratchMounts::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return program + QStringLiteral(" did not start: ") + process.errorString();
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAll()).trimmed();
        return program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(" failed: ")
               + (said.isEmpty() ? QStringLiteral("exit code %1").arg(process.exitCode()) : said);
    }
    return QString();
}

} // namespace tintwell::test
