// Whole-file reads and atomic writes through Qt's file classes.
#include "FileIO.h"

#include <QFile>
#include <QSaveFile>

namespace tintwell {

QByteArray readFileBytes(const QString &path, qint64 maxBytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    if (file.size() > maxBytes) {
        if (error)
            *error = QStringLiteral("file is larger than %1 bytes").arg(maxBytes);
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError) {
        if (error)
            *error = file.errorString();
        return {};
    }
    return bytes;
}

QString writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // A disk that fills up first takes part of a write without an error; the
    // next write then fails and names the reason.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        done += written;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace tintwell
