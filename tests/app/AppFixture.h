// A real editor window on the offscreen platform, its dialogs answered by the
// test, and helpers to write picture files and drive the controls.
#pragma once

#include "AppController.h"
#include "AppDelegate.h"
#include "TestDoubles.h"

#include <QAction>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Saves `image` as `name` (format from the suffix) in the test's folder.
    QString writePicture(const QString &name, const QImage &image);
    QString pathFor(const QString &name) const { return dir.filePath(name); }

    // Answers the next open dialog with `path` and runs the open action.
    void open(const QString &path);

    // The picture the view shows, at full size.
    QImage shown() const;

    // Makes the window the active one, so that its shortcuts and keys work.
    void activate();

    // The window's action with this object name ("actionOpen"...).
    QAction *actionNamed(const char *name) const;

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> delegate;
    AppController *c = nullptr;
    ScriptedFileDialogs *dialogs = nullptr;
    RecordingMessages *messages = nullptr;
};
