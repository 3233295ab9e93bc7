// renderImage, runPass and runPassFrom: the working copy, the pass context and
// the source left alone.
#include "ImagePath.h"
#include "ReferencePass.h"
#include "TestPictures.h"

#include "FilterPass.h"
#include "PassContext.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace {

using tintwell::PassSettings;
using tintwell::test::patternImage;
using tintwell::test::referencePass;
using tintwell::test::pixelBytes;

TEST(RenderImage, MatchesHandBuiltPassForEveryFilter)
{
    const qint64 values[] = {3, -2, 258, std::numeric_limits<qint64>::min()};
    for (QImage::Format format : {QImage::Format_RGBA8888, QImage::Format_RGB32}) {
        const QImage source = patternImage(7, 5).convertToFormat(format);
        for (qint32 filter = -1; filter <= tintwell::filterCount; ++filter) {
            const PassSettings s{filter, values[(filter + 1) % 4], filter * 11, -filter, 300,
                                 filter % 2 == 0, filter % 3 == 0};
            const QImage expected = referencePass(source, s);
            const QImage result = tintwell::renderImage(source, s);
            ASSERT_EQ(result.format(), expected.format()) << "filter " << filter;
            EXPECT_EQ(pixelBytes(result), pixelBytes(expected)) << "filter " << filter;
        }
    }
}

TEST(RenderInPlace, GivesRenderImageBytesForEveryFilterAndLayout)
{
    for (QImage::Format format : {QImage::Format_RGBA8888, QImage::Format_RGBX8888, QImage::Format_RGB32,
                                  QImage::Format_ARGB32, QImage::Format_Grayscale8}) {
        const QImage source = patternImage(7, 5).convertToFormat(format);
        for (qint32 filter = -1; filter <= tintwell::filterCount; ++filter) {
            const PassSettings s{filter, 5 - filter, filter, 7, -filter, filter % 2 == 1, filter % 4 == 0};
            const QImage expected = tintwell::renderImage(source, s);
            QImage image = source.copy();
            tintwell::renderInPlace(image, s);
            ASSERT_EQ(image.format(), expected.format()) << "format " << format << " filter " << filter;
            EXPECT_EQ(pixelBytes(image), pixelBytes(expected)) << "format " << format << " filter " << filter;
        }
    }
}

TEST(RenderInPlace, FiltersTheGivenBufferWithoutCopying)
{
    QImage image = patternImage(8, 8).convertToFormat(QImage::Format_RGB32);
    const uchar *before = image.constBits();
    tintwell::renderInPlace(image, PassSettings{-1, 0, 1, 0, 0, false, false});
    EXPECT_EQ(image.constBits(), before);
    EXPECT_EQ(image.format(), QImage::Format_RGBX8888);
    QImage null;
    tintwell::renderInPlace(null, PassSettings{});
    EXPECT_TRUE(null.isNull());
}

// The pass from a source into a target of the same layout gives the bytes of a
// copy filtered in place, writes the target's own buffer, and leaves the
// source alone; a target of another layout becomes a filtered copy.
TEST(RunPassFrom, GivesTheBytesOfACopyFilteredInPlace)
{
    const QImage source = patternImage(33, 9).convertToFormat(QImage::Format_RGBX8888);
    const QImage sourceBefore = source.copy();
    for (qint32 filter = -1; filter <= tintwell::filterCount; ++filter) {
        const PassSettings s{filter, 7 - filter, filter * 3, -5, 260, filter % 2 == 0, filter % 3 == 1};
        const QImage expected = referencePass(source, s);
        tintwell::current_filter = filter;

        QImage target(source.size(), source.format());
        target.fill(0xA5);
        const uchar *buffer = target.constBits();
        tintwell::runPassFrom(source, target, s.value, s.red, s.green, s.blue, s.negative, s.reverse);
        EXPECT_EQ(target.constBits(), buffer) << "filter " << filter;
        EXPECT_EQ(pixelBytes(target), pixelBytes(expected)) << "filter " << filter;

        QImage other(3, 3, QImage::Format_RGB32);
        tintwell::runPassFrom(source, other, s.value, s.red, s.green, s.blue, s.negative, s.reverse);
        ASSERT_EQ(other.format(), expected.format()) << "filter " << filter;
        EXPECT_EQ(pixelBytes(other), pixelBytes(expected)) << "filter " << filter;
    }
    EXPECT_EQ(pixelBytes(source), pixelBytes(sourceBefore));
}

