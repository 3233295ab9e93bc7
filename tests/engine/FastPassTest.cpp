// The fast pass against the sequential walk: every filter, on bitmaps large
// enough to be split over threads, with several thread counts so that band
// boundaries move, in place and reading from a separate source; plus the
// exact-division helpers the fast loops rely on.
#include "EngineTestSupport.h"
#include "engine/FastDivision.h"
#include "engine/FastPassKit.h"
#include "engine/FastRows21.h"
#include "engine/FastTruncation.h"

#include <omp.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace tintwell::enginetest {
namespace {

struct Shape {
    int columns;
    int rows;
    int bytesPerRow; // four bytes a pixel; anything beyond columns * 4 is padding
};

// Odd and even sizes, a centre pixel (odd by odd) for the mirror filter,
// padded rows, and sizes smaller than the thread count.
const Shape kShapes[] = {
    {1, 1, 4}, {2, 3, 8}, {3, 2, 12}, {5, 5, 24}, {2, 9, 8}, {9, 2, 40}, {33, 17, 140}, {257, 131, 1028},
};
const Shape kLargeShape{640, 479, 640 * 4 + 12};

const std::int64_t kValues[] = {-1, 0, 7, 37, 257, -2, -300, 1000, 46341, -65537, kI64Min, kI64Max, kI32Min, kI32Max};
const int kThreadCounts[] = {1, 2, 3, 7};

// Restores the OpenMP thread count that the test changed.
class ThreadCount {
public:
    explicit ThreadCount(int n) : saved_(omp_get_max_threads()) { omp_set_num_threads(n); }
    ~ThreadCount() { omp_set_num_threads(saved_); }
    ThreadCount(const ThreadCount &) = delete;
    ThreadCount &operator=(const ThreadCount &) = delete;

private:
    int saved_;
};

class FastPassTest : public EngineTest, public ::testing::WithParamInterface<std::int32_t> {
protected:
    // Runs both walks on copies of one random bitmap and compares every byte,
    // padding included. The context is filled from the bitmap unless the caller
    // filled it already (contextReady).
    void expectSameBytes(Bitmap bitmap, BitmapView (*viewOf)(Bitmap &), std::int64_t value, std::mt19937_64 &gen,
                         bool contextReady = false)
    {
        const auto r = static_cast<std::int32_t>(gen());
        const auto g = static_cast<std::int32_t>(gen() % 512);
        const auto b = static_cast<std::int32_t>(gen());
        const bool negative = (gen() & 1u) != 0;
        const bool reverse = (gen() & 2u) != 0;
        bitmap.fillRandom(static_cast<std::uint32_t>(gen()));
        Bitmap reference = bitmap;
        if (!contextReady)
            setGeometry(bitmap);
        setOffsets(r, g, b);
        tintwell::current_filter = GetParam();
        SCOPED_TRACE(::testing::Message() << "filter " << GetParam() << ", " << bitmap.columns() << " x "
                                          << bitmap.rows() << " row " << bitmap.bytesPerRow() << ", value " << value
                                          << ", offsets " << r << " " << g << " " << b << ", negative " << negative
                                          << ", reverse " << reverse << ", threads " << omp_get_max_threads());
        // From a source: the pass's rows of a target full of other bytes end
        // up as the in-place walk leaves them, and nothing else is written.
        Bitmap target(bitmap.columns(), bitmap.rows(), bitmap.bytesPerSample(), bitmap.bytesPerRow(), 0xA5);
        const BitmapView targetView = viewOf(target);
        const std::ptrdiff_t start = targetView.data - target.data();
        const std::vector<std::uint8_t> source = bitmap.bytes();
        tintwell::filterBitmapReference(viewOf(reference), value, negative, reverse);
        tintwell::filterBitmap(viewOf(bitmap), value, negative, reverse);
        ASSERT_EQ(bitmap.bytes(), reference.bytes());

        Bitmap expected = target;
        const std::size_t passBytes = static_cast<std::size_t>(tintwell::passRows(targetView)) *
                                      static_cast<std::size_t>(targetView.bytesPerRow);
        std::copy_n(source.begin() + start, passBytes, expected.bytes().begin() + start);
        tintwell::filterBitmapReference(viewOf(expected), value, negative, reverse);
        tintwell::filterBitmapFrom(source.data() + start, targetView, value, negative, reverse);
        ASSERT_EQ(target.bytes(), expected.bytes()) << "from a source";
    }

