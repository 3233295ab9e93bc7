// fuzz_engine: random geometry, filter, control value, offsets and flags; the
// fast pass must give the reference walk's bytes and never touch bytes it may
// not (refused views, row padding, byte 3 and up of a pixel).
#include "BitmapView.h"
#include "FilterPass.h"
#include "PassContext.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

// The fixed byte layout of one input: pass settings, bitmap geometry
// choices, pixel bytes.
namespace tintwell::fuzz {

// Flag bits of EngineCase::flags.
enum EngineFlag : std::uint8_t {
    flagNegative = 1,     // the pass's negative flag
    flagReverse = 2,      // the pass's reverse flag
    flagNullData = 4,     // hand the pass a null data pointer
    flagScramble = 8,     // refused views only: fill the geometry globals with `scramble`
};

// How the width or height is chosen (kind % 8): 0-2 whole 0..40, 3 whole
// 0..299, 4 whole 0..40 plus a fraction, 5 a special value (NaN, infinities,
// negatives, 2^31, ...), 6 the raw double, 7 any 32-bit integer.
// bytesPerSample (kind % 8): 0-3 four, 4 three, 5 3..16, 6 0..2 (refused),
// 7 any 32-bit integer.
// bytesPerRow (kind % 8): 0-3 exactly columns * bytesPerSample, 4 plus 0..16
// padding bytes, 5 one to eight bytes too short, 6 any 32-bit integer, 7 plus
// 0..65535 padding bytes.
struct EngineCase {
    std::uint32_t filter = 0;
    std::int64_t value = 0;
    std::int32_t red = 0, green = 0, blue = 0;
    std::uint8_t flags = 0;
    std::uint8_t widthKind = 0, heightKind = 0, sampleKind = 0, rowKind = 0;
    std::uint64_t widthRaw = 0, heightRaw = 0;
    std::uint32_t sampleRaw = 0, rowRaw = 0;
    std::int32_t scramble[4] = {0, 0, 0, 0}; // width, height, bytesPerRow, bytesPerSample
    std::vector<std::uint8_t> pixels;        // repeated to fill the bitmap

    // Little-endian fields in the order above, zeros once the input runs out
    // (so every byte string is a valid input), the rest as pixel bytes.
    static EngineCase decode(const std::uint8_t *data, std::size_t size)
    {
        std::size_t pos = 0;
        const auto take = [&](int bytes) {
            std::uint64_t v = 0;
            for (int i = 0; i < bytes; ++i)
                v |= std::uint64_t{pos < size ? data[pos++] : std::uint8_t{0}} << (8 * i);
            return v;
        };
        EngineCase c;
        c.filter = std::uint32_t(take(4));
        c.value = std::int64_t(take(8));
        c.red = std::int32_t(take(4));
        c.green = std::int32_t(take(4));
        c.blue = std::int32_t(take(4));
        for (std::uint8_t *b : {&c.flags, &c.widthKind, &c.heightKind, &c.sampleKind, &c.rowKind})
            *b = std::uint8_t(take(1));
        c.widthRaw = take(8);
        c.heightRaw = take(8);
        c.sampleRaw = std::uint32_t(take(4));
        c.rowRaw = std::uint32_t(take(4));
        for (auto &s : c.scramble)
            s = std::int32_t(take(4));
        c.pixels.assign(data + pos, data + size);
        return c;
    }
};

} // namespace tintwell::fuzz

namespace {

using tintwell::fuzz::EngineCase;

constexpr std::int64_t maxBitmapBytes = std::int64_t{1} << 18; // larger views are skipped
constexpr std::int64_t maxRowVisits = std::int64_t{1} << 16;   // rows x max(columns, 1)
constexpr std::int64_t refusedBytes = 64;                      // buffer under a refused view

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_engine: %s\n", what);
    __builtin_trap();
}

double sizeFrom(std::uint8_t kind, std::uint64_t raw)
{
    static const double special[] = {
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), -0.0, -1.0, -0.5, 0.5, 0.999999999999,
        2147483647.0, 2147483647.5, 2147483648.0, 4294967296.0, 1e300,
        std::numeric_limits<double>::denorm_min(), 65536.0, -2147483648.0, 1.0, 2.0, 3.0};
    const double choices[] = {
        double(raw % 41), double(raw % 41), double(raw % 41), double(raw % 300),
        double(raw % 41) + double((raw >> 8) & 0xFF) / 256.0, special[raw % std::size(special)],
        std::bit_cast<double>(raw), double(std::int32_t(std::uint32_t(raw)))};
    return choices[kind % 8];
}

std::int32_t sampleFrom(std::uint8_t kind, std::uint32_t raw)
{
    const std::int32_t choices[] = {4, 4, 4, 4, 3, 3 + std::int32_t(raw % 14), std::int32_t(raw % 3), std::int32_t(raw)};
    return choices[kind % 8];
}

// Whole pixels along an extent the pass may use, or -1 when the extent is unusable.
std::int64_t wholePixels(double d)
{
    return !std::isfinite(d) || d < 0 || d > 2147483647.0 ? -1 : static_cast<std::int64_t>(std::floor(d));
}