TEST(RenderImage, FillsThePassContextFromTheWorkingCopy)
{
    const QImage source = patternImage(7, 5);
    tintwell::renderImage(source, PassSettings{12, 1, -4, 5, 6, false, false});
    EXPECT_EQ(tintwell::current_filter, 12);
    EXPECT_EQ(tintwell::bytesPerSample, 4);
    EXPECT_EQ(tintwell::bytesPerRow, 28);
    EXPECT_EQ(tintwell::width, 7);
    EXPECT_EQ(tintwell::height, 5);
    EXPECT_EQ((std::array{tintwell::red, tintwell::green, tintwell::blue}), (std::array{-4, 5, 6}));
}

TEST(RenderImage, LeavesSourceUntouchedAndRepeats)
{
    for (QImage::Format format : {QImage::Format_RGBA8888, QImage::Format_ARGB32}) {
        const QImage source = patternImage(6, 4).convertToFormat(format);
        const QByteArray before = pixelBytes(source);
        const PassSettings s{0, 9, 1, 2, 3, true, true};
        const QImage first = tintwell::renderImage(source, s);
        const QImage second = tintwell::renderImage(source, s);
        EXPECT_EQ(pixelBytes(source), before);
        EXPECT_NE(first.constBits(), source.constBits());
        EXPECT_EQ(pixelBytes(first), pixelBytes(second));
        EXPECT_NE(pixelBytes(first), pixelBytes(tintwell::toWorkingLayout(source)));
    }
}

struct PixelCase {
    std::array<int, 4> in;
    PassSettings settings;
    std::array<int, 4> out;
};

// Outside 0..24 only the offsets, the negative and the reverse act; alpha never changes.
const PixelCase pixelCases[] = {
    {{250, 7, 9, 17}, {-1, 0, 10, 0, 250, false, false}, {4, 7, 3, 17}},
    {{0, 1, 128, 0}, {25, 5, 0, 0, 0, true, false}, {0, 255, 128, 0}},
    {{255, 200, 10, 255}, {std::numeric_limits<qint32>::max(), 0, 0, 0, 0, true, false}, {1, 56, 246, 255}},
    {{10, 20, 30, 99}, {std::numeric_limits<qint32>::min(), 0, 0, 0, 0, true, true}, {226, 236, 246, 99}},
};

TEST(RenderImage, IdentityFilterAppliesOffsetsNegativeAndReverse)
{
    for (const PixelCase &c : pixelCases) {
        QImage source(1, 1, QImage::Format_RGBA8888);
        for (int i = 0; i < 4; ++i)
            source.scanLine(0)[i] = uchar(c.in[i]);
        const QImage result = tintwell::renderImage(source, c.settings);
        const uchar *p = result.constScanLine(0);
        EXPECT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}), c.out) << "filter " << c.settings.filter;
    }
}

TEST(RenderImage, RefusesPicturesOutsideTheWorkingLayout)
{
    EXPECT_TRUE(tintwell::renderImage(QImage(), PassSettings{}).isNull());
    QImage grey(4, 4, QImage::Format_Grayscale8);
    grey.fill(9);
    tintwell::current_filter = 0;
    tintwell::runPass(grey, 100, 1, 1, 1, true, true);
    EXPECT_EQ(grey.pixelColor(2, 2).red(), 9);
}

} // namespace
