// Opening and saving a camera-like JPEG of the bench picture, each against
// libjpeg-turbo's own floor: BM_DecodeFloor (decode into RGBX, nothing else)
// against BM_Open (file bytes to the working picture with its profile,
// orientation and metadata), BM_EncodeFloor (quality 100, 4:4:4 from RGBX,
// nothing else) against BM_Save (working picture to JPEG bytes with its
// profile and metadata).
#include "BenchPicture.h"

#include "ImagePath.h"
#include "Metadata.h"

#include <benchmark/benchmark.h>

#include <QColorSpace>
#include <QImage>

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace tintwell::bench {

namespace {

// A camera's EXIF block (TIFF structure): make, model, date, exposure, GPS,
// orientation 1.
std::string cameraExif()
{
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "Lumen";
    exif["Exif.Image.Model"] = "LX 7";
    exif["Exif.Image.Orientation"] = uint16_t(1);
    exif["Exif.Image.Artist"] = "Ann Example";
    exif["Exif.Image.Copyright"] = "Ann Example 2026";
    exif["Exif.Photo.DateTimeOriginal"] = "2026:05:06 07:08:09";
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
    exif["Exif.Photo.FNumber"] = Exiv2::URational(56, 10);
    exif["Exif.Photo.PixelXDimension"] = uint32_t(kPictureWidth);
    exif["Exif.Photo.PixelYDimension"] = uint32_t(kPictureHeight);
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    Exiv2::URationalValue latitude;
    latitude.read("48/1 51/1 30/1");
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"), &latitude);
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return std::string("Exif\0\0", 6) + std::string(blob.begin(), blob.end());
}

// libjpeg-turbo compression of `rgbx` (rows packed) to memory: 4:4:4 at
// `quality`, with the given APP1 and ICC profile when not empty.
std::vector<std::uint8_t> encodeRgbx(const std::uint8_t *rgbx, int quality, const std::string &app1,
                                     const QByteArray &icc)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = kPictureWidth;
    cinfo.image_height = kPictureHeight;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_RGBX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    if (!app1.empty())
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET *>(app1.data()),
                          unsigned(app1.size()));
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET *>(icc.constData()), unsigned(icc.size()));
    const std::size_t stride = std::size_t(kPictureWidth) * 4;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[16];
        JDIMENSION count = 0;
        while (count < 16 && cinfo.next_scanline + count < cinfo.image_height) {
            rows[count] = const_cast<JSAMPROW>(rgbx + (cinfo.next_scanline + count) * stride);
            ++count;
        }
        jpeg_write_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// The bench picture as a camera would write it: quality 95, 4:4:4, an Adobe
// RGB profile and EXIF. Made once.
const std::vector<std::uint8_t> &cameraJpeg()
{
    static const std::vector<std::uint8_t> bytes =
        encodeRgbx(benchPicture().data(), 95, cameraExif(), QColorSpace(QColorSpace::AdobeRgb).iccProfile());
    return bytes;
}

QByteArray cameraJpegBytes()
{
    const std::vector<std::uint8_t> &bytes = cameraJpeg();
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

void BM_DecodeFloor(benchmark::State &state)
{
    const std::vector<std::uint8_t> &jpeg = cameraJpeg();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_RGBX;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = std::size_t(cinfo.output_width) * 4;
        // A fresh buffer each time, as every decode of a new file needs.
        std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[stride * cinfo.output_height]);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[16];
            for (int i = 0; i < 16; ++i)
                rows[i] = pixels.get() + std::min<std::size_t>(cinfo.output_scanline + i, cinfo.output_height - 1) * stride;
            jpeg_read_scanlines(&cinfo, rows, 16);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.get());
    }
}

void BM_Open(benchmark::State &state)
{
    const QByteArray jpeg = cameraJpegBytes();
    for (auto _ : state) {
        const LoadResult loaded = loadImageData(jpeg);
        if (loaded.image.isNull() || !loaded.image.colorSpace().isValid() || loaded.metadata.exif.isEmpty()) {
            state.SkipWithError("the picture opened without its pixels, profile or metadata");
            break;
        }
        benchmark::DoNotOptimize(loaded.image.constBits());
    }
}

void BM_EncodeFloor(benchmark::State &state)
{
    const std::vector<std::uint8_t> &rgbx = benchPicture();
    for (auto _ : state) {
        const std::vector<std::uint8_t> bytes = encodeRgbx(rgbx.data(), 100, {}, {});
        benchmark::DoNotOptimize(bytes.data());
    }
}

void BM_Save(benchmark::State &state)
{
    const LoadResult loaded = loadImageData(cameraJpegBytes());
    if (loaded.image.isNull()) {
        state.SkipWithError("the camera JPEG does not open");
        return;
    }
    for (auto _ : state) {
        QString error;
        const QByteArray bytes = encodeImage(QImage(loaded.image), QByteArrayLiteral("jpg"), loaded.metadata, &error);
        if (bytes.isEmpty()) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        benchmark::DoNotOptimize(bytes.constData());
    }
}

} // namespace

BENCHMARK(BM_DecodeFloor)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Open)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeFloor)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace tintwell::bench
