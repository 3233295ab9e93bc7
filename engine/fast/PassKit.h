// Building blocks of the fast loops: the pass geometry, four-byte pixel words,
// the offsets/negative/reverse finish, and rows spread over threads.
#pragma once

#include "Targets.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <omp.h>

namespace tintwell::fast {

// A pass over whole four-byte pixels whose rows start bytesPerRow apart. A
// pass with a source reads every row from there (same stride, not
// overlapping) and writes it to data: the bytes of copying the source into
// data and then running the pass in place, with one trip through memory.
struct PassGeometry {
    std::uint8_t *data = nullptr;
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::ptrdiff_t bytesPerRow = 0;
    const std::uint8_t *source = nullptr;

    std::uint8_t *row(std::int32_t y) const { return data + static_cast<std::ptrdiff_t>(y) * bytesPerRow; }
    const std::uint8_t *sourceRow(std::int32_t y) const
    {
        return source + static_cast<std::ptrdiff_t>(y) * bytesPerRow;
    }
};

// One pixel as a 32-bit word: byte 0 in the low bits. Loads and stores go
// through memcpy, so rows need no particular alignment.
inline std::uint32_t loadWord(const std::uint8_t *row, std::int32_t x)
{
    std::uint32_t w;
    std::memcpy(&w, row + static_cast<std::ptrdiff_t>(x) * 4, 4);
    return w;
}
inline void storeWord(std::uint8_t *row, std::int32_t x, std::uint32_t w)
{
    std::memcpy(row + static_cast<std::ptrdiff_t>(x) * 4, &w, 4);
}
inline std::uint32_t byte0(std::uint32_t w) { return w & 0xFFu; }
inline std::uint32_t byte1(std::uint32_t w) { return (w >> 8) & 0xFFu; }
inline std::uint32_t byte2(std::uint32_t w) { return (w >> 16) & 0xFFu; }

// Asks for the cache line `offset` bytes from p, for reading soon, into the
// caches from level 1 (Locality 3) or level 2 (2) on. The address is formed
// as a number: it may lie outside the row, which a prefetch tolerates and
// pointer arithmetic does not.
template <int Locality>
inline void prefetchNear(const std::uint8_t *p, std::ptrdiff_t offset)
{
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(p) + static_cast<std::uintptr_t>(offset);
    __builtin_prefetch(reinterpret_cast<const void *>(address), 0, Locality);
}

// A formula's three results; only their low 8 bits are stored.
struct Rgb {
    std::uint32_t r;
    std::uint32_t g;
    std::uint32_t b;
};

// The colour offsets, negative and reverse of the kernel, applied to the
// formula's bytes and packed with the pixel's untouched byte 3. The negative
// of c + offset is ((c + offset) ^ m) - m with m all ones, which equals
// (c ^ m) + (1 - offset): each byte is one xor and one add of a per-pass
// constant (the offset itself without the negative). The reverse is a choice
// of shift counts.
struct Finish {
    // The offsets, or 1 - offset with the negative.
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    std::uint32_t negativeMask = 0;
    std::uint32_t shiftR = 0;
    std::uint32_t shiftB = 16;

    Finish() = default;
    Finish(std::int32_t r, std::int32_t g, std::int32_t b, bool negative, bool reverse)
        : red(static_cast<std::uint32_t>(r)), green(static_cast<std::uint32_t>(g)),
          blue(static_cast<std::uint32_t>(b)), negativeMask(negative ? 0xFFFFFFFFu : 0u),
          shiftR(reverse ? 16u : 0u), shiftB(reverse ? 0u : 16u)
    {
        if (negative) {
            red = 1u - red;
            green = 1u - green;
            blue = 1u - blue;
        }
    }

    std::uint32_t apply(std::uint32_t w, Rgb c) const
    {
        const std::uint32_t r = (c.r ^ negativeMask) + red;
        const std::uint32_t g = (c.g ^ negativeMask) + green;
        const std::uint32_t b = (c.b ^ negativeMask) + blue;
        return (w & 0xFF000000u) | ((r & 0xFFu) << shiftR) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << shiftB);
    }
};

// The contiguous band of rows [first, last) that thread `index` of `count`
// takes out of `rows`.
struct Band {
    std::int32_t first;
    std::int32_t last;
};
inline Band bandOf(std::int32_t rows, int index, int count)
{
    const auto share = [&](int i) {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(rows) * i / count);
    };
    return {share(index), share(index + 1)};
}

// Rows a thread takes at a time in passes whose rows are independent of one
// another: small enough that a thread held up on a busy core leaves its
// remaining rows to the others, large enough that handing them out costs
// nothing measurable (a few hundred hand-outs for a 4000-row picture).
inline std::int32_t rowChunkFor(std::int32_t rows, int threads)
{
    const std::int32_t chunk = rows / (threads * 16);
    return chunk < 1 ? 1 : (chunk > 32 ? 32 : chunk);
}

