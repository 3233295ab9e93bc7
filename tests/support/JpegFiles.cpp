#include "JpegFiles.h"

#include "Pictures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace tintwell::test {

namespace {

// `height` rows of `width` pixels of `components` samples from `row(y, buffer)`,
// at quality 100, with an optional scan script; `full` drops chroma subsampling.
template<typename Row>
QByteArray compress(int width, int height, int components, J_COLOR_SPACE space, Row row,
                    const jpeg_scan_info *script = nullptr, int scans = 0, bool full = false)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    for (int i = 0; full && i < cinfo.num_components; ++i)
        cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    cinfo.scan_info = script;
    cinfo.num_scans = scans;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> samples(size_t(width) * size_t(components));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[] = {row(int(cinfo.next_scanline), samples.data())};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray file(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return file;
}

// An 8 x 8 JPEG of `sample` in every pixel (or a grey gradient when it is empty).
QByteArray compress8x8(const QList<int> &sample, const jpeg_scan_info *script = nullptr, int scans = 0)
{
    const int components = sample.isEmpty() ? 1 : int(sample.size());
    return compress(8, 8, components, components == 4 ? JCS_CMYK : JCS_GRAYSCALE, [&](int y, JSAMPLE *row) {
        for (int i = 0; i < 8 * components; ++i)
            row[i] = JSAMPLE(sample.isEmpty() ? 16 * i + 8 * y : sample.at(i % components));
        return row;
    }, script, scans);
}

} // namespace

QByteArray plainJpeg(const QImage &image)
{
    return compress(image.width(), image.height(), 4, JCS_EXT_RGBX, [&](int y, JSAMPLE *) {
        return const_cast<JSAMPLE *>(image.constScanLine(y));
    }, nullptr, 0, true);
}

QByteArray jpegOfOneColour(const QList<int> &sample)
{
    return compress8x8(sample);
}

QByteArray jpegWithRepeatedScans(int scans)
{
    // A script makes the file progressive: the DC pass, then one AC pass.
    static const jpeg_scan_info script[] = {{1, {0, 0, 0, 0}, 0, 0, 0, 0}, {1, {0, 0, 0, 0}, 1, 63, 0, 0}};
    const QByteArray file = compress8x8({}, script, 2);

    // The last scan with its own Huffman table, up to the end marker.
    const qsizetype lastScan = file.lastIndexOf("\xFF\xDA");
    const qsizetype firstScan = file.indexOf("\xFF\xDA");
    qsizetype start = file.lastIndexOf("\xFF\xC4", lastScan);
    if (start < firstScan)
        start = lastScan;
    const QByteArray scan = file.mid(start, file.size() - 2 - start);
    QByteArray result = file.left(file.size() - 2);
    for (int i = 2; i < scans; ++i)
        result += scan;
    return result + "\xFF\xD9";
}

QByteArray jpegCutWithEndMarker()
{
    const QByteArray whole = encode(pattern(240, 160, false, 24, 7), "jpeg", 95);
    return whole.left(whole.size() / 3) + "\xFF\xD9";
}

QByteArray withExifOrientation(const QByteArray &jpeg, int orientation)
{
    // APP1 "Exif\0\0", a little-endian TIFF header and one IFD with one entry.
    static const char exifTemplate[] = "\xFF\xE1\x00\x22"
                                       "Exif\0\0"
                                       "II*\0\x08\0\0\0"
                                       "\x01\0"                         // one entry
                                       "\x12\x01\x03\0\x01\0\0\0\x01\0\0\0" // Orientation, SHORT, 1
                                       "\0\0\0\0";                      // no next IFD
    QByteArray exif(exifTemplate, sizeof exifTemplate - 1);
    exif[4 + 6 + 8 + 2 + 8] = char(orientation);
    return jpeg.left(2) + exif + jpeg.mid(2);
}

double psnr(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGBX8888);
    const QImage y = b.convertToFormat(QImage::Format_RGBX8888);
    if (x.size() != y.size() || x.isNull())
        return 0;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row);
        const uchar *q = y.constScanLine(row);
        for (int i = 0; i < 4 * x.width(); ++i) // the fourth bytes are both 255
            sum += (double(p[i]) - q[i]) * (double(p[i]) - q[i]);
    }
    const double mse = sum / (3.0 * x.width() * x.height());
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

} // namespace tintwell::test
