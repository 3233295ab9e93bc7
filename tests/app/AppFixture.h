// A real editor window on the offscreen platform, its dialogs answered by the
// test, and helpers to write pictures, drive the controls and run one picture
// file through either entry point (the editor or tintwell-cli).
#pragma once

#include "AppController.h"
#include "AppDelegate.h"
#include "ImageView.h"
#include "Pictures.h"
#include "TestDoubles.h"

#include <QtWidgets>
#include <gtest/gtest.h>

using namespace tintwell::test;

// Where a file goes out: the editor's Save or Export, or tintwell-cli.
enum class Entry { AppSave, AppExport, CliJpg, CliPng };

// What became of one run: written, or refused with the message box texts or
// the CLI's standard error.
struct Outcome { bool ok = false; QString error; };

class AppFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override { delegate.reset(); }
    QString pathFor(const QString &name) const { return dir.filePath(name); }
    // Saves `image` as `name` (format from the suffix) in the test's folder.
    QString writePicture(const QString &name, const QImage &image)
    {
        EXPECT_TRUE(image.save(pathFor(name))) << name.toStdString();
        return pathFor(name);
    }
    // Answers the next open dialog with `path` and runs the open action to its end.
    void open(const QString &path) { dialogs->openAnswers << path, c->selectImage(), finishJobs(); }
    // Runs the event loop until every background open, save and export has ended.
    void finishJobs();
    // The picture the view shows, at full size.
    QImage shown() const { return c->image_view->image(); }
    void set(const tintwell::PassSettings &s);
    QAction *actionNamed(const char *name) const { return delegate->window()->findChild<QAction *>(name); }
    // Opens `input` with `s` and writes the result through `entry` to
    // `output`; the editor adopts the result before exporting, so the export
    // shows what "use result as source" keeps.
    Outcome filterFile(Entry entry, const QString &input, const QString &output,
                       const tintwell::PassSettings &s);

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> delegate;
    AppController *c = nullptr;
    ScriptedFileDialogs *dialogs = nullptr;
    RecordingMessages *messages = nullptr;
};
