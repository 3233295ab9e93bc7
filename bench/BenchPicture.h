// A deterministic photo-like test picture for the benchmarks: smooth
// gradients, fine noise and a few hard edges, four bytes a pixel.
#pragma once

#include <cstdint>
#include <vector>

namespace tintwell::bench {

inline constexpr int kPictureWidth = 6000;
inline constexpr int kPictureHeight = 4000;

// The RGBA bytes of the picture, rows packed (width * 4 bytes each). Built once
// and shared by every benchmark.
const std::vector<std::uint8_t> &benchPicture();

} // namespace tintwell::bench
