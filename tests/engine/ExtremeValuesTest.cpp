// Control values the pass must survive without undefined behaviour: -1 for
// the filters that divide by value + 1 (a quotient or remainder by zero counts
// as 0), and the 64-bit and 32-bit extremes for every filter, where products
// and sums wrap, value + 1 at INT64_MAX wraps to INT64_MIN, and out-of-range
// float-to-int conversions give -2^31 (low byte 0).
#include "EngineTestSupport.h"

#include <cstdint>

namespace tintwell::enginetest {
namespace {

using ExtremeValueTest = EngineTest;

// (200, 100, 50) at (3, 2), value -1, divisor 0:
//  11: R = 200 + 0, G = 100 + 0, B = 50 + 200.
//  12: R = 400 + (3 / 3) * -1 = 399, G = 200 + (2 / 4) * -1, B = 100 + 0.
//  13: R = 200 + 50 + 0, G = 200 + 0, B = (250 + 0) * -1 + 50 = -200.
//  14: R = -200 + (-5 / 6 = 0), G = 100 + 0, B = 100 + 0.
//  15: R = 200 + (3 % 3) * -1, G = 100 + (2 % 4) * -1, B = 50 + 3 + 0.
//  17: R = 200 + 0, G = 100 - 350 / 3 = -16, B = 50 - (200 + 240 + 50) / 5 = -48.
// (17, 250, 3) at (7, 5) and white at (0, 0) follow the same rule.
TEST_F(ExtremeValueTest, ValueMinusOneTreatsDivisionByZeroAsZero)
{
    struct Row {
        std::int32_t filter;
        Rgb pixel;
        int x;
        int y;
        Rgb expected;
    };
    const Row table[] = {
        {11, {200, 100, 50}, 3, 2, {200, 100, 250}},
        {11, {17, 250, 3}, 7, 5, {17, 250, 20}},
        {11, {255, 255, 255}, 0, 0, {255, 255, 254}},
        {12, {200, 100, 50}, 3, 2, {143, 200, 100}},
        {12, {17, 250, 3}, 7, 5, {33, 244, 6}},
        {12, {255, 255, 255}, 0, 0, {254, 254, 254}},
        {13, {200, 100, 50}, 3, 2, {250, 200, 56}},
        {13, {17, 250, 3}, 7, 5, {20, 244, 239}},
        {13, {255, 255, 255}, 0, 0, {254, 254, 1}},
        {14, {200, 100, 50}, 3, 2, {56, 100, 100}},
        {14, {17, 250, 3}, 7, 5, {239, 250, 6}},
        {14, {255, 255, 255}, 0, 0, {1, 255, 254}},
        {15, {200, 100, 50}, 3, 2, {200, 98, 53}},
        {15, {17, 250, 3}, 7, 5, {16, 245, 10}},
        {15, {255, 255, 255}, 0, 0, {255, 255, 255}},
        {17, {200, 100, 50}, 3, 2, {200, 240, 208}},
        {17, {17, 250, 3}, 7, 5, {17, 160, 223}},
        {17, {255, 255, 255}, 0, 0, {255, 0, 153}},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(::testing::Message() << "filter " << row.filter << ", pixel " << row.pixel << " at (" << row.x
                                          << ", " << row.y << ")");
        EXPECT_EQ(applyKernelTo(row.pixel, row.filter, row.x, row.y, -1), row.expected);
    }
}

// For |value| large enough, value * 0.2 leaves the 32-bit range and k is
// -2^31: x * k and y * k end in a zero byte, so filter 3 keeps R and B and
// zeroes G (a saturating k of 2^31 - 1 would give 156 for G instead), while
// filters 4 and 5 become the identity.
TEST_F(ExtremeValueTest, HugeValuesGiveKOfMinus2To31)
{
    const std::int64_t values[] = {kI64Min, kI64Max, kI64Max - 1, 10737418240LL, -10737418240LL,
                                   1099511627776LL};
    for (std::int64_t value : values) {
        SCOPED_TRACE(value);
        EXPECT_EQ(applyKernelTo({200, 100, 50}, 3, 3, 2, value), (Rgb{200, 0, 50}));
        EXPECT_EQ(applyKernelTo({200, 100, 50}, 4, 3, 2, value), (Rgb{200, 100, 50}));
        EXPECT_EQ(applyKernelTo({200, 100, 50}, 5, 3, 2, value), (Rgb{200, 100, 50}));
    }
}

// value + 1 wraps to INT64_MIN. R: 3 * INT64_MAX + 50 wraps to -2^63 + 47,
// which divided by -2^63 is 0. G: 2 * INT64_MAX + 100 wraps to 98, quotient 0.
// B = 50 + 200.
TEST_F(ExtremeValueTest, Filter11AtInt64MaxWrapsItsDivisor)
{
    EXPECT_EQ(applyKernelTo({200, 100, 50}, 11, 3, 2, kI64Max), (Rgb{200, 100, 250}));
}

// The multiplier's remainder is taken at 64 bits: INT32_MAX + 1 = 2^31 leaves
// 8 modulo 15 (m = 10, as for value 7), INT64_MAX + 1 wraps to -2^63, which
// leaves -8 (m = -6), and INT64_MIN + 1 leaves -7 (m = -5).
TEST_F(ExtremeValueTest, Filter19MultiplierAtExtremes)
{
    EXPECT_EQ(applyKernelTo({200, 100, 50}, 19, 3, 2, kI32Max), (Rgb{158, 56, 158}));
    EXPECT_EQ(applyKernelTo({200, 100, 50}, 19, 3, 2, kI64Max), (Rgb{174, 24, 254}));
    EXPECT_EQ(applyKernelTo({200, 100, 50}, 19, 3, 2, kI64Min), (Rgb{221, 122, 40}));
}

// Every filter at the 64-bit and 32-bit extremes, on the visited pixel
// (200, 100, 50) set into a 16 x 16 bitmap whose other bytes are
// (37 i + 11) mod 256, so that the neighbour filters read known bytes.
// Filters 21 and 22 appear once per parity of (x, y).
TEST_F(ExtremeValueTest, EveryFilterAtExtremeValues)
{
    struct Row {
        std::int32_t filter;
        int x;
        int y;
        std::int64_t value;
        Rgb expected;
    };
    const Row table[] = {
        {0, 3, 2, kI64Min, {200, 100, 50}}, {0, 3, 2, kI64Max, {199, 99, 49}},
        {0, 3, 2, kI64Max - 1, {198, 98, 48}}, {0, 3, 2, kI32Min, {200, 100, 50}}, {0, 3, 2, kI32Max, {199, 99, 49}},
        {1, 3, 2, kI64Min, {200, 100, 50}}, {1, 3, 2, kI64Max, {199, 101, 49}},
        {1, 3, 2, kI64Max - 1, {198, 102, 48}}, {1, 3, 2, kI32Min, {200, 100, 50}}, {1, 3, 2, kI32Max, {199, 101, 49}},
        {2, 3, 2, kI64Min, {200, 100, 50}}, {2, 3, 2, kI64Max, {144, 0, 100}},
        {2, 3, 2, kI64Max - 1, {88, 156, 150}}, {2, 3, 2, kI32Min, {200, 100, 50}}, {2, 3, 2, kI32Max, {144, 0, 100}},
        {3, 3, 2, kI64Min, {200, 0, 50}}, {3, 3, 2, kI64Max, {200, 0, 50}},
        {3, 3, 2, kI64Max - 1, {200, 0, 50}}, {3, 3, 2, kI32Min, {232, 128, 242}}, {3, 3, 2, kI32Max, {168, 128, 114}},
        {4, 3, 2, kI64Min, {200, 100, 50}}, {4, 3, 2, kI64Max, {200, 100, 50}},
        {4, 3, 2, kI64Max - 1, {200, 100, 50}}, {4, 3, 2, kI32Min, {136, 132, 18}}, {4, 3, 2, kI32Max, {8, 68, 82}},
        {5, 3, 2, kI64Min, {200, 100, 50}}, {5, 3, 2, kI64Max, {200, 100, 50}},
        {5, 3, 2, kI64Max - 1, {200, 100, 50}}, {5, 3, 2, kI32Min, {8, 68, 82}}, {5, 3, 2, kI32Max, {136, 132, 18}},
        {6, 3, 2, kI64Min, {227, 164, 152}}, {6, 3, 2, kI64Max, {224, 162, 152}},
        {6, 3, 2, kI64Max - 1, {221, 160, 152}}, {6, 3, 2, kI32Min, {227, 164, 152}}, {6, 3, 2, kI32Max, {224, 162, 152}},
        {7, 3, 2, kI64Min, {200, 100, 50}}, {7, 3, 2, kI64Max, {140, 27, 250}},
        {7, 3, 2, kI64Max - 1, {80, 210, 194}}, {7, 3, 2, kI32Min, {200, 100, 50}}, {7, 3, 2, kI32Max, {140, 27, 250}},
        {8, 3, 2, kI64Min, {200, 100, 50}}, {8, 3, 2, kI64Max, {140, 49, 254}},
        {8, 3, 2, kI64Max - 1, {80, 254, 202}}, {8, 3, 2, kI32Min, {200, 100, 50}}, {8, 3, 2, kI32Max, {140, 49, 254}},
        {9, 3, 2, kI64Min, {0, 0, 0}}, {9, 3, 2, kI64Max, {0, 0, 0}},
        {9, 3, 2, kI64Max - 1, {0, 0, 0}}, {9, 3, 2, kI32Min, {0, 0, 0}}, {9, 3, 2, kI32Max, {0, 0, 0}},
        {10, 3, 2, kI64Min, {171, 30, 100}}, {10, 3, 2, kI64Max, {140, 113, 100}},
        {10, 3, 2, kI64Max - 1, {195, 112, 99}}, {10, 3, 2, kI32Min, {86, 200, 100}}, {10, 3, 2, kI32Max, {225, 199, 99}},
        {11, 3, 2, kI64Min, {200, 100, 250}}, {11, 3, 2, kI64Max, {200, 100, 250}},
        {11, 3, 2, kI64Max - 1, {200, 100, 250}}, {11, 3, 2, kI32Min, {202, 101, 252}}, {11, 3, 2, kI32Max, {203, 102, 253}},
        {12, 3, 2, kI64Min, {144, 200, 100}}, {12, 3, 2, kI64Max, {143, 200, 100}},
        {12, 3, 2, kI64Max - 1, {142, 200, 100}}, {12, 3, 2, kI32Min, {144, 200, 100}}, {12, 3, 2, kI32Max, {143, 200, 100}},
        {13, 3, 2, kI64Min, {250, 200, 50}}, {13, 3, 2, kI64Max, {250, 200, 56}},
        {13, 3, 2, kI64Max - 1, {250, 200, 62}}, {13, 3, 2, kI32Min, {250, 200, 50}}, {13, 3, 2, kI32Max, {250, 200, 56}},
        {14, 3, 2, kI64Min, {171, 100, 100}}, {14, 3, 2, kI64Max, {140, 100, 100}},
        {14, 3, 2, kI64Max - 1, {195, 100, 100}}, {14, 3, 2, kI32Min, {86, 101, 100}}, {14, 3, 2, kI32Max, {225, 102, 100}},
        {15, 3, 2, kI64Min, {200, 100, 55}}, {15, 3, 2, kI64Max, {200, 98, 55}},
        {15, 3, 2, kI64Max - 1, {200, 96, 55}}, {15, 3, 2, kI32Min, {200, 100, 55}}, {15, 3, 2, kI32Max, {200, 98, 55}},
        {16, 3, 2, kI64Min, {200, 100, 50}}, {16, 3, 2, kI64Max, {84, 216, 190}},
        {16, 3, 2, kI64Max - 1, {224, 76, 74}}, {16, 3, 2, kI32Min, {200, 100, 50}}, {16, 3, 2, kI32Max, {84, 216, 190}},
        {17, 3, 2, kI64Min, {200, 100, 50}}, {17, 3, 2, kI64Max, {200, 240, 208}},
        {17, 3, 2, kI64Max - 1, {200, 124, 158}}, {17, 3, 2, kI32Min, {200, 100, 50}}, {17, 3, 2, kI32Max, {200, 240, 208}},
        {18, 3, 2, kI64Min, {199, 101, 166}}, {18, 3, 2, kI64Max, {202, 101, 167}},
        {18, 3, 2, kI64Max - 1, {202, 101, 167}}, {18, 3, 2, kI32Min, {202, 101, 167}}, {18, 3, 2, kI32Max, {199, 101, 166}},
        {19, 3, 2, kI64Min, {221, 122, 40}}, {19, 3, 2, kI64Max, {174, 24, 254}},
        {19, 3, 2, kI64Max - 1, {111, 214, 116}}, {19, 3, 2, kI32Min, {221, 122, 40}}, {19, 3, 2, kI32Max, {158, 56, 158}},
        {20, 3, 2, kI64Min, {200, 100, 50}}, {20, 3, 2, kI64Max, {117, 111, 54}},
        {20, 3, 2, kI64Max - 1, {34, 96, 74}}, {20, 3, 2, kI32Min, {200, 100, 50}}, {20, 3, 2, kI32Max, {117, 111, 54}},
        {21, 3, 2, kI64Min, {0, 0, 0}}, {21, 3, 2, kI64Max, {0, 0, 0}},
        {21, 3, 2, kI64Max - 1, {0, 0, 0}}, {21, 3, 2, kI32Min, {0, 0, 0}}, {21, 3, 2, kI32Max, {0, 0, 0}},
        {21, 3, 3, kI64Min, {64, 192, 0}}, {21, 3, 3, kI64Max, {67, 195, 0}},
        {21, 3, 3, kI64Max - 1, {70, 198, 0}}, {21, 3, 3, kI32Min, {64, 192, 46}}, {21, 3, 3, kI32Max, {67, 195, 150}},
        {21, 2, 3, kI64Min, {0, 0, 0}}, {21, 2, 3, kI64Max, {0, 0, 0}},
        {21, 2, 3, kI64Max - 1, {0, 0, 0}}, {21, 2, 3, kI32Min, {132, 60, 94}}, {21, 2, 3, kI32Max, {28, 212, 246}},
        {21, 2, 2, kI64Min, {0, 0, 0}}, {21, 2, 2, kI64Max, {0, 0, 0}},
        {21, 2, 2, kI64Max - 1, {0, 0, 0}}, {21, 2, 2, kI32Min, {136, 164, 120}}, {21, 2, 2, kI32Max, {135, 163, 119}},
        {22, 3, 2, kI64Min, {253, 100, 0}}, {22, 3, 2, kI64Max, {53, 100, 255}},
        {22, 3, 2, kI64Max - 1, {109, 100, 254}}, {22, 3, 2, kI32Min, {253, 100, 0}}, {22, 3, 2, kI32Max, {53, 100, 255}},
        {22, 3, 3, kI64Min, {253, 100, 0}}, {22, 3, 3, kI64Max, {53, 100, 250}},
        {22, 3, 3, kI64Max - 1, {109, 100, 244}}, {22, 3, 3, kI32Min, {253, 100, 0}}, {22, 3, 3, kI32Max, {53, 100, 250}},
        {22, 2, 3, kI64Min, {253, 100, 0}}, {22, 2, 3, kI64Max, {53, 100, 1}},
        {22, 2, 3, kI64Max - 1, {109, 100, 2}}, {22, 2, 3, kI32Min, {253, 100, 0}}, {22, 2, 3, kI32Max, {53, 100, 1}},
        {22, 2, 2, kI64Min, {1, 100, 0}}, {22, 2, 2, kI64Max, {201, 100, 252}},
        {22, 2, 2, kI64Max - 1, {145, 100, 248}}, {22, 2, 2, kI32Min, {1, 100, 0}}, {22, 2, 2, kI32Max, {201, 100, 252}},
        {23, 3, 2, kI64Min, {144, 132, 194}}, {23, 3, 2, kI64Max, {143, 129, 192}},
        {23, 3, 2, kI64Max - 1, {142, 126, 190}}, {23, 3, 2, kI32Min, {144, 132, 194}}, {23, 3, 2, kI32Max, {143, 129, 192}},
        {24, 3, 2, kI64Min, {250, 200, 44}}, {24, 3, 2, kI64Max, {249, 199, 42}},
        {24, 3, 2, kI64Max - 1, {248, 198, 40}}, {24, 3, 2, kI32Min, {250, 200, 44}}, {24, 3, 2, kI32Max, {249, 199, 42}},
    };
    for (const Row &row : table) {
        SCOPED_TRACE(::testing::Message() << "filter " << row.filter << " at (" << row.x << ", " << row.y
                                          << "), value " << row.value);
        Bitmap bm = Bitmap::standard();
        bm.fillPattern();
        bm.set(row.x, row.y, {200, 100, 50});
        EXPECT_EQ(applyKernel(bm, row.filter, row.x, row.y, row.value), row.expected);
    }
}

} // namespace
} // namespace tintwell::enginetest
