#include "JpegFiles.h"

#include "Pictures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace tintwell::test {

namespace {

// `height` rows of `width` pixels of `components` samples each, `stride` bytes
// apart, as libjpeg writes them at quality 100 without chroma subsampling; a
// scan script makes the file progressive.
QByteArray compress(const uchar *samples, qsizetype stride, int width, int height, int components,
                    J_COLOR_SPACE space, const jpeg_scan_info *script = nullptr, int scans = 0)
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
    for (int i = 0; i < cinfo.num_components; ++i)
        cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    cinfo.scan_info = script;
    cinfo.num_scans = scans;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPLE *>(samples + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray file(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return file;
}

} // namespace

QByteArray plainJpeg(const QImage &image)
{
    return compress(image.constBits(), image.bytesPerLine(), image.width(), image.height(), 4, JCS_EXT_RGBX);
}

QByteArray jpegOfOneColour(const QList<int> &sample)
{
    QByteArray samples;
    for (int i = 0; i < 64 * sample.size(); ++i)
        samples.append(char(sample.at(i % sample.size())));
    const int components = int(sample.size());
    return compress(reinterpret_cast<const uchar *>(samples.constData()), 8 * components, 8, 8, components,
                    components == 4 ? JCS_CMYK : JCS_GRAYSCALE);
}

QByteArray jpegWithRepeatedScans(int scans)
{
    // A grey gradient; the script makes the file progressive: the DC pass,
    // then one AC pass.
    static const jpeg_scan_info script[] = {{1, {0, 0, 0, 0}, 0, 0, 0, 0}, {1, {0, 0, 0, 0}, 1, 63, 0, 0}};
    uchar gradient[64];
    for (int i = 0; i < 64; ++i)
        gradient[i] = uchar(16 * (i % 8) + 8 * (i / 8));
    const QByteArray file = compress(gradient, 8, 8, 8, 1, JCS_GRAYSCALE, script, 2);

    // The last scan from its own Huffman table up to the end marker.
    const qsizetype start = file.lastIndexOf("\xFF\xC4");
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

double psnr(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 0;
    const QByteArray x = pixelBytes(a.convertToFormat(QImage::Format_RGBX8888));
    const QByteArray y = pixelBytes(b.convertToFormat(QImage::Format_RGBX8888));
    double sum = 0;
    for (qsizetype i = 0; i < x.size(); ++i) // the fourth bytes are both 255
        sum += std::pow(double(uchar(x[i])) - uchar(y[i]), 2);
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

} // namespace tintwell::test
