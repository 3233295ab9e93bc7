// Decoding files and encoded bytes into the working layout, and every refusal
// with its one-line reason naming the file.
#include "Pictures.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace tintwell::test;

QImage single(QImage::Format format, const std::function<void(QImage &)> &paint)
{
    QImage image(5, 3, format);
    paint(image);
    return image;
}

QImage indexed(QRgb second)
{
    return single(QImage::Format_Indexed8, [second](QImage &i) {
        i.setColorTable({qRgb(1, 2, 3), second});
        i.fill(1);
    });
}

const QByteArray &jpeg()
{
    static const QByteArray bytes = encode(pattern(301, 203, false, 24), "jpeg", 85);
    return bytes;
}

const QByteArray &progressive()
{
    static const QByteArray bytes = encode(pattern(96, 64, false, 24), "jpeg", 80, true);
    return bytes;
}

struct LoadCase {
    const char *name;
    std::function<QByteArray()> bytes;
    const char *refusal; // part of the reason; nullptr when the picture opens
    QImage::Format format = QImage::Format_Invalid; // of a picture that opens
};

const LoadCase loadCases[] = {
    {"rgbaPng", [] { return encode(pattern(9, 6, true), "png"); }, nullptr, QImage::Format_RGBA8888},
    {"greyPng", [] { return encode(single(QImage::Format_Grayscale8, [](QImage &i) { i.fill(77); }), "png"); },
     nullptr, QImage::Format_RGBX8888},
    {"indexedAlphaPng", [] { return encode(indexed(qRgba(40, 50, 60, 128)), "png"); }, nullptr,
     QImage::Format_RGBA8888},
    {"jpeg", jpeg, nullptr, QImage::Format_RGBX8888},
    {"progressiveJpeg", progressive, nullptr, QImage::Format_RGBX8888},
    {"jpegWithTrailingBytes", [] { return jpeg() + "trailer"; }, nullptr, QImage::Format_RGBX8888},
    // A comment holding end-of-image markers, as an embedded thumbnail would.
    {"jpegWithEndMarkerInASegment",
     [] { return jpeg().left(2) + QByteArray("\xFF\xFE\x00\x06\xFF\xD9\xFF\xD9", 8) + jpeg().mid(2); }, nullptr,
     QImage::Format_RGBX8888},
    {"pngClaiming100000Squared", [] { return pngHeaderOnly(100000, 100000); }, "too large"},
    {"jpegClaiming65000Squared", [] { return jpegClaimingSize(65000, 65000); }, "too large"},
    {"jpegCutInHalf", [] { return jpeg().left(jpeg().size() / 2); }, "premature end"},
    // Headers whole, scan cut: refused before the 1.6 GB its header asks for.
    {"jpegCutClaiming20000Squared", [] { return jpegClaimingSize(20000, 20000).chopped(40); }, "cannot hold a picture"},
    {"pngCutInHalf", [] { return encode(pattern(120, 80, false, 24), "png").left(500); }, ""},
    {"text", [] { return QByteArray("this is not a picture\n"); }, ""},
    {"empty", [] { return QByteArray(); }, ""},
};

void PrintTo(const LoadCase &c, std::ostream *os)
{
    *os << c.name;
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
    if (c.refusal) {
        for (const tintwell::LoadResult &r : {fromFile, fromData}) {
            EXPECT_TRUE(r.image.isNull());
            EXPECT_TRUE(r.error.contains(c.refusal)) << r.error.toStdString();
            EXPECT_FALSE(r.error.contains('\n'));
        }
        EXPECT_TRUE(fromFile.error.startsWith("cannot read " + path + ": ")) << fromFile.error.toStdString();
        return;
    }
    // Qt's own decode, converted the plain way, is the oracle.
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QImage expected = reader.read().convertToFormat(c.format);
    for (const tintwell::LoadResult &r : {fromFile, fromData}) {
        ASSERT_EQ(r.error, QString());
        EXPECT_EQ(r.image.format(), c.format);
        EXPECT_EQ(r.image, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LoadTest, testing::ValuesIn(loadCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Load, FolderAndMissingFileNameTheirReason)
{
    QTemporaryDir dir;
    const std::pair<QString, QString> cases[] = {{dir.path(), "it is a folder, not a picture file"},
                                                 {dir.filePath("missing.png"), "File not found"}};
    for (const auto &[path, reason] : cases)
        EXPECT_EQ(tintwell::loadImage(path).error, "cannot read " + path + ": " + reason);
}

TEST(Load, EveryCutOfAJpegIsRefused)
{
    for (qsizetype size = 2; size < progressive().size(); size += 7)
        EXPECT_TRUE(tintwell::loadImageData(progressive().left(size)).image.isNull()) << "cut at " << size;
}

TEST(Load, HundredMegapixelPhotoOpens)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.jpg");
    ASSERT_TRUE(writeBytes(path, encode(pattern(12000, 8400), "jpeg", 75)));
    const tintwell::LoadResult loaded = tintwell::loadImage(path);
    ASSERT_EQ(loaded.error, QString());
    EXPECT_EQ(loaded.image.size(), QSize(12000, 8400));
    const QColor corner = loaded.image.pixelColor(11999, 8399); // red and green ends of the gradients
    EXPECT_NEAR(corner.red(), 255, 20);
    EXPECT_NEAR(corner.green(), 255, 20);
}

// Pictures from the clipboard or a drop arrive decoded, in any layout.
struct LayoutCase {
    const char *name;
    QImage image;
    QImage::Format expected;
};

TEST(WorkingLayout, EveryLayoutBecomesStraightRgbaBytes)
{
    QImage rgb32(37, 3, QImage::Format_RGB32); // any words, the unused top byte included
    quint32 state = 99;
    for (int y = 0; y < rgb32.height(); ++y)
        for (int x = 0; x < rgb32.width(); ++x)
            reinterpret_cast<quint32 *>(rgb32.scanLine(y))[x] = state = state * 1664525u + 1013904223u;
    const LayoutCase cases[] = {
        {"grey", single(QImage::Format_Grayscale8, [](QImage &i) { i.fill(77); }), QImage::Format_RGBX8888},
        {"indexedOpaque", indexed(qRgb(40, 50, 60)), QImage::Format_RGBX8888},
        {"indexedAlpha", indexed(qRgba(40, 50, 60, 128)), QImage::Format_RGBA8888},
        {"rgb32", rgb32, QImage::Format_RGBX8888},
        {"premultiplied", pattern(5, 3, true).convertToFormat(QImage::Format_ARGB32_Premultiplied),
         QImage::Format_RGBA8888},
        {"rgba64", pattern(5, 3, true).convertToFormat(QImage::Format_RGBA64), QImage::Format_RGBA8888},
    };
    for (const LayoutCase &c : cases) {
        const QImage expected = c.image.convertToFormat(c.expected);
        const QImage converted = tintwell::toWorkingLayout(c.image);
        EXPECT_EQ(converted.format(), c.expected) << c.name;
        EXPECT_EQ(converted, expected) << c.name;
        QImage inPlace = c.image;
        const QImage sharer = c.image.copy();
        tintwell::convertToWorkingLayout(inPlace);
        EXPECT_EQ(inPlace, expected) << c.name;
        EXPECT_EQ(c.image, sharer) << c.name << ": a picture sharing the pixels changed";
    }
}

} // namespace