// Threads for a pass over `rows` rows: never more than there are rows.
inline int threadsFor(std::int32_t rows)
{
    const int available = omp_get_max_threads();
    return rows < available ? (rows > 0 ? rows : 1) : available;
}

// One row of a formula that reads only the visited pixel. Everything comes by
// value: stores through the byte pointer could alias anything reached through
// a reference, which would keep the loop scalar.
template <class Formula>
void formulaRow(std::uint8_t *row, std::int32_t columns, Formula formula, Finish finish)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const std::uint32_t w = loadWord(row, x);
        storeWord(row, x, finish.apply(w, formula(w, x)));
    }
}

// formulaRow reading the row from `in` and writing it to `out`, which do not
// overlap.
template <class Formula>
void formulaRowFrom(const std::uint8_t *__restrict in, std::uint8_t *__restrict out, std::int32_t columns,
                    Formula formula, Finish finish)
{
    for (std::int32_t x = 0; x < columns; ++x) {
        const std::uint32_t w = loadWord(in, x);
        storeWord(out, x, finish.apply(w, formula(w, x)));
    }
}

// The bytes of a row past its last whole pixel (padding), which a pass from a
// source copies unchanged.
inline void copyRowPadding(const PassGeometry &g, std::int32_t y)
{
    const std::ptrdiff_t used = static_cast<std::ptrdiff_t>(g.columns) * 4;
    if (g.bytesPerRow > used)
        std::memcpy(g.row(y) + used, g.sourceRow(y) + used, static_cast<std::size_t>(g.bytesPerRow - used));
}

// Runs a formula that reads only the visited pixel over every pixel, rows
// spread over threads in chunks. rowSetup(y) hoists what depends on the row and returns
// the per-pixel formula f(word, x) -> Rgb.
template <class RowSetup>
void pixelPass(const PassGeometry &g, const Finish &finish, const RowSetup &rowSetup)
{
    const int threads = threadsFor(g.rows);
    // Rows are independent: hand them out in chunks rather than one fixed band
    // per thread, so a momentarily busy core does not hold up the pass.
#pragma omp parallel for schedule(dynamic, rowChunkFor(g.rows, threads)) num_threads(threads)
    for (std::int32_t y = 0; y < g.rows; ++y) {
        onTarget([&](auto) {
            if (g.source)
                formulaRowFrom(g.sourceRow(y), g.row(y), g.columns, rowSetup(y), finish);
            else
                formulaRow(g.row(y), g.columns, rowSetup(y), finish);
        });
        if (g.source)
            copyRowPadding(g, y);
    }
}

// Copies the source of a pass into its data, rows spread over threads: what a
// pass that reads other pixels needs before it runs in place.
inline void copySource(const PassGeometry &g)
{
    if (!g.source)
        return;
    const std::size_t bytes = static_cast<std::size_t>(g.bytesPerRow);
    const int threads = threadsFor(g.rows);
#pragma omp parallel for schedule(static) num_threads(threads)
    for (std::int32_t y = 0; y < g.rows; ++y)
        std::memcpy(g.row(y), g.sourceRow(y), bytes);
}

// Runs rowFn(y, rowAt) for every row, each thread taking a contiguous band of
// rows, for loops that read the rows below the one they rewrite. rowAt(r)
// gives row r; for the `lookahead` rows just below a band it gives them as
// they were before the pass (copied before any thread starts writing, since
// the next band rewrites them).
template <class RowFn>
void bandedPass(const PassGeometry &g, std::int32_t lookahead, const RowFn &rowFn)
{
    const int threads = threadsFor(g.rows);
    const std::size_t rowBytes = static_cast<std::size_t>(g.columns) * 4;
    std::vector<std::uint8_t> copies(static_cast<std::size_t>(threads) * static_cast<std::size_t>(lookahead) * rowBytes);
#pragma omp parallel num_threads(threads)
    {
        const Band band = bandOf(g.rows, omp_get_thread_num(), omp_get_num_threads());
        std::uint8_t *copy = copies.data() + static_cast<std::size_t>(omp_get_thread_num()) *
                                                 static_cast<std::size_t>(lookahead) * rowBytes;
        if (band.first < band.last) {
            for (std::int32_t k = 0; k < lookahead && band.last + k < g.rows; ++k)
                std::memcpy(copy + static_cast<std::size_t>(k) * rowBytes, g.row(band.last + k), rowBytes);
        }
#pragma omp barrier
        const auto rowAt = [&](std::int32_t r) -> const std::uint8_t * {
            return r < band.last ? g.row(r) : copy + static_cast<std::size_t>(r - band.last) * rowBytes;
        };
        for (std::int32_t y = band.first; y < band.last; ++y)
            rowFn(y, rowAt);
    }
}

} // namespace tintwell::fast
