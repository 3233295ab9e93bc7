// Decoding: files and encoded bytes to the working layout, with size checks
// made from the header before any pixel is decoded.
#include "ImageLimits.h"
#include "ImagePath.h"
#include "JpegEnd.h"
#include "Metadata.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

namespace tintwell {

namespace {

LoadResult fail(const QString &name, const QString &reason)
{
    return {QImage(), QStringLiteral("cannot read %1: %2").arg(name, reason), {}};
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

// Applies the file's orientation to `image` as the reader's automatic
// transformation would (mirror and flip first, then a quarter turn clockwise),
// keeping the colour profile.
void turnUpright(QImage &image, QImageIOHandler::Transformations orientation)
{
    if (orientation == QImageIOHandler::TransformationNone)
        return;
    const QColorSpace profile = image.colorSpace();
    const bool horizontal = orientation & QImageIOHandler::TransformationMirror;
    const bool vertical = orientation & QImageIOHandler::TransformationFlip;
    if (horizontal || vertical)
        image.mirror(horizontal, vertical);
    if (orientation & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    if (!image.isNull())
        image.setColorSpace(profile);
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
    // Turned after decoding (turnUpright) rather than by the reader, which
    // drops the colour profile of a turned picture.
    reader.setAutoTransform(false);
    const QImageIOHandler::Transformations orientation = reader.transformation();

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
    turnUpright(decoded, orientation);
    if (decoded.isNull())
        return fail(name, QStringLiteral("out of memory turning the picture upright"));

    // In place: a JPEG decodes to RGB32, whose conversion to RGBX8888 only
    // swaps bytes within each pixel, so no second full-size buffer is needed.
    convertToWorkingLayout(decoded);
    if (decoded.isNull())
        return fail(name, QStringLiteral("out of memory converting the picture"));
    return {decoded, QString(), {}};
}

// The metadata of the file at `path`, read from a mapping of it (exiv2 reads
// only the headers and metadata blocks).
PictureMetadata readFileMetadata(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    if (size <= 0)
        return {};
    uchar *mapped = file.map(0, size);
    if (!mapped)
        return readMetadata(file.readAll());
    PictureMetadata metadata = readMetadata(QByteArrayView(mapped, size));
    file.unmap(mapped);
    return metadata;
}

} // namespace

LoadResult loadImage(const QString &path)
{
    QImageReader reader(path);
    LoadResult result = decode(reader, path);
    if (!result.image.isNull())
        result.metadata = readFileMetadata(path);
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
    LoadResult result = decode(reader, QStringLiteral("image data"));
    if (!result.image.isNull())
        result.metadata = readMetadata(data);
    return result;
}

} // namespace tintwell
