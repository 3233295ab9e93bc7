// Opens, saves and exports run on a worker thread: the window goes on
// rendering meanwhile, the cursor is busy and the status bar says what happens
// and how it ended. Jobs are held on their worker thread by the test seam so
// that "meanwhile" does not depend on timing.
#include "AppFixture.h"
#include "BackgroundJobs.h"

#include <QSemaphore>


class Jobs : public AppFixture
{
protected:
    void TearDown() override
    {
        gate.release(1000);
        AppFixture::TearDown(); // the controller's jobs end with it
        BackgroundJobs::setBeforeWork({});
    }
    // From now on every job waits on its worker thread until letGo().
    void holdJobs()
    {
        BackgroundJobs::setBeforeWork([this] {
            started.release();
            gate.tryAcquire(1, 30000);
        });
    }
    bool jobStarted() { return started.tryAcquire(1, 30000); }
    void letGo(int jobs = 1) { gate.release(jobs); }
    QString status() const { return delegate->window()->statusBar()->currentMessage(); }
    bool cursorBusy() const
    {
        return QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
    }

    QSemaphore started, gate;
};

TEST_F(Jobs, MustShow_PngExportKeepsWindowResponsive)
{
    QImage big(6000, 4000, QImage::Format_RGBX8888); // 24 megapixels
    big.fill(QColor(40, 90, 140));
    c->current_image = big;
    c->changePosition();
    const QImage exported = shown();
    holdJobs();
    dialogs->exportAnswers << pathFor("big.png");
    c->exportPng();
    ASSERT_TRUE(jobStarted());

    c->slider->setValue(c->slider->value() + 1); // renders while the export runs
    QApplication::processEvents();
    EXPECT_NE(shown().cacheKey(), exported.cacheKey());
    EXPECT_TRUE(c->jobs().isBusy()); // a job on the window's thread would have ended by now
    EXPECT_TRUE(cursorBusy());
    EXPECT_EQ(status().toStdString(), "Exporting big.png…");

    letGo();
    finishJobs();
    EXPECT_FALSE(cursorBusy());
    EXPECT_EQ(status().toStdString(), "Exported big.png");
    const QImage written(pathFor("big.png"));
    ASSERT_EQ(written.size(), big.size());
    EXPECT_EQ(QColor(written.pixel(3000, 2000)), QColor(exported.pixel(3000, 2000))); // the picture shown then
    EXPECT_TRUE(c->hasUnsavedResult()); // the newer result is not what was written
    EXPECT_TRUE(messages->errors.isEmpty());
}

// Every way an open or a save ends gives the cursor back and names the outcome;
// only a written file makes the result saved. A failure says why in one
// message naming the path once, and changes neither the source nor the view.
TEST_F(Jobs, EachEndSaysItsOutcomeAndFailuresChangeNothing)
{
    // Which files cannot be read or written, and why, is the load and save tables' part.
    const QString picture = writePicture("p.png", pattern(12, 8));
    const struct { bool save; QString path, outcome, error; } cases[] = {
        {true, pathFor("out.jpg"), "Saved out.jpg", {}},
        {true, pathFor("nowhere/out.jpg"), "Could not save out.jpg", "Cannot write " + pathFor("nowhere/out.jpg") + ": "},
        {false, pathFor("missing.png"), "Could not open missing.png", "Cannot read " + pathFor("missing.png") + ": File not found"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.outcome.toStdString());
        open(picture);
        c->slider->setValue(c->slider->value() + 1);
        const QImage before = shown().copy();
        messages->errors.clear();
        if (k.save)
            dialogs->saveAnswers << k.path, c->saveImage(), finishJobs();
        else
            open(k.path);
        EXPECT_FALSE(cursorBusy());
        EXPECT_EQ(status(), k.outcome) << status().toStdString();
        EXPECT_EQ(c->hasUnsavedResult(), !k.error.isEmpty());
        ASSERT_EQ(messages->errors.size(), k.error.isEmpty() ? 0 : 1);
        if (!k.error.isEmpty()) {
            EXPECT_TRUE(messages->errors[0].startsWith(k.error)) << messages->errors[0].toStdString();
            EXPECT_EQ(messages->errors[0].count(dir.path()), 1) << messages->errors[0].toStdString();
        }
        EXPECT_TRUE(sameBytes(shown(), before));
        EXPECT_EQ(c->pictureName(), QStringLiteral("p.png"));
    }
    messages->errors.clear();
    c->selectImage(); // cancelled: no message
    EXPECT_TRUE(messages->errors.isEmpty());
}

// An open started later wins even when an earlier one ends after it began:
// the earlier picture never replaces the source (no question about it either).
TEST_F(Jobs, LatestOpenWins)
{
    open(writePicture("first.png", pattern(12, 8)));
    c->slider->setValue(c->slider->value() + 1); // unsaved: each open that lands asks
    const QString a = writePicture("a.png", pattern(6, 4)), b = writePicture("b.png", pattern(5, 3));
    holdJobs();
    dialogs->openAnswers << a << b;
    c->selectImage();
    ASSERT_TRUE(jobStarted());
    c->selectImage();
    letGo(2);
    finishJobs();
    EXPECT_EQ(c->pictureName(), "b.png");
    EXPECT_EQ(messages->saveQuestions.join("|").toStdString(), "Save the filtered picture before opening b.png?");
    EXPECT_TRUE(messages->errors.isEmpty());
}
