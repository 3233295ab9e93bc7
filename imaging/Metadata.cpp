// Picture metadata through exiv2: read from encoded bytes of any format it
// knows, adjusted for a result whose pixels are upright and of a new size, and
// written into encoded PNG or JPEG bytes. exiv2 reports problems by throwing
// and by logging to stderr; both stay inside this unit.
#include "Metadata.h"

#include "ImageLimits.h"

#if defined(__GNUC__)
// exiv2 0.27's headers still name std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include <exiv2/exiv2.hpp>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <exception>
#include <mutex>
#include <string>

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif

namespace tintwell {

namespace {

// Metadata blocks above this size are dropped rather than carried along: no
// camera or editor writes anything near it, and a JPEG segment holds 64 KB.
constexpr qsizetype maxBlockBytes = qsizetype(16) * 1024 * 1024;

std::mutex xmpMutex;

void lockXmp(void *, bool lock)
{
    if (lock)
        xmpMutex.lock();
    else
        xmpMutex.unlock();
}

// Once per process, before any other exiv2 call: no log output, and the XMP
// toolkit set up to be used from several threads (the command-line tool
// decodes pictures in parallel).
void prepareExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::enableBMFF(true); // HEIF and AVIF, off by default
        Exiv2::XmpParser::initialize(&lockXmp, nullptr);
    });
}

QByteArray toBytes(const Exiv2::Blob &blob)
{
    if (blob.empty() || qsizetype(blob.size()) > maxBlockBytes)
        return {};
    return QByteArray(reinterpret_cast<const char *>(blob.data()), qsizetype(blob.size()));
}

Exiv2::ByteOrder exifByteOrder(const QByteArray &exif)
{
    return exif.startsWith("MM") ? Exiv2::bigEndian : Exiv2::littleEndian;
}

// Sets `key` to `value` when the data holds it.
void replaceIfPresent(Exiv2::ExifData &data, const char *key, const std::string &value)
{
    auto it = data.findKey(Exiv2::ExifKey(key));
    if (it != data.end())
        it->setValue(value);
}

QByteArray exifForResult(const QByteArray &exif, QSize size)
{
    if (exif.isEmpty())
        return {};
    Exiv2::ExifData data;
    const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(
        data, reinterpret_cast<const Exiv2::byte *>(exif.constData()), uint32_t(exif.size()));
    if (data.empty())
        return {};
    // The pixels are already upright.
    replaceIfPresent(data, "Exif.Image.Orientation", "1");
    // A thumbnail of the unfiltered picture would misrepresent the result.
    Exiv2::ExifThumb(data).erase();
    const std::string width = std::to_string(size.width());
    const std::string height = std::to_string(size.height());
    data["Exif.Photo.PixelXDimension"] = uint32_t(size.width());
    data["Exif.Photo.PixelYDimension"] = uint32_t(size.height());
    replaceIfPresent(data, "Exif.Image.ImageWidth", width);
    replaceIfPresent(data, "Exif.Image.ImageLength", height);
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, order == Exiv2::invalidByteOrder ? exifByteOrder(exif) : order, data);
    return toBytes(blob);
}

QByteArray xmpForResult(const QByteArray &xmp, QSize size)
{
    if (xmp.isEmpty())
        return {};
    Exiv2::XmpData data;
    if (Exiv2::XmpParser::decode(data, xmp.toStdString()) != 0)
        return xmp; // unreadable here, so it is passed on as it came
    static const char *const keys[][2] = {
        {"Xmp.tiff.Orientation", nullptr},
        {"Xmp.tiff.ImageWidth", "w"},
        {"Xmp.tiff.ImageLength", "h"},
        {"Xmp.exif.PixelXDimension", "w"},
        {"Xmp.exif.PixelYDimension", "h"},
    };
    bool changed = false;
    for (const auto &entry : keys) {
        auto it = data.findKey(Exiv2::XmpKey(entry[0]));
        if (it == data.end())
            continue;
        const std::string value = entry[1] == nullptr ? std::string("1")
                                  : entry[1][0] == 'w' ? std::to_string(size.width())
                                                       : std::to_string(size.height());
        if (it->toString() != value) {
            it->setValue(value);
            changed = true;
        }
    }
    if (!changed)
        return xmp;
    std::string packet;
    if (Exiv2::XmpParser::encode(packet, data) != 0)
        return {};
    return QByteArray::fromStdString(packet);
}

