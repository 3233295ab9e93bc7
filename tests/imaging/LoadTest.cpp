// Decoding files and encoded bytes into the working layout: every format and
// layout, EXIF orientations turned upright with the profile kept, and every
// refusal with its one-line reason naming the file.
#include "JpegFiles.h"
#include "Pictures.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace tintwell::test;

// Large pictures are decoded by two decoders at once, which the decoder here
// does even when every core is busy.
const bool splitEveryDecode = qputenv("TINTWELL_TEST_SPLIT_DECODES", "1");

// The JPEGs that rows cut or extend, made once.
struct Jpegs {
    QByteArray plain = encode(pattern(301, 203, false, 24), "jpeg", 85);
    // Large enough to be split between two decoders, as libjpeg writes it (4:4:4).
    QByteArray large = plainJpeg(pattern(1200, 900, false, 24));
    QByteArray progressive = encode(pattern(96, 64, false, 24), "jpeg", 80, true);
};
const Jpegs &jpegs()
{
    static const Jpegs made;
    return made;
}

QByteArray le32(quint32 v)
{
    return QByteArray(1, char(v)) + char(v >> 8) + char(v >> 16) + char(v >> 24);
}

// `jpeg` with an APPn segment holding `payload` right after its start marker.
QByteArray withApp(const QByteArray &jpeg, const QByteArray &payload, char marker = '\xE1')
{
    const int length = int(payload.size()) + 2;
    return jpeg.left(2) + '\xFF' + marker + char(length >> 8) + char(length & 0xFF) + payload + jpeg.mid(2);
}

const QByteArray exifTiff = QByteArray("Exif\0\0II*\0", 10);

struct LoadCase {
    const char *name;
    std::function<QByteArray()> bytes;
    const char *refusal = nullptr; // part of the reason; nullptr when the picture opens
    QImage::Format format = QImage::Format_RGBX8888; // of a picture that opens
};

