// JPEG encoding through libjpeg into a growing QByteArray.
#include "JpegWriter.h"

#include "BufferPool.h"
#include "ImagePath.h"
#include "JpegErrors.h"
#include "Reasons.h"

#include <QColorSpace>

#include <algorithm>
#include <limits>
#include <vector>

namespace tintwell {

namespace {

constexpr int jpegQuality = 100;

// Pictures of at least this many pixels are encoded in bands on several
// threads.
constexpr qint64 minimumBandedPixels = 1 << 20;

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
        failJpeg(reinterpret_cast<j_common_ptr>(cinfo), QT_TRANSLATE_NOOP("tintwell", "JPEG data too large"));
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

    // Everything run() and runBand() need is made before they start: a jump
    // back to their setjmp must skip no destructor.

    // The whole file, or with `restartRows` > 0 only its headers, for bands
    // of that many rows each behind a restart marker.
    void run(const QImage &image, const QByteArray &icc, const PictureMetadata &metadata,
             const QByteArray &iptcResource, int restartRows, QByteArray &out);
    // Rows [first, first + count) as a file of their own, without metadata.
    void runBand(const QImage &image, int first, int count, QByteArray &out);

private:
    void start(QByteArray &out, qint64 guess);
};

// The settings every encoder of a picture shares: quality 100, no chroma
// subsampling, no restart markers, standard Huffman tables.
void setUpCompression(jpeg_compress_struct &cinfo, const QImage &image, int rows)
{
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(rows);
    cinfo.input_components = 4;
    cinfo.in_color_space = image.format() == QImage::Format_RGBA8888 ? JCS_EXT_RGBA : JCS_EXT_RGBX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, jpegQuality, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
}

// Feeds rows [first, first + count) of `image` to a started compressor.
void writeRows(jpeg_compress_struct &cinfo, const QImage &image, int first, int count)
{
    const uchar *const bits = image.constBits();
    const qsizetype stride = image.bytesPerLine();
    constexpr int batch = 16;
    JSAMPROW rows[batch];
    while (int(cinfo.next_scanline) < count) {
        const int done = int(cinfo.next_scanline);
        const int n = std::min(batch, count - done);
        for (int i = 0; i < n; ++i) // libjpeg reads the rows, never writes them
            rows[i] = const_cast<uchar *>(bits + qsizetype(first + done + i) * stride);
        jpeg_write_scanlines(&cinfo, rows, JDIMENSION(n));
    }
}

void Encoder::start(QByteArray &out, qint64 guess)
{
    jpeg_create_compress(&cinfo);
    created = true;
    out.resize(qsizetype(std::min<qint64>(std::max<qint64>(4096, guess), qint64{1} << 32)));
    adviseHugePages(out.data(), out.size());
    destination.out = &out;
    destination.manager.init_destination = startDestination;
    destination.manager.empty_output_buffer = growDestination;
    destination.manager.term_destination = finishDestination;
    cinfo.dest = &destination.manager;
}

void Encoder::run(const QImage &image, const QByteArray &icc, const PictureMetadata &metadata,
                  const QByteArray &iptcResource, int restartRows, QByteArray &out)
{
    installJpegErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.jump)) {
        error = Reasons::marked(errors.reason);
        return;
    }
    // Room for the largest file quality 100 without subsampling writes for
    // any but a pathological picture, so the buffer is never copied to grow;
    // the destination doubles it when a picture needs more. Only the bytes
    // written are ever touched, and in huge pages where the system has them.
    start(out, restartRows > 0 ? 65536 : qint64{image.width()} * image.height() * 4 + 65536);
    setUpCompression(cinfo, image, image.height());
    cinfo.restart_in_rows = restartRows / DCTSIZE;
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
    if (restartRows > 0) {
        // Headers only: writing no rows makes libjpeg emit the frame and scan
        // headers (with the restart interval); the bands follow.
        jpeg_write_scanlines(&cinfo, nullptr, 0);
        out.resize(qsizetype(reinterpret_cast<char *>(destination.manager.next_output_byte) - out.data()));
        jpeg_abort_compress(&cinfo);
        return;
    }
    writeRows(cinfo, image, 0, image.height());
    jpeg_finish_compress(&cinfo);
}

