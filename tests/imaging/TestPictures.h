// Test pictures for the image-path tests: now shared from tests/support.
#pragma once

#include "../support/Pictures.h"

namespace tintwell::test {

inline QImage patternImage(int width, int height)
{
    return pattern(width, height, true);
}

} // namespace tintwell::test
