// A rotated camera photo with a colour profile, EXIF, XMP, IPTC and a
// thumbnail, saved by the app and by tintwell-cli: the saved file is upright,
// turned once, keeps the profile and the camera data, says Orientation 1, has
// no thumbnail of the unfiltered picture and states the result's dimensions.
#include "AppFixture.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
#include <exiv2/exiv2.hpp>

#include <string>

namespace {

QByteArray encoded(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return bytes;
}

// 60 x 40 stored pixels shown as 40 x 60 (Orientation 6), Adobe RGB.
QByteArray cameraJpeg()
{
    QImage pixels = testpics::pattern(60, 40);
    pixels.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    const QByteArray plain = encoded(pixels, 95);

    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(plain.constData()),
                                           long(plain.size()));
    image->readMetadata();
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "Lumen";
    exif["Exif.Image.Model"] = "LX 7";
    exif["Exif.Image.Orientation"] = uint16_t(6);
    exif["Exif.Image.Artist"] = "Ann Example";
    exif["Exif.Image.Copyright"] = "Ann Example 2026";
    exif["Exif.Photo.DateTimeOriginal"] = "2026:05:06 07:08:09";
    exif["Exif.Photo.PixelXDimension"] = uint32_t(60);
    exif["Exif.Photo.PixelYDimension"] = uint32_t(40);
    Exiv2::URationalValue latitude;
    latitude.read("48/1 51/1 30/1");
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"), &latitude);
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    const QByteArray thumbnail = encoded(testpics::pattern(12, 8), 80);
    Exiv2::ExifThumb(exif).setJpegThumbnail(reinterpret_cast<const Exiv2::byte *>(thumbnail.constData()),
                                            long(thumbnail.size()));
    image->setExifData(exif);
    Exiv2::XmpData xmp;
    xmp["Xmp.dc.title"] = "lang=x-default Harbour";
    xmp["Xmp.tiff.Orientation"] = "6";
    image->setXmpData(xmp);
    Exiv2::IptcData iptc;
    iptc["Iptc.Application2.Keywords"] = "harbour";
    image->setIptcData(iptc);
    image->writeMetadata();

    Exiv2::BasicIo &io = image->io();
    io.open();
    QByteArray out(io.size(), Qt::Uninitialized);
    io.read(reinterpret_cast<Exiv2::byte *>(out.data()), long(out.size()));
    io.close();
    return out;
}

enum class Saver { AppSave, AppExportAfterAdopt, AppSaveAfterUndo, Cli };

struct Case {
    const char *name;
    Saver saver;
    const char *output;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}

std::string valueOf(const Exiv2::ExifData &data, const char *key)
{
    const auto it = data.findKey(Exiv2::ExifKey(key));
    return it == data.end() ? std::string("(absent)") : it->toString();
}

} // namespace

class MetadataRoundTrip : public AppFixture, public ::testing::WithParamInterface<Case>
{
};

TEST_P(MetadataRoundTrip, SavedFileIsUprightWithProfileAndCameraData)
{
    const Case &tc = GetParam();
    const QString input = pathFor(QStringLiteral("camera.jpg"));
    {
        QFile file(input);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(cameraJpeg());
    }
    const QString output = pathFor(QString::fromLatin1(tc.output));

    switch (tc.saver) {
    case Saver::AppSave:
        open(input);
        dialogs->saveAnswers << output;
        c->saveImage();
        break;
    case Saver::AppExportAfterAdopt:
        open(input);
        c->setAsSource();
        dialogs->exportAnswers << output;
        c->exportPng();
        break;
    case Saver::AppSaveAfterUndo:
        open(input);
        open(writePicture(QStringLiteral("plain.png"), testpics::pattern(10, 10)));
        c->undo(); // back to the camera picture, with its metadata
        dialogs->saveAnswers << output;
        c->saveImage();
        break;
    case Saver::Cli: {
#ifdef TINTWELL_CLI_PATH
        QProcess cli;
        cli.start(QStringLiteral(TINTWELL_CLI_PATH), {QStringLiteral("--filter=3"), input, output});
        ASSERT_TRUE(cli.waitForFinished(-1));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
#else
        GTEST_SKIP() << "no tintwell-cli";
#endif
        break;
    }
    }
    ASSERT_TRUE(messages->errors.isEmpty()) << messages->errors.join('\n').toStdString();

    QImageReader reader(output);
    const QImage saved = reader.read();
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(40, 60)); // turned once
    EXPECT_EQ(saved.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));

    auto image = Exiv2::ImageFactory::open(output.toStdString());
    image->readMetadata();
    const Exiv2::ExifData &exif = image->exifData();
    EXPECT_EQ(valueOf(exif, "Exif.Image.Make"), "Lumen");
    EXPECT_EQ(valueOf(exif, "Exif.Image.Model"), "LX 7");
    EXPECT_EQ(valueOf(exif, "Exif.Image.Artist"), "Ann Example");
    EXPECT_EQ(valueOf(exif, "Exif.Image.Copyright"), "Ann Example 2026");
    EXPECT_EQ(valueOf(exif, "Exif.Photo.DateTimeOriginal"), "2026:05:06 07:08:09");
    EXPECT_EQ(valueOf(exif, "Exif.GPSInfo.GPSLatitude"), "48/1 51/1 30/1");
    EXPECT_EQ(valueOf(exif, "Exif.Image.Orientation"), "1");
    EXPECT_EQ(valueOf(exif, "Exif.Photo.PixelXDimension"), "40");
    EXPECT_EQ(valueOf(exif, "Exif.Photo.PixelYDimension"), "60");
    for (const auto &datum : exif)
        EXPECT_NE(datum.groupName(), "Thumbnail") << datum.key();

    const Exiv2::XmpData &xmp = image->xmpData();
    const auto title = xmp.findKey(Exiv2::XmpKey("Xmp.dc.title"));
    ASSERT_NE(title, xmp.end());
    EXPECT_NE(title->toString().find("Harbour"), std::string::npos);
    const auto orientation = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
    ASSERT_NE(orientation, xmp.end());
    EXPECT_EQ(orientation->toString(), "1");

    const Exiv2::IptcData &iptc = image->iptcData();
    const auto keywords = iptc.findKey(Exiv2::IptcKey("Iptc.Application2.Keywords"));
    ASSERT_NE(keywords, iptc.end());
    EXPECT_EQ(keywords->toString(), "harbour");
}

INSTANTIATE_TEST_SUITE_P(Savers, MetadataRoundTrip,
                         ::testing::Values(Case{"AppSaveJpeg", Saver::AppSave, "saved.jpg"},
                                           Case{"AppExportPngAfterAdopt", Saver::AppExportAfterAdopt, "saved.png"},
                                           Case{"AppSaveJpegAfterUndo", Saver::AppSaveAfterUndo, "undone.jpg"},
                                           Case{"CliJpeg", Saver::Cli, "cli.jpg"},
                                           Case{"CliPng", Saver::Cli, "cli.png"}),
                         [](const auto &info) { return std::string(info.param.name); });
