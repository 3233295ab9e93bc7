#include "BackgroundJobs.h"

#include <QCursor>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <memory>

namespace {

// How long a job's outcome stays in the status bar.
constexpr int outcomeMs = 5000;

std::function<void()> &beforeWork()
{
    static std::function<void()> hook;
    return hook;
}

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

struct BackgroundJobs::Job {
    bool writes = false;
    QFutureWatcher<void> *watcher = nullptr;
    std::function<void()> complete; // on this object's thread, after the work
};

BackgroundJobs::BackgroundJobs(QObject *parent) : QObject(parent)
{
    m_readPool.setMaxThreadCount(1);
    m_writePool.setMaxThreadCount(1);
}

BackgroundJobs::~BackgroundJobs()
{
    m_writePool.waitForDone();
    m_readPool.waitForDone();
    if (!m_jobs.isEmpty())
        QGuiApplication::restoreOverrideCursor();
    for (Job *job : std::as_const(m_jobs)) {
        delete job->watcher;
        delete job;
    }
}

void BackgroundJobs::setBeforeWork(std::function<void()> hook)
{
    beforeWork() = std::move(hook);
}

bool BackgroundJobs::isWriting() const
{
    return std::any_of(m_jobs.cbegin(), m_jobs.cend(), [](const Job *job) { return job->writes; });
}

void BackgroundJobs::open(const QString &path, std::function<bool(const tintwell::LoadResult &)> take)
{
    const quint64 generation = ++m_latestOpen;
    auto loaded = std::make_shared<tintwell::LoadResult>();
    auto *job = new Job;
    job->complete = [this, generation, loaded, path, take = std::move(take)] {
        if (generation != m_latestOpen)
            return; // a later open shows its own progress and outcome
        const bool taken = take(*loaded);
        const QString outcome = taken                   ? tr("Opened %1").arg(nameOf(path))
                                : loaded->error.isEmpty() ? QString()
                                                          : tr("Could not open %1").arg(nameOf(path));
        emit status(outcome, outcomeMs);
    };
    emit status(tr("Opening %1…").arg(nameOf(path)), 0);
    start(job, m_readPool, [this, generation, loaded, path] {
        if (generation == m_latestOpen)
            *loaded = tintwell::loadImage(path);
    });
}

void BackgroundJobs::write(Write kind, const QImage &picture, const QString &path, const QByteArray &format,
                           const tintwell::PictureMetadata &metadata,
                           std::function<void(const QString &error)> done)
{
    auto error = std::make_shared<QString>();
    auto *job = new Job;
    job->writes = true;
    job->complete = [this, kind, error, path, done = std::move(done)] {
        const bool saved = kind == Write::Save;
        const QString outcome = !error->isEmpty() ? (saved ? tr("Could not save %1") : tr("Could not export %1"))
                                : saved           ? tr("Saved %1")
                                                  : tr("Exported %1");
        emit status(outcome.arg(nameOf(path)), outcomeMs);
        done(*error);
    };
    emit status((kind == Write::Save ? tr("Saving %1…") : tr("Exporting %1…")).arg(nameOf(path)), 0);
    start(job, m_writePool, [error, picture, path, format, metadata] {
        *error = tintwell::saveImage(picture, path, format, metadata);
    });
}

void BackgroundJobs::start(Job *job, QThreadPool &pool, std::function<void()> work)
{
    if (m_jobs.isEmpty())
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    m_jobs.append(job);
    job->watcher = new QFutureWatcher<void>(this);
    connect(job->watcher, &QFutureWatcherBase::finished, this, [this, job] { end(job); });
    job->watcher->setFuture(QtConcurrent::run(&pool, [work = std::move(work)] {
        if (beforeWork())
            beforeWork()();
        work();
    }));
}

// The cursor comes back before the completion runs: it may ask a question.
void BackgroundJobs::end(Job *job)
{
    if (!m_jobs.removeOne(job))
        return;
    job->watcher->disconnect(this);
    job->watcher->deleteLater();
    if (m_jobs.isEmpty())
        QGuiApplication::restoreOverrideCursor();
    job->complete();
    delete job;
    if (m_jobs.isEmpty())
        emit idle();
}

void BackgroundJobs::finishWrites()
{
    const QList<Job *> jobs = m_jobs;
    for (Job *job : jobs) {
        if (!job->writes || !m_jobs.contains(job))
            continue;
        job->watcher->waitForFinished();
        end(job);
    }
}
