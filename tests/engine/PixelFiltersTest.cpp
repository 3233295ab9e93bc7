// The formulas that read only the visited pixel, its position and the control
// value: one table per filter of (pixel, x, y, value, expected bytes), with
// zero offsets and both flags clear so the table shows the formula alone.
// Most tables start from (200, 100, 50) at (3, 2) with value 7, then add the
// cases where wrap-around, truncation toward zero, single precision or the
// order of the steps decide the result.
#include "EngineTestSupport.h"

#include <cstdint>
#include <span>

namespace tintwell::enginetest {
namespace {

struct Case {
    Rgb pixel;
    int x;
    int y;
    std::int64_t value;
    Rgb expected;
};

class PixelFilterTest : public EngineTest {
protected:
    static void checkTable(std::int32_t filter, std::span<const Case> table)
    {
        for (const Case &c : table) {
            SCOPED_TRACE(::testing::Message() << "filter " << filter << ", pixel " << c.pixel << " at (" << c.x
                                              << ", " << c.y << "), value " << c.value);
            EXPECT_EQ(applyKernelTo(c.pixel, filter, c.x, c.y, c.value), c.expected);
        }
    }
};

TEST_F(PixelFilterTest, Filter0AddsValueToEveryByte)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {207, 107, 57}},
        {{200, 100, 50}, 3, 2, -7, {193, 93, 43}},
        {{200, 100, 50}, 3, 2, 300, {244, 144, 94}},
        {{200, 100, 50}, 0, 0, 4294967297, {201, 101, 51}}, // only the low bits count
        {{255, 255, 255}, 5, 9, 1, {0, 0, 0}},
    };
    checkTable(0, table);
}

TEST_F(PixelFilterTest, Filter1SubtractsValueFromGreen)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {207, 93, 57}},
        {{0, 0, 0}, 0, 0, 1, {1, 255, 1}},
        {{200, 100, 50}, 3, 2, -7, {193, 107, 43}},
        {{200, 100, 50}, 1, 1, 256, {200, 100, 50}},
    };
    checkTable(1, table);
}

TEST_F(PixelFilterTest, Filter2MultipliesByOneMinusAndOnePlusValue)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {80, 32, 212}},
        {{200, 100, 50}, 3, 2, 0, {200, 100, 50}},
        {{200, 100, 50}, 3, 2, 256, {200, 100, 50}},
        {{200, 100, 50}, 3, 2, 1, {0, 200, 0}},
        {{200, 100, 50}, 3, 2, 257, {0, 200, 0}},
        {{200, 100, 50}, 3, 2, -1, {144, 0, 100}},
        {{3, 5, 7}, 9, 9, -2, {9, 251, 21}},
    };
    checkTable(2, table);
}

// k = value * 0.2 in single precision, truncated toward zero.
TEST_F(PixelFilterTest, Filter3ScalesByColumnRowAndK)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {203, 100, 52}},
        {{200, 100, 50}, 3, 2, 5, {203, 100, 52}},
        {{200, 100, 50}, 3, 2, -4, {200, 0, 50}},
        {{200, 100, 50}, 3, 2, -1, {200, 0, 50}},
        {{200, 100, 50}, 3, 2, 0, {200, 0, 50}},
        {{200, 100, 50}, 3, 2, 4, {200, 0, 50}},
        {{200, 100, 50}, 3, 2, -7, {197, 156, 48}},  // k = -1, not -2
        {{200, 100, 50}, 5, 3, -12, {190, 56, 44}},  // k = -2 (-2.4 truncated)
        {{200, 100, 50}, 0, 0, 10, {200, 200, 50}},  // k = 2, position terms vanish
        // 2^24 + 3 rounds to 2^24 + 4 in single precision, so k = 3355444,
        // one more than the integer quotient: R = 200 + 0x34, G = 100 * 0x34.
        {{200, 100, 50}, 1, 0, 16777219, {252, 80, 50}},
    };
    checkTable(3, table);
}

