// Decoding: files and encoded bytes to the working layout, with size checks
// made from the header before any pixel is decoded.
#include "ImageLimits.h"
#include "ImagePath.h"
#include "JpegEnd.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace tintwell {

namespace {

LoadResult fail(const QString &name, const QString &reason)
{
    return {QImage(), QStringLiteral("cannot read %1: %2").arg(name, reason)};
}

// Whether the encoded bytes behind the reader are whole. Only JPEG needs the
// check: the PNG decoder already fails on a cut file.
// `format` is the reader's format, asked before reading (it forgets it after).
bool encodedDataIsWhole(QImageReader &reader, const QByteArray &format)
{
    if (format != "jpeg")
        return true;
    QIODevice *device = reader.device();
    if (auto *buffer = qobject_cast<QBuffer *>(device))
        return jpegReachesEndMarker(buffer->data());
    if (auto *file = qobject_cast<QFile *>(device)) {
        if (!file->isOpen() && !file->open(QIODevice::ReadOnly))
            return true; // the decoder will say why it cannot read it
        const qint64 size = file->size();
        if (uchar *mapped = file->map(0, size)) {
            const bool whole = jpegReachesEndMarker(QByteArrayView(mapped, size));
            file->unmap(mapped);
            return whole;
        }
        const qint64 position = file->pos();
        if (!file->seek(0))
            return true;
        const bool whole = jpegReachesEndMarker(file->readAll());
        file->seek(position);
        return whole;
    }
    return true;
}

LoadResult decode(QImageReader &reader, const QString &name)
{
    // Once per process: decodes run on several threads, and the limit is one
    // process-wide number that the readers keep reading.
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(decodeAllocationLimitMB);
        return true;
    }();
    Q_UNUSED(limitSet);
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
    if (!encodedDataIsWhole(reader, format))
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

LoadResult loadImage(const QString &path)
{
    QImageReader reader(path);
    LoadResult result = decode(reader, path);
    if (reader.error() == QImageReader::FileNotFoundError) {
        // The reader says "File not found" whenever it cannot open the path;
        // name the real reason when the path is there.
        const QFileInfo info(path);
        if (info.isDir())
            return fail(path, QStringLiteral("it is a folder, not a picture file"));
        QFile file(path);
        if (info.exists() && !file.open(QIODevice::ReadOnly))
            return fail(path, file.errorString());
    }
    return result;
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
