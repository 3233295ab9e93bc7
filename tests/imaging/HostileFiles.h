// Hostile and photo-like test files: now shared from tests/support.
#pragma once

#include "../support/Pictures.h"

namespace tintwell::test {

inline QImage photoLikeImage(int width, int height, quint32 seed = 1)
{
    return pattern(width, height, false, 24, seed);
}

} // namespace tintwell::test
