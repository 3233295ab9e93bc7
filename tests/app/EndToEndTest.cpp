// One table per file behaviour, run through every entry point: the editor's
// Save and Export (after "use result as source") and tintwell-cli writing
// JPEG and PNG. Saved JPEGs keep every colour at full resolution; a rotated
// camera photo comes out upright with its profile and camera data; damaged
// JPEGs are refused naming the file; TIFF, WebP, HEIC and AVIF open.
#include "AppFixture.h"
#include "ImagePath.h"
#include "JpegFiles.h"

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include <exiv2/exiv2.hpp>

#include <array>

#include <sys/resource.h>

namespace {

bool writesJpeg(Entry e) { return e == Entry::AppSave || e == Entry::CliJpg; }

template <typename F> QImage picture(int width, int height, F colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colour(x, y));
    return image;
}

// "HxV,HxV,HxV": each component's sampling factors from the baseline frame
// header (the test pictures carry no metadata that could hold its marker).
QString samplingFactors(const QByteArray &jpeg)
{
    const qsizetype at = jpeg.indexOf("\xFF\xC0");
    QStringList factors;
    for (int i = 0; at > 0 && i < jpeg[at + 9] && at + 12 + 3 * i <= jpeg.size(); ++i)
        factors << QStringLiteral("%1x%2").arg(uchar(jpeg[at + 11 + 3 * i]) >> 4).arg(jpeg[at + 11 + 3 * i] & 15);
    return factors.join(QLatin1Char(','));
}

// Writes 60 x 40 stored pixels shown as 40 x 60 (Orientation 6), Adobe RGB,
// with camera EXIF, a thumbnail and XMP.
bool writeCameraJpeg(const QString &path)
{
    QImage pixels = pattern(60, 40);
    pixels.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    if (!writeBytes(path, encode(pixels, "jpeg", 95)))
        return false;
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata(); // keeps the colour profile
    Exiv2::ExifData exif;
    for (const auto &[key, value] : {std::pair{"Image.Make", "Lumen"}, {"Image.Orientation", "6"},
                                     {"Image.Copyright", "Ann Example 2026"}, {"Photo.PixelXDimension", "60"},
                                     {"Photo.DateTimeOriginal", "2026:05:06 07:08:09"},
                                     {"GPSInfo.GPSLatitude", "48/1 51/1 30/1"}})
        exif[std::string("Exif.") + key].setValue(value);
    const QByteArray thumbnail = encode(pattern(12, 8), "jpeg", 80);
    Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte *>(thumbnail.constData()),
                                            long(thumbnail.size()));
    image->setExifData(exif);
    Exiv2::XmpData xmp;
    xmp["Xmp.tiff.Orientation"] = "6";
    image->setXmpData(xmp);
    image->writeMetadata();
    return true;
}

// Every EXIF and XMP value of `path` as "key=value" lines.
std::string metadataOf(const QString &path)
{
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    std::string all;
    for (const auto &d : image->exifData())
        all += d.key() + "=" + d.toString() + "\n";
    for (const auto &d : image->xmpData()) // XMP holds its own copy of the orientation
        all += d.key() + "=" + d.toString() + "\n";
    return all;
}

// `png` converted: Qt's writers for TIFF and lossless WebP, libheif's
// encoding tool for HEIC and AVIF. Empty when the tool is missing.
QString convert(const QString &png, const QString &suffix)
{
    const QString path = QString(png).replace(".png", "." + suffix);
    QImageWriter writer(path);
    writer.setQuality(100); // lossless WebP
    if (suffix == "tif" || suffix == "webp")
        return writer.write(QImage(png)) ? path : QString();
    QStringList arguments{"-q", "90", "-o", path, png}; // this AV1 encoder takes only 4:2:2 from the tool:
    arguments << (suffix == "avif" ? QStringList{"-A", "-p", "chroma=422"} : QStringList());
    return QProcess::execute("heif-enc", arguments) == 0 ? path : QString();
}

} // namespace

class EndToEnd : public AppFixture, public ::testing::WithParamInterface<Entry>
{
protected:
    QString output() const { return pathFor(writesJpeg(GetParam()) ? "out.jpg" : "out.png"); }
};

TEST_P(EndToEnd, FinePatternKeepsFullColourResolutionAndIsCloseToTheExactResult)
{
    const QString input = writePicture("fine.png", picture(240, 160, [](int x, int y) { // what subsampled chroma washes out
        return qRgb(x * 7 + y * 3, ((x ^ y) * 5) & 255, (y * 11 - x * 2) & 255);
    }));
    const Outcome outcome = filterFile(GetParam(), input, output(), {10, 37});
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();

    const QImage exact = tintwell::renderImage(tintwell::loadImage(input).image, {10, 37});
    if (!writesJpeg(GetParam())) {
        EXPECT_TRUE(sameBytes(QImage(output()), exact));
        return;
    }
    EXPECT_EQ(samplingFactors(readBytes(output())), QStringLiteral("1x1,1x1,1x1"));
    EXPECT_GE(psnr(QImage(output()), exact), 45.0);
}

