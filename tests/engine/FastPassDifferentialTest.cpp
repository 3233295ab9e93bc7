// The fast pass gives the bytes of the reference walk: every filter, for every
// instruction set the loops are compiled for and the processor runs, on shapes
// from one pixel to several blocks and bands, at the values where the fast
// loops change form, over several thread counts, in place and from a source.
#include "EngineTestSupport.h"

#include "engine/fast/Targets.h"

#include <omp.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace tintwell::enginetest {
namespace {

using fast::Target;

// Four bytes a pixel; anything in a row past columns * 4 is padding.
struct Shape {
    int columns, rows, bytesPerRow;
};

// One pixel; fewer rows than threads; odd sides (a centre pixel for the
// mirror); rows of one block and a tail; padded rows; several bands.
const Shape kShapes[] = {
    {1, 1, 4}, {2, 3, 8}, {3, 2, 12}, {5, 5, 24}, {9, 2, 40}, {16, 7, 64}, {37, 23, 160}, {67, 45, 268},
};

// Values where the fast loops change form (exact integer forms, hoisted
// quotients, unchecked conversions), each side of the limit, and extremes.
const std::int64_t kValues[] = {
    -1, 0, 7, 37, -300, 1000003, -65537, 123456789,
    1791, 1792,                                  // filter 14: lanes up to value + 256 < 2^11
    2046, 2047, 2048, -2049,                     // filter 17: byte-sum divisors below 2^11
    2000, 2001, -2000, -2001,                    // filter 9: unchecked conversions
    357913941, 357913942, -357913942,            // filter 21: value · 1.5 below 2^29 in lanes
    std::int64_t{1} << 30, (std::int64_t{1} << 30) + 1, -(std::int64_t{1} << 30) - 1, // filter 21: unchecked
    2147483646, 2147483647, 2147483648,          // filter 13: divisors below 2^31
    kI64Min, kI64Max, kI32Min,
};

// The values at which coordinate·value stops fitting `limit` for an extent
// (filters 10, 11 and 14 check this per pass).
std::vector<std::int64_t> productLimits(const Shape &s)
{
    std::vector<std::int64_t> values;
    for (int extent : {s.columns, s.rows, std::max(s.columns, s.rows)})
        for (std::int64_t limit : {std::int64_t{1} << 21, std::int64_t{1} << 31})
            if (extent > 1) {
                const std::int64_t m = (limit - 256) / (extent - 1);
                values.insert(values.end(), {m, m + 1, -m, -m - 1});
            }
    return values;
}

const int kThreadCounts[] = {1, 2, 3, 7};

class FastPassDifferentialTest : public EngineTest, public ::testing::WithParamInterface<std::tuple<Target, int>> {
protected:
    void SetUp() override
    {
        const Target target = std::get<0>(GetParam());
        if (!fast::isCompiled(target) || !fast::processorRuns(target))
            GTEST_SKIP() << "this build or this processor lacks the instruction set";
        fast::capTarget(target);
        ASSERT_EQ(fast::activeTarget(), target);
    }
    void TearDown() override
    {
        fast::capTarget(Target::Avx512);
        omp_set_num_threads(savedThreads_);
    }