// `encoded` (a whole file exiv2 can write) with the metadata written into it
// as the format carries it, the rest of the file (pixels, colour profile)
// kept; `encoded` itself when there is nothing to add or it cannot be added.
QByteArray embedMetadata(const QByteArray &encoded, const PictureMetadata &metadata)
{
    if (metadata.isEmpty() || encoded.isEmpty() || encoded.size() > maxEncodedBytes)
        return encoded;
    try {
        prepareExiv2();
        auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(encoded.constData()),
                                               long(encoded.size()));
        if (!image.get())
            return encoded;
        image->readMetadata(); // keeps what the encoder wrote, such as the colour profile
        if (!metadata.exif.isEmpty()) {
            Exiv2::ExifData exif;
            const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(
                exif, reinterpret_cast<const Exiv2::byte *>(metadata.exif.constData()),
                uint32_t(metadata.exif.size()));
            image->setExifData(exif);
            if (order != Exiv2::invalidByteOrder)
                image->setByteOrder(order);
        }
        if (!metadata.iptc.isEmpty()) {
            Exiv2::IptcData iptc;
            if (Exiv2::IptcParser::decode(iptc, reinterpret_cast<const Exiv2::byte *>(metadata.iptc.constData()),
                                          uint32_t(metadata.iptc.size())) == 0)
                image->setIptcData(iptc);
        }
        if (!metadata.xmp.isEmpty()) {
            image->setXmpPacket(metadata.xmp.toStdString());
            image->writeXmpFromPacket(true);
        }
        image->writeMetadata();
        Exiv2::BasicIo &io = image->io();
        if (io.open() != 0)
            return encoded;
        const long size = io.size();
        QByteArray out(size, Qt::Uninitialized);
        const bool complete = size > 0 && io.read(reinterpret_cast<Exiv2::byte *>(out.data()), size) == size;
        io.close();
        return complete ? out : encoded;
    } catch (...) {
        return encoded;
    }
}

} // namespace

PictureMetadata readMetadata(QByteArrayView encoded)
{
    if (encoded.isEmpty() || encoded.size() > maxEncodedBytes)
        return {};
    try {
        prepareExiv2();
        // Reads the bytes where they are; nothing is copied or written.
        auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(encoded.data()),
                                               long(encoded.size()));
        if (!image.get())
            return {};
        image->readMetadata();
        PictureMetadata metadata;
        const Exiv2::ExifData &exif = image->exifData();
        if (!exif.empty()) {
            Exiv2::Blob blob;
            const Exiv2::ByteOrder order = image->byteOrder();
            Exiv2::ExifParser::encode(blob, order == Exiv2::invalidByteOrder ? Exiv2::littleEndian : order, exif);
            metadata.exif = toBytes(blob);
            const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
            if (it != exif.end() && it->count() > 0) {
                const long orientation = it->toLong();
                if (orientation >= 1 && orientation <= 8)
                    metadata.orientation = int(orientation);
            }
        }
        const std::string &xmp = image->xmpPacket();
        if (!xmp.empty() && qsizetype(xmp.size()) <= maxBlockBytes)
            metadata.xmp = QByteArray::fromStdString(xmp);
        if (!image->iptcData().empty()) {
            const Exiv2::DataBuf iptc = Exiv2::IptcParser::encode(image->iptcData());
            if (iptc.size_ > 0 && iptc.size_ <= maxBlockBytes)
                metadata.iptc = QByteArray(reinterpret_cast<const char *>(iptc.pData_), qsizetype(iptc.size_));
        }
        return metadata;
    } catch (const std::exception &) {
        return {};
    } catch (...) {
        return {};
    }
}

PictureMetadata metadataForResult(const PictureMetadata &source, QSize size)
{
    PictureMetadata result;
    result.iptc = source.iptc;
    try {
        prepareExiv2();
        result.exif = exifForResult(source.exif, size);
        result.xmp = xmpForResult(source.xmp, size);
    } catch (...) {
        // Metadata that cannot be adjusted is left out rather than written
        // with a wrong orientation or a thumbnail of another picture.
        result.exif.clear();
        result.xmp.clear();
    }
    return result;
}

QByteArray embedMetadataInPng(const QByteArray &png, const PictureMetadata &metadata)
{
    if (!png.startsWith("\x89PNG\r\n\x1a\n"))
        return png;
    return embedMetadata(png, metadata);
}

} // namespace tintwell
