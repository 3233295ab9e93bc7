// filterBitmap must give exactly the bytes of filterBitmapReference, the plain
// one-kernel-call-per-pixel walk. A handful of random bitmaps per filter, with
// random offsets and flags and a spread of control values (including -1 and
// the 64-bit extremes), each run through both walks on separate copies.
#include "EngineTestSupport.h"

#include <cstdint>
#include <random>

namespace tintwell::enginetest {
namespace {

using FastPathAgreementTest = EngineTest;

struct Shape {
    int columns;
    int rows;
    int bytesPerSample;
    int bytesPerRow;
};

TEST_F(FastPathAgreementTest, SameBytesAsTheReferenceWalk)
{
    const Shape shapes[] = {
        {1, 1, 4, 4},    {2, 1, 3, 6},   {7, 5, 3, 24},  {5, 9, 4, 28},
        {16, 16, 4, 64}, {13, 6, 4, 52}, {4, 4, 6, 30},
    };
    std::mt19937_64 gen(20240601);
    for (std::int32_t filter = -1; filter <= tintwell::filterCount; ++filter) {
        for (const Shape &shape : shapes) {
            const std::int64_t values[] = {0, 7, -1, -2, 300, kI64Min, kI64Max, kI32Min, kI32Max,
                                           static_cast<std::int64_t>(gen())};
            for (std::int64_t value : values) {
                const auto seed = static_cast<std::uint32_t>(gen());
                const auto r = static_cast<std::int32_t>(gen());
                const auto g = static_cast<std::int32_t>(gen());
                const auto b = static_cast<std::int32_t>(gen());
                const bool negative = gen() & 1u;
                const bool reverse = gen() & 1u;
                SCOPED_TRACE(::testing::Message()
                             << "filter " << filter << ", " << shape.columns << " x " << shape.rows << " stride "
                             << shape.bytesPerSample << " row " << shape.bytesPerRow << ", value " << value
                             << ", offsets " << r << " " << g << " " << b << ", negative " << negative
                             << ", reverse " << reverse);
                Bitmap fast(shape.columns, shape.rows, shape.bytesPerSample, shape.bytesPerRow);
                fast.fillRandom(seed);
                Bitmap reference = fast;

                setGeometry(fast);
                setOffsets(r, g, b);
                tintwell::current_filter = filter;
                tintwell::filterBitmapReference(reference.view(), value, negative, reverse);
                tintwell::filterBitmap(fast.view(), value, negative, reverse);
                ASSERT_EQ(fast.bytes(), reference.bytes());
            }
        }
    }
}

} // namespace
} // namespace tintwell::enginetest