const LoadCase loadCases[] = {
    {"rgbaPng", [] { return encode(pattern(9, 6, true), "png"); }, nullptr, QImage::Format_RGBA8888},
    {"jpeg", [] { return jpegs().plain; }},
    {"progressiveJpeg", [] { return jpegs().progressive; }},
    {"greyJpeg", [] { return jpegOfOneColour({90}); }},
    // libjpeg writes CMYK with an APP14 marker: inks stored inverted (255 is
    // no ink). Cyan 0, magenta 100%, yellow 50%, black 20% is (204, 0, 102).
    {"cmykJpeg", [] { return jpegOfOneColour({255, 0, 128, 204}); }},
    {"jpegWithTrailingBytes", [] { return jpegs().plain + "trailer"; }},
    // A comment holding end-of-image markers, as an embedded thumbnail would.
    {"jpegWithEndMarkerInASegment", [] { return withApp(jpegs().plain, QByteArray("\xFF\xD9\xFF\xD9", 4), '\xFE'); }},
    // Broken metadata blocks cost the metadata, not the picture.
    {"exifOffsetPastTheEnd", [] { return withApp(jpegs().plain, exifTiff + le32(0x7FFFFFF0)); }},
    {"xmpThatIsNotXml",
     [] { return withApp(jpegs().plain, QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta <<<", 44)); }},
    {"pngClaiming100000Squared", [] { return pngHeaderOnly(100000, 100000); }, "too large"},
    {"jpegClaiming65000Squared", [] { return jpegClaimingSize(65000, 65000); }, "too large"},
    {"jpegCutInHalf", [] { return jpegs().plain.left(jpegs().plain.size() / 2); }, "premature end"},
    {"largeJpeg", [] { return jpegs().large; }},
    // As Qt writes it (4:2:0).
    {"largeSubsampledJpeg", [] { return encode(pattern(1200, 900, false, 24), "jpeg", 85); }},
    {"largeJpegCutNearItsEnd", [] { return jpegs().large.left(jpegs().large.size() * 9 / 10); }, "premature end"},
    {"largeJpegWithAMarkerNearItsStart",
     [] { return QByteArray(jpegs().large).insert(jpegs().large.size() / 10, "\xFF\xD3"); }, "corrupt JPEG data"},
    // Headers whole, scan cut: refused before the 1.6 GB its header asks for.
    {"jpegCutClaiming20000Squared", [] { return jpegClaimingSize(20000, 20000).chopped(40); }, "cannot hold a picture"},
    {"pngCutInHalf", [] { return encode(pattern(120, 80, false, 24), "png").left(500); }, "more than the file holds"},
    {"text", [] { return QByteArray("this is not a picture\n"); }, "Unsupported image format"},
    {"empty", [] { return QByteArray(); }, "the file is empty"},
};

// Qt's own decode, turned upright and converted the plain way: the oracle.
QImage qtDecode(QByteArray bytes, QImage::Format format)
{
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read().convertToFormat(format);
}

class LoadTest : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadTest, OpensInTheWorkingLayoutOrSaysWhyNot)
{
    const LoadCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QString(c.name) + ".img");
    const QByteArray bytes = c.bytes();
    ASSERT_TRUE(writeBytes(path, bytes));
    const tintwell::LoadResult fromFile = tintwell::loadImage(path);
    const tintwell::LoadResult fromData = tintwell::loadImageData(bytes);
    for (const tintwell::LoadResult &r : {fromFile, fromData}) {
        if (c.refusal) {
            EXPECT_TRUE(r.image.isNull());
            EXPECT_TRUE(r.error.contains(c.refusal)) << r.error.toStdString();
            EXPECT_FALSE(r.error.contains('\n'));
        } else {
            ASSERT_EQ(r.error, QString());
            EXPECT_EQ(r.image, qtDecode(bytes, c.format)); // of that format
            // Whatever metadata was read can be written again.
            EXPECT_EQ(tintwell::saveImage(r.image, dir.filePath("out.jpg"), "jpg", r.metadata), QString());
        }
    }
    if (c.refusal) {
        EXPECT_TRUE(fromFile.error.startsWith("cannot read " + path + ": ")) << fromFile.error.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LoadTest, testing::ValuesIn(loadCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Load, EveryCutOfAJpegIsRefused)
{
    for (qsizetype size = 2; size < jpegs().progressive.size(); size += 7)
        EXPECT_TRUE(tintwell::loadImageData(jpegs().progressive.left(size)).image.isNull()) << "cut at " << size;
}

// Each EXIF orientation turns as Qt's reader turns it, once, and the profile
// stays; the metadata reports the orientation the file came with.
TEST(Load, EachOrientationStandsUprightWithItsProfile)
{
    QImage pixels = pattern(24, 16).convertToFormat(QImage::Format_RGB32);
    pixels.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    const QByteArray plain = encode(pixels, "jpeg", 100);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        // One IFD of one entry: the orientation, a SHORT.
        const QByteArray file =
            withApp(plain, exifTiff + le32(8) + QByteArray("\1\0\x12\1\3\0", 6) + le32(1) + le32(orientation) + le32(0));
        const tintwell::LoadResult loaded = tintwell::loadImageData(file);
        ASSERT_FALSE(loaded.image.isNull()) << loaded.error.toStdString();
        EXPECT_EQ(loaded.metadata.orientation, orientation);
        EXPECT_EQ(loaded.image.colorSpace(), QColorSpace(QColorSpace::AdobeRgb)) << orientation;
        EXPECT_TRUE(sameBytes(loaded.image, qtDecode(file, QImage::Format_RGBX8888))) << orientation;
    }
}

// Pictures from the clipboard or a drop arrive decoded, in any layout.
TEST(WorkingLayout, EveryLayoutBecomesStraightRgbaBytes)
{
    QImage rgb32(37, 3, QImage::Format_ARGB32);
    rgb32.fill(0x5AC3B2A1u);
    rgb32.reinterpretAsFormat(QImage::Format_RGB32); // the unused top byte is not 255
    const std::pair<QImage, QImage::Format> cases[] = {
        {pattern(5, 3).convertToFormat(QImage::Format_Grayscale8), QImage::Format_RGBX8888},
        {pattern(5, 3).convertToFormat(QImage::Format_Indexed8), QImage::Format_RGBX8888},
        {pattern(5, 3, true).convertToFormat(QImage::Format_Indexed8), QImage::Format_RGBA8888},
        {rgb32, QImage::Format_RGBX8888},
        {pattern(5, 3, true).convertToFormat(QImage::Format_ARGB32_Premultiplied), QImage::Format_RGBA8888},
        {pattern(5, 3, true).convertToFormat(QImage::Format_RGBA64), QImage::Format_RGBA8888},
    };
    for (const auto &[image, format] : cases) {
        const QImage expected = image.convertToFormat(format);
        EXPECT_EQ(tintwell::toWorkingLayout(image), expected) << image.format(); // of that format
        QImage inPlace = image;
        tintwell::convertToWorkingLayout(inPlace);
        EXPECT_EQ(inPlace, expected) << image.format();
        EXPECT_EQ(image.convertToFormat(format), expected) << image.format() << ": a sharing picture changed";
    }
}

} // namespace
