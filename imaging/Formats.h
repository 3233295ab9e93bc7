// The picture file formats the program knows, in one table: which it reads,
// which it writes, and how dialogs, the command line and the desktop entry
// name them. Files are decoded by their content, not their suffix: JPEG by
// libjpeg, HEIC and AVIF by libheif, the others by Qt's image readers.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tintwell {

struct FileFormat {
    QByteArray id;       // the name saveImage takes ("jpg", "png"); the first suffix
    QStringList suffixes; // lower case, without the dot
    QString mimeType;
    QString name;        // what help texts call it ("JPEG")
    bool writable;       // saveImage can write it
    bool keepsAlpha;     // a written file keeps transparency
};

// Every format; all are read, the writable ones come first (JPEG, PNG).
const QList<FileFormat> &fileFormats();

// The format whose suffixes include `suffix` (any case, no dot), or null.
const FileFormat *formatForSuffix(const QString &suffix);

// The MIME types of every readable format, in table order.
QStringList readableMimeTypes();

// Every suffix of the writable formats ("jpg", "jpeg", "png").
QStringList writableSuffixes();

} // namespace tintwell
