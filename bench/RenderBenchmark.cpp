// The controller's whole render cycle on real widgets (offscreen): from a
// changed main slider to the image view holding its display image (filter 0),
// with the picture fitted and at 100% (centre of the picture).
#include "BenchPicture.h"

#include "AppController.h"
#include "AppDelegate.h"
#include "ImageView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
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

// Slider moves until the view holds its new screen copy; `actualSize` zooms
// to 100% first, about the picture's centre.
void renderCycle(benchmark::State &state, bool actualSize)
{
    AppDelegate delegate;
    delegate.window()->resize(1280, 800);
    delegate.window()->show();
    AppController *controller = delegate.controller();
    controller->current_image = benchImage();
    controller->filter_selector->setCurrentIndex(0);
    if (actualSize) {
        controller->slider->setValue(29); // a first render, so that there is a picture to zoom
        controller->image_view->zoomToActualSize();
        QApplication::processEvents(); // the scroll bars appear
    }

    int step = 0;
    for (auto _ : state) {
        // A slider move: valueChanged runs the render cycle synchronously.
        controller->slider->setValue(30 + (step++ % 2));
        benchmark::DoNotOptimize(controller->image_view->displayImage().constBits());
    }
    if (controller->image_view->displayImage().isNull())
        state.SkipWithError("the view shows no picture after the render");
    if (actualSize && controller->image_view->scale() != 1.0)
        state.SkipWithError("the view is not at 100%");
}

void BM_Render(benchmark::State &state)
{
    renderCycle(state, false);
}

void BM_RenderZoomed(benchmark::State &state)
{
    renderCycle(state, true);
}

} // namespace

BENCHMARK(BM_Render)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderZoomed)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace tintwell::bench
