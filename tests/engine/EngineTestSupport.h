// Shared helpers of the engine tests: a bitmap that owns its bytes, a pixel
// triple that prints as numbers, and a fixture that fills the pass context.
#pragma once

#include "engine/BitmapView.h"
#include "engine/FilterPass.h"
#include "engine/PassContext.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace tintwell::enginetest {

inline constexpr std::int64_t kI64Min = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kI64Max = std::numeric_limits<std::int64_t>::max();
inline constexpr std::int64_t kI32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kI32Max = std::numeric_limits<std::int32_t>::max();

// Bytes 0..2 of a pixel, held as int so that failures print numbers.
using Rgb = std::array<int, 3>;

// Exactly bytesPerRow * rows bytes, so that AddressSanitizer sees any access
// past the last row.
struct Bitmap {
    int columns, rows, bytesPerSample, bytesPerRow;
    std::vector<std::uint8_t> bytes;

    Bitmap(int c, int r, int sample, int row, std::uint8_t fill = 0)
        : columns(c), rows(r), bytesPerSample(sample), bytesPerRow(row),
          bytes(static_cast<std::size_t>(row) * static_cast<std::size_t>(r), fill)
    {
    }

    std::size_t offsetOf(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(bytesPerRow) +
               static_cast<std::size_t>(x) * static_cast<std::size_t>(bytesPerSample);
    }
    Rgb get(int x, int y) const
    {
        const std::size_t o = offsetOf(x, y);
        return {bytes[o], bytes[o + 1], bytes[o + 2]};
    }
    void set(int x, int y, Rgb c)
    {
        const std::size_t o = offsetOf(x, y);
        for (int i = 0; i < 3; ++i)
            bytes[o + i] = static_cast<std::uint8_t>(c[i]);
    }
    // Every byte, padding included, from a fixed-seed generator.
    void fillRandom(std::uint32_t seed)
    {
        std::mt19937 gen(seed);
        for (auto &b : bytes)
            b = static_cast<std::uint8_t>(gen());
    }
    BitmapView view() { return view(columns, rows); }
    BitmapView view(double width, double height) { return {bytes.data(), {width, height}, bytesPerRow, bytesPerSample}; }
};

// Fills the process-wide pass context.
class EngineTest : public ::testing::Test {
protected:
    static void setContext(const Bitmap &bm, std::int32_t filter, std::int32_t r = 0, std::int32_t g = 0,
                           std::int32_t b = 0)
    {
        tintwell::current_filter = filter;
        tintwell::width = bm.columns;
        tintwell::height = bm.rows;
        tintwell::bytesPerRow = bm.bytesPerRow;
        tintwell::bytesPerSample = bm.bytesPerSample;
        tintwell::red = r;
        tintwell::green = g;
        tintwell::blue = b;
    }
};

} // namespace tintwell::enginetest
