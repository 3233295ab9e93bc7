// JPEG encoding through libjpeg into a growing QByteArray.
#include "JpegWriter.h"

#include "BufferPool.h"
#include "ImagePath.h"
#include "JpegErrors.h"

#include <QColorSpace>

#include <algorithm>
#include <limits>

namespace tintwell {

namespace {

constexpr int jpegQuality = 100;

// Largest payload of one marker segment (its length field counts itself).
constexpr qsizetype maxSegmentPayload = 65533;

// A libjpeg destination that writes into a QByteArray, doubling it as needed.
struct ByteArrayDestination {
    jpeg_destination_mgr manager; // first: libjpeg sees only this
    QByteArray *out = nullptr;
};

ByteArrayDestination &destinationOf(j_compress_ptr cinfo)
{
    return *reinterpret_cast<ByteArrayDestination *>(cinfo->dest);
}

void startDestination(j_compress_ptr cinfo)
{
    ByteArrayDestination &dest = destinationOf(cinfo);
    dest.manager.next_output_byte = reinterpret_cast<JOCTET *>(dest.out->data());
    dest.manager.free_in_buffer = size_t(dest.out->size());
}

boolean growDestination(j_compress_ptr cinfo)
{
    // libjpeg calls this only when the whole buffer is full.
    ByteArrayDestination &dest = destinationOf(cinfo);
    const qsizetype used = dest.out->size();
    if (used > std::numeric_limits<qsizetype>::max() / 2)
        failJpeg(reinterpret_cast<j_common_ptr>(cinfo), "JPEG data too large");
    dest.out->resize(used * 2);
    dest.manager.next_output_byte = reinterpret_cast<JOCTET *>(dest.out->data()) + used;
    dest.manager.free_in_buffer = size_t(dest.out->size() - used);
    return TRUE;
}

void finishDestination(j_compress_ptr cinfo)
{
    ByteArrayDestination &dest = destinationOf(cinfo);
    dest.out->resize(dest.out->size() - qsizetype(dest.manager.free_in_buffer));
}

void writeSegment(j_compress_ptr cinfo, int marker, QByteArrayView header, QByteArrayView payload)
{
    const qsizetype length = header.size() + payload.size();
    if (payload.isEmpty() || length > maxSegmentPayload)
        return;
    jpeg_write_m_header(cinfo, marker, unsigned(length));
    for (const char byte : header)
        jpeg_write_m_byte(cinfo, uchar(byte));
    for (const char byte : payload)
        jpeg_write_m_byte(cinfo, uchar(byte));
}

// IPTC records wrapped as image resource 0x0404, the payload of an APP13
// segment after its signature.
QByteArray photoshopIptcResource(const QByteArray &iptc)
{
    QByteArray resource("8BIM\x04\x04\0\0", 8); // type, id, empty name padded to even
    const quint32 size = quint32(iptc.size());
    resource.append(char(size >> 24)).append(char(size >> 16)).append(char(size >> 8)).append(char(size));
    resource.append(iptc);
    if (iptc.size() % 2)
        resource.append('\0');
    return resource;
}

struct Encoder {
    jpeg_compress_struct cinfo{};
    JpegErrors errors;
    ByteArrayDestination destination;
    bool created = false;
    QString error;

    ~Encoder()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
    }

    // Everything run() needs is made before it starts: a jump back to its
    // setjmp must skip no destructor.
    void run(const QImage &image, const QByteArray &icc, const PictureMetadata &metadata,
             const QByteArray &iptcResource, QByteArray &out);
};

void Encoder::run(const QImage &image, const QByteArray &icc, const PictureMetadata &metadata,
                  const QByteArray &iptcResource, QByteArray &out)
{
    installJpegErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.jump)) {
        error = QString::fromLocal8Bit(errors.reason);
        return;
    }
    jpeg_create_compress(&cinfo);
    created = true;

    // Room for the largest file quality 100 without subsampling writes for
    // any but a pathological picture, so the buffer is never copied to grow;
    // the destination doubles it when a picture needs more. Only the bytes
    // written are ever touched, and in huge pages where the system has them.
    const qint64 guess = std::max<qint64>(4096, qint64{image.width()} * image.height() * 4 + 65536);
    out.resize(qsizetype(std::min<qint64>(guess, qint64{1} << 32)));
    adviseHugePages(out.data(), out.size());
    destination.out = &out;
    destination.manager.init_destination = startDestination;
    destination.manager.empty_output_buffer = growDestination;
    destination.manager.term_destination = finishDestination;
    cinfo.dest = &destination.manager;

    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = image.format() == QImage::Format_RGBA8888 ? JCS_EXT_RGBA : JCS_EXT_RGBX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, jpegQuality, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    // A JFIF header and an EXIF one both claim the first segment; EXIF wins.
    cinfo.write_JFIF_header = metadata.exif.isEmpty() ? TRUE : FALSE;
    cinfo.density_unit = 1; // dots per inch
    cinfo.X_density = UINT16(std::clamp(qRound(image.dotsPerMeterX() * 0.0254), 1, 65535));
    cinfo.Y_density = UINT16(std::clamp(qRound(image.dotsPerMeterY() * 0.0254), 1, 65535));

    jpeg_start_compress(&cinfo, TRUE);
    writeSegment(&cinfo, JPEG_APP0 + 1, QByteArrayView("Exif\0\0", 6), metadata.exif);
    writeSegment(&cinfo, JPEG_APP0 + 1, QByteArrayView("http://ns.adobe.com/xap/1.0/\0", 29), metadata.xmp);
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET *>(icc.constData()), unsigned(icc.size()));
    writeSegment(&cinfo, JPEG_APP0 + 13, QByteArrayView("Photoshop 3.0\0", 14), iptcResource);

    const uchar *const bits = image.constBits();
    const qsizetype stride = image.bytesPerLine();
    constexpr int batch = 16;
    JSAMPROW rows[batch];
    while (cinfo.next_scanline < cinfo.image_height) {
        const int first = int(cinfo.next_scanline);
        const int count = std::min(batch, image.height() - first);
        for (int i = 0; i < count; ++i) // libjpeg reads the rows, never writes them
            rows[i] = const_cast<uchar *>(bits + (first + i) * stride);
        jpeg_write_scanlines(&cinfo, rows, JDIMENSION(count));
    }
    jpeg_finish_compress(&cinfo);
}

} // namespace

QString encodeJpeg(const QImage &image, const PictureMetadata &metadata, QByteArray &out)
{
    if (image.isNull())
        return QStringLiteral("no picture to save");
    const QImage working = toWorkingLayout(image);
    if (working.isNull())
        return QStringLiteral("out of memory converting the picture");
    const QColorSpace space = working.colorSpace();
    const QByteArray icc = space.isValid() ? space.iccProfile() : QByteArray();

    Encoder encoder;
    const QByteArray iptcResource = metadata.iptc.isEmpty() ? QByteArray() : photoshopIptcResource(metadata.iptc);
    encoder.run(working, icc, metadata, iptcResource, out);
    if (!encoder.error.isEmpty())
        out.clear();
    return encoder.error;
}

} // namespace tintwell