    // Both walks on copies of one random bitmap, every byte compared; then the
    // pass from a source into a bitmap of other bytes against copying the
    // source's rows over it and walking.
    void expectSameBytes(Bitmap bitmap, std::int64_t value, std::mt19937_64 &gen,
                         const std::function<BitmapView(Bitmap &)> &viewOf, bool contextReady = false)
    {
        const std::int32_t filter = std::get<1>(GetParam());
        const auto r = static_cast<std::int32_t>(gen()), g = static_cast<std::int32_t>(gen() % 512),
                   b = static_cast<std::int32_t>(gen());
        const bool negative = (gen() & 1) != 0, reverse = (gen() & 2) != 0;
        bitmap.fillRandom(static_cast<std::uint32_t>(gen()));
        if (contextReady) {
            tintwell::current_filter = filter;
            tintwell::red = r, tintwell::green = g, tintwell::blue = b;
        } else {
            setContext(bitmap, filter, r, g, b);
        }
        SCOPED_TRACE(::testing::Message() << bitmap.columns << "x" << bitmap.rows << "/" << bitmap.bytesPerRow << " value "
                                          << value << " offsets " << r << " " << g << " " << b << " flags " << negative
                                          << reverse << " threads " << omp_get_max_threads());
        Bitmap reference = bitmap;
        const std::vector<std::uint8_t> source = bitmap.bytes;
        tintwell::filterBitmapReference(viewOf(reference), value, negative, reverse);
        tintwell::filterBitmap(viewOf(bitmap), value, negative, reverse);
        ASSERT_EQ(bitmap.bytes, reference.bytes) << "in place";

        Bitmap target(bitmap.columns, bitmap.rows, bitmap.bytesPerSample, bitmap.bytesPerRow, 0xA5);
        Bitmap expected = target;
        const BitmapView view = viewOf(target);
        const std::ptrdiff_t start = view.data - target.bytes.data();
        const std::size_t passBytes =
            static_cast<std::size_t>(tintwell::passRows(view)) * static_cast<std::size_t>(view.bytesPerRow);
        std::copy_n(source.begin() + start, passBytes, expected.bytes.begin() + start);
        tintwell::filterBitmapReference(viewOf(expected), value, negative, reverse);
        tintwell::filterBitmapFrom(source.data() + start, view, value, negative, reverse);
        ASSERT_EQ(target.bytes, expected.bytes) << "from a source";
    }
    static BitmapView whole(Bitmap &bm) { return bm.view(); }
    const int savedThreads_ = omp_get_max_threads();
};

TEST_P(FastPassDifferentialTest, SameBytesAsTheReferenceWalk)
{
    std::mt19937_64 gen(1000 + std::get<1>(GetParam()));
    int turn = 0;
    for (const Shape &s : kShapes) {
        std::vector<std::int64_t> values(std::begin(kValues), std::end(kValues));
        const auto limits = productLimits(s);
        values.insert(values.end(), limits.begin(), limits.end());
        for (std::int64_t value : values) {
            omp_set_num_threads(kThreadCounts[turn++ % std::size(kThreadCounts)]);
            expectSameBytes(Bitmap(s.columns, s.rows, 4, s.bytesPerRow), value, gen, &whole);
            if (HasFatalFailure())
                return;
        }
    }
}

// Views the fast pass declines or must treat with care: an unaligned start,
// fractional sizes, three-byte pixels, a context that disagrees with the view.
TEST_P(FastPassDifferentialTest, SameBytesOnUnusualViews)
{
    std::mt19937_64 gen(2000 + std::get<1>(GetParam()));
    omp_set_num_threads(3);
    const auto unaligned = [](Bitmap &bm) {
        BitmapView v = bm.view(40, 30);
        v.data += 1;
        return v;
    };
    const auto fractional = [](Bitmap &bm) { return bm.view(40.7, 30.2); };
    for (std::int64_t value : {std::int64_t{7}, std::int64_t{-300}, kI64Min}) {
        expectSameBytes(Bitmap(41, 31, 4, 168), value, gen, unaligned);
        expectSameBytes(Bitmap(41, 31, 4, 168), value, gen, fractional);
        expectSameBytes(Bitmap(41, 31, 3, 123), value, gen, &whole);
        // The context claims a smaller bitmap than the view.
        setContext(Bitmap(20, 25, 4, 168), 0);
        expectSameBytes(Bitmap(41, 31, 4, 168), value, gen, [](Bitmap &bm) { return bm.view(17, 20); }, true);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryTargetAndFilter, FastPassDifferentialTest,
    ::testing::Combine(::testing::Values(Target::Baseline, Target::Avx2, Target::Avx512),
                       ::testing::Range(-1, tintwell::filterCount + 1)),
    ([](const auto &info) {
        const auto [target, filter] = info.param;
        return std::string(std::array{"Baseline", "Avx2", "Avx512"}[int(target)])
               + (filter < 0 ? "_None" : "_Filter" + std::to_string(filter));
    }));

} // namespace
} // namespace tintwell::enginetest
