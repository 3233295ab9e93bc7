// The render path of the app and the CLI: the reference pass's bytes for
// every filter and layout, in place or from a source, the source never
// written, and on two threads at once with their own settings each.
#include "Pictures.h"
#include "ReferencePass.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>

namespace {

using namespace tintwell::test;
using tintwell::PassSettings;

PassSettings settingsFor(qint32 filter)
{
    const qint64 values[] = {3, -2, 258, std::numeric_limits<qint64>::min()};
    return {filter, values[(filter + 1) % 4], filter * 11, -filter, 300, filter % 2 == 0, filter % 3 == 0};
}

TEST(Render, EveryEntryGivesTheReferenceBytesAndLeavesTheSourceAlone)
{
    for (QImage::Format format : {QImage::Format_RGBA8888, QImage::Format_RGBX8888, QImage::Format_RGB32,
                                  QImage::Format_ARGB32, QImage::Format_Grayscale8}) {
        const QImage source = pattern(33, 9, true).convertToFormat(format);
        const QImage pristine = source.copy();
        for (qint32 filter = -1; filter <= tintwell::filterCount; ++filter) {
            const PassSettings s = settingsFor(filter);
            const QImage expected = referencePass(pristine, s);
            const auto where = testing::Message() << "format " << format << " filter " << filter;

            QImage inPlace = source.copy();
            tintwell::renderInPlace(inPlace, s);
            for (const QImage &rendered : {tintwell::renderImage(source, s), inPlace}) {
                EXPECT_EQ(rendered.format(), expected.format()) << where;
                EXPECT_EQ(pixelBytes(rendered), pixelBytes(expected)) << where;
            }

            // From a source in the working layout into a target of the same
            // layout, and into one of another layout (replaced by a copy).
            const QImage working = tintwell::toWorkingLayout(source);
            for (QImage target : {QImage(working.size(), working.format()), QImage(3, 3, QImage::Format_RGB32)}) {
                tintwell::current_filter = filter;
                tintwell::runPassFrom(working, target, s.value, s.red, s.green, s.blue, s.negative, s.reverse);
                EXPECT_EQ(pixelBytes(target), pixelBytes(expected)) << where;
            }
            EXPECT_EQ(pixelBytes(source), pixelBytes(pristine)) << where;
        }
    }
}

TEST(Render, PicturesOutsideTheWorkingLayoutAreNotPassed)
{
    EXPECT_TRUE(tintwell::renderImage(QImage(), PassSettings{}).isNull());
    QImage grey(4, 4, QImage::Format_Grayscale8);
    grey.fill(9);
    tintwell::current_filter = 0;
    tintwell::runPass(grey, 100, 1, 1, 1, true, true);
    EXPECT_EQ(grey.pixelColor(2, 2).red(), 9);
}

// As the window's render and the filter gallery's worker run them: each
// thread gives the bytes of its own picture and settings, although the pass
// context they fill is process-wide.
TEST(Render, EachOfTwoThreadsGetsTheBytesOfItsOwnSettings)
{
    const QImage sources[] = {pattern(12, 8), pattern(8, 12)};
    const PassSettings settings[] = {{8, 7, 1, 2, 3, true, false}, {21, -9, 0, 5, 0, false, true}};
    const QImage expected[] = {referencePass(sources[0], settings[0]), referencePass(sources[1], settings[1])};
    std::atomic<int> wrong = 0;
    const auto run = [&](int job) {
        for (int i = 0; i < 10000; ++i)
            wrong += sameBytes(tintwell::renderImage(sources[job], settings[job]), expected[job]) ? 0 : 1;
    };
    std::thread other(run, 1);
    run(0);
    other.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