void Encoder::runBand(const QImage &image, int first, int count, QByteArray &out)
{
    installJpegErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.jump)) {
        error = Reasons::marked(errors.reason);
        return;
    }
    start(out, qint64{image.width()} * count * 4 + 65536);
    setUpCompression(cinfo, image, count);
    cinfo.write_JFIF_header = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    writeRows(cinfo, image, first, count);
    jpeg_finish_compress(&cinfo);
}

// The entropy-coded data of a whole JPEG file made by runBand: what stands
// between its scan header and its end marker. Empty when the file has no scan.
QByteArrayView scanData(const QByteArray &file)
{
    qsizetype at = 2; // after the start marker
    while (at + 4 <= file.size() && uchar(file[at]) == 0xFF) {
        const uchar marker = uchar(file[at + 1]);
        const qsizetype length = (qsizetype(uchar(file[at + 2])) << 8) | uchar(file[at + 3]);
        at += 2 + length;
        if (marker == 0xDA)
            return at <= file.size() - 2 ? QByteArrayView(file).sliced(at, file.size() - 2 - at) : QByteArrayView();
    }
    return {};
}

// Rows of a restart band: a whole number of eight-row block rows, as many as
// keep the band's blocks within the 16-bit restart interval, at most 512 rows;
// 0 when the picture is too small to be worth encoding in bands.
int restartBandRows(const QImage &image)
{
    const int blocksPerRow = (image.width() + DCTSIZE - 1) / DCTSIZE;
    const int blockRows = std::min(64, 65535 / std::max(1, blocksPerRow));
    const int rows = blockRows * DCTSIZE;
    const bool worthIt = qint64{image.width()} * image.height() >= minimumBandedPixels;
    return worthIt && blockRows > 0 && image.height() > rows ? rows : 0;
}

} // namespace

QString encodeJpeg(const QImage &image, const PictureMetadata &metadata, QByteArray &out)
{
    if (image.isNull())
        return Reasons::tr("no picture to save");
    if (image.width() > JPEG_MAX_DIMENSION || image.height() > JPEG_MAX_DIMENSION)
        return Reasons::tr("JPEG cannot hold more than %1 pixels a side").arg(JPEG_MAX_DIMENSION);
    const QImage working = toWorkingLayout(image);
    if (working.isNull())
        return Reasons::tr("out of memory converting the picture");
    const QColorSpace space = working.colorSpace();
    const QByteArray icc = space.isValid() ? space.iccProfile() : QByteArray();

    const QByteArray iptcResource = metadata.iptc.isEmpty() ? QByteArray() : photoshopIptcResource(metadata.iptc);
    const int bandRows = restartBandRows(working);
    Encoder header;
    header.run(working, icc, metadata, iptcResource, bandRows, out);
    if (!header.error.isEmpty() || bandRows == 0) {
        if (!header.error.isEmpty())
            out.clear();
        return header.error;
    }

    // Each band is one restart interval: encoded on its own, its data are
    // the bytes the whole encoder would write for those rows after a restart
    // (DC predictions start again from zero, the last byte is padded with ones),
    // so the file is the headers, the bands' data with a restart marker
    // between each two, and the end marker.
    const int bands = (working.height() + bandRows - 1) / bandRows;
    std::vector<QByteArray> encoded(static_cast<std::size_t>(bands));
    std::vector<QString> errors(static_cast<std::size_t>(bands));
#pragma omp parallel for schedule(dynamic)
    for (int band = 0; band < bands; ++band) {
        const int first = band * bandRows;
        Encoder encoder;
        encoder.runBand(working, first, std::min(bandRows, working.height() - first), encoded[std::size_t(band)]);
        errors[std::size_t(band)] = encoder.error;
    }
    qsizetype total = out.size() + 2;
    for (int band = 0; band < bands; ++band) {
        if (!errors[std::size_t(band)].isEmpty()) {
            out.clear();
            return errors[std::size_t(band)];
        }
        total += scanData(encoded[std::size_t(band)]).size() + 2;
    }
    out.reserve(total);
    adviseHugePages(out.data(), total);
    for (int band = 0; band < bands; ++band) {
        const QByteArrayView data = scanData(encoded[std::size_t(band)]);
        if (data.isEmpty()) {
            out.clear();
            return Reasons::tr("JPEG encoder wrote no picture data");
        }
        out.append(data);
        if (band + 1 < bands)
            out.append(char(0xFF)).append(char(JPEG_RST0 + band % 8));
        QByteArray().swap(encoded[std::size_t(band)]);
    }
    out.append(char(0xFF)).append(char(JPEG_EOI));
    return QString();
}

} // namespace tintwell
