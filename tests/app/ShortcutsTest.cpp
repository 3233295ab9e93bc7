// The menu bar and its keyboard shortcuts, pressed as real key events on the
// active window; the title and the status bar that follow the picture.
#include "AppFixture.h"
#include "EditorActions.h"
#include "ImageView.h"
#include "TestPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>

class Shortcuts : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        activate();
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(delegate->window(), key, modifiers);
    }
    QStringList menuTexts(const char *menu) const
    {
        QStringList texts;
        auto *m = delegate->window()->findChild<QMenu *>(QString::fromLatin1(menu));
        EXPECT_NE(m, nullptr) << menu;
        if (m != nullptr)
            for (QAction *a : m->actions())
                if (!a->isSeparator())
                    texts << a->objectName();
        return texts;
    }
};

TEST_F(Shortcuts, MenusHoldEveryCommand)
{
    EXPECT_EQ(menuTexts("menuFile"), (QStringList{"actionOpen", "actionSave", "actionExportPng", "actionQuit"}));
    EXPECT_EQ(menuTexts("menuEdit"), (QStringList{"actionUndo", "actionRedo", "actionCopy", "actionCopyCommand",
                                                  "actionPaste", "actionAdopt"}));
    EXPECT_EQ(menuTexts("menuHelp"), (QStringList{"actionShare", "actionAbout"}));
    EXPECT_EQ(delegate->window()->menuBar()->actions().size(), 3);
}

TEST_F(Shortcuts, StandardKeysAreBound)
{
    const auto keys = [this](const char *name) { return actionNamed(name)->shortcuts(); };
    using K = QKeySequence;
    EXPECT_EQ(keys("actionOpen"), (QList<K>{K(Qt::CTRL | Qt::Key_O)}));
    EXPECT_EQ(keys("actionSave"), (QList<K>{K(Qt::CTRL | Qt::Key_S)}));
    EXPECT_EQ(keys("actionExportPng"), (QList<K>{K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}));
    EXPECT_EQ(keys("actionQuit"), (QList<K>{K(Qt::CTRL | Qt::Key_Q)}));
    EXPECT_EQ(keys("actionCopy"), (QList<K>{K(Qt::CTRL | Qt::Key_C)}));
    EXPECT_EQ(keys("actionPaste"), (QList<K>{K(Qt::CTRL | Qt::Key_V)}));
    EXPECT_TRUE(keys("actionAdopt").contains(K(Qt::CTRL | Qt::Key_Return)));
    EXPECT_TRUE(keys("actionAdopt").contains(K(Qt::CTRL | Qt::Key_Enter)));
    EXPECT_EQ(keys("actionUndo"), (QList<K>{K(Qt::CTRL | Qt::Key_Z)}));
    EXPECT_TRUE(keys("actionRedo").contains(K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    // No two actions share a key.
    QStringList all;
    for (QAction *a : delegate->window()->findChildren<QAction *>())
        for (const K &k : a->shortcuts())
            all << k.toString();
    EXPECT_EQ(QSet<QString>(all.begin(), all.end()).size(), all.size()) << all.join(' ').toStdString();
}

TEST_F(Shortcuts, FileKeysOpenSaveExportAndQuit)
{
    const QString path = writePicture(QStringLiteral("p.png"), testpics::pattern(20, 10));
    dialogs->openAnswers << path;
    press(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogs->openCalls, 1);
    ASSERT_FALSE(c->current_image.isNull());

    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs->saveCalls, 1);
    EXPECT_EQ(dialogs->exportCalls, 0);
    press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialogs->exportCalls, 1);
    EXPECT_EQ(dialogs->saveCalls, 1);

    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(delegate->window()->isVisible());
}

TEST_F(Shortcuts, EditKeysCopyPasteAdoptUndoAndRedo)
{
    const QImage source = testpics::pattern(20, 10);
    c->slider->setValue(10);
    open(writePicture(QStringLiteral("p.png"), source));
    const QImage once = shown().copy();

    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(testpics::sameBytes(QApplication::clipboard()->image(), once));

    press(Qt::Key_Return, Qt::ControlModifier); // adopt
    EXPECT_TRUE(testpics::sameBytes(c->current_image, once));
    press(Qt::Key_Z, Qt::ControlModifier); // undo the adopt
    EXPECT_TRUE(testpics::sameBytes(c->current_image, source));
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // redo it
    EXPECT_TRUE(testpics::sameBytes(c->current_image, once));
    press(Qt::Key_Z, Qt::ControlModifier);
    press(Qt::Key_Enter, Qt::ControlModifier); // the keypad's Enter adopts too
    EXPECT_TRUE(testpics::sameBytes(c->current_image, once));

    press(Qt::Key_V, Qt::ControlModifier); // paste: the copied picture, rendered once more
    EXPECT_TRUE(testpics::sameBytes(c->current_image, once));
    EXPECT_FALSE(testpics::sameBytes(shown(), once));

    QApplication::clipboard()->clear();
    press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier); // pasted: no command
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
}

TEST_F(Shortcuts, AboutStatesTheUndoBudget)
{
    actionNamed("actionAbout")->trigger();
    ASSERT_EQ(messages->abouts.size(), 1);
    EXPECT_TRUE(messages->abouts[0].contains(QStringLiteral("512 MB"))) << messages->abouts[0].toStdString();
    EXPECT_TRUE(messages->abouts[0].contains(QStringLiteral(TINTWELL_VERSION)));
}

TEST_F(Shortcuts, TitleAndStatusFollowThePicture)
{
    QMainWindow *window = delegate->window();
    auto *renderTime = window->findChild<QLabel *>(QStringLiteral("renderTime"));
    ASSERT_NE(renderTime, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tintwell"));
    EXPECT_TRUE(renderTime->text().isEmpty());

    open(writePicture(QStringLiteral("photo.png"), testpics::pattern(60, 40)));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("photo.png (60 × 40) — Tintwell"));
    const QRegularExpression rendered(QStringLiteral("^Rendered in \\d+ ms$"));
    EXPECT_TRUE(rendered.match(renderTime->text()).hasMatch()) << renderTime->text().toStdString();

    QApplication::clipboard()->setImage(testpics::pattern(7, 3));
    c->setPasteboardAsSource();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Pasted picture (7 × 3) — Tintwell"));

    c->undo();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("photo.png (60 × 40) — Tintwell"));
    c->undo();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tintwell"));
    EXPECT_TRUE(renderTime->text().isEmpty());
}
