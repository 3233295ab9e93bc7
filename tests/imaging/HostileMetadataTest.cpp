// Broken metadata blocks in an otherwise sound JPEG: the picture still opens,
// and saving it with whatever metadata was read still writes a readable file.
#include "ImagePath.h"
#include "Metadata.h"
#include "TestPictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray plainJpeg()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.write(tintwell::test::patternImage(20, 12).convertToFormat(QImage::Format_RGB32));
    return bytes;
}

// `jpeg` with an APPn segment holding `payload` right after its start marker.
QByteArray withSegment(const QByteArray &jpeg, int marker, const QByteArray &payload)
{
    const int length = int(payload.size()) + 2;
    QByteArray segment;
    segment.append(char(0xFF)).append(char(marker)).append(char(length >> 8)).append(char(length & 0xFF));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray le32(quint32 v)
{
    return QByteArray(1, char(v)) + char(v >> 8) + char(v >> 16) + char(v >> 24);
}

struct HostileBlock {
    const char *name;
    int marker;
    QByteArray payload;
};

} // namespace

TEST(HostileMetadata, PictureOpensAndSavesDespiteBrokenBlocks)
{
    const QByteArray exif("Exif\0\0", 6);
    const QByteArray tiff("II*\0", 4);
    const HostileBlock blocks[] = {
        {"IFD offset past the end", 0xE1, exif + tiff + le32(0x7FFFFFF0)},
        {"huge entry count", 0xE1, exif + tiff + le32(8) + QByteArray("\xFF\xFF", 2) + QByteArray(24, '\x11')},
        {"entry pointing outside", 0xE1,
         exif + tiff + le32(8) + QByteArray("\x01\x00\x0F\x01\x02\x00", 6) + le32(0x40000000) + le32(0xFFFFFF00) +
             le32(0)},
        {"IFD pointing to itself", 0xE1,
         exif + tiff + le32(8) + QByteArray("\x01\x00\x69\x87\x04\x00", 6) + le32(1) + le32(8) + le32(8)},
        {"XMP that is not XML", 0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta <<<", 44)},
        {"IPTC resource with a bad length", 0xED,
         QByteArray("Photoshop 3.0\0008BIM\x04\x04\0\0\x7F\xFF\xFF\xFF\x1C\x02", 28)},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const HostileBlock &block : blocks) {
        SCOPED_TRACE(block.name);
        const QByteArray jpeg = withSegment(plainJpeg(), block.marker, block.payload);
        const tintwell::LoadResult loaded = tintwell::loadImageData(jpeg);
        ASSERT_FALSE(loaded.image.isNull()) << loaded.error.toStdString();
        EXPECT_EQ(loaded.image.size(), QSize(20, 12));

        const QString path = dir.filePath(QStringLiteral("out.jpg"));
        EXPECT_EQ(tintwell::saveImage(loaded.image, path, "jpg", loaded.metadata), QString());
        EXPECT_EQ(QImageReader(path).read().size(), QSize(20, 12));
    }
}
