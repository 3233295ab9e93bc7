// The decode -> pass -> encode pipeline behind tintwell-cli.
#include "JobPipeline.h"

#include "WriteGuard.h"

#include <QImage>
#include <QMutex>
#include <QThreadPool>
#include <QWaitCondition>

#include <algorithm>
#include <vector>

namespace tintwell::cli {

namespace {

// Queued encodes run before queued decodes: they finish pictures and free
// their memory.
constexpr int decodePriority = 0;
constexpr int encodePriority = 1;

struct JobState {
    enum class Stage { Waiting, Decoding, Decoded, Encoding, Done };
    Stage stage = Stage::Waiting;
    QImage image;    // decoded, then filtered, until the encoder takes it
    PictureMetadata metadata; // of the input file, written with the result
    QString failure; // the line to report once done; empty when written
};

} // namespace

JobPipeline::JobPipeline(const QList<PassSettings> &steps, int workers)
    : m_steps(steps)
    , m_workers(std::max(1, workers))
{
}

int JobPipeline::run(const QList<CliJob> &jobs, const QStringList &inputs,
                     const std::function<void(const QString &)> &report,
                     const std::function<void(qsizetype)> &starting)
{
    using Stage = JobState::Stage;
    const qsizetype count = jobs.size();
    const int maxInFlight = m_workers + 1;

    QThreadPool pool;
    pool.setMaxThreadCount(m_workers);
    QMutex mutex;
    QWaitCondition changed;
    std::vector<JobState> states(static_cast<size_t>(count));
    WriteGuard guard(inputs);

    qsizetype started = 0;  // jobs checked and, unless refused, handed to a decoder
    qsizetype passed = 0;   // jobs the pass is done with (or that needed none)
    qsizetype reported = 0; // jobs whose outcome went to `report`
    int inFlight = 0;       // pictures between the start of their decode and the end of their encode
    int status = 0;

    const auto finish = [&](qsizetype index, const QString &failure) {
        // Called with the mutex held.
        states[size_t(index)].stage = Stage::Done;
        states[size_t(index)].failure = failure;
        states[size_t(index)].image = QImage();
        states[size_t(index)].metadata = PictureMetadata();
        changed.wakeAll();
    };

    const auto decode = [&](qsizetype index) {
        LoadResult loaded = loadImage(jobs.at(index).input);
        QMutexLocker locker(&mutex);
        if (!loaded.error.isEmpty()) {
            --inFlight;
            finish(index, loaded.error);
            return;
        }
        states[size_t(index)].image = std::move(loaded.image);
        states[size_t(index)].metadata = std::move(loaded.metadata);
        states[size_t(index)].stage = Stage::Decoded;
        changed.wakeAll();
    };

    const auto encode = [&](qsizetype index) {
        QImage image;
        PictureMetadata metadata;
        {
            QMutexLocker locker(&mutex);
            image = std::move(states[size_t(index)].image);
            states[size_t(index)].image = QImage();
            metadata = std::move(states[size_t(index)].metadata);
        }
        const CliJob &job = jobs.at(index);
        const QString error = saveImage(std::move(image), job.output, job.format, metadata);
        QMutexLocker locker(&mutex);
        if (error.isEmpty())
            guard.written(job);
        --inFlight;
        finish(index, error);
    };

    QMutexLocker locker(&mutex);
    while (reported < count) {
        bool progressed = false;

        // Check and start jobs while memory allows. A job whose checks depend
        // on earlier writes waits until every earlier job is done.
        while (started < count && inFlight < maxInFlight) {
            const CliJob &job = jobs.at(started);
            if (reported < started && guard.dependsOnPlannedWrites(job))
                break;
            const qsizetype index = started++;
            progressed = true;
            if (const QString refused = guard.refusal(job); !refused.isEmpty()) {
                finish(index, refused);
                continue;
            }
            guard.planned(job);
            ++inFlight;
            states[size_t(index)].stage = Stage::Decoding;
            pool.start([&decode, index] { decode(index); }, decodePriority);
        }

        // The pass, on this thread, for the next job in order.
        if (passed < started && states[size_t(passed)].stage != Stage::Decoding) {
            const qsizetype index = passed++;
            progressed = true;
            JobState &state = states[size_t(index)];
            if (starting) {
                locker.unlock();
                starting(index);
                locker.relock();
            }
            if (state.stage == Stage::Decoded) {
                QImage image = std::move(state.image);
                state.image = QImage();
                locker.unlock();
                // Each step works on the previous one's result, as the app
                // does after adopting it as the source.
                for (const PassSettings &step : std::as_const(m_steps))
                    image = renderFrom(std::move(image), step);
                locker.relock();
                state.image = std::move(image);
                state.stage = Stage::Encoding;
                pool.start([&encode, index] { encode(index); }, encodePriority);
            }
        }

        // Outcomes in job order.
        while (reported < count && states[size_t(reported)].stage == Stage::Done) {
            const QString failure = states[size_t(reported)].failure;
            ++reported;
            progressed = true;
            if (!failure.isEmpty()) {
                status = 1;
                locker.unlock();
                report(failure);
                locker.relock();
            }
        }

        if (!progressed)
            changed.wait(&mutex);
    }
    locker.unlock();
    pool.waitForDone();
    return status;
}

} // namespace tintwell::cli
