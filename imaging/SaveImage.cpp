// Encoding: JPEG at quality 100 or lossless PNG, with the colour profile and
// the source's metadata, written atomically so a failure never damages an
// existing file.
#include "ImagePath.h"
#include "FileIO.h"
#include "Metadata.h"
#include "Rgb888Packing.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

namespace tintwell {

namespace {

constexpr int jpegQuality = 100;

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("cannot write %1: %2")
        .arg(path, reason.isEmpty() ? QStringLiteral("unknown error") : reason);
}

} // namespace

QByteArray formatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return QByteArrayLiteral("jpg");
    if (suffix == QLatin1String("png"))
        return QByteArrayLiteral("png");
    return QByteArray();
}

QByteArray encodeImage(QImage &&image, const QByteArray &format, const PictureMetadata &metadata,
                       QString *error)
{
    const QByteArray kind = format.toLower();
    const bool jpeg = kind == "jpg" || kind == "jpeg";
    if (!jpeg && kind != "png") {
        *error = QStringLiteral("unsupported format \"%1\"").arg(QString::fromLatin1(format));
        return {};
    }
    if (image.isNull()) {
        *error = QStringLiteral("no picture to save");
        return {};
    }
    const QSize size = image.size();

    // JPEG keeps no alpha: drop it (the colour bytes are straight, not
    // premultiplied, so they stay as they are). `owned` holds the pixels that
    // `encoded` may only view.
    QImage owned = std::move(image);
    const QImage encoded = jpeg ? packToRgb888(owned) : owned;
    if (encoded.isNull()) {
        *error = QStringLiteral("out of memory converting the picture");
        return {};
    }

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, jpeg ? QByteArrayLiteral("jpeg") : QByteArrayLiteral("png"));
    if (jpeg)
        writer.setQuality(jpegQuality);
    if (!writer.write(encoded)) {
        *error = writer.errorString();
        if (error->isEmpty())
            *error = QStringLiteral("unknown error");
        return {};
    }
    buffer.close();
    return embedMetadata(bytes, metadataForResult(metadata, size));
}

QString saveImage(const QImage &image, const QString &path, const QByteArray &format,
                  const PictureMetadata &metadata)
{
    // A shared copy: the JPEG conversion below then copies rather than
    // rewriting the caller's pixels.
    return saveImage(QImage(image), path, format, metadata);
}

QString saveImage(QImage &&image, const QString &path, const QByteArray &format,
                  const PictureMetadata &metadata)
{
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