TEST_F(PixelFilterTest, Filter3KeepsRAndBForSmallValues)
{
    for (std::int64_t value = -4; value <= 4; ++value) {
        SCOPED_TRACE(value);
        EXPECT_EQ(applyKernelTo({200, 100, 50}, 3, 3, 2, value), (Rgb{200, 0, 50}));
    }
}

TEST_F(PixelFilterTest, Filter4AddsRowColumnAndSumTimesK)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {202, 103, 55}},  // R takes the row, G the column
        {{200, 100, 50}, 3, 2, 4, {200, 100, 50}},
        {{200, 100, 50}, 3, 2, -4, {200, 100, 50}},
        {{200, 100, 50}, 3, 2, -10, {196, 94, 40}},
        {{200, 100, 50}, 7, 1, 1000, {144, 220, 114}},
    };
    checkTable(4, table);
}

TEST_F(PixelFilterTest, Filter5SubtractsRowColumnAndSumTimesK)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {198, 97, 45}},
        {{200, 100, 50}, 3, 2, -7, {202, 103, 55}}, // same as filter 4 with 7
        {{200, 100, 50}, 3, 2, 4, {200, 100, 50}},
        {{200, 100, 50}, 7, 1, 1000, {0, 236, 242}},
    };
    checkTable(5, table);
}

TEST_F(PixelFilterTest, Filter5WithValueMatchesFilter4WithNegatedValue)
{
    for (std::int64_t value : {1, 6, 13, 99, 12345, -77}) {
        for (int x : {0, 5, 15}) {
            SCOPED_TRACE(::testing::Message() << "value " << value << " x " << x);
            EXPECT_EQ(applyKernelTo({11, 22, 33}, 5, x, 15 - x, value),
                      applyKernelTo({11, 22, 33}, 4, x, 15 - x, -value));
        }
    }
}

TEST_F(PixelFilterTest, RunningThirdCutsEveryPartialSum)
{
    static_assert(tintwell::runningThird(0, 0, 0) == 0);
    // 510: 254 / 3 = 84; (84 + 510) mod 256 = 82, / 3 = 27; (27 + 510) mod 256 = 25, / 3 = 8.
    static_assert(tintwell::runningThird(510, 510, 510) == 8);
    static_assert(tintwell::runningThird(2, 4, 6) == 2);
    static_assert(tintwell::runningThird(255, 0, 0) == 9);
    static_assert(tintwell::runningThird(0, 0, 255) == 85);
    SUCCEED();
}

// Running thirds of the doubled bytes, each byte with its own operand order.
TEST_F(PixelFilterTest, Filter7AddsValueTimesRunningThirds)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {108, 99, 186}},
        {{255, 255, 255}, 3, 2, 1, {7, 7, 7}}, // each running third is 8
        {{200, 100, 50}, 3, 2, 0, {200, 100, 50}},
        {{1, 2, 3}, 0, 0, 1, {3, 3, 5}},
        {{128, 64, 200}, 3, 2, -3, {198, 7, 44}},
        {{90, 170, 255}, 0, 0, 2, {120, 70, 43}},
    };
    checkTable(7, table);
}

// 64-bit quotients truncate toward zero: with value -7 at (3, 2) they are
// -35 / 6 = -5, -21 / 3 = -7, -14 / 4 = -3 (floor would give -6 and -4).
TEST_F(PixelFilterTest, Filter10MultipliesAndAddsCoordinateQuotients)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {125, 207, 103}},
        {{200, 100, 50}, 0, 0, 7, {120, 200, 100}},
        {{200, 100, 50}, 3, 2, -7, {131, 193, 97}},
        {{200, 100, 50}, 5, 4, 1000, {196, 176, 254}},
        {{1, 2, 3}, 9, 0, -1, {255, 251, 6}},
    };
    checkTable(10, table);
}

