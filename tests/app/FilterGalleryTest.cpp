// The filter gallery: every preview is the full-size render of its filter
// with the current settings, shrunk, and choosing a preview chooses its filter.
#include "AppFixture.h"
#include "FilterGallery.h"
#include "PassContext.h"
#include "Preview.h"

#include <QSignalSpy>
#include <QTest>

TEST_F(AppFixture, GalleryPreviewsAreTheFullRendersShrunkAndAClickChoosesTheFilter)
{
    FilterGallery *gallery = delegate->gallery();
    QSignalSpy ready(gallery, &FilterGallery::previewsReady);
    tintwell::PassSettings s{4, 7, 3, -5, 9, true, true};
    set(s);
    open(writePicture("wide.png", pattern(150, 70))); // wider than the preview box
    ASSERT_TRUE(ready.wait(60000));
    const QSize box = FilterGallery::previewBox() * delegate->window()->devicePixelRatioF();
    for (s.filter = 0; s.filter < tintwell::filterCount; ++s.filter) {
        const QImage full = tintwell::renderImage(c->current_image, s);
        EXPECT_TRUE(sameBytes(gallery->preview(s.filter), tintwell::thumbnail(full, box))) << "filter " << s.filter;
    }

    auto *strip = delegate->window()->findChild<QListWidget *>(QStringLiteral("filter_gallery"));
    ASSERT_EQ(strip->count(), tintwell::filterCount);
    QListWidgetItem *item = strip->item(21);
    strip->scrollToItem(item);
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualItemRect(item).center());
    EXPECT_EQ(c->filter_selector->currentIndex(), 21);
    s.filter = 21;
    EXPECT_TRUE(sameBytes(shown(), tintwell::renderImage(c->current_image, s)));
}
