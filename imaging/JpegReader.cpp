// JPEG decoding through libjpeg into RGBX rows of a QImage.
#include "JpegReader.h"

#include "BufferPool.h"

#include "ImageLimits.h"
#include "JpegErrors.h"
#include "Reasons.h"

#include <QColorSpace>

#include <algorithm>
#include <climits>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace tintwell {

namespace {

// Stops a progressive file whose scans run past the limit. libjpeg calls this
// between scans and rows while it gathers a multi-scan file.
void watchScans(j_common_ptr cinfo)
{
    const auto *decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompressor->input_scan_number > maxProgressiveScans)
        failJpeg(cinfo, QT_TRANSLATE_NOOP("tintwell", "too many progressive scans (a damaged or hostile file)"));
}

// The fewest MCUs a Huffman-coded picture of this header holds: every MCU
// costs at least one bit, so shorter data cannot hold the picture it claims.
qint64 minimumMcuCount(const jpeg_decompress_struct &cinfo)
{
    int maxH = 1;
    int maxV = 1;
    for (int i = 0; i < cinfo.num_components; ++i) {
        maxH = std::max(maxH, cinfo.comp_info[i].h_samp_factor);
        maxV = std::max(maxV, cinfo.comp_info[i].v_samp_factor);
    }
    const qint64 mcuWidth = 8 * maxH;
    const qint64 mcuHeight = 8 * maxV;
    return ((qint64{cinfo.image_width} + mcuWidth - 1) / mcuWidth)
           * ((qint64{cinfo.image_height} + mcuHeight - 1) / mcuHeight);
}

// CMYK rows as libjpeg gives them, turned into RGBX in place (4 bytes a pixel
// either way). Files with an APP14 colour-transform marker store the inks
// inverted (255 is no ink).
void cmykToRgbx(uchar *row, int width, bool inverted)
{
    for (int x = 0; x < width; ++x) {
        uchar *p = row + 4 * x;
        const int k = inverted ? p[3] : 255 - p[3];
        for (int c = 0; c < 3; ++c) {
            const int paper = inverted ? p[c] : 255 - p[c];
            p[c] = uchar((paper * k + 127) / 255);
        }
        p[3] = 0xFF;
    }
}

// Pictures of at least this many pixels may be decoded by two decoders at
// once.
constexpr qint64 minimumSplitPixels = 1 << 20;

// Decodes in flight in this process: a helper decoder is started only while
// every decode can have one without taking a core from another.
std::atomic<int> decodesInFlight{0};

// Whether a core would sit idle beside this thread now: the scheduler's count
// of runnable threads, this one included, is below the number of cores. With
// every core busy a helper only takes time from the others (and from the top
// decoder). No when the count cannot be read.
bool coreIdleNow()
{
    const int fd = ::open("/proc/loadavg", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[128];
    const ssize_t length = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (length <= 0)
        return false;
    text[length] = '\0';
    // "0.52 0.58 0.59 2/612 12345": the fourth field is runnable/existing.
    const char *slash = std::strchr(text, '/');
    if (!slash)
        return false;
    const char *start = slash;
    while (start > text && start[-1] != ' ')
        --start;
    const int runnable = std::atoi(start);
    return runnable > 0 && runnable < int(std::thread::hardware_concurrency());
}

// The rows of one picture shared by the decoder that starts at the top and a
// helper that starts at the same place, skips rows (entropy decoding only,
// which is faster than a full decode) and takes over the rows from `split`
// to the bottom once it is as far below the top decoder as it has rows left.
// A helper that is overtaken, or that fails before it owns rows, stops
// without a trace: the top decoder then decodes every row, as a decoder alone
// would. A file without restart markers can be split no other way, since a
// row's entropy-coded data can only be found by decoding everything before it.
struct RowSplit {
    std::mutex mutex;
    int height = 0;
    int split = 0;        // first row the helper decodes; `height` while it owns none
    int claimed = 0;      // rows the top decoder has taken on
    std::atomic<bool> failed{false}; // the decoder of some rows failed: the other stops
};

// The rows from a started decompressor's next one up to `end` into the
// picture, in batches that libjpeg may fill in several calls.
void readRows(jpeg_decompress_struct &cinfo, uchar *bits, qsizetype stride, int end, bool cmyk,
              bool invertedInks)
{
    constexpr int batch = 16;
    JSAMPROW rows[batch];
    while (int(cinfo.output_scanline) < end) {
        const int first = int(cinfo.output_scanline);
        const int count = std::min(batch, end - first);
        for (int i = 0; i < count; ++i)
            rows[i] = bits + (first + i) * stride;
        const int read = int(jpeg_read_scanlines(&cinfo, rows, JDIMENSION(count)));
        if (read <= 0)
            failJpeg(reinterpret_cast<j_common_ptr>(&cinfo), QT_TRANSLATE_NOOP("tintwell", "the JPEG decoder stopped early"));
        if (cmyk) {
            for (int i = 0; i < read; ++i)
                cmykToRgbx(rows[i], int(cinfo.output_width), invertedInks);
        }
    }
}

// A decompressor of encoded bytes in memory, destroyed with its holder.
// Errors jump back to the holder's setjmp; open() is called after it.
struct MemoryDecompressor {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    bool created = false;

    ~MemoryDecompressor()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
    void open(QByteArrayView data)
    {
        jpeg_create_decompress(&cinfo);
        created = true;
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.data()),
                     static_cast<unsigned long>(data.size()));
    }
};

