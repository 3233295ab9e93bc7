// Encoding: JPEG through libjpeg or lossless PNG through Qt, in memory, then
// written atomically so a failure never damages an existing file.
#include "FileIO.h"
#include "Formats.h"
#include "ImagePath.h"
#include "JpegWriter.h"
#include "Metadata.h"

#include <QBuffer>
#include <QImageWriter>

namespace tintwell {

namespace {

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("cannot write %1: %2")
        .arg(path, reason.isEmpty() ? QStringLiteral("unknown error") : reason);
}

// PNG through Qt, which writes the colour space as an iCCP chunk; the
// metadata goes into the chunks PNG has for it.
QString encodePng(const QImage &image, const PictureMetadata &metadata, QByteArray &out)
{
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("png"));
    if (!writer.write(image))
        return writer.errorString();
    buffer.close();
    if (!metadata.isEmpty())
        out = embedMetadataInPng(out, metadata);
    return QString();
}

} // namespace

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
    if (!kind || !kind->writable)
        return failure(path, QStringLiteral("unsupported format \"%1\"").arg(QString::fromLatin1(format)));
    const QImage owned = std::move(image);
    if (owned.isNull())
        return failure(path, QStringLiteral("no picture to save"));

    // Encoded in memory first: a failing disk then shows as a failed write
    // with its own reason, and never runs the encoders' error paths.
    QByteArray bytes;
    const QString reason =
        kind->id == "jpg" ? encodeJpeg(owned, metadata, bytes) : encodePng(owned, metadata, bytes);
    if (!reason.isEmpty())
        return failure(path, reason);
    const QString written = writeFileAtomically(path, bytes);
    if (!written.isEmpty())
        return failure(path, written);
    return QString();
}

} // namespace tintwell
