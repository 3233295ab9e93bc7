#include "PassContext.h"

namespace tintwell {

std::int32_t current_filter = 0;
std::int32_t width = 0;
std::int32_t height = 0;
std::int32_t bytesPerRow = 0;
std::int32_t bytesPerSample = 0;
std::int32_t red = 0;
std::int32_t green = 0;
std::int32_t blue = 0;

} // namespace tintwell
