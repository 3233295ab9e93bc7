// Decoding: files and encoded bytes to the working layout, with size checks
// made from the header before any pixel is decoded. JPEG goes through
// libjpeg, HEIF and AVIF through libheif, every other format through Qt's
// image readers.
#include "FileIO.h"
#include "HeifReader.h"
#include "ImageLimits.h"
#include "ImagePath.h"
#include "JpegReader.h"
#include "Metadata.h"
#include "Orientation.h"
#include "Reasons.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace tintwell {

namespace {

// Whether EXIF orientation `orientation` swaps width and height.
bool turnsSideways(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

LoadResult fail(const QString &name, const QString &reason)
{
    LoadResult result;
    result.error = Reasons::tr("cannot read %1: %2").arg(name, reason);
    return result;
}

QString tooLarge(qint64 width, qint64 height)
{
    return Reasons::tr("picture of %1 x %2 pixels is too large (limit %3 bytes)")
        .arg(width)
        .arg(height)
        .arg(maxWorkingBytes);
}

// Every other format, as stored: Qt's readers do not turn the picture, so
// that orientation is applied once, from the same metadata as for JPEG.
// For a PNG file, the first chunk that claims more bytes than the file has
// left, as a reason; empty when every chunk fits (or the data is no PNG).
// libpng allocates a chunk's claimed size before it reads it, so a file of a
// few bytes could make it ask for gigabytes.
QString oversizedPngChunk(const QByteArray &bytes)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (!bytes.startsWith(signature))
        return {};
    for (qsizetype at = signature.size(); at + 8 <= bytes.size();) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        const QByteArray type = bytes.mid(at + 4, 4);
        if (qint64{length} + 12 > bytes.size() - at)
            return Reasons::tr("corrupt PNG data: a chunk claims %1 bytes, more than the file holds").arg(length);
        if (type == "IEND")
            break;
        at += qsizetype(length) + 12;
    }
    return {};
}

QImage decodeWithQt(const QByteArray &bytes, QString &reason)
{
    applyDecodeAllocationLimit();
    reason = oversizedPngChunk(bytes);
    if (!reason.isEmpty())
        return QImage();

    QBuffer buffer;
    buffer.setData(bytes); // shares the bytes
    if (!buffer.open(QIODevice::ReadOnly)) {
        reason = buffer.errorString();
        return QImage();
    }
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize headerSize = reader.size();
    if (headerSize.isValid() && !fitsWorkingLayout(headerSize.width(), headerSize.height())) {
        reason = tooLarge(headerSize.width(), headerSize.height());
        return QImage();
    }
    QImage decoded;
    if (!reader.read(&decoded)) {
        reason = reader.errorString();
        if (reason.isEmpty())
            reason = Reasons::tr("unknown error");
        return QImage();
    }
    if (!fitsWorkingLayout(decoded.width(), decoded.height())) {
        reason = Reasons::tr("picture is empty or too large");
        return QImage();
    }
    return decoded;
}

LoadResult decodeBytes(const QByteArray &bytes, const QString &name)
{
    if (bytes.isEmpty())
        return fail(name, Reasons::tr("the file is empty"));

    LoadResult result;
    result.metadata = readMetadata(bytes);
    QString reason;
    if (looksLikeHeif(bytes)) {
        // libheif turns the picture by the file's own rotation and mirror
        // boxes; HEIF's EXIF orientation only repeats them and is not applied.
        HeifDecodeResult heif = decodeHeif(bytes);
        result.image = std::move(heif.image);
        reason = heif.error;
    } else {
        if (looksLikeJpeg(bytes)) {
            JpegDecodeResult jpeg = decodeJpeg(bytes);
            result.image = std::move(jpeg.image);
            reason = jpeg.error;
        } else {
            result.image = decodeWithQt(bytes, reason);
        }
        // The one place where EXIF orientation is applied: no reader above
        // turns the picture itself.
        result.image = orientedUpright(std::move(result.image), result.metadata.orientation);
    }
    if (result.image.isNull())
        return fail(name, reason.isEmpty() ? Reasons::tr("unknown error") : reason);

    // In place where Qt can; JPEG and HEIF arrive in the working layout.
    convertToWorkingLayout(result.image);
    if (result.image.isNull())
        return fail(name, Reasons::tr("out of memory converting the picture"));
    return result;
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
    return decodeBytes(data, name);
}

QSize imageSizeFromHeader(const QByteArray &data)
{
    if (looksLikeJpeg(data)) {
        // libjpeg reads the headers without loading Qt's image plugins.
        const QSize stored = jpegHeaderSize(data);
        return stored.isValid() && turnsSideways(readMetadata(data).orientation) ? stored.transposed() : stored;
    }
    if (!oversizedPngChunk(data).isEmpty())
        return QSize();
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return QSize();
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.size();
}

} // namespace tintwell
