// The formulas and the kernel's tail, pixel by pixel against worked results:
// what the fast pass and the reference walk would share, and so the one place
// a fault in a formula shows. Rows run the kernel on the pixel (200, 100, 50)
// unless they say otherwise, in a 16 x 16 bitmap whose other bytes are
// (37 i + 11) mod 256; rows of the neighbour filters may place the pixels the
// formula reads (6: one right and one down, 8: the mirror, 9: one right, 21:
// one and two below).
#include "EngineTestSupport.h"

#include "engine/Kernel.h"

namespace tintwell::enginetest {
namespace {

constexpr Rgb kPixel{200, 100, 50};
constexpr Rgb kUnplaced{-1, -1, -1};

struct FormulaRow {
    std::int32_t filter;
    int x, y;
    std::int64_t value;
    Rgb expected;
    Rgb pixel = kPixel, first = kUnplaced, second = kUnplaced;
};

// P and Q below the pixel for filter 21.
constexpr Rgb kP{10, 20, 30}, kQ{40, 50, 60};

const FormulaRow kFormulas[] = {
    {0, 3, 2, 7, {207, 107, 57}},
    {0, 0, 0, 4294967297, {201, 101, 51}}, // only the low 32 bits count
    {1, 3, 2, 7, {207, 93, 57}},
    {1, 0, 0, 1, {1, 255, 1}, {0, 0, 0}},
    {2, 3, 2, 7, {80, 32, 212}},
    {2, 3, 2, -1, {144, 0, 100}},
    {2, 3, 2, kI64Max - 1, {88, 156, 150}},
    // k = value * 0.2 in single precision, truncated toward zero.
    {3, 3, 2, 7, {203, 100, 52}},
    {3, 3, 2, -7, {197, 156, 48}}, // k = -1, not -2
    // 2^24 + 3 rounds to 2^24 + 4 in single precision: k = 3355444.
    {3, 1, 0, 16777219, {252, 80, 50}},
    {3, 3, 2, kI32Min, {232, 128, 242}},
    {3, 3, 2, kI64Max, {200, 0, 50}}, // k = -2^31: x·k and y·k end in a zero byte
    {4, 3, 2, 7, {202, 103, 55}},     // R takes the row, G the column
    {4, 3, 2, kI32Min, {136, 132, 18}},
    {5, 3, 2, 7, {198, 97, 45}},
    {5, 7, 1, 1000, {0, 236, 242}},
    {5, 3, 2, kI32Max, {136, 132, 18}},
    {6, 3, 2, 7, {231, 134, 81}, kPixel, {10, 20, 30}},
    {6, 9, 1, 3, {228, 105, 57}, kPixel, {1, 2, 3}}, // 9 / 2 = 4
    {6, 3, 2, kI64Max, {224, 162, 152}},
    // Running thirds of the doubled bytes, each byte with its own operand order.
    {7, 3, 2, 7, {108, 99, 186}},
    {7, 3, 2, 1, {7, 7, 7}, {255, 255, 255}},
    {7, 3, 2, -3, {198, 7, 44}, {128, 64, 200}},
    {7, 3, 2, kI64Max - 1, {80, 210, 194}},
    // P = M.B + R, Q = M.G + G, S = M.R + B: byte 2 of the mirror pairs with R.
    {8, 3, 2, 7, {231, 142, 197}, kPixel, {10, 20, 30}},
    {8, 3, 2, -1, {159, 94, 29}, kPixel, {10, 20, 30}},
    {8, 0, 0, 2, {12, 2, 134}, kPixel, {255, 255, 255}},
    {8, 3, 2, kI64Max - 1, {80, 254, 202}},
    {9, 3, 2, 7, {44, 140, 0}, kPixel, {10, 20, 30}},
    // 255·257² is rounded in single precision, so B is 0, not 255.
    {9, 3, 2, 257, {0, 255, 0}, {0, 0, 0}, {255, 255, 255}},
    {9, 3, 2, 2902, {0, 170, 0}, {0, 0, 0}, {255, 255, 255}}, // B past 2^31
    {9, 3, 2, -2902, {0, 86, 0}, {0, 0, 0}, {255, 255, 255}},
    // 64-bit quotients truncate toward zero: -35 / 6 = -5, -21 / 3 = -7.
    {10, 3, 2, 7, {125, 207, 103}},
    {10, 3, 2, -7, {131, 193, 97}},
    {10, 9, 0, -1, {255, 251, 6}, {1, 2, 3}},
    {10, 3, 2, kI32Min, {86, 200, 100}},
    {11, 3, 2, 7, {208, 114, 2}},
    {11, 3, 2, -3, {180, 53, 230}}, // divisor -2
    {11, 3, 2, -1, {200, 100, 250}}, // a quotient by zero counts as 0
    {11, 3, 2, 1, {128, 127, 127}, {255, 255, 255}}, // B adds the new R
    {11, 3, 2, kI64Max, {200, 100, 250}}, // value + 1 wraps to INT64_MIN
    {12, 3, 2, 7, {151, 200, 100}},
    {12, 3, 2, -3, {141, 200, 98}}, // 5 / -2 = -2, not -3
    {12, 3, 2, -1, {143, 200, 100}},
    {13, 3, 2, 7, {250, 200, 8}},
    {13, 3, 2, -1, {250, 200, 56}},
    {13, 3, 2, kI64Max - 1, {250, 200, 62}},
    {14, 3, 2, 7, {125, 114, 100}},
    {14, 3, 2, -1, {56, 100, 100}},
    {14, 4, 9, 3, {90, 131, 103}},
    {14, 3, 2, kI32Max, {225, 102, 100}},
    // Remainders take the sign of the dividend: 2 % -3 = 2.
    {15, 3, 2, 7, {200, 114, 55}},
    {15, 3, 2, -1, {200, 98, 53}},
    {15, 3, 9, -2, {194, 98, 53}},
    {16, 3, 2, 7, {244, 56, 94}},
    {16, 3, 2, -1, {84, 216, 190}},
    {16, 0, 0, 3, {252, 2, 252}, {255, 255, 255}},
    // The last step divides by 5: B = 50 + 358 / 5 = 121 with value 1.
    {17, 3, 2, 7, {245, 249, 38}},
    {17, 3, 2, 1, {119, 189, 121}},
    {17, 3, 2, -1, {200, 240, 208}},
    // Negative real sums truncate toward zero before they wrap: -8.59 stores 248.
    {18, 3, 2, 7, {202, 103, 168}},
    {18, 3, 10, 5, {248, 1, 83}, {0, 0, 0}},
    {18, 3, 2, kI64Min, {199, 101, 166}},
    // The multiplier is ((value + 1) % 15) + 2 with a truncating remainder.
    {19, 3, 2, 7, {158, 56, 158}},
    {19, 3, 2, -2, {247, 198, 36}},
    {19, 3, 2, kI64Max, {174, 24, 254}},
    {19, 3, 2, kI64Min, {221, 122, 40}},
    // Signed quotients truncate toward zero: (10 + 20 - 200) / 3 = -56.
    {20, 3, 2, 7, {13, 142, 173}},
    {20, 3, 2, 1, {210, 211, 178}, {10, 20, 200}},
    {20, 3, 2, -1, {117, 111, 54}},
    // One row per parity of (x, y).
    {21, 3, 3, 7, {9, 205, 89}, kPixel, kP, kQ},
    {21, 2, 3, 7, {114, 230, 10}, kPixel, kP, kQ},
    {21, 2, 2, 7, {173, 133, 220}, kPixel, kP, kQ}, // t = value · 0.5
    {21, 3, 2, -7, {159, 119, 206}, kPixel, kP, kQ}, // t = value · 1.5
    {21, 15, 12, 7, {180, 140, 227}, kPixel, kP, kQ}, // the last column passes the guard
    {21, 2, 2, kI32Max, {135, 163, 119}},
    {22, 3, 3, 7, {117, 100, 42}},
    {22, 2, 3, 7, {117, 100, 249}},
    {22, 2, 2, 7, {137, 100, 28}},
    {22, 3, 2, 7, {117, 100, 7}},
    {22, 3, 3, -1, {53, 100, 250}},
    {22, 2, 2, kI64Max - 1, {145, 100, 248}},
    {23, 3, 2, 7, {151, 153, 208}},
    {23, 0, 0, -1, {255, 253, 254}, {0, 0, 0}},
    {24, 3, 2, 7, {1, 207, 58}},
    {24, 3, 2, -7, {243, 193, 30}},
    {24, 3, 2, kI64Max, {249, 199, 42}},
};

// Where filter `filter` reads its first and second neighbour of (x, y).
void placeNeighbours(Bitmap &bm, const FormulaRow &row)
{
    const int x = row.x, y = row.y;
    const auto place = [&](int px, int py, Rgb c) { c == kUnplaced ? void() : bm.set(px, py, c); };
    if (row.filter == 6)
        place(x + 1, y + 1, row.first);
    if (row.filter == 8)
        place(15 - x, 15 - y, row.first);
    if (row.filter == 9)
        place(x + 1, y, row.first);
    if (row.filter == 21)
        place(x, y + 1, row.first), place(x, y + 2, row.second);
}

using FormulaTableTest = EngineTest;

TEST_F(FormulaTableTest, EveryFormulaGivesItsWorkedResult)
{
    for (const FormulaRow &row : kFormulas) {
        SCOPED_TRACE(::testing::Message() << "filter " << row.filter << ", pixel "
                                          << ::testing::PrintToString(row.pixel) << " at (" << row.x << ", "
                                          << row.y << "), value " << row.value);
        Bitmap bm(16, 16, 4, 64);
        for (std::size_t i = 0; i < bm.bytes.size(); ++i)
            bm.bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
        placeNeighbours(bm, row);
        bm.set(row.x, row.y, row.pixel);
        setContext(bm, row.filter);
        tintwell::changePixel(bm.bytes.data(), false, false, row.x, row.y, bm.bytes.data() + bm.offsetOf(row.x, row.y),
                              row.value);
        EXPECT_EQ(bm.get(row.x, row.y), row.expected);
    }
}

// The tail after the formula: offsets added (low byte only, wrapping), then
// the negative (two's complement, not inversion), then red and blue exchanged.
TEST_F(FormulaTableTest, OffsetsThenNegativeThenReverse)
{
    const struct {
        std::int32_t filter;
        Rgb pixel, offsets;
        bool negative, reverse;
        Rgb expected;
    } rows[] = {
        {-1, {250, 7, 9}, {10, 0, 250}, false, false, {4, 7, 3}},
        {25, {10, 20, 30}, {257, -1, kI32Min}, false, false, {11, 19, 30}},
        {-1, {0, 1, 128}, {0, 0, 0}, true, false, {0, 255, 128}},
        {1000, {255, 200, 10}, {0, 0, 0}, true, false, {1, 56, 246}},
        {-1, {10, 20, 30}, {0, 0, 0}, true, true, {226, 236, 246}},
        {-1, {10, 20, 30}, {1, 0, 0}, true, false, {245, 236, 226}}, // offsets before the negative
        {-1, {10, 20, 30}, {1, 0, 0}, false, true, {30, 20, 11}},    // and before the reverse
        {kI32Min, {200, 100, 50}, {5, 6, 7}, false, true, {57, 106, 205}},
        {0, {200, 100, 50}, {1, 2, 3}, false, false, {208, 109, 60}},
        {22, {200, 100, 50}, {1, 2, 3}, true, false, {138, 154, 246}}, // G, left by the formula, still takes its tail
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        Bitmap bm(16, 16, 4, 64);
        bm.set(3, 2, row.pixel);
        setContext(bm, row.filter, row.offsets[0], row.offsets[1], row.offsets[2]);
        tintwell::changePixel(bm.bytes.data(), row.negative, row.reverse, 3, 2, bm.bytes.data() + bm.offsetOf(3, 2), 7);
        EXPECT_EQ(bm.get(3, 2), row.expected);
    }
}

} // namespace
} // namespace tintwell::enginetest
