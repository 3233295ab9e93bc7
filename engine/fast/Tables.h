// Per-pass tables of the coordinate filters: terms of x + y alone and the
// inverses of the column divisors. Each has room for a block of 16 entries
// past the last one the pass reads, formed the same way.
#pragma once

#include "Arithmetic.h"
#include "PassKit.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tintwell::fast {

inline constexpr std::size_t tablePadding = 16;

// Low byte of f(s) for every s = x + y of the pass.
template <class F>
inline std::vector<std::uint8_t> diagonalTable(const PassGeometry &g, const F &f)
{
    const std::size_t size = static_cast<std::size_t>(g.columns) + static_cast<std::size_t>(g.rows) + tablePadding;
    std::vector<std::uint8_t> table(size);
    for (std::size_t s = 0; s < table.size(); ++s)
        table[s] = arith::byte(f(static_cast<arith::i32>(s)));
    return table;
}

// 1 / (x + 1) in single precision for every column, for smallQuotient.
inline std::vector<float> columnInverses(const PassGeometry &g)
{
    std::vector<float> table(static_cast<std::size_t>(g.columns) + tablePadding);
    for (std::size_t x = 0; x < table.size(); ++x)
        table[x] = 1.0f / static_cast<float>(x + 1);
    return table;
}

// ((x + y)·value) / (x + y + 1): the quotient of the R step of filters 10 and 14.
inline std::vector<std::uint8_t> diagonalStepTable(const PassGeometry &g, arith::i64 value)
{
    return diagonalTable(g, [value](arith::i32 s) {
        return arith::low32(arith::div64(arith::mul64(s, value), arith::add32(s, 1)));
    });
}

// (x + y) / (value + 1): the quotient of the B step of filters 12 and 14.
inline std::vector<std::uint8_t> diagonalShareTable(const PassGeometry &g, arith::i64 value)
{
    const arith::i64 d = arith::add64(value, 1);
    return diagonalTable(g, [d](arith::i32 s) { return arith::low32(arith::div64(s, d)); });
}

} // namespace tintwell::fast
