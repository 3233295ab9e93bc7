// Runs the editor's slow file work off the GUI thread: decoding a picture that
// is opened, encoding and writing one that is saved or exported. While any job
// runs the cursor is busy, and status texts say what happens and how it ended.
#pragma once

#include "ImagePath.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>

class BackgroundJobs : public QObject
{
    Q_OBJECT

public:
    enum class Write { Save, Export };

    explicit BackgroundJobs(QObject *parent = nullptr);
    // Waits for every job, so that no write is cut off; completions do not run.
    ~BackgroundJobs() override;

    // Decodes `path` (tintwell::loadImage) on a worker thread. `take` then runs
    // on this object's thread with the result and says whether the picture was
    // taken; it does not run when another open started meanwhile: the latest
    // open wins, and one that is superseded before it starts is not decoded.
    void open(const QString &path, std::function<bool(const tintwell::LoadResult &)> take);

    // Encodes `picture` in `format` and writes it to `path` (tintwell::saveImage)
    // on a worker thread, after every write started before it. `picture` is a
    // snapshot: it shares the pixels of the caller's image, which must not be
    // written in place meanwhile. `done` then runs on this object's thread with
    // the reason of a failure, or an empty string when the file was written.
    void write(Write kind, const QImage &picture, const QString &path, const QByteArray &format,
               const tintwell::PictureMetadata &metadata, std::function<void(const QString &error)> done);

    bool isBusy() const { return !m_jobs.isEmpty(); }
    bool isWriting() const;

    // Blocks until every write has ended and runs their completions now.
    void finishWrites();

    // Test seam: runs on the worker thread before each job's work, so a test
    // can hold a job there while it checks what the window does meanwhile.
    static void setBeforeWork(std::function<void()> hook);

signals:
    // What happens now (`timeoutMs` 0: until replaced), or how a job ended
    // (shown for `timeoutMs`); an empty text clears the status.
    void status(const QString &text, int timeoutMs);
    // The last running job ended and its completion ran.
    void idle();

private:
    struct Job;
    void start(Job *job, QThreadPool &pool, std::function<void()> work);
    void end(Job *job);

    QThreadPool m_readPool;   // one decode at a time
    QThreadPool m_writePool;  // writes one after another, in the order started
    QList<Job *> m_jobs;      // running, in the order started
    std::atomic<quint64> m_latestOpen{0};
};
