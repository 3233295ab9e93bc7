// JPEG decoding through libjpeg into RGBX rows of a QImage.
#include "JpegReader.h"

#include "BufferPool.h"

#include "ImageLimits.h"
#include "JpegErrors.h"
#include "Reasons.h"

#include <QColorSpace>

#include <algorithm>
#include <cstdlib>

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

// Everything that lives across libjpeg calls is kept here rather than in
// locals of run(): a jump back to run()'s setjmp skips no destructor and finds
// every value in memory.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors;
    jpeg_progress_mgr progress{};
    JOCTET *icc = nullptr;
    unsigned int iccLength = 0;
    bool created = false;
    QColorSpace space;
    int dotsPerMeterX = 0; // from the JFIF header; 0 when it gives none
    int dotsPerMeterY = 0;
    JpegDecodeResult result;

    ~Decoder()
    {
        std::free(icc);
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }

    void run(QByteArrayView data);
};

void Decoder::run(QByteArrayView data)
{
    installJpegErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.jump)) {
        result.image = QImage();
        result.error = Reasons::marked(errors.reason);
        return;
    }
    jpeg_create_decompress(&cinfo);
    created = true;
    progress.progress_monitor = watchScans;
    cinfo.progress = &progress;

    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.data()),
                 static_cast<unsigned long>(data.size()));
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
        failJpeg(reinterpret_cast<j_common_ptr>(&cinfo),
                 QT_TRANSLATE_NOOP("tintwell", "unexpected JPEG output layout"));

    result.image = blankImage(QSize(width, height), QImage::Format_RGBX8888);
    if (result.image.isNull())
        failJpeg(reinterpret_cast<j_common_ptr>(&cinfo),
                 QT_TRANSLATE_NOOP("tintwell", "out of memory for the picture"));
    if (space.isValid())
        result.image.setColorSpace(space);
    if (dotsPerMeterX > 0 && dotsPerMeterY > 0) {
        result.image.setDotsPerMeterX(dotsPerMeterX);
        result.image.setDotsPerMeterY(dotsPerMeterY);
    }
    uchar *const bits = result.image.bits();
    const qsizetype stride = result.image.bytesPerLine();

    constexpr int batch = 16;
    JSAMPROW rows[batch];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = int(cinfo.output_scanline);
        const int count = std::min(batch, height - first);
        for (int i = 0; i < count; ++i)
            rows[i] = bits + (first + i) * stride;
        const int read = int(jpeg_read_scanlines(&cinfo, rows, JDIMENSION(count)));
        if (read <= 0)
            failJpeg(reinterpret_cast<j_common_ptr>(&cinfo),
                     QT_TRANSLATE_NOOP("tintwell", "the JPEG decoder stopped early"));
        if (cmyk) {
            for (int i = 0; i < read; ++i)
                cmykToRgbx(rows[i], width, invertedInks);
        }
    }
    jpeg_finish_decompress(&cinfo);
}

} // namespace

bool looksLikeJpeg(QByteArrayView data)
{
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 && uchar(data[2]) == 0xFF;
}

JpegDecodeResult decodeJpeg(QByteArrayView data)
{
    Decoder decoder;
    decoder.run(data);
    return std::move(decoder.result);
}

} // namespace tintwell
