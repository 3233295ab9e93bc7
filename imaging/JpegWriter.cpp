// JPEG encoding through libjpeg into a growing QByteArray.
#include "JpegWriter.h"

#include "BufferPool.h"
#include "ImagePath.h"
#include "JpegErrors.h"
#include "Reasons.h"

#include <QColorSpace>

#include <algorithm>
#include <limits>
#include <mutex>
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

// Where the entropy-coded data of a whole JPEG file made by runBand start
// (after its scan header; they run up to its end marker, its last two
// bytes). -1 when the file has no scan.
qsizetype scanDataStart(const QByteArray &file)
{
    qsizetype at = 2; // after the start marker
    while (at + 4 <= file.size() && uchar(file[at]) == 0xFF) {
        const uchar marker = uchar(file[at + 1]);
        const qsizetype length = (qsizetype(uchar(file[at + 2])) << 8) | uchar(file[at + 3]);
        at += 2 + length;
        if (marker == 0xDA)
            return at <= file.size() - 2 ? at : -1;
    }
    return -1;
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

// The bands of a picture, encoded on every core and handed to the sink in
// order. Whichever thread finishes the band the sink waits for writes it and
// every finished band after it; the others go on encoding meanwhile. Written
// band buffers are used again for later bands, so their memory is touched
// once.
class BandWriter
{
public:
    BandWriter(const QImage &image, int bandRows, const ByteSink &sink)
        : m_image(image)
        , m_bandRows(bandRows)
        , m_bands((image.height() + bandRows - 1) / bandRows)
        , m_sink(sink)
        , m_encoded(std::size_t(m_bands))
        , m_errors(std::size_t(m_bands))
        , m_done(std::size_t(m_bands), false)
    {
    }

    // Empty on success, else the first reason in band order.
    QString run()
    {
#pragma omp parallel for schedule(dynamic)
        for (int band = 0; band < m_bands; ++band)
            encodeBand(band);
        for (const QString &error : m_errors) {
            if (!error.isEmpty())
                return error;
        }
        return m_sinkFailed || m_written < m_bands ? Reasons::tr("the file could not be written") : QString();
    }

private:
    void encodeBand(int band)
    {
        QByteArray buffer;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopped)
                return;
            if (!m_spare.empty()) {
                buffer = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        const int first = band * m_bandRows;
        Encoder encoder;
        encoder.runBand(m_image, first, std::min(m_bandRows, m_image.height() - first), buffer);

        std::unique_lock<std::mutex> lock(m_mutex);
        m_encoded[std::size_t(band)] = std::move(buffer);
        m_errors[std::size_t(band)] = encoder.error;
        m_done[std::size_t(band)] = true;
        m_stopped = m_stopped || !encoder.error.isEmpty();
        if (m_writing)
            return; // the thread writing takes this band in its turn
        m_writing = true;
        while (!m_stopped && m_written < m_bands && m_done[std::size_t(m_written)]) {
            QByteArray &file = m_encoded[std::size_t(m_written)];
            const int index = m_written;
            lock.unlock();
            const bool written = writeBand(file, index);
            lock.lock();
            m_spare.push_back(std::move(file));
            if (!written) {
                m_sinkFailed = m_stopped = true;
                break;
            }
            ++m_written;
        }
        m_writing = false;
    }

    // A band's entropy-coded data, followed by the restart marker that
    // starts the next band, or by the end marker after the last.
    bool writeBand(QByteArray &file, int band)
    {
        const qsizetype start = scanDataStart(file);
        if (start < 0 || !file.endsWith(QByteArrayView("\xFF\xD9", 2))) {
            m_errors[std::size_t(band)] = Reasons::tr("JPEG encoder wrote no picture data");
            return false;
        }
        if (band + 1 < m_bands)
            file[file.size() - 1] = char(JPEG_RST0 + band % 8); // in place of the end marker's D9
        return m_sink(QByteArrayView(file).sliced(start));
    }

    const QImage &m_image;
    const int m_bandRows;
    const int m_bands;
    const ByteSink &m_sink;
    std::mutex m_mutex;
    std::vector<QByteArray> m_encoded; // until written
    std::vector<QString> m_errors;
    std::vector<bool> m_done;
    std::vector<QByteArray> m_spare;   // written bands' buffers
    int m_written = 0;                 // bands given to the sink
    bool m_writing = false;            // a thread is giving bands to the sink
    bool m_stopped = false;            // a band or the sink failed: no more bands
    bool m_sinkFailed = false;
};

} // namespace

QString encodeJpeg(const QImage &image, const PictureMetadata &metadata, const ByteSink &sink)
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
    QByteArray headers; // the whole file when it is not made in bands
    {
        Encoder header;
        header.run(working, icc, metadata, iptcResource, bandRows, headers);
        if (!header.error.isEmpty())
            return header.error;
    }
    if (!sink(headers))
        return Reasons::tr("the file could not be written");
    if (bandRows == 0)
        return QString();
    QByteArray().swap(headers);

    // Each band is one restart interval: encoded on its own, its data are
    // the bytes the whole encoder would write for those rows after a restart
    // (DC predictions start again from zero, the last byte is padded with ones),
    // so the file is the headers, the bands' data with a restart marker
    // between each two, and the end marker.
    return BandWriter(working, bandRows, sink).run();
}

QString encodeJpeg(const QImage &image, const PictureMetadata &metadata, QByteArray &out)
{
    out.clear();
    // About what quality 100 without subsampling takes for a photo; only the
    // bytes written are touched, in huge pages where the system has them.
    if (!image.isNull()) {
        out.reserve(qsizetype(std::min<qint64>(qint64{image.width()} * image.height() * 2 + 65536, qint64{1} << 31)));
        adviseHugePages(out.data(), out.capacity());
    }
    const QString error = encodeJpeg(image, metadata, [&out](QByteArrayView piece) {
        out.append(piece);
        return true;
    });
    if (!error.isEmpty())
        out.clear();
    return error;
}

} // namespace tintwell
