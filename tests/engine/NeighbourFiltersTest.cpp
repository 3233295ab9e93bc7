// The formulas that also read other pixels of the bitmap (filters 6, 8, 9 and
// 21). Unless a test says otherwise the bitmap is 16 x 16 with four bytes a
// pixel and 64 bytes a row; each table row places the neighbour pixels the
// formula reads, runs the kernel on the visited pixel and checks its bytes
// (and, through the fixture, that nothing else in the bitmap changed).
#include "EngineTestSupport.h"

#include <cstdint>
#include <span>
#include <utility>

namespace tintwell::enginetest {
namespace {

struct NeighbourCase {
    Rgb pixel;
    int x;
    int y;
    std::int64_t value;
    Rgb first;  // the neighbour the formula reads (P for filter 21)
    Rgb second; // Q for filter 21; unused otherwise
    Rgb expected;
};

struct Pos {
    int x;
    int y;
};

class NeighbourFilterTest : public EngineTest {
protected:
    // where(x, y) gives the positions of the first and second neighbour.
    template <typename Where>
    static void checkTable(std::int32_t filter, std::span<const NeighbourCase> table, Where where)
    {
        for (const NeighbourCase &c : table) {
            SCOPED_TRACE(::testing::Message() << "filter " << filter << ", pixel " << c.pixel << " at (" << c.x
                                              << ", " << c.y << "), value " << c.value);
            Bitmap bm = Bitmap::standard(0x5A);
            const std::pair<Pos, Pos> at = where(c.x, c.y);
            bm.set(at.second.x, at.second.y, c.second);
            bm.set(at.first.x, at.first.y, c.first);
            bm.set(c.x, c.y, c.pixel);
            EXPECT_EQ(applyKernel(bm, filter, c.x, c.y, c.value), c.expected);
        }
    }
};

constexpr Rgb kUnused{0x5A, 0x5A, 0x5A};

TEST_F(NeighbourFilterTest, Filter6AddsDiagonalNeighbourAndPositionTerms)
{
    const NeighbourCase table[] = {
        {{200, 100, 50}, 3, 2, 7, {10, 20, 30}, kUnused, {231, 134, 81}},
        {{200, 100, 50}, 14, 14, 7, {10, 20, 30}, kUnused, {52, 218, 80}},
        {{200, 100, 50}, 14, 0, 7, {10, 20, 30}, kUnused, {52, 120, 94}}, // 14 / 1
        {{200, 100, 50}, 3, 2, -7, {10, 20, 30}, kUnused, {189, 106, 81}},
        {{255, 255, 255}, 3, 2, -1, {255, 255, 255}, kUnused, {251, 252, 255}},
        {{200, 100, 50}, 9, 1, 3, {1, 2, 3}, kUnused, {228, 105, 57}}, // 9 / 2 = 4
        {{200, 100, 50}, 0, 14, 1, {255, 255, 255}, kUnused, {199, 113, 49}},
    };
    checkTable(6, table, [](int x, int y) { return std::pair{Pos{x + 1, y + 1}, Pos{0, 0}}; });
}

// P = M.B + R, Q = M.G + G, S = M.R + B: byte 2 of the mirror pairs with R.
TEST_F(NeighbourFilterTest, Filter8MixesWithMirrorPixel)
{
    const NeighbourCase table[] = {
        {{200, 100, 50}, 3, 2, 7, {10, 20, 30}, kUnused, {231, 142, 197}},
        {{200, 100, 50}, 3, 2, 0, {10, 20, 30}, kUnused, {200, 100, 50}},
        {{200, 100, 50}, 3, 2, -1, {10, 20, 30}, kUnused, {159, 94, 29}},
        {{200, 100, 50}, 0, 0, 2, {255, 255, 255}, kUnused, {12, 2, 134}},
        {{200, 100, 50}, 15, 15, 3, {1, 2, 3}, kUnused, {49, 84, 179}},
    };
    checkTable(8, table, [](int x, int y) { return std::pair{Pos{15 - x, 15 - y}, Pos{0, 0}}; });
}

// At the centre of a bitmap with odd sides the mirror is the pixel itself,
// read before any byte is stored.
TEST_F(NeighbourFilterTest, Filter8AtTheCentreReadsThePixelItself)
{
    struct Row {
        int side;
        std::int64_t value;
        Rgb expected;
    };
    const Row table[] = {
        {5, 1, {201, 101, 54}},
        {3, 2, {202, 102, 58}},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(row.side);
        Bitmap bm(row.side, row.side, 4, row.side * 4, 0x33);
        const int centre = row.side / 2;
        bm.set(centre, centre, {200, 100, 50});
        EXPECT_EQ(applyKernel(bm, 8, centre, centre, row.value), row.expected);
    }
}

// Three bytes a pixel and a 12-byte row: the mirror of (1, 2) in a 4 x 4
// bitmap is (2, 1), at 12 + 2 * 3 = byte 18.
TEST_F(NeighbourFilterTest, Filter8WithThreeBytePixels)
{
    Bitmap bm(4, 4, 3, 12, 0x33);
    bm.set(2, 1, {9, 8, 7});
    bm.set(1, 2, {200, 100, 50});
    EXPECT_EQ(applyKernel(bm, 8, 1, 2, 5), (Rgb{139, 3, 24}));
}

// Single-precision means scaled by the value; B adds g * v to the new R.
TEST_F(NeighbourFilterTest, Filter9ScalesMeansInSinglePrecision)
{
    const NeighbourCase table[] = {
        {{200, 100, 50}, 3, 2, 7, {10, 20, 30}, kUnused, {44, 140, 0}},
        {{200, 100, 50}, 14, 0, 7, {10, 20, 30}, kUnused, {44, 140, 0}},
        {{200, 100, 50}, 3, 2, 1, {10, 20, 30}, kUnused, {116, 20, 136}},
        {{200, 100, 50}, 3, 2, 0, {10, 20, 30}, kUnused, {0, 0, 0}},
        {{200, 100, 50}, 3, 2, -7, {10, 20, 30}, kUnused, {212, 116, 168}},
        // 255 * 257^2 = 16842495 is rounded to 16842496 in single precision,
        // so B is 0 where exact arithmetic would give 255.
        {{0, 0, 0}, 3, 2, 257, {255, 255, 255}, kUnused, {0, 255, 0}},
        {{0, 0, 0}, 3, 2, 256, {255, 255, 255}, kUnused, {0, 0, 0}},
        {{0, 0, 0}, 3, 2, -7, {255, 255, 255}, kUnused, {0, 7, 207}},
        {{0, 0, 0}, 3, 2, 2901, {255, 255, 255}, kUnused, {0, 171, 0}},
        {{0, 0, 0}, 3, 2, 2902, {255, 255, 255}, kUnused, {0, 170, 0}}, // B past 2^31
        {{0, 0, 0}, 3, 2, -2902, {255, 255, 255}, kUnused, {0, 86, 0}},
        {{0, 0, 0}, 3, 2, 100000, {255, 255, 255}, kUnused, {0, 96, 0}},
        {{200, 100, 50}, 3, 2, 100000, {10, 20, 30}, kUnused, {128, 128, 0}},
    };
    checkTable(9, table, [](int x, int y) { return std::pair{Pos{x + 1, y}, Pos{0, 0}}; });
}

TEST_F(NeighbourFilterTest, Filter9WithThreeBytePixels)
{
    Bitmap bm(4, 3, 3, 12, 0x33);
    bm.set(3, 1, {10, 20, 30});
    bm.set(2, 1, {200, 100, 50});
    EXPECT_EQ(applyKernel(bm, 9, 2, 1, 7), (Rgb{44, 140, 0}));
}

// P = N(x, y + 1) = (10, 20, 30) and Q = N(x, y + 2) = (40, 50, 60) unless the
// row says otherwise; one block of rows per parity of (x, y).
TEST_F(NeighbourFilterTest, Filter21CombinesWithTwoPixelsBelow)
{
    const Rgb p{10, 20, 30};
    const Rgb q{40, 50, 60};
    const NeighbourCase table[] = {
        // odd x, odd y
        {{200, 100, 50}, 3, 3, 7, p, q, {9, 205, 89}},
        {{200, 100, 50}, 3, 3, -7, p, q, {51, 247, 90}},
        {{200, 100, 50}, 3, 3, 0, p, q, {30, 226, 90}},
        {{200, 100, 50}, 3, 3, 1, p, q, {27, 223, 89}},
        // even x, odd y
        {{200, 100, 50}, 2, 3, 7, p, q, {114, 230, 10}},
        {{200, 100, 50}, 2, 3, -7, p, q, {113, 229, 9}},
        {{200, 100, 50}, 2, 3, 1, p, q, {114, 230, 10}},
        // even x, even y: t = value * 0.5
        {{200, 100, 50}, 2, 2, 7, p, q, {173, 133, 220}},
        {{200, 100, 50}, 2, 2, -7, p, q, {166, 126, 213}},
        {{200, 100, 50}, 2, 2, 1, p, q, {170, 130, 217}},
        // odd x, even y: t = value * 1.5
        {{200, 100, 50}, 3, 2, 7, p, q, {180, 140, 227}},
        {{200, 100, 50}, 3, 2, -7, p, q, {159, 119, 206}},
        {{200, 100, 50}, 3, 2, 1, p, q, {171, 131, 218}},
        {{200, 100, 50}, 15, 12, 7, p, q, {180, 140, 227}}, // last column, x is not tested
    };
    checkTable(21, table, [](int x, int y) { return std::pair{Pos{x, y + 1}, Pos{x, y + 2}}; });
}

// A pixel whose bounds guard fails keeps its bytes even with offsets, the
// negative and the reverse set.
TEST_F(NeighbourFilterTest, FailedGuardsSkipTheWholeKernel)
{
    struct Row {
        std::int32_t filter;
        int x;
        int y;
    };
    const Row table[] = {
        {6, 15, 0}, {6, 15, 7}, {6, 0, 15}, {6, 7, 15}, {6, 15, 15},
        {9, 15, 0}, {9, 15, 7}, {9, 15, 15},
        {21, 0, 13}, {21, 7, 14}, {21, 15, 15}, {21, 3, 13},
    };
    for (const Row &row : table) {
        for (int flags = 0; flags < 4; ++flags) {
            SCOPED_TRACE(::testing::Message() << "filter " << row.filter << " at (" << row.x << ", " << row.y
                                              << "), flags " << flags);
            setOffsets(5, 6, 7);
            Bitmap bm = Bitmap::standard();
            bm.fillPattern();
            bm.set(row.x, row.y, {200, 100, 50});
            EXPECT_EQ(applyKernel(bm, row.filter, row.x, row.y, 7, flags & 1, flags & 2), (Rgb{200, 100, 50}));
        }
    }
}

// When the guard passes, the tail applies as usual: (52, 218, 80) plus
// red 5 is (57, 218, 80), negated (199, 38, 176).
TEST_F(NeighbourFilterTest, PassedGuardStillAppliesTheTail)
{
    setOffsets(5, 0, 0);
    Bitmap bm = Bitmap::standard();
    bm.set(15, 15, {10, 20, 30});
    bm.set(14, 14, {200, 100, 50});
    EXPECT_EQ(applyKernel(bm, 6, 14, 14, 7, true, false), (Rgb{199, 38, 176}));
}

// The guards compare against the width and height in the pass context, not
// against anything else: with the context saying 8 x 8 on a 16 x 16 buffer,
// column 7 and row 7 are the last ones.
TEST_F(NeighbourFilterTest, GuardsUseTheContextGeometry)
{
    struct Row {
        std::int32_t filter;
        int x;
        int y;
        bool guarded;
    };
    const Row table[] = {
        {6, 7, 0, true}, {6, 0, 7, true}, {6, 6, 6, false},
        {9, 7, 3, true}, {9, 6, 3, false},
        {21, 0, 5, true}, {21, 0, 4, false},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(::testing::Message() << "filter " << row.filter << " at (" << row.x << ", " << row.y << ")");
        Bitmap bm = Bitmap::standard();
        bm.fillPattern();
        bm.set(row.x, row.y, {200, 100, 50});
        setGeometry(bm);
        tintwell::width = 8;
        tintwell::height = 8;
        tintwell::current_filter = row.filter;
        tintwell::changePixel(bm.data(), false, false, row.x, row.y, bm.pixel(row.x, row.y), 7);
        if (row.guarded)
            EXPECT_EQ(bm.get(row.x, row.y), (Rgb{200, 100, 50}));
        else
            EXPECT_NE(bm.get(row.x, row.y), (Rgb{200, 100, 50}));
    }
}

} // namespace
} // namespace tintwell::enginetest
