#include "BenchPicture.h"

#include <cmath>
#include <cstddef>

namespace tintwell::bench {

namespace {

std::vector<std::uint8_t> makePicture()
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kPictureWidth) * kPictureHeight * 4);
    std::uint32_t noise = 0x12345678u; // xorshift32: fixed sequence on every machine
    for (int y = 0; y < kPictureHeight; ++y) {
        for (int x = 0; x < kPictureWidth; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double fx = static_cast<double>(x) / kPictureWidth;
            const double fy = static_cast<double>(y) / kPictureHeight;
            // Sky-like vertical gradient, a warm horizontal one, a soft wave.
            double r = 40 + 150 * fx + 30 * std::sin(6.0 * fy + 3.0 * fx);
            double g = 70 + 120 * (1 - fy) + 20 * std::cos(9.0 * fx);
            double b = 200 - 140 * fy + 25 * std::sin(11.0 * fx * fy);
            // Hard edges: a dark disc and a bright band.
            const double dx = fx - 0.35, dy = fy - 0.55;
            if (dx * dx + dy * dy < 0.02) {
                r *= 0.3;
                g *= 0.35;
                b *= 0.4;
            }
            if (x % 1500 < 90) {
                r = 235;
                g = 230;
                b = 220;
            }
            const int n = static_cast<int>(noise % 17) - 8;
            const auto clamp = [](double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
            std::uint8_t *p = bytes.data() + (static_cast<std::size_t>(y) * kPictureWidth + x) * 4;
            p[0] = clamp(r + n);
            p[1] = clamp(g + n);
            p[2] = clamp(b - n);
            p[3] = 255;
        }
    }
    return bytes;
}

} // namespace

const std::vector<std::uint8_t> &benchPicture()
{
    static const std::vector<std::uint8_t> picture = makePicture();
    return picture;
}

} // namespace tintwell::bench
