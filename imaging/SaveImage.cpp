// Encoding: JPEG through libjpeg or lossless PNG through Qt, with the colour
// profile and the source's metadata, in memory, then written atomically so a
// failure never damages an existing file.
#include "FileIO.h"
#include "Formats.h"
#include "ImagePath.h"
#include "JpegWriter.h"
#include "Metadata.h"
#include "Reasons.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>

namespace tintwell {

namespace {

QString failure(const QString &path, const QString &reason)
{
    return Reasons::tr("cannot write %1: %2")
        .arg(path == QLatin1String("-") ? Reasons::tr("standard output") : path,
             reason.isEmpty() ? Reasons::tr("unknown error") : reason);
}

// Whether `key` may name a PNG text chunk: 1 to 79 printable Latin-1
// characters, no space at either end and no two in a row. libpng refuses the
// whole file for any other key, and a source file can bring any.
bool isPngKeyword(const QString &key)
{
    if (key.isEmpty() || key.size() > 79 || key.startsWith(u' ') || key.endsWith(u' ') ||
        key.contains(QStringLiteral("  ")))
        return false;
    for (const QChar c : key) {
        const ushort u = c.unicode();
        if (u < 32 || (u > 126 && u < 161) || u > 255)
            return false;
    }
    return true;
}

// PNG through Qt, which writes the colour space as an iCCP chunk and the
// picture's texts as text chunks (those whose keys PNG allows); the metadata
// goes into the chunks PNG has for it.
QString encodePng(const QImage &image, const PictureMetadata &metadata, QByteArray &out)
{
    // The same pixels without a copy, with only the texts PNG can hold.
    QImage written(image.constBits(), image.width(), image.height(), image.bytesPerLine(), image.format());
    written.setColorSpace(image.colorSpace());
    written.setDotsPerMeterX(image.dotsPerMeterX());
    written.setDotsPerMeterY(image.dotsPerMeterY());
    for (const QString &key : image.textKeys()) {
        if (isPngKeyword(key))
            written.setText(key, image.text(key));
    }
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("png"));
    if (!writer.write(written))
        return writer.errorString();
    buffer.close();
    if (!metadata.isEmpty())
        out = embedMetadataInPng(out, metadata);
    return QString();
}

} // namespace

QByteArray encodeImage(QImage &&image, const QByteArray &format, const PictureMetadata &metadata,
                       QString *error)
{
    const FileFormat *kind = formatForSuffix(QString::fromLatin1(format));
    if (!kind || !kind->writable) {
        *error = Reasons::tr("unsupported format \"%1\"").arg(QString::fromLatin1(format));
        return {};
    }
    const QImage owned = std::move(image);
    if (owned.isNull()) {
        *error = Reasons::tr("no picture to save");
        return {};
    }
    // The source's metadata, made true of this picture: upright, its size,
    // no thumbnail of the unfiltered picture.
    const PictureMetadata written = metadataForResult(metadata, owned.size());
    QByteArray bytes;
    *error = kind->id == "jpg" ? encodeJpeg(owned, written, bytes) : encodePng(owned, written, bytes);
    if (!error->isEmpty())
        return {};
    if (bytes.isEmpty())
        *error = Reasons::tr("unknown error");
    return bytes;
}

QString saveImage(const QImage &image, const QString &path, const QByteArray &format,
                  const PictureMetadata &metadata)
{
    // Neither encoder writes the pixels: no copy is made here.
    return saveImage(QImage(image), path, format, metadata);
}

QString saveImage(QImage &&image, const QString &path, const QByteArray &format,
                  const PictureMetadata &metadata)
{
    const FileFormat *kind = formatForSuffix(QString::fromLatin1(format));
    if (kind && kind->id == "jpg" && !image.isNull()) {
        // JPEG bands go to the file as they are encoded, and on to the disk
        // while later bands are encoded. A failing disk shows as a failed
        // write with its own reason: the encoder only stops.
        const QImage owned = std::move(image);
        const PictureMetadata written = metadataForResult(metadata, owned.size());
        const QString reason = writeFileAtomically(path, [&](const ByteSink &sink) {
            return encodeJpeg(owned, written, sink);
        });
        return reason.isEmpty() ? QString() : failure(path, reason);
    }
    // Encoded in memory first: a failing disk then shows as a failed write
    // with its own reason, and never runs the encoders' error paths.
    QString reason;
    const QByteArray bytes = encodeImage(std::move(image), format, metadata, &reason);
    if (bytes.isEmpty())
        return failure(path, reason);
    reason = writeFileAtomically(path, bytes);
    if (!reason.isEmpty())
        return failure(path, reason);
    return QString();
}

} // namespace tintwell
