// Reading and writing whole files for the image path: only regular files are
// read, only a regular file or a new name is written, and a failed write never
// damages an existing file.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "ByteSink.h"

namespace tintwell {

// The bytes of the file at `path`, at most `maxBytes` of them. On failure
// `error` holds a one-line reason (without the path) and the result is empty.
// Only a regular file (or a symbolic link to one) is read: a named pipe, a
// device, a socket or a folder is refused at once, without waiting for a
// writer. The path "-" reads standard input up to end of file, refused as
// soon as more than `maxBytes` arrive.
QByteArray readFileBytes(const QString &path, qint64 maxBytes, QString *error);

// Writes `bytes` to `path` as a whole: to a temporary file beside the target
// (anonymous where the file system has them), every byte written, synced to
// the disk and closed with each step checked, then renamed over the target
// and the folder synced. The target must be a regular file or a new name; a
// symbolic link to a regular file writes that file and stays a link; anything
// else (a named pipe, a device, a folder, a dangling or looping link) is
// refused. An existing file keeps its mode and, where the process may, its
// owner and group. The path "-" writes to standard output. Returns an empty
// string on success, else a one-line reason (without the path); the target is
// then as it was.
QString writeFileAtomically(const QString &path, QByteArrayView bytes);

// The same for a file made while it is written: `produce` gets a sink that
// writes each piece to the temporary file at once and starts its transfer to
// the disk, so that the final sync has little left to wait for; it returns an
// empty string or the reason it stopped. A failed write is reported with its
// own reason (the sink then refuses every piece); after either failure the
// target is as it was. Standard output gets the whole file only once it is
// made.
QString writeFileAtomically(const QString &path, const std::function<QString(const ByteSink &)> &produce);

// File names as the file system stores them: bytes, usually but not always
// UTF-8. pathFromBytes() keeps each byte that is not part of valid UTF-8 as
// the code unit U+DC80 + byte (a lone low surrogate, which no valid UTF-8
// yields), and pathToBytes() turns those back into the same bytes, so every
// name survives the round trip. Other strings encode as UTF-8.
QString pathFromBytes(QByteArrayView bytes);
QByteArray pathToBytes(const QString &path);

} // namespace tintwell
