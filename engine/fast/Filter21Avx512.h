// Filter 21's rows written with AVX-512 intrinsics, which the AVX-512 copy of
// the filter's loop runs (Filter21.cpp).
#pragma once

#include "Filter21Lanes.h"
#include "Targets.h"

#ifdef TINTWELL_TARGET_COPIES
#include <immintrin.h>

namespace tintwell::fast {

// Filter 21 with AVX-512 (BW) instructions the portable rows (row21) cannot
// be written with: a multiply-add of unsigned bytes by signed weights (vpmaddubsw) picks
// each lane's byte, already multiplied by its signed coefficient, out of the
// word, so a lane's sum is three multiply-adds and two adds, with neither
// shifts, masks nor flips; the truncation's step is a masked subtract; the
// byte-3 lane carries the row's byte 3 through. Same bytes as row21.
struct Avx512Constants21 {
    __m512i weights[3][2], base[2], threshold[2];
};

template <bool OddRow, bool Reverse>
[[gnu::always_inline]] TINTWELL_AVX512_TARGET inline __m512i block21Avx512(const __m512i &w, const __m512i &p,
                                                                       const __m512i &q, const Avx512Constants21 &k,
                                                                       __m512i &columnTerm, const __m512i &columnStep)
{
    __m512i half[2];
    for (int h = 0; h < 2; ++h) {
        const __m512i raw = _mm512_add_epi16(
            _mm512_add_epi16(_mm512_maddubs_epi16(w, k.weights[0][h]), _mm512_maddubs_epi16(p, k.weights[1][h])),
            _mm512_maddubs_epi16(q, k.weights[2][h]));
        const __mmask32 step = _mm512_cmpgt_epi16_mask(raw, k.threshold[h]);
        const __m512i sum = _mm512_add_epi16(raw, k.base[h]);
        half[h] = _mm512_mask_sub_epi16(sum, step, sum, _mm512_set1_epi16(1));
    }
    if constexpr (OddRow) {
        half[0] = _mm512_add_epi16(half[0], columnTerm);
        columnTerm = _mm512_add_epi16(columnTerm, columnStep);
    }
    if constexpr (Reverse)
        half[0] = _mm512_mask_rol_epi32(half[0], 0xFFFF, half[0], 16); // (the unmasked form warns in GCC 12)
    // Bytes 0 and 2 from the low constants, 1 and 3 from the high ones.
    return _mm512_ternarylogic_epi32(_mm512_set1_epi32(0x00FF00FF), half[0], _mm512_slli_epi16(half[1], 8), 0xCA);
}

template <bool OddRow, bool Reverse>
TINTWELL_AVX512_TARGET void row21Avx512(std::uint8_t *row, const std::uint8_t *pRow, const std::uint8_t *qRow,
                                   std::int32_t columns, const RowLanes21 &constants, std::uint16_t rowTerm)
{
    Avx512Constants21 k;
    for (int h = 0; h < 2; ++h) {
        for (int i = 0; i < 3; ++i)
            k.weights[i][h] = _mm512_loadu_si512(constants.weights[i][h]);
        // The constants sum raw - offset: move the constants along.
        const __m512i offset = _mm512_loadu_si512(constants.offset[h]);
        k.base[h] = _mm512_add_epi16(_mm512_loadu_si512(constants.base[h]), offset);
        k.threshold[h] = _mm512_sub_epi16(_mm512_loadu_si512(constants.threshold[h]), offset);
    }
    if constexpr (OddRow)
        k.base[1] = _mm512_add_epi16(k.base[1], _mm512_and_si512(_mm512_loadu_si512(constants.rowLanes),
                                                                 _mm512_set1_epi16(static_cast<short>(rowTerm))));
    __m512i columnTerm = _mm512_loadu_si512(constants.columnTerm);
    const __m512i columnStep = _mm512_loadu_si512(constants.columnStep);
    std::int32_t x = 0;
    for (; x + lanes::blockPixels <= columns; x += lanes::blockPixels) {
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        const std::uint8_t *below = pRow + static_cast<std::ptrdiff_t>(x) * 4;
        const std::uint8_t *twoBelow = qRow + static_cast<std::ptrdiff_t>(x) * 4;
        _mm_prefetch(reinterpret_cast<const char *>(twoBelow + prefetchBytes21), _MM_HINT_T1);
        const __m512i w = _mm512_loadu_si512(out), p = _mm512_loadu_si512(below), q = _mm512_loadu_si512(twoBelow);
        _mm512_storeu_si512(out, block21Avx512<OddRow, Reverse>(w, p, q, k, columnTerm, columnStep));
    }
    if (x < columns) {
        // The last, partial block: masked loads and store, which touch no
        // memory past the row.
        const auto tail = static_cast<__mmask16>((1u << (columns - x)) - 1u);
        std::uint8_t *out = row + static_cast<std::ptrdiff_t>(x) * 4;
        const __m512i w = _mm512_maskz_loadu_epi32(tail, out);
        const __m512i p = _mm512_maskz_loadu_epi32(tail, pRow + static_cast<std::ptrdiff_t>(x) * 4);
        const __m512i q = _mm512_maskz_loadu_epi32(tail, qRow + static_cast<std::ptrdiff_t>(x) * 4);
        _mm512_mask_storeu_epi32(out, tail, block21Avx512<OddRow, Reverse>(w, p, q, k, columnTerm, columnStep));
    }
}

} // namespace tintwell::fast
#endif