TEST_F(PixelFilterTest, Filter11AddsQuotientsByValuePlusOne)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {208, 114, 2}},
        {{200, 100, 50}, 0, 0, 0, {250, 200, 44}},
        // Divisor -2: (-9 + 50) / -2 = -20, (-6 + 100) / -2 = -47.
        {{200, 100, 50}, 3, 2, -3, {180, 53, 230}},
        {{200, 100, 50}, 5, 4, -2, {160, 8, 210}}, // divisor -1
        {{255, 255, 255}, 3, 2, 1, {128, 127, 127}}, // B adds the new R
        {{200, 100, 50}, 9, 9, 1000, {209, 109, 3}},
    };
    checkTable(11, table);
}

TEST_F(PixelFilterTest, Filter12DoublesAndAddsCoordinateQuotients)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {151, 200, 100}},
        {{200, 100, 50}, 3, 2, 0, {144, 200, 105}},
        {{200, 100, 50}, 3, 2, -3, {141, 200, 98}}, // 5 / -2 = -2, not -3
        {{200, 100, 50}, 9, 1, 5, {164, 200, 101}},
        {{200, 100, 50}, 1, 9, -2, {144, 192, 90}},
        {{200, 100, 50}, 0, 0, 1, {144, 200, 100}},
    };
    checkTable(12, table);
}

TEST_F(PixelFilterTest, Filter13ScalesQuotientsByValue)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {250, 200, 8}},
        {{200, 100, 50}, 0, 0, 0, {250, 200, 50}},
        {{200, 100, 50}, 3, 2, -3, {253, 203, 68}},
        {{200, 100, 50}, 9, 4, -2, {12, 208, 98}},
        {{200, 100, 50}, 9, 4, 2, {0, 202, 74}},
    };
    checkTable(13, table);
}

TEST_F(PixelFilterTest, Filter14CombinesStepsOfFilters10To12)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {125, 114, 100}},
        {{200, 100, 50}, 0, 0, 0, {0, 200, 100}},
        {{200, 100, 50}, 3, 2, -7, {131, 86, 100}},
        {{200, 100, 50}, 5, 4, -2, {111, 8, 91}},
        {{200, 100, 50}, 4, 9, 3, {90, 131, 103}},
    };
    checkTable(14, table);
}

// Remainders take the sign of the dividend: 2 % -3 = 2.
TEST_F(PixelFilterTest, Filter15AddsCoordinateRemainders)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {200, 114, 55}},
        {{200, 100, 50}, 0, 0, 0, {200, 100, 50}},
        {{200, 100, 50}, 3, 2, -4, {200, 92, 55}},
        {{200, 100, 50}, 7, 5, 2, {202, 110, 59}},
        {{200, 100, 50}, 3, 9, -2, {194, 98, 53}},
    };
    checkTable(15, table);
}

TEST_F(PixelFilterTest, Filter16UsesTheMeanTimesValue)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {244, 56, 94}},
        {{30, 60, 90}, 3, 2, 1, {90, 0, 150}},
        {{200, 100, 50}, 3, 2, -1, {84, 216, 190}},
        {{255, 255, 255}, 0, 0, 3, {252, 2, 252}},
    };
    checkTable(16, table);
}

// The last step divides by 5: with value 1 B = 50 + 358 / 5 = 121, where a
// division by 3 would give 169.
TEST_F(PixelFilterTest, Filter17ChainsQuotientsOfTheByteSum)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {245, 249, 38}},
        {{200, 100, 50}, 3, 2, 0, {200, 100, 50}},
        {{200, 100, 50}, 3, 2, 1, {119, 189, 121}},
        {{200, 100, 50}, 3, 2, -2, {132, 168, 166}},
        {{255, 255, 255}, 0, 0, -3, {121, 137, 205}},
    };
    checkTable(17, table);
}

