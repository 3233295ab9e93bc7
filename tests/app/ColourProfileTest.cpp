// The colour profile of the opened picture stays with the source and every
// result through render, clipboard, adoption and undo; the window paints an
// sRGB screen copy while the result keeps the engine's bytes.
#include "AppFixture.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QColorSpace>
#include <QSlider>

#include <functional>

namespace {

struct ProfileStep {
    const char *name;
    std::function<void(AppController &)> act;
};

} // namespace

class ColourProfile : public AppFixture
{
protected:
    QString openAdobeRgbPicture()
    {
        QImage picture = testpics::pattern(48, 32);
        picture.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
        const QString path = writePicture(QStringLiteral("adobe.png"), picture);
        open(path);
        return path;
    }
};

TEST_F(ColourProfile, TravelsWithSourceAndResult)
{
    const ProfileStep steps[] = {
        {"render", [](AppController &) {}},
        {"copy and paste", [](AppController &c) { c.copyToClipboard(); c.setPasteboardAsSource(); }},
        {"use result as source and render", [](AppController &c) { c.setAsSource(); c.slider->setValue(c.slider->value() + 1); }},
        {"undo", [](AppController &c) { c.undo(); }},
    };
    openAdobeRgbPicture();
    const QColorSpace adobe(QColorSpace::AdobeRgb);
    for (const ProfileStep &step : steps) {
        SCOPED_TRACE(step.name);
        step.act(*c);
        ASSERT_FALSE(c->current_image.isNull());
        EXPECT_EQ(c->current_image.colorSpace(), adobe);
        EXPECT_EQ(shown().colorSpace(), adobe);
    }
}

TEST_F(ColourProfile, ScreenCopyIsConvertedAndTheResultIsTheEnginesBytes)
{
    const QString path = openAdobeRgbPicture();
    const QImage expected = tintwell::renderImage(tintwell::loadImage(path).image, c->currentSettings());
    EXPECT_TRUE(testpics::sameBytes(shown(), expected));
    EXPECT_EQ(c->image_view->displayImage().colorSpace(), QColorSpace(QColorSpace::SRgb));
}
