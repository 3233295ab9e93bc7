// Shared helpers for the engine tests: a bitmap that owns its bytes, an RGB
// triple that prints readably, and a fixture that fills the pass context and
// runs the kernel or a whole pass.
#pragma once

#include "engine/BitmapView.h"
#include "engine/FilterPass.h"
#include "engine/Kernel.h"
#include "engine/PassContext.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace tintwell::enginetest {

inline constexpr std::int64_t kI64Min = std::numeric_limits<std::int64_t>::min();
inline constexpr std::int64_t kI64Max = std::numeric_limits<std::int64_t>::max();
inline constexpr std::int64_t kI32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kI32Max = std::numeric_limits<std::int32_t>::max();

// Bytes 0..2 of a pixel. Held as int so that failures print numbers, not chars.
struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
    friend std::ostream &operator<<(std::ostream &os, const Rgb &c)
    {
        return os << '(' << c.r << ", " << c.g << ", " << c.b << ')';
    }
};

// A bitmap that owns exactly bytesPerRow * rows bytes (so that AddressSanitizer
// sees any access past the last row), with helpers to read and write pixels.
class Bitmap {
public:
    Bitmap(int columns, int rows, int bytesPerSample, int bytesPerRow, std::uint8_t fill = 0)
        : columns_(columns), rows_(rows), bytesPerSample_(bytesPerSample), bytesPerRow_(bytesPerRow),
          bytes_(static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(rows), fill)
    {
    }

    // The geometry used by the neighbour-filter examples: 16 x 16, four bytes a
    // pixel, packed rows.
    static Bitmap standard(std::uint8_t fill = 0) { return Bitmap(16, 16, 4, 64, fill); }

    int columns() const { return columns_; }
    int rows() const { return rows_; }
    int bytesPerSample() const { return bytesPerSample_; }
    int bytesPerRow() const { return bytesPerRow_; }

    std::uint8_t *data() { return bytes_.data(); }
    std::vector<std::uint8_t> &bytes() { return bytes_; }
    const std::vector<std::uint8_t> &bytes() const { return bytes_; }

    std::size_t offsetOf(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(bytesPerRow_) +
               static_cast<std::size_t>(x) * static_cast<std::size_t>(bytesPerSample_);
    }
    std::uint8_t *pixel(int x, int y) { return bytes_.data() + offsetOf(x, y); }

    Rgb get(int x, int y) const
    {
        const std::size_t o = offsetOf(x, y);
        return {bytes_[o], bytes_[o + 1], bytes_[o + 2]};
    }
    void set(int x, int y, Rgb c)
    {
        const std::size_t o = offsetOf(x, y);
        bytes_[o] = static_cast<std::uint8_t>(c.r);
        bytes_[o + 1] = static_cast<std::uint8_t>(c.g);
        bytes_[o + 2] = static_cast<std::uint8_t>(c.b);
    }

    // Every byte (pixels, spare bytes and padding) from a fixed-seed generator.
    void fillRandom(std::uint32_t seed)
    {
        std::mt19937 gen(seed);
        for (auto &b : bytes_)
            b = static_cast<std::uint8_t>(gen() & 0xFFu);
    }
    // Byte i becomes (37 i + 11) mod 256: a fixed, non-uniform background.
    void fillPattern()
    {
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            bytes_[i] = static_cast<std::uint8_t>((i * 37u + 11u) & 0xFFu);
    }

    BitmapView view() { return view(columns_, rows_); }
    BitmapView view(double width, double height)
    {
        BitmapView v;
        v.data = bytes_.data();
        v.size = {width, height};
        v.bytesPerRow = bytesPerRow_;
        v.bytesPerSample = bytesPerSample_;
        return v;
    }

private:
    int columns_;
    int rows_;
    int bytesPerSample_;
    int bytesPerRow_;
    std::vector<std::uint8_t> bytes_;
};

// Fills the pass context and restores it to zero around every test, since the
// context is process-wide and tests must not leak state into each other.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { resetContext(); }
    void TearDown() override { resetContext(); }

    static void resetContext()
    {
        tintwell::current_filter = 0;
        tintwell::width = 0;
        tintwell::height = 0;
        tintwell::bytesPerRow = 0;
        tintwell::bytesPerSample = 0;
        tintwell::red = 0;
        tintwell::green = 0;
        tintwell::blue = 0;
    }

    static void setGeometry(const Bitmap &bm)
    {
        tintwell::width = bm.columns();
        tintwell::height = bm.rows();
        tintwell::bytesPerRow = bm.bytesPerRow();
        tintwell::bytesPerSample = bm.bytesPerSample();
    }

    static void setOffsets(std::int32_t r, std::int32_t g, std::int32_t b)
    {
        tintwell::red = r;
        tintwell::green = g;
        tintwell::blue = b;
    }

    // Runs the kernel once on pixel (x, y) with the bitmap's geometry in the
    // context and returns the pixel's new bytes 0..2. Also checks that no other
    // byte of the bitmap changed: byte 3, the neighbours and padding stay put.
    static Rgb applyKernel(Bitmap &bm, std::int32_t filter, int x, int y, std::int64_t value,
                           bool negative = false, bool reverse = false)
    {
        setGeometry(bm);
        tintwell::current_filter = filter;
        const std::vector<std::uint8_t> before = bm.bytes();
        tintwell::changePixel(bm.data(), negative, reverse, x, y, bm.pixel(x, y), value);
        const std::size_t own = bm.offsetOf(x, y);
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (i >= own && i < own + 3)
                continue;
            if (bm.bytes()[i] != before[i]) {
                ADD_FAILURE() << "kernel on (" << x << ", " << y << ") also changed byte " << i << " from "
                              << int(before[i]) << " to " << int(bm.bytes()[i]);
                break;
            }
        }
        return bm.get(x, y);
    }

    // Kernel on a single pixel of an otherwise zero 16 x 16 bitmap.
    static Rgb applyKernelTo(Rgb pixel, std::int32_t filter, int x, int y, std::int64_t value,
                             bool negative = false, bool reverse = false)
    {
        Bitmap bm = Bitmap::standard();
        bm.set(x, y, pixel);
        return applyKernel(bm, filter, x, y, value, negative, reverse);
    }
};

// One of the two walks, so pass-level tests can hold both to the same rules.
using PassFunction = void (*)(const BitmapView &, std::int64_t, bool, bool);

struct NamedPass {
    const char *name;
    PassFunction run;
};

inline void PrintTo(const NamedPass &pass, std::ostream *os) { *os << pass.name; }

inline std::string passName(const ::testing::TestParamInfo<NamedPass> &info) { return info.param.name; }

inline const NamedPass kSpecialisedPass{"Specialised", &tintwell::filterBitmap};
inline const NamedPass kReferencePass{"Reference", &tintwell::filterBitmapReference};

class PassTest : public EngineTest, public ::testing::WithParamInterface<NamedPass> {
protected:
    void runPass(const BitmapView &view, std::int64_t value, bool negative = false, bool reverse = false)
    {
        GetParam().run(view, value, negative, reverse);
    }
};

} // namespace tintwell::enginetest
