// The fast loops, one function per filter, grouped by what their formulas
// read. Routes.h says which of them may run each filter.
#pragma once

#include "PassKit.h"

#include <cstdint>

namespace tintwell::fast {

// Everything a loop needs for one pass.
struct PassInputs {
    PassGeometry geometry;
    Finish finish;
    std::int64_t value = 0;
};

// A loop runs the pass and returns true, or returns false, touching nothing,
// for a value (or an extent) outside the range where it is exact; the next
// loop of the filter's route is then tried.
using Loop = bool (*)(const PassInputs &);

// PixelLoops.cpp: the pixel, the value and the coordinates in 16-bit lanes,
// and the identity (offsets, negative and reverse alone) a pixel at a time.
bool identity(const PassInputs &in);
bool filter0(const PassInputs &in);
bool filter1(const PassInputs &in);
bool filter2(const PassInputs &in);
bool filter3(const PassInputs &in);
bool filter4(const PassInputs &in);
bool filter5(const PassInputs &in);
bool filter7(const PassInputs &in);
bool filter16(const PassInputs &in);
bool filter19(const PassInputs &in);
bool filter20(const PassInputs &in);
bool filter22(const PassInputs &in);
bool filter23(const PassInputs &in);
bool filter24(const PassInputs &in);

// CoordinateLoops.cpp: quotients and remainders of coordinates and byte sums,
// terms of x + y from per-pass tables, and the sine/cosine filter.
bool filter10(const PassInputs &in);
bool filter11(const PassInputs &in);
bool filter12(const PassInputs &in);
bool filter13(const PassInputs &in);
bool filter14InLanes(const PassInputs &in); // values 0 .. 1791
bool filter14(const PassInputs &in);
bool filter15(const PassInputs &in);
bool filter17(const PassInputs &in);
bool filter18(const PassInputs &in);

// NeighbourLoops.cpp and Filter21.cpp: the filters that read other pixels of
// the bitmap they rewrite, in place, rows in bands over threads.
bool filter6(const PassInputs &in);
bool filter8(const PassInputs &in);
bool filter9(const PassInputs &in);
bool filter21(const PassInputs &in);

} // namespace tintwell::fast
