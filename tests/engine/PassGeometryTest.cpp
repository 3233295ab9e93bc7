// Which bytes the reference walk visits and in which order, and which views
// every entry point refuses (the differential test holds the fast pass and the
// pass from a source to the reference walk's bytes on the views they accept).
#include "EngineTestSupport.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <vector>

namespace tintwell::enginetest {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::uint8_t kSpare = 0xEE;

class PassGeometryTest : public EngineTest {
protected:
    // The reference walk over a copy of `bm` seen through `viewOf`; returns the bytes.
    std::vector<std::uint8_t> run(Bitmap bm, std::int32_t filter, std::int64_t value,
                                  const std::function<BitmapView(Bitmap &)> &viewOf = whole, bool negative = false,
                                  bool reverse = false, Rgb offsets = {})
    {
        setContext(bm, filter, offsets[0], offsets[1], offsets[2]);
        tintwell::filterBitmapReference(viewOf(bm), value, negative, reverse);
        return bm.bytes;
    }
    static BitmapView whole(Bitmap &bm) { return bm.view(); }
};

// The reference walk (0), the fast pass (1) or the pass from `source` (2).
void runPass(int pass, const std::uint8_t *source, const BitmapView &view)
{
    if (pass == 0)
        tintwell::filterBitmapReference(view, 3, true, true);
    else if (pass == 1)
        tintwell::filterBitmap(view, 3, true, true);
    else
        tintwell::filterBitmapFrom(source, view, 3, true, true);
}

// Worked passes: rows start bytesPerRow apart and pixels bytesPerSample apart,
// padding and byte 3 stay, and a pixel reads the bytes earlier pixels left
// (the mirror filter reads rewritten mirrors for its second half of pixels).
TEST_F(PassGeometryTest, WorkedPassesOverPackedAndPaddedRows)
{
    const struct {
        const char *what;
        Bitmap bitmap;
        std::int32_t filter;
        std::int64_t value;
        std::vector<Rgb> pixels;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        // Filter 4 with k = 1 writes (R + y, G + x, B + x + y): which (x, y) each pixel was.
        {"padded four-byte rows", Bitmap(3, 2, 4, 16, kSpare), 4, 5,
         {{10, 20, 30}, {10, 20, 30}, {10, 20, 30}, {10, 20, 30}, {10, 20, 30}, {10, 20, 30}},
         Bytes({10, 20, 30, kSpare, 10, 21, 31, kSpare, 10, 22, 32, kSpare, kSpare, kSpare, kSpare, kSpare,
                  11, 20, 31, kSpare, 11, 21, 32, kSpare, 11, 22, 33, kSpare, kSpare, kSpare, kSpare, kSpare})},
        {"padded three-byte pixels", Bitmap(2, 2, 3, 8, 0x77), 0, 5, {{1, 2, 3}, {4, 5, 6}, {250, 251, 252}, {7, 8, 9}},
         Bytes({6, 7, 8, 9, 10, 11, 0x77, 0x77, 255, 0, 1, 12, 13, 14, 0x77, 0x77})},
        // Left to right, row by row: (2, 1) pairs its (255, 255, 255) with the new (234, 179, 92) of (0, 0).
        {"mirror over padded rows", Bitmap(3, 2, 4, 16, kSpare), 8, 1,
         {{200, 100, 50}, {10, 20, 30}, {0, 255, 128}, {90, 91, 92}, {7, 8, 9}, {255, 255, 255}},
         Bytes({234, 179, 92, kSpare, 26, 30, 45, kSpare, 0, 47, 128, kSpare, kSpare, kSpare, kSpare, kSpare,
                  144, 97, 123, kSpare, 24, 30, 27, kSpare, 14, 57, 8, kSpare, kSpare, kSpare, kSpare, kSpare})},
    };
    for (const auto &c : cases) {
        Bitmap bm = c.bitmap;
        for (std::size_t i = 0; i < c.pixels.size(); ++i)
            bm.set(static_cast<int>(i) % bm.columns, static_cast<int>(i) / bm.columns, c.pixels[i]);
        EXPECT_EQ(run(bm, c.filter, c.value), c.expected) << c.what;
    }
}

// Views a pass refuses or that hold no whole pixel: nothing is written.
TEST_F(PassGeometryTest, RefusedAndEmptyViewsLeaveEveryByte)
{
    // Pixels under three bytes or a negative stride; negative, NaN or
    // infinite sides; rows shorter than their pixels, negative, or whose
    // length passes 32 bits; sizes of 2^31 and up; empty; under one pixel.
    const struct {
        double width, height;
        std::int32_t bytesPerRow, bytesPerSample;
    } views[] = {
        {3, 2, 16, 2}, {3, 2, 16, 0}, {3, 2, 16, -4}, {-1, 2, 16, 4}, {-0.5, 2, 16, 4}, {3, -1, 16, 4},
        {kNaN, 2, 16, 4}, {3, kNaN, 16, 4}, {kInf, 2, 16, 4}, {3, -kInf, 16, 4}, {3, 2, 11, 4},
        {3.5, 1, 11, 4}, {3, 2, -16, 4}, {1073741824.0, 1, 16, 4}, {4294967296.0, 1, 16, 4},
        {1, 2147483648.0, 4, 4}, {0, 0, 16, 4}, {0, 2, 16, 4}, {3, 0, 16, 4}, {0.5, 2, 16, 4}, {3, 0.999, 16, 4},
    };
    for (int pass = 0; pass < 3; ++pass) {
        for (const auto &v : views) {
            SCOPED_TRACE(::testing::Message() << "pass " << pass << ", view " << (&v - views));
            Bitmap bm(4, 2, 4, 16);
            bm.fillRandom(3);
            const std::vector<std::uint8_t> source = bm.bytes;
            setContext(bm, 0, 1, 1, 1);
            runPass(pass, source.data(), BitmapView{bm.bytes.data(), {v.width, v.height}, v.bytesPerRow, v.bytesPerSample});
            EXPECT_EQ(bm.bytes, source);
        }
        runPass(pass, nullptr, BitmapView{nullptr, {4, 4}, 16, 4}); // must simply return
    }
}

// The bounds guards of the neighbour filters skip the whole kernel, offsets
// and flags included: the last column and row for 6, the last column for 9,
// the last three rows for 21. Just inside them pixels change.
TEST_F(PassGeometryTest, FailedGuardsLeaveThePixel)
{
    const struct {
        std::int32_t filter;
        int guardedColumns, guardedRows;
    } guards[] = {{6, 1, 1}, {9, 1, 0}, {21, 0, 3}};
    for (const auto &guard : guards) {
        SCOPED_TRACE(::testing::Message() << "filter " << guard.filter);
        Bitmap bm(7, 6, 4, 32);
        bm.fillRandom(static_cast<std::uint32_t>(guard.filter));
        Bitmap after = bm;
        after.bytes = run(bm, guard.filter, 7, &whole, true, true, {5, 6, 7});
        for (int y = 0; y < bm.rows; ++y)
            for (int x = 0; x < bm.columns; ++x) {
                const bool guarded = x >= bm.columns - guard.guardedColumns || y >= bm.rows - guard.guardedRows;
                const bool edge = x == bm.columns - guard.guardedColumns - 1 || y == bm.rows - guard.guardedRows - 1;
                if (guarded) {
                    EXPECT_EQ(after.get(x, y), bm.get(x, y)) << "(" << x << ", " << y << ")";
                } else if (edge) {
                    EXPECT_NE(after.get(x, y), bm.get(x, y)) << "(" << x << ", " << y << ")";
                }
            }
    }
}

} // namespace
} // namespace tintwell::enginetest
