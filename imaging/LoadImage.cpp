// Decoding: files and encoded bytes to the working layout, with size checks
// made from the header before any pixel is decoded.
#include "FileIO.h"
#include "ImageLimits.h"
#include "ImagePath.h"
#include "JpegEnd.h"

#include <QBuffer>
#include <QImageReader>

namespace tintwell {

namespace {

LoadResult fail(const QString &name, const QString &reason)
{
    return {QImage(), QStringLiteral("cannot read %1: %2").arg(name, reason)};
}

// Whether the encoded bytes are whole. Only JPEG needs the check: the PNG
// decoder already fails on a cut file.
// `format` is the reader's format, asked before reading (it forgets it after).
bool encodedDataIsWhole(const QByteArray &data, const QByteArray &format)
{
    return format != "jpeg" || jpegReachesEndMarker(data);
}

LoadResult decode(QImageReader &reader, const QByteArray &data, const QString &name)
{
    applyDecodeAllocationLimit();
    reader.setAutoTransform(true);

    const QSize headerSize = reader.size();
    const QByteArray format = reader.format();
    if (headerSize.isValid() && !fitsWorkingLayout(headerSize.width(), headerSize.height())) {
        return fail(name, QStringLiteral("picture of %1 x %2 pixels is too large (limit %3 bytes)")
                              .arg(headerSize.width())
                              .arg(headerSize.height())
                              .arg(maxWorkingBytes));
    }

    // Before decoding: a cut file that claims a large size is refused without
    // the decoder filling a large picture with grey.
    if (!encodedDataIsWhole(data, format))
        return fail(name, QStringLiteral("the JPEG data ends before the picture does (truncated file)"));

    QImage decoded;
    if (!reader.read(&decoded)) {
        const QString reason = reader.errorString();
        return fail(name, reason.isEmpty() ? QStringLiteral("unknown error") : reason);
    }
    if (!fitsWorkingLayout(decoded.width(), decoded.height()))
        return fail(name, QStringLiteral("picture is empty or too large"));

    // In place: a JPEG decodes to RGB32, whose conversion to RGBX8888 only
    // swaps bytes within each pixel, so no second full-size buffer is needed.
    convertToWorkingLayout(decoded);
    if (decoded.isNull())
        return fail(name, QStringLiteral("out of memory converting the picture"));
    return {decoded, QString()};
}

} // namespace

void applyDecodeAllocationLimit()
{
    // Once per process: decodes run on several threads, and the limit is one
    // process-wide number that the readers keep reading.
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(decodeAllocationLimitMB);
        return true;
    }();
    Q_UNUSED(limitSet);
}

LoadResult loadImage(const QString &path)
{
    QString error;
    const QByteArray data = readFileBytes(path, maxEncodedBytes, &error);
    if (!error.isEmpty())
        return fail(path, error);
    return loadImageData(data, path);
}

LoadResult loadImageData(const QByteArray &data, const QString &name)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return fail(name, buffer.errorString());
    QImageReader reader(&buffer);
    return decode(reader, data, name);
}

QSize imageSizeFromHeader(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return QSize();
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.size();
}

} // namespace tintwell
