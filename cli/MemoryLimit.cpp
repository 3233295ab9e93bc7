// The default memory budget from the kernel's estimate of available memory.
#include "MemoryLimit.h"

#include <QFile>

namespace tintwell::cli {

qint64 defaultMemoryLimit()
{
    constexpr qint64 fallback = qint64(2) << 30;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly | QIODevice::Text))
        return fallback;
    // "MemAvailable:   21867412 kB". The file claims size 0: read to its end.
    const QList<QByteArray> lines = meminfo.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith("MemAvailable:"))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool ok = false;
        const qint64 kilobytes = fields.value(1).toLongLong(&ok);
        if (ok && kilobytes > 0)
            return kilobytes / 2 * 1024;
    }
    return fallback;
}

} // namespace tintwell::cli