TEST_P(EndToEnd, RotatedCameraPhotoComesOutUprightWithItsProfileAndData)
{
    const QString input = pathFor("camera.jpg");
    ASSERT_TRUE(writeCameraJpeg(input));
    const Outcome outcome = filterFile(GetParam(), input, output(), {-1, 0}); // identity: colours kept
    ASSERT_TRUE(outcome.ok) << outcome.error.toStdString();

    const tintwell::LoadResult upright = tintwell::loadImage(input);
    const QImage saved(output()); // read without its orientation applied
    ASSERT_EQ(saved.size(), QSize(40, 60));
    EXPECT_GE(psnr(saved, upright.image), 35.0); // turned the right way
    EXPECT_EQ(saved.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));
    EXPECT_EQ(tintwell::loadImage(output()).image.size(), QSize(40, 60)); // not turned again
    const std::string data = metadataOf(output());
    for (const char *kept : {"Exif.Image.Make=Lumen\n", "Exif.Image.Copyright=Ann Example 2026\n",
                             "Exif.Photo.DateTimeOriginal=2026:05:06 07:08:09\n", "GPSLatitude=48/1 51/1 30/1\n",
                             "Exif.Image.Orientation=1\n", "Exif.Photo.PixelXDimension=40\n",
                             "Xmp.tiff.Orientation=1\n"})
        EXPECT_NE(data.find(kept), std::string::npos) << kept << " in\n" << data;
    EXPECT_EQ(data.find("Thumbnail"), std::string::npos) << data;
}

TEST_P(EndToEnd, DamagedJpegsAreRefusedNamingTheFileWithinBoundedMemory)
{
    const struct { const char *name; QByteArray bytes; const char *reason; } cases[] = {
        {"huge-header.jpg", jpegClaimingSize(23000, 23000), "corrupt JPEG data"},
        {"cut-third.jpg", jpegCutWithEndMarker(), "corrupt JPEG data: premature end of data segment"},
        {"endless-scans.jpg", jpegWithRepeatedScans(20000), "too many progressive scans"},
    };
    const bool cli = GetParam() == Entry::CliJpg || GetParam() == Entry::CliPng;
    rusage usage{};
    getrusage(cli ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
    const long peakBefore = usage.ru_maxrss; // kB
    for (const auto &damaged : cases) {
        const QString input = pathFor(damaged.name);
        ASSERT_TRUE(writeBytes(input, damaged.bytes));
        const Outcome outcome = filterFile(GetParam(), input, output(), {0, 0});
        EXPECT_FALSE(outcome.ok) << damaged.name;
        EXPECT_TRUE(outcome.error.contains("read " + input + ": " + damaged.reason)) << outcome.error.toStdString();
        EXPECT_FALSE(QFile::exists(output())) << damaged.name;
    }
    getrusage(cli ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage); // far below the 2 GB a header claims
    EXPECT_LT(usage.ru_maxrss, std::max(peakBefore, 300L * 1024) + 100L * 1024);
}

TEST_P(EndToEnd, TiffWebpHeicAndAvifOpenLikeThePngOfTheirPixels)
{
    const QString png = writePicture("smooth.png", picture(64, 48, [](int x, int y) { // as in a photo: kept well by lossy encoders
        return qRgb(40 + 3 * x, 200 - 3 * y, 90 + x + y);
    }));
    const QImage exact = tintwell::renderImage(tintwell::loadImage(png).image, {3, 5});
    for (const QString suffix : {"tif", "webp", "heic", "avif"}) {
        const QString input = convert(png, suffix);
        if (input.isEmpty() && QStandardPaths::findExecutable(QStringLiteral("heif-enc")).isEmpty())
            continue; // heif-enc (libheif's tools) is not installed
        ASSERT_FALSE(input.isEmpty()) << suffix.toStdString();
        const Outcome outcome = filterFile(GetParam(), input, output(), {3, 5});
        ASSERT_TRUE(outcome.ok) << suffix.toStdString() << ": " << outcome.error.toStdString();
        if (!writesJpeg(GetParam()) && (suffix == "tif" || suffix == "webp"))
            EXPECT_TRUE(sameBytes(QImage(output()), exact)) << suffix.toStdString();
        else // the filter magnifies the encoders' small errors
            EXPECT_GE(psnr(QImage(output()), exact), 25.0) << suffix.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Entries, EndToEnd,
                         ::testing::Values(Entry::AppSave, Entry::AppExport, Entry::CliJpg, Entry::CliPng),
                         ([](const auto &info) { return std::array{"AppSave", "AppExport", "CliJpg", "CliPng"}[int(info.param)]; }));