// Negative real sums truncate toward zero before they wrap: sinf(5) * 2 + 1 is
// -0.92 and stores 0; sinf(5) * 10 + 1 is -8.59 and stores 248.
TEST_F(PixelFilterTest, Filter18AddsSineAndCosineTerms)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {202, 103, 168}},
        {{200, 100, 50}, 3, 2, 0, {201, 104, 168}},
        {{200, 100, 50}, 3, 2, -7, {199, 103, 167}},
        {{0, 0, 0}, 3, 2, 5, {0, 1, 0}},
        {{0, 0, 0}, 3, 10, 5, {248, 1, 83}},
        {{255, 255, 255}, 7, 7, 100, {252, 6, 170}},
    };
    checkTable(18, table);
}

// The multiplier is ((value + 1) % 15) + 2 with a truncating remainder: values
// 14 and -1 give 2, 13 gives 16, -2 and -17 give 1.
TEST_F(PixelFilterTest, Filter19CyclesItsMultiplier)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {158, 56, 158}},
        {{200, 100, 50}, 3, 2, -1, {38, 40, 78}},
        {{200, 100, 50}, 3, 2, 14, {38, 40, 78}},
        {{200, 100, 50}, 3, 2, -16, {38, 40, 78}},
        {{200, 100, 50}, 3, 2, -2, {247, 198, 36}},
        {{200, 100, 50}, 3, 2, -17, {247, 198, 36}},
        {{200, 100, 50}, 3, 2, 13, {184, 132, 154}},
    };
    checkTable(19, table);
}

// Signed quotients truncate toward zero: (10 + 20 - 200) / 3 = -56.
TEST_F(PixelFilterTest, Filter20UsesTruncatedFractionsOfDifferences)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {13, 142, 173}},
        {{10, 20, 200}, 3, 2, 1, {210, 211, 178}},
        {{200, 100, 50}, 3, 2, -1, {117, 111, 54}},
        {{0, 255, 0}, 3, 2, 3, {255, 255, 0}},
        {{200, 10, 255}, 3, 2, 5, {125, 217, 65}},
    };
    checkTable(20, table);
}

// One row per parity of (x, y); G is never written.
TEST_F(PixelFilterTest, Filter22FollowsCoordinateParity)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 3, 7, {117, 100, 42}},  // odd, odd
        {{200, 100, 50}, 2, 3, 7, {117, 100, 249}}, // even, odd
        {{200, 100, 50}, 2, 2, 7, {137, 100, 28}},  // even, even
        {{200, 100, 50}, 3, 2, 7, {117, 100, 7}},   // odd, even
        {{200, 100, 50}, 3, 3, -1, {53, 100, 250}},
        {{200, 100, 50}, 2, 2, -1, {201, 100, 252}},
        {{0, 9, 0}, 5, 2, 3, {251, 9, 9}},
        {{1, 2, 3}, 4, 7, -2, {247, 2, 6}},
    };
    checkTable(22, table);
}

TEST_F(PixelFilterTest, Filter22NeverChangesGreen)
{
    for (std::int64_t value : {0LL, 1LL, -1LL, 7LL, 255LL, 123456789LL, static_cast<long long>(kI64Min)}) {
        for (int g : {0, 1, 128, 255}) {
            SCOPED_TRACE(::testing::Message() << "value " << value << " G " << g);
            EXPECT_EQ(applyKernelTo({77, g, 33}, 22, 5, 6, value).g, g);
        }
    }
}

TEST_F(PixelFilterTest, Filter23ChainsThroughNewRed)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {151, 153, 208}},
        {{0, 0, 0}, 0, 0, -1, {255, 253, 254}},
        {{200, 100, 50}, 3, 2, -7, {137, 111, 180}},
    };
    checkTable(23, table);
}

TEST_F(PixelFilterTest, Filter24ChainsThroughNewRed)
{
    const Case table[] = {
        {{200, 100, 50}, 3, 2, 7, {1, 207, 58}},
        {{0, 0, 0}, 0, 0, -1, {255, 255, 254}},
        {{200, 100, 50}, 3, 2, -7, {243, 193, 30}},
    };
    checkTable(24, table);
}

} // namespace
} // namespace tintwell::enginetest
