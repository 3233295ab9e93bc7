#include "AppFixture.h"

#include "ImageView.h"

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QTest>

void AppFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    QApplication::clipboard()->clear();
    auto scripted = std::make_unique<ScriptedFileDialogs>();
    auto recording = std::make_unique<RecordingMessages>();
    dialogs = scripted.get();
    messages = recording.get();
    delegate = std::make_unique<AppDelegate>(std::move(scripted), std::move(recording));
    c = delegate->controller();
    delegate->window()->show();
    QApplication::processEvents();
}

void AppFixture::TearDown()
{
    delegate.reset();
    QApplication::clipboard()->clear();
}

QString AppFixture::writePicture(const QString &name, const QImage &image)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path)) << name.toStdString();
    return path;
}

void AppFixture::open(const QString &path)
{
    dialogs->openAnswers << path;
    c->selectImage();
}

QImage AppFixture::shown() const
{
    return c->image_view->image();
}

void AppFixture::activate()
{
    QMainWindow *window = delegate->window();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

QAction *AppFixture::actionNamed(const char *name) const
{
    auto *found = delegate->window()->findChild<QAction *>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
