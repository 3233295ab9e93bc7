// A JPEG with each EXIF orientation opens upright, turned the way Qt's own
// reader turns it, and keeps its colour profile; its metadata reports the
// orientation it came with.
#include "ImagePath.h"
#include "Metadata.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageReader>
#include <QImageWriter>
#include <gtest/gtest.h>

namespace {

// A little-endian TIFF structure with one IFD entry: Orientation = `value`.
QByteArray exifWithOrientation(int value)
{
    const char bytes[] = {'I', 'I', 42, 0, 8, 0, 0, 0,           // header, IFD at 8
                          1, 0,                                  // one entry
                          0x12, 0x01, 3, 0, 1, 0, 0, 0, char(value), 0, 0, 0, // 0x0112 SHORT 1
                          0, 0, 0, 0};                           // no next IFD
    return QByteArray(bytes, sizeof bytes);
}

QByteArray orientedJpeg(int orientation)
{
    QImage pixels = tintwell::test::patternImage(24, 16).convertToFormat(QImage::Format_RGB32);
    pixels.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    writer.write(pixels);
    tintwell::PictureMetadata metadata;
    metadata.exif = exifWithOrientation(orientation);
    return tintwell::embedMetadata(bytes, metadata);
}

} // namespace

TEST(Upright, EachOrientationTurnsAsQtsReaderAndKeepsTheProfile)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const QByteArray jpeg = orientedJpeg(orientation);
        QBuffer buffer;
        buffer.setData(jpeg);
        QImageReader reader(&buffer);
        reader.setAutoTransform(true);
        const QImage expected = tintwell::toWorkingLayout(reader.read());

        const tintwell::LoadResult loaded = tintwell::loadImageData(jpeg);
        ASSERT_FALSE(loaded.image.isNull()) << loaded.error.toStdString();
        EXPECT_EQ(loaded.metadata.orientation, orientation);
        EXPECT_EQ(loaded.image.colorSpace(), QColorSpace(QColorSpace::AdobeRgb));
        EXPECT_EQ(loaded.image.size(), expected.size());
        EXPECT_EQ(tintwell::test::pixelBytes(loaded.image), tintwell::test::pixelBytes(expected));
    }
}