// The helper: a second decompressor of the same data with the same output
// settings (see RowSplit).
struct HelperDecoder : MemoryDecompressor {
    bool owns = false; // it took over rows: its failure is the picture's
    QString error;

    void run(QByteArrayView data, J_COLOR_SPACE space, RowSplit &rows, uchar *bits, qsizetype stride);
};

void HelperDecoder::run(QByteArrayView data, J_COLOR_SPACE space, RowSplit &rows, uchar *bits, qsizetype stride)
{
    installJpegErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.jump)) {
        if (owns) {
            error = Reasons::marked(errors.reason);
            rows.failed = true;
        }
        return;
    }
    open(data);
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return;
    cinfo.out_color_space = space;
    const bool cmyk = space == JCS_CMYK;
    const bool invertedInks = cmyk && cinfo.saw_Adobe_marker;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 4 || int(cinfo.output_height) != rows.height)
        return;

    // One row of blocks (of MCUs) at a time: a skip that ends inside one
    // would decode that row in full.
    const int step = cinfo.max_v_samp_factor * DCTSIZE;
    for (;;) {
        if (rows.failed)
            return;
        jpeg_skip_scanlines(&cinfo, JDIMENSION(step));
        const int at = int(cinfo.output_scanline);
        std::lock_guard<std::mutex> lock(rows.mutex);
        // Started later, it catches up while the top decoder is not near
        // the end.
        if (at >= rows.height || rows.height - rows.claimed < rows.height / 8)
            return;
        if (at > rows.claimed && at - rows.claimed >= rows.height - at) {
            rows.split = at;
            owns = true;
            break;
        }
    }
    readRows(cinfo, bits, stride, rows.height, cmyk, invertedInks);
    jpeg_finish_decompress(&cinfo);
}

// Everything that lives across libjpeg calls is kept here rather than in
// locals of run(): a jump back to run()'s setjmp skips no destructor and finds
// every value in memory.
struct Decoder : MemoryDecompressor {
    jpeg_progress_mgr progress{};
    JOCTET *icc = nullptr;
    unsigned int iccLength = 0;
    QColorSpace space;
    int dotsPerMeterX = 0; // from the JFIF header; 0 when it gives none
    int dotsPerMeterY = 0;
    JpegDecodeResult result;
    RowSplit rows;
    HelperDecoder helper;
    std::thread helperThread;
    bool counted = false; // in decodesInFlight

    ~Decoder()
    {
        finishHelper();
        std::free(icc);
    }

    void run(QByteArrayView data);
    // Waits for the helper, if one was started, and leaves the count.
    void finishHelper()
    {
        if (helperThread.joinable())
            helperThread.join();
        if (counted)
            --decodesInFlight;
        counted = false;
    }

private:
    void startHelper(QByteArrayView data, uchar *bits, qsizetype stride);
};

void Decoder::startHelper(QByteArrayView data, uchar *bits, qsizetype stride)
{
    counted = true;
    const int decodes = ++decodesInFlight;
    const bool worthIt = qint64{cinfo.output_width} * cinfo.output_height >= minimumSplitPixels;
    // Skipping rows is fast only where each scan holds every component once.
    const bool skippable = !jpeg_has_multiple_scans(&cinfo) && !cinfo.arith_code;
    // Tests set this to have every large picture split, busy cores or not.
    static const bool alwaysSplit = qEnvironmentVariableIsSet("TINTWELL_TEST_SPLIT_DECODES");
    const bool coreFree = 2 * decodes <= int(std::thread::hardware_concurrency()) && coreIdleNow();
    if (!worthIt || !skippable || !(coreFree || alwaysSplit))
        return;
    try {
        helperThread = std::thread([this, data, bits, stride, space = cinfo.out_color_space] {
            helper.run(data, space, rows, bits, stride);
        });
    } catch (...) {
        // No thread (or no memory for one): the top decoder does every row.
    }
}

