// Reading and writing whole files for the image path: only what the user
// named is read or written, and a failed write never damages an existing file.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tintwell {

// The bytes of the file at `path`, at most `maxBytes` of them. On failure
// `error` holds a one-line reason (without the path) and the result is empty.
QByteArray readFileBytes(const QString &path, qint64 maxBytes, QString *error);

// Writes `bytes` to `path` as a whole: to a temporary file beside it, checked
// through to the end, then renamed over the target. Returns an empty string on
// success, else a one-line reason (without the path); the target is then as
// it was.
QString writeFileAtomically(const QString &path, QByteArrayView bytes);

} // namespace tintwell
