// The window as built from its Designer form: the controls the controller
// needs, their ranges and start texts, and the wiring of every action.
#include "AppFixture.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMainWindow>
#include <QSlider>
#include <QToolBar>

class Window : public AppFixture
{
protected:
    QAction *action(const char *name) const
    {
        auto *found = delegate->window()->findChild<QAction *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(Window, EveryControlIsConnected)
{
    EXPECT_NE(c->image_view, nullptr);
    for (QSlider *s : {c->slider, c->slider_red, c->slider_green, c->slider_blue})
        ASSERT_NE(s, nullptr);
    for (QLabel *l : {c->slider_pos, c->slider_red_pos, c->slider_green_pos, c->slider_blue_pos})
        ASSERT_NE(l, nullptr);
    ASSERT_NE(c->filter_selector, nullptr);
    ASSERT_NE(c->check_box, nullptr);
    ASSERT_NE(c->reverse_box, nullptr);
    EXPECT_TRUE(c->current_image.isNull());
    EXPECT_TRUE(c->image_view->image().isNull());
}

TEST_F(Window, PopupOffersTwentyFiveNamedFilters)
{
    ASSERT_EQ(c->filter_selector->count(), 25);
    QSet<QString> names;
    for (int k = 0; k < 25; ++k) {
        EXPECT_FALSE(c->filter_selector->itemText(k).isEmpty()) << k;
        names.insert(c->filter_selector->itemText(k));
    }
    EXPECT_EQ(names.size(), 25);
}

TEST_F(Window, SlidersTrackAndCoverUsefulRanges)
{
    for (QSlider *s : {c->slider, c->slider_red, c->slider_green, c->slider_blue}) {
        EXPECT_TRUE(s->hasTracking()) << s->objectName().toStdString();
        EXPECT_LE(s->minimum(), -5);
        EXPECT_GE(s->maximum(), 100);
        EXPECT_GE(s->maximum() - s->minimum() + 1, 256); // every offset modulo 256
        EXPECT_EQ(s->value(), 0);
    }
    for (QLabel *l : {c->slider_pos, c->slider_red_pos, c->slider_green_pos, c->slider_blue_pos})
        EXPECT_EQ(l->text(), QStringLiteral("0"));
}

TEST_F(Window, ImageActionsReachTheController)
{
    const QString path = writePicture(QStringLiteral("p.png"), testpics::pattern(20, 10));
    EXPECT_FALSE(action("actionSave")->isEnabled());
    EXPECT_FALSE(action("actionCopy")->isEnabled());

    dialogs->openAnswers << path;
    action("actionOpen")->trigger();
    EXPECT_EQ(dialogs->openCalls, 1);
    ASSERT_FALSE(c->current_image.isNull());
    EXPECT_TRUE(action("actionSave")->isEnabled());
    EXPECT_TRUE(action("actionCopy")->isEnabled());

    action("actionSave")->trigger();
    EXPECT_EQ(dialogs->saveCalls, 1);

    c->slider->setValue(10);
    action("actionAdopt")->trigger();
    EXPECT_TRUE(testpics::sameBytes(c->current_image, c->image_view->image()));

    action("actionCopy")->trigger();
    action("actionPaste")->trigger();
    EXPECT_FALSE(testpics::sameBytes(c->current_image, c->image_view->image())); // rendered again

    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "handleUrl");
    action("actionShare")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(browser.urls.size(), 1);

    // The six picture actions are buttons on the tool bar.
    auto *bar = delegate->window()->findChild<QToolBar *>();
    ASSERT_NE(bar, nullptr);
    for (const char *name : {"actionOpen", "actionSave", "actionCopy", "actionPaste", "actionAdopt", "actionShare"})
        EXPECT_TRUE(bar->actions().contains(action(name))) << name;
}

TEST_F(Window, CheckBoxesAndPopupRerender)
{
    open(writePicture(QStringLiteral("p.png"), testpics::pattern(20, 10)));
    QImage before = c->image_view->image();
    c->check_box->click();
    EXPECT_FALSE(testpics::sameBytes(c->image_view->image(), before));
    before = c->image_view->image();
    c->reverse_box->click();
    EXPECT_FALSE(testpics::sameBytes(c->image_view->image(), before));
    before = c->image_view->image();
    c->slider->setValue(40);
    c->filter_selector->setCurrentIndex(4);
    EXPECT_FALSE(testpics::sameBytes(c->image_view->image(), before));
}

TEST_F(Window, QuitClosesTheWindow)
{
    ASSERT_TRUE(delegate->window()->isVisible());
    action("actionQuit")->trigger();
    EXPECT_FALSE(delegate->window()->isVisible());
}
