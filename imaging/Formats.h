// The picture file formats the program knows, in one table: which it reads
// and how, which it writes, and how dialogs, the command line and the desktop
// entry name them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tintwell {

// Who decodes a format.
enum class Decoder {
    Jpeg, // libjpeg (JpegReader)
    Heif, // libheif (HeifReader)
    Qt,   // QImageReader and Qt's image-format plugins
};

struct FileFormat {
    QByteArray id;       // the name saveImage takes ("jpg", "png"); the first suffix
    QStringList suffixes; // lower case, without the dot
    QString mimeType;
    QString name;        // what dialogs and help call it ("JPEG")
    Decoder decoder;
    bool writable;       // saveImage can write it
    bool keepsAlpha;     // a written file keeps transparency
};

// Every format, readable ones all; the writable ones first (JPEG, PNG).
const QList<FileFormat> &fileFormats();

// The format whose suffixes include `suffix` (any case, no dot), or null.
const FileFormat *formatForSuffix(const QString &suffix);

// The MIME types of every readable format, in table order.
QStringList readableMimeTypes();

// The ids of the writable formats' suffixes ("jpg", "jpeg", "png").
QStringList writableSuffixes();

} // namespace tintwell
