// The JPEG reader turns grey and CMYK files (inks stored inverted, as files
// with an APP14 marker have them) into the RGB working layout with the right colours.
#include "ImagePath.h"

#include <QColor>

#include <gtest/gtest.h>

#include <cstdlib>

#include <jpeglib.h>

namespace {

// An 8 x 8 JPEG of one colour given as `components` samples in `space`.
QByteArray uniformJpeg(J_COLOR_SPACE space, std::initializer_list<int> sample)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 8;
    cinfo.image_height = 8;
    cinfo.input_components = int(sample.size());
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPLE row[8 * 4];
    for (int x = 0; x < 8; ++x) {
        int i = 0;
        for (const int value : sample)
            row[x * int(sample.size()) + i++] = JSAMPLE(value);
    }
    for (int y = 0; y < 8; ++y) {
        JSAMPROW rows[] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray file(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return file;
}

struct ColourCase {
    const char *name;
    J_COLOR_SPACE space;
    std::initializer_list<int> sample;
    QColor expected;
};

} // namespace

TEST(JpegCodec, GreyAndCmykBecomeTheirRgbColours)
{
    const ColourCase cases[] = {
        {"grey", JCS_GRAYSCALE, {90}, QColor(90, 90, 90)},
        // libjpeg writes CMYK files with an APP14 marker, which says the inks are stored inverted
        // (255 is no ink): cyan 0, magenta 100%, yellow 50%, black 20%.
        {"cmyk", JCS_CMYK, {255, 0, 128, 204}, QColor(204, 0, 102)},
    };
    for (const ColourCase &c : cases) {
        const tintwell::LoadResult loaded = tintwell::loadImageData(uniformJpeg(c.space, c.sample));
        ASSERT_TRUE(loaded.error.isEmpty()) << c.name << ": " << loaded.error.toStdString();
        EXPECT_EQ(loaded.image.format(), QImage::Format_RGBX8888) << c.name;
        const QColor actual = loaded.image.pixelColor(4, 4);
        EXPECT_NEAR(actual.red(), c.expected.red(), 2) << c.name;
        EXPECT_NEAR(actual.green(), c.expected.green(), 2) << c.name;
        EXPECT_NEAR(actual.blue(), c.expected.blue(), 2) << c.name;
        EXPECT_EQ(actual.alpha(), 255) << c.name;
    }
}
