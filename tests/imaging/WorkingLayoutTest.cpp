// toWorkingLayout: every kind of decoded picture becomes RGBX8888 or straight RGBA8888.
#include "ImagePath.h"

#include <QColor>

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

using Bytes = std::array<int, 4>;

struct LayoutCase {
    const char *name;
    std::function<QImage()> make;
    QImage::Format expected;
    Bytes pixel; // expected bytes of pixel (0, 0)
};

QImage single(QImage::Format format)
{
    return QImage(1, 1, format);
}

QImage grey()
{
    QImage image = single(QImage::Format_Grayscale8);
    image.scanLine(0)[0] = 77;
    return image;
}

QImage indexed(QRgb colour)
{
    QImage image = single(QImage::Format_Indexed8);
    image.setColorTable({qRgb(1, 2, 3), colour});
    image.scanLine(0)[0] = 1;
    return image;
}

QImage rgb32()
{
    QImage image = single(QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0x11, 0x22, 0x33));
    return image;
}

QImage premultiplied()
{
    // Premultiplied (10, 20, 40) at alpha 51 = 255 / 5 is straight (50, 100, 200).
    QImage image = single(QImage::Format_ARGB32_Premultiplied);
    reinterpret_cast<QRgb *>(image.scanLine(0))[0] = qRgba(10, 20, 40, 51);
    return image;
}

QImage rgba64()
{
    QImage image = single(QImage::Format_RGBA64);
    reinterpret_cast<QRgba64 *>(image.scanLine(0))[0] =
        QRgba64::fromRgba64(257 * 17, 257 * 200, 257 * 3, 257 * 128);
    return image;
}

const LayoutCase layoutCases[] = {
    {"grey", grey, QImage::Format_RGBX8888, {77, 77, 77, 255}},
    {"indexedOpaque", [] { return indexed(qRgb(40, 50, 60)); }, QImage::Format_RGBX8888, {40, 50, 60, 255}},
    {"indexedAlpha", [] { return indexed(qRgba(40, 50, 60, 128)); }, QImage::Format_RGBA8888, {40, 50, 60, 128}},
    {"rgb32", rgb32, QImage::Format_RGBX8888, {0x11, 0x22, 0x33, 255}},
    {"argb32Premultiplied", premultiplied, QImage::Format_RGBA8888, {50, 100, 200, 51}},
    {"rgba64", rgba64, QImage::Format_RGBA8888, {17, 200, 3, 128}},
};

void PrintTo(const LayoutCase &c, std::ostream *os)
{
    *os << c.name;
}

class WorkingLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(WorkingLayoutTest, ConvertsToStraightRgbaBytes)
{
    const LayoutCase &c = GetParam();
    const QImage working = tintwell::toWorkingLayout(c.make());
    ASSERT_EQ(working.format(), c.expected);
    const uchar *p = working.constScanLine(0);
    EXPECT_EQ((Bytes{p[0], p[1], p[2], p[3]}), c.pixel);
}

TEST_P(WorkingLayoutTest, InPlaceConversionGivesTheSameBytes)
{
    const LayoutCase &c = GetParam();
    QImage image = c.make();
    tintwell::convertToWorkingLayout(image);
    ASSERT_EQ(image.format(), c.expected);
    const uchar *p = image.constScanLine(0);
    EXPECT_EQ((Bytes{p[0], p[1], p[2], p[3]}), c.pixel);
}

INSTANTIATE_TEST_SUITE_P(Formats, WorkingLayoutTest, testing::ValuesIn(layoutCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(WorkingLayout, KeepsWorkingLayoutsWithoutCopying)
{
    for (QImage::Format format : {QImage::Format_RGBX8888, QImage::Format_RGBA8888}) {
        const QImage image(3, 2, format);
        const QImage working = tintwell::toWorkingLayout(image);
        EXPECT_EQ(working.format(), format);
        EXPECT_EQ(working.constBits(), image.constBits());
    }
    EXPECT_TRUE(tintwell::toWorkingLayout(QImage()).isNull());
}

TEST(WorkingLayout, ConvertsDecodedJpegLayoutInItsOwnBuffer)
{
    // RGB32 is what the JPEG decoder gives: same depth, so no second buffer.
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    const uchar *before = image.constBits();
    tintwell::convertToWorkingLayout(image);
    EXPECT_EQ(image.format(), QImage::Format_RGBX8888);
    EXPECT_EQ(image.constBits(), before);
    EXPECT_EQ(image.pixel(63, 31), qRgb(1, 2, 3));
}

TEST(WorkingLayout, InPlaceRgb32MatchesQtsConversionForAnyWord)
{
    // Random words, the unused top byte included, over rows of odd length.
    QImage image(37, 11, QImage::Format_RGB32);
    quint32 state = 99;
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = state = state * 1664525u + 1013904223u;
    }
    const QImage expected = image.convertToFormat(QImage::Format_RGBX8888);
    tintwell::convertToWorkingLayout(image);
    ASSERT_EQ(image.format(), QImage::Format_RGBX8888);
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(image.constScanLine(y)), 37 * 4),
                  QByteArray(reinterpret_cast<const char *>(expected.constScanLine(y)), 37 * 4))
            << "row " << y;
    }
}

TEST(WorkingLayout, InPlaceConversionLeavesSharersAlone)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(9, 8, 7));
    const QImage sharer = image;
    tintwell::convertToWorkingLayout(image);
    EXPECT_EQ(sharer.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.format(), QImage::Format_RGBX8888);
    EXPECT_EQ(image.pixel(1, 1), sharer.pixel(1, 1));
    QImage null;
    tintwell::convertToWorkingLayout(null);
    EXPECT_TRUE(null.isNull());
}

} // namespace