    static BitmapView wholeView(Bitmap &bm) { return bm.view(); }
};

TEST_P(FastPassTest, SameBytesOnEveryShapeValueAndThreadCount)
{
    std::mt19937_64 gen(1000 + GetParam());
    for (int threads : kThreadCounts) {
        const ThreadCount scope(threads);
        for (const Shape &s : kShapes)
            for (std::int64_t value : kValues)
                expectSameBytes(Bitmap(s.columns, s.rows, 4, s.bytesPerRow), &wholeView, value, gen);
    }
}

TEST_P(FastPassTest, SameBytesOnALargePaddedBitmap)
{
    std::mt19937_64 gen(2000 + GetParam());
    for (int threads : kThreadCounts) {
        const ThreadCount scope(threads);
        const std::int64_t values[] = {37, -5, static_cast<std::int64_t>(gen() % 2001) - 1000};
        for (std::int64_t value : values)
            expectSameBytes(Bitmap(kLargeShape.columns, kLargeShape.rows, 4, kLargeShape.bytesPerRow), &wholeView,
                            value, gen);
    }
}

TEST_P(FastPassTest, SameBytesForRandomValues)
{
    std::mt19937_64 gen(3000 + GetParam());
    const ThreadCount scope(3);
    for (int i = 0; i < 24; ++i) {
        // Alternate full 64-bit values with values near the limits of the hoisted quotients.
        const auto full = static_cast<std::int64_t>(gen());
        const std::int64_t value = (i % 2 == 0) ? full : full % (std::int64_t{1} << (8 + i % 24));
        expectSameBytes(Bitmap(257, 131, 4, 1028), &wholeView, value, gen);
    }
}

// Views the fast loops decline or must treat with care: an unaligned start, a
// context that disagrees with the view, three-byte pixels, fractional sizes.
TEST_P(FastPassTest, SameBytesOnUnusualViews)
{
    std::mt19937_64 gen(4000 + GetParam());
    const ThreadCount scope(2);
    const auto unaligned = [](Bitmap &bm) {
        BitmapView v = bm.view(40, 30);
        v.data += 1;
        return v;
    };
    const auto fractional = [](Bitmap &bm) { return bm.view(40.7, 30.2); };
    const auto smaller = [](Bitmap &bm) { return bm.view(17, 20); };
    for (std::int64_t value : {std::int64_t{7}, std::int64_t{-300}, kI64Min}) {
        expectSameBytes(Bitmap(41, 31, 4, 168), unaligned, value, gen);
        expectSameBytes(Bitmap(41, 31, 4, 168), fractional, value, gen);
        expectSameBytes(Bitmap(41, 31, 3, 123), &wholeView, value, gen);

        // The context claims a larger bitmap than the view (still inside the
        // memory, so that every neighbour read of the kernel stays inside it).
        Bitmap claimed(41, 31, 4, 168);
        tintwell::width = 20;
        tintwell::height = 25;
        tintwell::bytesPerRow = 168;
        tintwell::bytesPerSample = 4;
        expectSameBytes(claimed, smaller, value, gen, true);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFilter, FastPassTest, ::testing::Range(-1, tintwell::filterCount + 1),
                         [](const ::testing::TestParamInfo<std::int32_t> &info) {
                             return info.param < 0 ? std::string("None") : "Filter" + std::to_string(info.param);
                         });

// Filter 21's portable row loop, which processors without AVX-512 run, also
// on a processor with it (where the pass would otherwise take the AVX-512 loop).
class PortableRows21Test : public FastPassTest {
protected:
    void SetUp() override
    {
        FastPassTest::SetUp();
        fast::setPortableRows21(true);
    }
    void TearDown() override
    {
        fast::setPortableRows21(false);
        FastPassTest::TearDown();
    }
};

TEST_P(PortableRows21Test, SameBytesOnEveryShapeValueAndThreadCount)
{
    std::mt19937_64 gen(5000);
    for (int threads : kThreadCounts) {
        const ThreadCount scope(threads);
        for (const Shape &s : kShapes)
            for (std::int64_t value : kValues)
                expectSameBytes(Bitmap(s.columns, s.rows, 4, s.bytesPerRow), &wholeView, value, gen);
        expectSameBytes(Bitmap(kLargeShape.columns, kLargeShape.rows, 4, kLargeShape.bytesPerRow), &wholeView, 37,
                        gen);
    }
}

INSTANTIATE_TEST_SUITE_P(Filter21, PortableRows21Test, ::testing::Values(21));

// Bands must be contiguous, in order, cover every row once and differ in size
// by at most one row, also with more threads than rows.
TEST(FastPassKitTest, BandsPartitionTheRows)
{
    const struct {
        std::int32_t rows;
        int count;
    } cases[] = {{1, 1}, {1, 2}, {2, 7}, {3, 2}, {9, 7}, {131, 3}, {4000, 2}, {4000, 7}};
    for (const auto &c : cases) {
        std::int32_t next = 0;
        for (int i = 0; i < c.count; ++i) {
            const fast::Band band = fast::bandOf(c.rows, i, c.count);
            EXPECT_EQ(band.first, next) << c.rows << " rows, band " << i << " of " << c.count;
            EXPECT_LE(band.last - band.first, c.rows / c.count + 1);
            EXPECT_GE(band.last - band.first, c.rows / c.count);
            next = band.last;
        }
        EXPECT_EQ(next, c.rows) << c.rows << " rows in " << c.count << " bands";
    }
}

// The kernel's offsets, negative and reverse on one word; byte 3 is kept.
TEST(FastPassKitTest, FinishMatchesTheKernelSteps)
{
    const struct {
        fast::Rgb formula;
        std::int32_t red, green, blue;
        bool negative, reverse;
        std::uint32_t expected; // bytes 0..3 from the low end
    } cases[] = {
        {{10, 20, 30}, 0, 0, 0, false, false, 0xAB1E140Au},
        {{250, 7, 9}, 10, 0, 250, false, false, 0xAB030704u},   // wraps, no clamping
        {{0, 1, 128}, 0, 0, 0, true, false, 0xAB80FF00u},       // 256 - v, 0 stays 0
        {{10, 20, 30}, 0, 0, 0, true, true, 0xABF6ECE2u},       // negative, then red and blue exchanged
        {{0x1FF, 0x100, -1u}, 1, 1, 1, false, true, 0xAB000100u}, // only low 8 bits count
        {{5, 5, 5}, -6, 251, 0x7FFFFFFF, false, false, 0xAB0400FFu},
    };
    for (const auto &c : cases) {
        const fast::Finish finish(c.red, c.green, c.blue, c.negative, c.reverse);
        EXPECT_EQ(finish.apply(0xAB000000u | 0x00C0FFEEu, c.formula), c.expected)
            << std::hex << c.formula.r << " " << c.formula.g << " " << c.formula.b;
    }
}

TEST(FastDivisionTest, ConstantDivisorIsExactAtTheEdges)
{
    const std::uint32_t divisors[] = {1, 2, 3, 5, 7, 38, 255, 256, 641, 4001, 65535, 65536, 1u << 30,
                                      (1u << 31) - 1, 1u << 31, 0xFFFFFFFFu};
    std::mt19937 gen(7);
    for (std::uint32_t d : divisors) {
        const fast::ConstantDivisor divisor(d);
        std::vector<std::uint32_t> numerators = {0, 1, d - 1, d, d + 1, 2 * d - 1, 2 * d, 0x7FFFFFFFu, 0x7FFFFFFEu};
        for (int i = 0; i < 2000; ++i)
            numerators.push_back(gen() & 0x7FFFFFFFu);
        for (std::uint32_t n : numerators) {
            n &= 0x7FFFFFFFu;
            ASSERT_EQ(divisor.quotient(n), n / d) << n << " / " << d;
            ASSERT_EQ(divisor.remainder(n), n % d) << n << " % " << d;
        }
    }
}

TEST(FastDivisionTest, SignedDivisorTruncatesTowardZeroAndTreatsZeroAsZero)
{
    const struct {
        std::int64_t d;
        std::uint32_t n;
        std::int32_t expected;
    } cases[] = {
        {38, 765, 20},  {-38, 765, -20},         {-1, 5, -5},    {1, 0x7FFFFFFF, 0x7FFFFFFF},
        {0, 765, 0},    {kI64Min, 0x7FFFFFFF, 0}, {kI64Max, 9, 0}, {std::int64_t{1} << 31, 0x7FFFFFFF, 0},
        {-(std::int64_t{1} << 31) + 1, 0x7FFFFFFF, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(static_cast<std::int32_t>(fast::SignedDivisor(c.d).quotient(c.n)), c.expected)
            << c.n << " / " << c.d;
}

TEST(FastDivisionTest, SmallQuotientIsExactOverItsRange)
{
    std::mt19937 gen(11);
    std::vector<std::pair<std::int32_t, std::int32_t>> cases;
    for (std::int32_t d : {1, 2, 3, 7, 10, 255, 4000, 6000, (1 << 21) - 1, 1 << 29})
        for (std::int32_t n : {0, 1, d - 1, d, d + 1, 3 * d, fast::smallQuotientLimit - 1})
            if (n >= 0 && n < fast::smallQuotientLimit)
                cases.emplace_back(n, d);
    for (int i = 0; i < 200000; ++i)
        cases.emplace_back(static_cast<std::int32_t>(gen() % fast::smallQuotientLimit),
                           static_cast<std::int32_t>(gen() % 70000 + 1));
    for (auto [n, d] : cases) {
        const auto qr = fast::smallQuotient(n, d, 1.0f / static_cast<float>(d));
        ASSERT_EQ(qr.quotient, n / d) << n << " / " << d;
        ASSERT_EQ(qr.remainder, n % d) << n << " % " << d;
    }
}

TEST(FastDivisionTest, SmallDivisorIsExactForEveryNumeratorBelow2To11)
{
    for (std::uint64_t d = 1; d <= 2100; ++d) {
        const fast::SmallDivisor divisor(d);
        for (std::uint32_t n = 0; n < 2048; ++n)
            ASSERT_EQ(divisor.quotient(n), n / d) << n << " / " << d;
    }
    for (std::uint64_t d : {std::uint64_t{0}, std::uint64_t{1} << 31, ~std::uint64_t{0}})
        EXPECT_EQ(fast::SmallDivisor(d).quotient(2047), 0u) << d;
}

TEST(FastDivisionTest, SignedSmallDivisionTruncatesTowardZero)
{
    for (std::int32_t n = -2047; n <= 2047; ++n) {
        ASSERT_EQ(fast::divideSmallSigned<3>(n), n / 3) << n;
        ASSERT_EQ(fast::divideSmallSigned<6>(n), n / 6) << n;
        ASSERT_EQ(fast::divideSmallSigned<9>(n), n / 9) << n;
    }
}

// The integer form of trunc(u + t) against the double arithmetic it replaces,
// as filter 21 forms it: one sum, and a byte plus a sum (or minus one).
TEST(FastTruncationTest, IntegerFormMatchesTheDoubleSumsWhereItIsOffered)
{
    std::vector<double> ts = {0.0, 0.5, 1.5, -0.5, -1.5, 3.7, -3.7, 0.1, -0.1, 18.5, 55.5, 1e8 + 0.25,
                              100.0, -100.0, 536870911.5, 2.0000001, 1.0 - 1e-9, 1e-9, 1e9};
    for (std::int64_t value : {7, -1, 37, 257, -300, 1000, 46341, -65537, 123456789})
        for (double factor : {0.1, 0.5, 1.5})
            ts.push_back(static_cast<double>(value) * factor);
    int offered = 0;
    for (double t : ts) {
        const auto form = fast::integerTruncation(t);
        if (!form)
            continue;
        ++offered;
        for (std::int32_t u = -2047; u <= 2047; ++u)
            ASSERT_EQ((*form)(u), tintwell::arith::toInt32(static_cast<double>(u) + t)) << u << " + " << t;
        for (std::int32_t r = 0; r < 256; r += 5)
            for (std::int32_t sum = -510; sum <= 510; ++sum) {
                const double inner = static_cast<double>(sum) + t;
                ASSERT_EQ((*form)(r + sum), tintwell::arith::toInt32(static_cast<double>(r) + inner))
                    << r << ", " << sum << ", " << t;
                if (const auto minus = fast::integerTruncation(-t)) {
                    ASSERT_EQ((*minus)(r - sum), tintwell::arith::toInt32(static_cast<double>(r) - inner))
                        << r << " - (" << sum << " + " << t << ")";
                }
            }
    }
    EXPECT_GE(offered, 20);
    EXPECT_FALSE(fast::integerTruncation(1.0 - 1e-9)); // too close to a whole number
    EXPECT_FALSE(fast::integerTruncation(1e9));        // too large
}

// The two lane constants against the integer form they stand for, for every
// raw sum a lane can hold: each split of the range into flipped and plain
// bytes, with and without the negative, for several offsets (1 - offset
// wraps to large words under the negative).
TEST(FastTruncationTest, LaneConstantsGiveTheTruncatedByteForEveryRawSum)
{
    std::vector<fast::IntegerTruncation> forms = {{0, 0, 0}, {0, -37, -37}, {5, -4, -5}, {-3, 4, 3}};
    for (double t : {0.5, 1.5, -0.5, 3.7, -3.7, 18.5, 55.5, -55.5, 100.0, 536870911.5, -536870911.5, 25.7, -1e8 - 0.3,
                     3000.5, -3000.5, 600.5, -600.5})
        if (const auto form = fast::integerTruncation(t))
            forms.push_back(*form);
    const std::uint32_t adds[] = {0u, 1u, 10u, 255u, 256u + 77u, 0u - 29u, 0x80000000u};
    for (const auto &form : forms)
        for (bool negative : {false, true})
            for (std::int32_t rawMax : {510, 765, 1020})
                for (std::int32_t offset = 0; offset <= rawMax; offset += 255)
                    for (std::uint32_t add : adds) {
                        const auto lane = fast::laneTruncation(form, negative, offset, rawMax, add);
                        ASSERT_TRUE(lane);
                        const std::uint32_t m = negative ? 0xFFFFFFFFu : 0u;
                        for (std::int32_t raw = 0; raw <= rawMax; ++raw) {
                            const std::int32_t sum = negative ? offset - raw : raw - offset;
                            const auto expected =
                                static_cast<std::uint8_t>((static_cast<std::uint32_t>(form(sum)) ^ m) + add);
                            ASSERT_EQ((*lane)(raw), expected) << "raw " << raw << " offset " << offset << " max "
                                                              << rawMax << " negative " << negative << " add " << add
                                                              << " threshold " << form.threshold;
                        }
                    }
    // A step other than 0 or -1 has no lane form.
    EXPECT_FALSE(fast::laneTruncation({0, 0, 1}, false, 0, 510, 0));
    EXPECT_FALSE(fast::laneTruncation({0, 3, 1}, true, 0, 510, 0));
}

TEST(FastDivisionTest, ByteThirdsMatchTheKernel)
{
    for (std::uint32_t x = 0; x < 256; ++x)
        ASSERT_EQ(fast::thirdOfByte(x), x / 3) << x;
    for (std::uint32_t a = 0; a <= 510; a += 3)
        for (std::uint32_t b = 0; b <= 510; b += 7)
            for (std::uint32_t c = 0; c <= 510; c += 11)
                ASSERT_EQ(fast::runningThirdOf(a, b, c), tintwell::runningThird(a, b, c)) << a << " " << b << " " << c;
}

} // namespace
} // namespace tintwell::enginetest
