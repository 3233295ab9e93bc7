// packToRgb888: the bytes and metadata of convertToFormat(RGB888), packed in
// the picture's own buffer where the layout allows.
#include "Rgb888Packing.h"
#include "TestPictures.h"

#include <QColorSpace>

#include <gtest/gtest.h>

namespace {

using tintwell::test::patternImage;
using tintwell::test::pixelBytes;

struct PackCase {
    const char *name;
    QImage::Format format;
    bool sameBuffer; // packed in place, or already RGB888
};

const PackCase packCases[] = {
    {"rgbx8888", QImage::Format_RGBX8888, true}, {"rgba8888", QImage::Format_RGBA8888, true},
    {"rgb32", QImage::Format_RGB32, false},      {"argb32", QImage::Format_ARGB32, false},
    {"rgb888", QImage::Format_RGB888, true},     {"grey", QImage::Format_Grayscale8, false},
};

void PrintTo(const PackCase &c, std::ostream *os)
{
    *os << c.name;
}

// Odd width, so rows have no round size; metadata the encoder writes out.
QImage picture(QImage::Format format)
{
    QImage image = patternImage(13, 5).convertToFormat(format);
    image.setDotsPerMeterX(5905);
    image.setDotsPerMeterY(2000);
    image.setOffset({3, -4});
    image.setText("Comment", "made by a test");
    image.setColorSpace(QColorSpace::DisplayP3);
    return image;
}

class PackTest : public testing::TestWithParam<PackCase> {};

TEST_P(PackTest, MatchesConvertToFormat)
{
    const PackCase &c = GetParam();
    const QImage expected = picture(c.format).convertToFormat(QImage::Format_RGB888);
    QImage image = picture(c.format);
    const uchar *buffer = image.constBits();
    const QImage packed = tintwell::packToRgb888(image);
    ASSERT_EQ(packed.format(), QImage::Format_RGB888);
    EXPECT_EQ(pixelBytes(packed), pixelBytes(expected));
    EXPECT_EQ(packed.constBits() == buffer, c.sameBuffer);
    EXPECT_EQ(packed.dotsPerMeterX(), expected.dotsPerMeterX());
    EXPECT_EQ(packed.dotsPerMeterY(), expected.dotsPerMeterY());
    EXPECT_EQ(packed.offset(), expected.offset());
    EXPECT_EQ(packed.text(), expected.text());
    EXPECT_EQ(packed.colorSpace(), expected.colorSpace());
}

INSTANTIATE_TEST_SUITE_P(Formats, PackTest, testing::ValuesIn(packCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(Pack, SharedPictureIsCopiedNotRewritten)
{
    const QImage original = picture(QImage::Format_RGBA8888);
    const QByteArray before = pixelBytes(original);
    QImage sharer = original;
    const QImage packed = tintwell::packToRgb888(sharer);
    EXPECT_EQ(pixelBytes(original), before);
    EXPECT_EQ(pixelBytes(packed), pixelBytes(original.convertToFormat(QImage::Format_RGB888)));
}

} // namespace
