// Encoding: JPEG at quality 100 or lossless PNG, written atomically (see
// writeFileAtomically) so a failure never damages an existing file.
#include "ImagePath.h"
#include "FileIO.h"
#include "Rgb888Packing.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>

namespace tintwell {

namespace {

constexpr int jpegQuality = 100;

// The largest width or height the JPEG encoder accepts.
constexpr int maxJpegSide = 65500;

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("cannot write %1: %2")
        .arg(path == QLatin1String("-") ? QStringLiteral("standard output") : path,
             reason.isEmpty() ? QStringLiteral("unknown error") : reason);
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

QString saveImage(const QImage &image, const QString &path, const QByteArray &format)
{
    // A shared copy: the JPEG conversion below then copies rather than
    // rewriting the caller's pixels.
    return saveImage(QImage(image), path, format);
}

QString saveImage(QImage &&image, const QString &path, const QByteArray &format)
{
    const QByteArray kind = format.toLower();
    const bool jpeg = kind == "jpg" || kind == "jpeg";
    if (!jpeg && kind != "png")
        return failure(path, QStringLiteral("unsupported format \"%1\"").arg(QString::fromLatin1(format)));
    if (image.isNull())
        return failure(path, QStringLiteral("no picture to save"));
    if (jpeg && (image.width() > maxJpegSide || image.height() > maxJpegSide))
        return failure(path, QStringLiteral("JPEG cannot hold more than %1 pixels a side").arg(maxJpegSide));

    // JPEG keeps no alpha: drop it (the colour bytes are straight, not
    // premultiplied, so they stay as they are). `owned` holds the pixels that
    // `encoded` may only view.
    QImage owned = std::move(image);
    const QImage encoded = jpeg ? packToRgb888(owned) : owned;
    if (encoded.isNull())
        return failure(path, QStringLiteral("out of memory converting the picture"));

    // Encoded in memory first: a failing disk then shows as a failed write
    // with its own reason, and never runs the encoders' error paths.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, jpeg ? QByteArrayLiteral("jpeg") : QByteArrayLiteral("png"));
    if (jpeg)
        writer.setQuality(jpegQuality);
    if (!writer.write(encoded))
        return failure(path, writer.errorString());
    const QString reason = writeFileAtomically(path, bytes);
    if (!reason.isEmpty())
        return failure(path, reason);
    return QString();
}

} // namespace tintwell