std::int32_t low32(std::int64_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

std::int32_t rowFrom(std::uint8_t kind, std::uint32_t raw, std::int64_t columns, std::int32_t sample)
{
    const std::int64_t exact = (columns < 0 ? 0 : columns) * sample;
    const std::int64_t choices[] = {exact, exact, exact, exact, exact + raw % 17, exact - 1 - raw % 8,
                                    std::int32_t(raw), exact + raw % 65536};
    return low32(choices[kind % 8]);
}

// Truncation toward zero as the render path stores a size (out of range: -2^31).
std::int32_t truncated(double d)
{
    return d > -2147483649.0 && d < 2147483648.0 ? static_cast<std::int32_t>(d) : std::numeric_limits<std::int32_t>::min();
}

// The pass context, which a pass must leave as it found it.
std::array<std::int32_t, 8> context()
{
    using namespace tintwell;
    return {current_filter, width, height, bytesPerRow, bytesPerSample, red, green, blue};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const EngineCase c = EngineCase::decode(data, size);

    tintwell::BitmapView view;
    view.size = {sizeFrom(c.widthKind, c.widthRaw), sizeFrom(c.heightKind, c.heightRaw)};
    view.bytesPerSample = sampleFrom(c.sampleKind, c.sampleRaw);
    const std::int64_t columns = wholePixels(view.size.width);
    const std::int64_t rows = wholePixels(view.size.height);
    view.bytesPerRow = rowFrom(c.rowKind, c.rowRaw, columns, view.bytesPerSample);

    // Independent model of which views a pass may touch.
    const bool nullData = (c.flags & tintwell::fuzz::flagNullData) != 0;
    const bool passable = !nullData && view.bytesPerSample >= 3 && columns >= 0 && rows >= 0 &&
                          std::int64_t{view.bytesPerRow} >= columns * view.bytesPerSample;

    // The buffer: exactly the bytes the walk spans, or a small one under a refused view.
    std::int64_t length = refusedBytes;
    if (passable) {
        if (rows * (columns > 0 ? columns : 1) > maxRowVisits)
            return 0;
        length = (rows > 0 && columns > 0)
                     ? (rows - 1) * std::int64_t{view.bytesPerRow} + columns * view.bytesPerSample
                     : 0;
        if (length > maxBitmapBytes)
            return 0;
    }
    std::vector<std::uint8_t> original(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < original.size(); ++i)
        original[i] = c.pixels.empty() ? static_cast<std::uint8_t>(i * 37 + 11)
                                       : c.pixels[i % c.pixels.size()];
    // Separate heap blocks of exactly `length` bytes, so ASan sees any overrun.
    const auto copy = [&] {
        std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[original.size()]);
        std::copy(original.begin(), original.end(), block.get());
        return block;
    };
    const auto fast = copy(), reference = copy();

    // The pass context, filled as the render path fills it (or, under a
    // refused view, with unrelated geometry).
    const bool scramble = !passable && (c.flags & tintwell::fuzz::flagScramble);
    tintwell::current_filter = static_cast<std::int32_t>(c.filter);
    tintwell::width = scramble ? c.scramble[0] : truncated(view.size.width);
    tintwell::height = scramble ? c.scramble[1] : truncated(view.size.height);
    tintwell::bytesPerRow = scramble ? c.scramble[2] : view.bytesPerRow;
    tintwell::bytesPerSample = scramble ? c.scramble[3] : view.bytesPerSample;
    tintwell::red = c.red, tintwell::green = c.green, tintwell::blue = c.blue;
    const auto before = context();
    const bool negative = c.flags & tintwell::fuzz::flagNegative, reverse = c.flags & tintwell::fuzz::flagReverse;

    view.data = nullData ? nullptr : fast.get();
    if (tintwell::isPassable(view) != passable)
        fail("isPassable disagrees with the documented rule");
    if (tintwell::passColumns(view) != (passable ? columns : 0) || tintwell::passRows(view) != (passable ? rows : 0))
        fail("passColumns/passRows are not the whole pixels of the size (none for a refused view)");

    tintwell::filterBitmap(view, c.value, negative, reverse);
    if (context() != before)
        fail("filterBitmap changed the pass context");
    view.data = nullData ? nullptr : reference.get();
    tintwell::filterBitmapReference(view, c.value, negative, reverse);
    if (context() != before)
        fail("filterBitmapReference changed the pass context");

    if (length > 0 && std::memcmp(fast.get(), reference.get(), static_cast<std::size_t>(length)) != 0)
        fail("filterBitmap and filterBitmapReference give different bytes");
    if (!passable) {
        if (length > 0 && std::memcmp(reference.get(), original.data(), original.size()) != 0)
            fail("a refused view was written");
        return 0;
    }
    // Only bytes 0..2 of each visited pixel may change.
    for (std::int64_t i = 0; i < length; ++i) {
        const std::int64_t column = i % view.bytesPerRow;
        if ((column >= columns * view.bytesPerSample || column % view.bytesPerSample >= 3) && reference[i] != original[i])
            fail("a padding byte or byte 3+ of a pixel was written");
    }
    return 0;
}