void Decoder::run(QByteArrayView data)
{
    installJpegErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.jump)) {
        // The helper writes into the picture until it has stopped.
        rows.failed = true;
        finishHelper();
        result.image = QImage();
        result.error = Reasons::marked(errors.reason);
        return;
    }
    open(data);
    progress.progress_monitor = watchScans;
    cinfo.progress = &progress;
    jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF); // the colour profile
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        failJpeg(reinterpret_cast<j_common_ptr>(&cinfo), QT_TRANSLATE_NOOP("tintwell", "no picture in the JPEG data"));

    const int width = int(cinfo.image_width);
    const int height = int(cinfo.image_height);
    if (!fitsWorkingLayout(cinfo.image_width, cinfo.image_height)) {
        result.error = Reasons::tr("picture of %1 x %2 pixels is too large (limit %3 bytes)")
                           .arg(cinfo.image_width)
                           .arg(cinfo.image_height)
                           .arg(maxWorkingBytes);
        return;
    }
    if (!cinfo.arith_code && data.size() < minimumMcuCount(cinfo) / 8) {
        result.error = Reasons::tr("corrupt JPEG data: %1 bytes cannot hold a picture of %2 x %3 pixels")
                           .arg(data.size())
                           .arg(width)
                           .arg(height);
        return;
    }

    bool cmyk = false;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        // The filler byte set to 0xFF, as Format_RGBX8888 wants it.
        cinfo.out_color_space = JCS_EXT_RGBA;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        result.error = Reasons::tr("JPEG colour space %1 is not supported").arg(int(cinfo.jpeg_color_space));
        return;
    }
    const bool invertedInks = cmyk && cinfo.saw_Adobe_marker;
    if (cinfo.saw_JFIF_marker && (cinfo.density_unit == 1 || cinfo.density_unit == 2)) {
        const double perMeter = cinfo.density_unit == 1 ? 1 / 0.0254 : 100.0; // per inch, per cm
        dotsPerMeterX = qRound(cinfo.X_density * perMeter);
        dotsPerMeterY = qRound(cinfo.Y_density * perMeter);
    }

    // An RGB profile labels the decoded bytes; a CMYK one describes inks that
    // the conversion to RGB below does away with. A damaged profile only
    // costs the profile: its warnings do not refuse the picture.
    errors.warningsFail = false;
    const bool haveProfile = !cmyk && jpeg_read_icc_profile(&cinfo, &icc, &iccLength);
    errors.warningsFail = true;
    if (haveProfile) {
        space = QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char *>(icc), int(iccLength)));
    }

    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 4)
        failJpeg(reinterpret_cast<j_common_ptr>(&cinfo), QT_TRANSLATE_NOOP("tintwell", "unexpected JPEG output layout"));

    result.image = blankImage(QSize(width, height), QImage::Format_RGBX8888);
    if (result.image.isNull())
        failJpeg(reinterpret_cast<j_common_ptr>(&cinfo), QT_TRANSLATE_NOOP("tintwell", "out of memory for the picture"));
    if (space.isValid())
        result.image.setColorSpace(space);
    if (dotsPerMeterX > 0 && dotsPerMeterY > 0) {
        result.image.setDotsPerMeterX(dotsPerMeterX);
        result.image.setDotsPerMeterY(dotsPerMeterY);
    }
    uchar *const bits = result.image.bits();
    const qsizetype stride = result.image.bytesPerLine();

    rows.height = height;
    rows.split = height;
    startHelper(data, bits, stride);
    // Rows are taken on a row of blocks at a time, up to where the helper
    // took over (the bottom while it has not).
    const int step = cinfo.max_v_samp_factor * DCTSIZE;
    for (;;) {
        int end = 0;
        {
            std::lock_guard<std::mutex> lock(rows.mutex);
            if (rows.claimed >= rows.split)
                break;
            end = std::min(rows.claimed + step, rows.split);
            rows.claimed = end;
        }
        readRows(cinfo, bits, stride, end, cmyk, invertedInks);
        if (rows.failed)
            return; // the helper's reason is the picture's
    }
    if (int(cinfo.output_scanline) < height)
        return; // the helper decodes the rest and reads the file to its end
    jpeg_finish_decompress(&cinfo);
}

} // namespace

bool looksLikeJpeg(QByteArrayView data)
{
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 && uchar(data[2]) == 0xFF;
}

QSize jpegHeaderSize(QByteArrayView data)
{
    // Everything jumped over lives outside the function that calls setjmp.
    struct Header : MemoryDecompressor {
        QSize size;
    } header;
    const auto read = [&header, data] {
        installJpegErrors(reinterpret_cast<j_common_ptr>(&header.cinfo), header.errors);
        if (setjmp(header.errors.jump))
            return;
        header.open(data);
        if (jpeg_read_header(&header.cinfo, TRUE) == JPEG_HEADER_OK)
            header.size = QSize(int(std::min<JDIMENSION>(header.cinfo.image_width, INT_MAX)),
                                int(std::min<JDIMENSION>(header.cinfo.image_height, INT_MAX)));
    };
    read();
    return header.size;
}

JpegDecodeResult decodeJpeg(QByteArrayView data)
{
    Decoder decoder;
    decoder.run(data);
    decoder.finishHelper();
    if (decoder.helper.owns && !decoder.helper.error.isEmpty() && decoder.result.error.isEmpty()) {
        decoder.result.image = QImage();
        decoder.result.error = decoder.helper.error;
    }
    return std::move(decoder.result);
}

} // namespace tintwell
