// The controller's whole render cycle on real widgets (offscreen): from a
// changed main slider to the image view holding its display image (filter 0).
#include "BenchPicture.h"

#include "AppController.h"
#include "AppDelegate.h"
#include "ImageView.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QImage>
#include <QMainWindow>
#include <QSlider>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tintwell::bench {

namespace {

// The bench picture as an opaque image, the layout a decoded photo gets.
QImage benchImage()
{
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGBX8888);
    const std::vector<std::uint8_t> &bytes = benchPicture();
    for (int y = 0; y < kPictureHeight; ++y)
        std::memcpy(image.scanLine(y), bytes.data() + static_cast<std::size_t>(y) * kPictureWidth * 4,
                    static_cast<std::size_t>(kPictureWidth) * 4);
    return image;
}

void BM_Render(benchmark::State &state)
{
    AppDelegate delegate;
    delegate.window()->resize(1280, 800);
    delegate.window()->show();
    AppController *controller = delegate.controller();
    controller->current_image = benchImage();
    controller->filter_selector->setCurrentIndex(0);

    int step = 0;
    for (auto _ : state) {
        // A slider move: valueChanged runs the render cycle synchronously.
        controller->slider->setValue(30 + (step++ % 2));
        benchmark::DoNotOptimize(controller->image_view->displayImage().constBits());
    }
    if (controller->image_view->displayImage().isNull())
        state.SkipWithError("the view shows no picture after the render");
}

} // namespace

BENCHMARK(BM_Render)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace tintwell::bench
