// Test pictures and byte comparisons for the app tests: now shared from
// tests/support.
#pragma once

#include "Pictures.h"

namespace testpics {

using tintwell::test::pixelAt;
using tintwell::test::Rgba;
using tintwell::test::sameBytes;

inline QImage pattern(int width, int height)
{
    return tintwell::test::pattern(width, height);
}

inline QImage translucentPattern(int width, int height)
{
    return tintwell::test::pattern(width, height, true);
}

} // namespace testpics
