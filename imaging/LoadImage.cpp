// Decoding: files and encoded bytes to the working layout, with size checks
// made from the header before any pixel is decoded.
#include "ImageLimits.h"
#include "ImagePath.h"

#include <QBuffer>
#include <QImageReader>

namespace tintwell {

namespace {

LoadResult fail(const QString &name, const QString &reason)
{
    return {QImage(), QStringLiteral("cannot read %1: %2").arg(name, reason)};
}

LoadResult decode(QImageReader &reader, const QString &name)
{
    QImageReader::setAllocationLimit(decodeAllocationLimitMB);
    reader.setAutoTransform(true);

    const QSize headerSize = reader.size();
    if (headerSize.isValid() && !fitsWorkingLayout(headerSize.width(), headerSize.height())) {
        return fail(name, QStringLiteral("picture of %1 x %2 pixels is too large (limit %3 bytes)")
                              .arg(headerSize.width())
                              .arg(headerSize.height())
                              .arg(maxWorkingBytes));
    }

    QImage decoded;
    if (!reader.read(&decoded)) {
        const QString reason = reader.errorString();
        return fail(name, reason.isEmpty() ? QStringLiteral("unknown error") : reason);
    }
    if (!fitsWorkingLayout(decoded.width(), decoded.height()))
        return fail(name, QStringLiteral("picture is empty or too large"));

    QImage working = toWorkingLayout(decoded);
    if (working.isNull())
        return fail(name, QStringLiteral("out of memory converting the picture"));
    return {working, QString()};
}

} // namespace

LoadResult loadImage(const QString &path)
{
    QImageReader reader(path);
    return decode(reader, path);
}

LoadResult loadImageData(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("image data"), buffer.errorString());
    QImageReader reader(&buffer);
    return decode(reader, QStringLiteral("image data"));
}

} // namespace tintwell
