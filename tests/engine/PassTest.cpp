// The pass over a bitmap (which bytes it visits, in which order, and which
// views it refuses) and the kernel's tail: colour offsets, negative, reverse.
#include "EngineTestSupport.h"

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <vector>

namespace tintwell::enginetest {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> list)
{
    std::vector<std::uint8_t> out;
    for (int v : list)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// ---------------------------------------------------------------------------
// Kernel tail on a single pixel, with the identity formula so that only the
// offsets, the negative and the reverse act.

using KernelTailTest = EngineTest;

TEST_F(KernelTailTest, OffsetsWrapWithoutClamping)
{
    setOffsets(10, 0, 250);
    for (std::int32_t identity : {-1, 25}) {
        SCOPED_TRACE(identity);
        EXPECT_EQ(applyKernelTo({250, 7, 9}, identity, 3, 2, 7), (Rgb{4, 7, 3}));
    }
}

TEST_F(KernelTailTest, OffsetsUseOnlyTheirLowByte)
{
    setOffsets(257, -1, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(applyKernelTo({10, 20, 30}, -1, 0, 0, 0), (Rgb{11, 19, 30}));
}

TEST_F(KernelTailTest, NegativeIsTwosComplementNotInversion)
{
    struct Row {
        Rgb in;
        Rgb expected;
    };
    const Row table[] = {
        {{0, 1, 128}, {0, 255, 128}},
        {{255, 200, 10}, {1, 56, 246}},
        {{127, 129, 2}, {129, 127, 254}},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(::testing::Message() << "pixel " << row.in);
        EXPECT_EQ(applyKernelTo(row.in, -1, 1, 1, 0, /*negative=*/true), row.expected);
    }
}

TEST_F(KernelTailTest, NegativeThenReverse)
{
    EXPECT_EQ(applyKernelTo({10, 20, 30}, -1, 0, 0, 0, true, true), (Rgb{226, 236, 246}));
    EXPECT_EQ(applyKernelTo({10, 20, 30}, -1, 0, 0, 0, false, true), (Rgb{30, 20, 10}));
}

// The offsets come before the negative and the reverse: applying them later
// would give (247, 20, 30) and (31, 20, 10) instead.
TEST_F(KernelTailTest, OffsetsComeFirst)
{
    setOffsets(1, 0, 0);
    EXPECT_EQ(applyKernelTo({10, 20, 30}, -1, 0, 0, 0, true, false), (Rgb{245, 236, 226}));
    EXPECT_EQ(applyKernelTo({10, 20, 30}, -1, 0, 0, 0, false, true), (Rgb{30, 20, 11}));
}

// The offsets act on the bytes the formula produced, for every formula. Filter
// 22 leaves G alone, yet G still gets its offset and the negative.
TEST_F(KernelTailTest, TailFollowsTheFormula)
{
    setOffsets(1, 2, 3);
    // Filter 0, value 7: (207, 107, 57) + offsets = (208, 109, 60).
    EXPECT_EQ(applyKernelTo({200, 100, 50}, 0, 3, 2, 7), (Rgb{208, 109, 60}));
    // Filter 22 at (3, 2), value 7: (117, 100, 7) + offsets = (118, 102, 10), negated.
    EXPECT_EQ(applyKernelTo({200, 100, 50}, 22, 3, 2, 7, true, false), (Rgb{138, 154, 246}));
}

// Indices outside 0..24 are the identity, whatever their sign or size.
TEST_F(KernelTailTest, IndicesOutsideTheCatalogueAreIdentity)
{
    const std::int32_t indices[] = {-1, 25, 26, 1000, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max()};
    const std::int64_t values[] = {0, 7, -1, kI64Min, kI64Max};
    for (std::int32_t index : indices) {
        for (std::int64_t value : values) {
            SCOPED_TRACE(::testing::Message() << "index " << index << " value " << value);
            EXPECT_EQ(applyKernelTo({200, 100, 50}, index, 3, 2, value), (Rgb{200, 100, 50}));
        }
        setOffsets(5, 6, 7);
        EXPECT_EQ(applyKernelTo({200, 100, 50}, index, 3, 2, 7, false, true), (Rgb{57, 106, 205}));
        setOffsets(0, 0, 0);
    }
}

// ---------------------------------------------------------------------------
// Whole passes, held to the same rules for the specialised and the reference
// walk.

// 2 x 2 bitmap, filter 0, value 5, offsets (1, 2, 3): with the negative, then
// with the reverse. Byte 3 keeps 40..43.
TEST_P(PassTest, FilterZeroOverSmallBitmap)
{
    const auto original = bytesOf({10, 20, 30, 40, 250, 0, 128, 41, 1, 2, 3, 42, 100, 150, 200, 43});
    struct Row {
        bool negative;
        bool reverse;
        std::vector<std::uint8_t> expected;
    };
    const Row table[] = {
        {true, false, bytesOf({240, 229, 218, 40, 0, 249, 120, 41, 249, 247, 245, 42, 150, 99, 48, 43})},
        {false, true, bytesOf({38, 27, 16, 40, 136, 7, 0, 41, 11, 9, 7, 42, 208, 157, 106, 43})},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(::testing::Message() << "negative " << row.negative << " reverse " << row.reverse);
        Bitmap bm(2, 2, 4, 8);
        bm.bytes() = original;
        setGeometry(bm);
        setOffsets(1, 2, 3);
        tintwell::current_filter = 0;
        runPass(bm.view(), 5, row.negative, row.reverse);
        EXPECT_EQ(bm.bytes(), row.expected);
    }
}

TEST_P(PassTest, EmptySizesVisitNothing)
{
    const double sizes[][2] = {{0, 0}, {0, 3}, {3, 0}, {0.5, 3}, {3, 0.999}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(::testing::Message() << size[0] << " x " << size[1]);
        Bitmap bm(3, 3, 4, 12);
        bm.fillRandom(7);
        const auto before = bm.bytes();
        setGeometry(bm);
        setOffsets(1, 1, 1);
        tintwell::current_filter = 0;
        runPass(bm.view(size[0], size[1]), 9, true, true);
        EXPECT_EQ(bm.bytes(), before);
    }
}

// Each row starts at data + y * bytesPerRow: on a 3 x 2 bitmap with four spare
// bytes at the end of each row the pass writes offsets 0, 4, 8, 16, 20, 24 and
// nothing else. Filter 4 with k = 1 writes (R + y, G + x, B + x + y), which
// shows which (x, y) each offset was visited as.
TEST_P(PassTest, PaddedRowsStartAtBytesPerRow)
{
    Bitmap bm(3, 2, 4, 16, 0xEE);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            bm.set(x, y, {10, 20, 30});
    setGeometry(bm);
    tintwell::current_filter = 4;
    runPass(bm.view(), 5, false, false);
    const auto expected = bytesOf({10, 20, 30, 0xEE, 10, 21, 31, 0xEE, 10, 22, 32, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                                   11, 20, 31, 0xEE, 11, 21, 32, 0xEE, 11, 22, 33, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
    EXPECT_EQ(bm.bytes(), expected);
}

// Three bytes a pixel with rows padded to a multiple of four.
TEST_P(PassTest, ThreeBytePixelsWithPaddedRows)
{
    Bitmap bm(2, 2, 3, 8, 0x77);
    bm.set(0, 0, {1, 2, 3});
    bm.set(1, 0, {4, 5, 6});
    bm.set(0, 1, {250, 251, 252});
    bm.set(1, 1, {7, 8, 9});
    setGeometry(bm);
    setOffsets(1, 0, 0);
    tintwell::current_filter = 0;
    runPass(bm.view(), 5, false, false);
    const auto expected =
        bytesOf({7, 7, 8, 10, 10, 11, 0x77, 0x77, 0, 0, 1, 13, 13, 14, 0x77, 0x77});
    EXPECT_EQ(bm.bytes(), expected);
}

// Filter 8 reads the mirror pixel, which the pass has already rewritten for
// the second half of the pixels: this pins the visit order. Left to right: the
// second pixel sees the first one's new bytes; from the old bytes it would
// have become (16, 61, 32).
TEST_P(PassTest, LaterPixelsSeeEarlierResultsAcrossARow)
{
    Bitmap bm(2, 1, 4, 8, 0xAB);
    bm.set(0, 0, {200, 100, 50});
    bm.set(1, 0, {10, 20, 30});
    setGeometry(bm);
    tintwell::current_filter = 8;
    runPass(bm.view(), 1, false, false);
    EXPECT_EQ(bm.bytes(), bytesOf({241, 106, 71, 0xAB, 32, 61, 48, 0xAB}));
}

// The same pair stacked in one column, rows padded to 16 bytes: top to bottom,
// and the mirror read uses bytesPerRow too.
TEST_P(PassTest, LaterRowsSeeEarlierResults)
{
    Bitmap bm(1, 2, 4, 16, 0xAB);
    bm.set(0, 0, {200, 100, 50});
    bm.set(0, 1, {10, 20, 30});
    setGeometry(bm);
    tintwell::current_filter = 8;
    runPass(bm.view(), 1, false, false);
    EXPECT_EQ(bm.get(0, 0), (Rgb{241, 106, 71}));
    EXPECT_EQ(bm.get(0, 1), (Rgb{32, 61, 48}));
    for (std::size_t i : {3u, 4u, 15u, 19u, 20u, 31u})
        EXPECT_EQ(bm.bytes()[i], 0xAB) << "byte " << i;
}

// 3 x 2, padded rows, filter 8: the three mirrored pairs, each read after its
// partner was rewritten. (2, 1), for instance, pairs its (255, 255, 255) with
// the new (234, 179, 92) of (0, 0): sums 347, 434, 489, running third 15.
TEST_P(PassTest, MirrorPassOverPaddedBitmap)
{
    Bitmap bm(3, 2, 4, 16, 0xEE);
    bm.set(0, 0, {200, 100, 50});
    bm.set(1, 0, {10, 20, 30});
    bm.set(2, 0, {0, 255, 128});
    bm.set(0, 1, {90, 91, 92});
    bm.set(1, 1, {7, 8, 9});
    bm.set(2, 1, {255, 255, 255});
    setGeometry(bm);
    tintwell::current_filter = 8;
    runPass(bm.view(), 1, false, false);
    const auto expected = bytesOf({234, 179, 92, 0xEE, 26, 30, 45, 0xEE, 0, 47, 128, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                                   144, 97, 123, 0xEE, 24, 30, 27, 0xEE, 14, 57, 8, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
    EXPECT_EQ(bm.bytes(), expected);
}

// Filter 6 over a 3 x 3 bitmap with padded rows, offsets and both flags: the
// last row and column stay as they were, the rest add N(x + 1, y + 1), read
// through bytesPerRow. Pixel (0, 0) = (0, 1, 2) plus N(1, 1) = (20, 21, 22)
// gives (20, 22, 24); offsets (21, 24, 27); negated (235, 232, 229); reversed.
TEST_P(PassTest, NeighbourPassOverPaddedBitmap)
{
    Bitmap bm(3, 3, 4, 16);
    for (std::size_t i = 0; i < bm.bytes().size(); ++i)
        bm.bytes()[i] = static_cast<std::uint8_t>(i);
    setGeometry(bm);
    setOffsets(1, 2, 3);
    tintwell::current_filter = 6;
    runPass(bm.view(), 2, true, true);
    std::vector<std::uint8_t> expected(48);
    for (std::size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<std::uint8_t>(i);
    const auto changed = bytesOf({229, 232, 235, 3, 220, 224, 225, 7});
    std::copy(changed.begin(), changed.end(), expected.begin());
    const auto changedRow1 = bytesOf({197, 198, 203, 19, 189, 190, 193, 23});
    std::copy(changedRow1.begin(), changedRow1.end(), expected.begin() + 16);
    EXPECT_EQ(bm.bytes(), expected);
}

// Filter 21 needs two rows below: a bitmap of three rows is left entirely as
// it was, offsets and flags included.
TEST_P(PassTest, ThreeRowBitmapUntouchedByFilter21)
{
    Bitmap bm(4, 3, 4, 16);
    bm.fillRandom(21);
    const auto before = bm.bytes();
    setGeometry(bm);
    setOffsets(9, 9, 9);
    tintwell::current_filter = 21;
    runPass(bm.view(), 7, true, true);
    EXPECT_EQ(bm.bytes(), before);
}

// Byte 3 of every pixel and the row padding are never written, for every
// formula and every combination of flags.
TEST_P(PassTest, SpareBytesNeverWritten)
{
    for (std::int32_t filter = -1; filter <= tintwell::filterCount; ++filter) {
        for (int flags = 0; flags < 4; ++flags) {
            SCOPED_TRACE(::testing::Message() << "filter " << filter << " flags " << flags);
            Bitmap bm(16, 16, 4, 72);
            bm.fillRandom(static_cast<std::uint32_t>(100 + filter * 4 + flags));
            const auto before = bm.bytes();
            setGeometry(bm);
            setOffsets(3, -7, 200);
            tintwell::current_filter = filter;
            runPass(bm.view(), 1234567, flags & 1, flags & 2);
            for (std::size_t i = 0; i < before.size(); ++i) {
                const std::size_t inRow = i % 72;
                if (inRow < 64 && inRow % 4 != 3)
                    continue;
                ASSERT_EQ(bm.bytes()[i], before[i]) << "byte " << i;
            }
        }
    }
}

// Refused views: nothing is written, however the rest of the view looks.
TEST_P(PassTest, RefusedViewsLeaveDataUntouched)
{
    struct Row {
        const char *what;
        double width;
        double height;
        std::int32_t bytesPerRow;
        std::int32_t bytesPerSample;
    };
    const Row table[] = {
        {"two bytes a pixel", 3, 2, 16, 2},
        {"one byte a pixel", 3, 2, 16, 1},
        {"zero bytes a pixel", 3, 2, 16, 0},
        {"negative pixel stride", 3, 2, 16, -4},
        {"negative width", -1, 2, 16, 4},
        {"negative height", 3, -1, 16, 4},
        {"slightly negative width", -0.5, 2, 16, 4},
        {"NaN width", kNaN, 2, 16, 4},
        {"NaN height", 3, kNaN, 16, 4},
        {"infinite width", kInf, 2, 16, 4},
        {"infinite height", 3, kInf, 16, 4},
        {"minus infinite height", 3, -kInf, 16, 4},
        {"rows shorter than a row of pixels", 3, 2, 11, 4},
        {"negative bytesPerRow", 3, 2, -16, 4},
        // 2^30 pixels of four bytes overflow 32 bits; the row check must not wrap.
        {"row length past 32 bits", 1073741824.0, 1, 16, 4},
        {"width past 32 bits", 4294967296.0, 1, 16, 4},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.what);
        Bitmap bm(4, 2, 4, 16);
        bm.fillRandom(3);
        const auto before = bm.bytes();
        setGeometry(bm);
        setOffsets(1, 1, 1);
        tintwell::current_filter = 0;
        BitmapView view = bm.view(row.width, row.height);
        view.bytesPerRow = row.bytesPerRow;
        view.bytesPerSample = row.bytesPerSample;
        runPass(view, 3, true, false);
        EXPECT_EQ(bm.bytes(), before);
    }
}

TEST_P(PassTest, NullDataIsIgnored)
{
    BitmapView view;
    view.data = nullptr;
    view.size = {4, 4};
    view.bytesPerRow = 16;
    view.bytesPerSample = 4;
    tintwell::width = tintwell::height = 4;
    tintwell::bytesPerRow = 16;
    tintwell::bytesPerSample = 4;
    for (std::int32_t filter = 0; filter < tintwell::filterCount; ++filter) {
        tintwell::current_filter = filter;
        runPass(view, 1, true, true); // must simply return
    }
    SUCCEED();
}

// A non-whole size visits whole pixels only. Filter 0 on a 3 x 2 buffer seen
// as 2.5 x 1.5 touches just the first two pixels of the first row.
TEST_P(PassTest, NonWholeSizeVisitsWholePixelsOnly)
{
    Bitmap bm(3, 2, 4, 12);
    bm.fillRandom(11);
    const auto before = bm.bytes();
    setGeometry(bm);
    tintwell::width = 2;
    tintwell::height = 1;
    tintwell::current_filter = 0;
    runPass(bm.view(2.5, 1.5), 1, false, false);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool visited = i < 8 && i % 4 != 3;
        EXPECT_EQ(bm.bytes()[i], visited ? static_cast<std::uint8_t>(before[i] + 1) : before[i]) << "byte " << i;
    }
}

// Filter 8 reads the mirror without a guard. On a 2 x 2 buffer (exactly 16
// bytes, so a read outside it is caught under AddressSanitizer) seen as
// 2.5 x 2.5, the pass visits the 2 x 2 whole pixels with the truncated
// geometry in the context, exactly as on the 2 x 2 view.
TEST_P(PassTest, NonWholeSizeKeepsMirrorReadsInside)
{
    const auto original = bytesOf({200, 100, 50, 1, 10, 20, 30, 2, 0, 255, 128, 3, 90, 91, 92, 4});
    const auto expected = bytesOf({151, 214, 221, 1, 61, 167, 108, 2, 0, 182, 115, 3, 99, 187, 101, 4});
    for (double size : {2.0, 2.5, 2.999}) {
        SCOPED_TRACE(size);
        Bitmap bm(2, 2, 4, 8);
        bm.bytes() = original;
        setGeometry(bm);
        tintwell::current_filter = 8;
        runPass(bm.view(size, size), 3, false, false);
        EXPECT_EQ(bm.bytes(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(BothWalks, PassTest, ::testing::Values(kSpecialisedPass, kReferencePass), passName);

// ---------------------------------------------------------------------------
// The view checks themselves.

TEST(ViewChecks, AcceptsWellFormedViews)
{
    std::uint8_t buffer[64] = {};
    struct Row {
        const char *what;
        BitmapView view;
        std::int32_t columns;
        std::int32_t rows;
    };
    const Row table[] = {
        {"packed four-byte rows", {buffer, {4, 4}, 16, 4}, 4, 4},
        {"padded rows", {buffer, {3, 2}, 16, 4}, 3, 2},
        {"three-byte pixels", {buffer, {5, 2}, 15, 3}, 5, 2},
        {"empty", {buffer, {0, 0}, 0, 4}, 0, 0},
        {"non-whole sizes", {buffer, {2.5, 1.5}, 8, 4}, 2, 1},
        {"just under a whole pixel", {buffer, {0.999, 3.999}, 0, 4}, 0, 3},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.what);
        EXPECT_TRUE(tintwell::isPassable(row.view));
        EXPECT_EQ(tintwell::passColumns(row.view), row.columns);
        EXPECT_EQ(tintwell::passRows(row.view), row.rows);
    }
}

TEST(ViewChecks, RefusesMalformedViews)
{
    std::uint8_t buffer[64] = {};
    struct Row {
        const char *what;
        BitmapView view;
    };
    const Row table[] = {
        {"null data", {nullptr, {4, 4}, 16, 4}},
        {"two bytes a pixel", {buffer, {4, 4}, 16, 2}},
        {"negative pixel stride", {buffer, {4, 4}, 16, -4}},
        {"negative width", {buffer, {-1, 4}, 16, 4}},
        {"negative height", {buffer, {4, -1}, 16, 4}},
        {"NaN width", {buffer, {kNaN, 4}, 16, 4}},
        {"NaN height", {buffer, {4, kNaN}, 16, 4}},
        {"infinite width", {buffer, {kInf, 4}, 16, 4}},
        {"infinite height", {buffer, {4, kInf}, 16, 4}},
        {"short rows", {buffer, {4, 4}, 15, 4}},
        {"short rows of non-whole width", {buffer, {4.5, 1}, 15, 4}},
        {"row length past 32 bits", {buffer, {1073741824.0, 1}, 16, 4}},
        {"height past 32 bits", {buffer, {1, 4294967296.0}, 4, 4}},
        {"height of 2^31", {buffer, {1, 2147483648.0}, 4, 4}},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.what);
        EXPECT_FALSE(tintwell::isPassable(row.view));
        EXPECT_EQ(tintwell::passColumns(row.view), 0);
        EXPECT_EQ(tintwell::passRows(row.view), 0);
    }
}

} // namespace
} // namespace tintwell::enginetest
