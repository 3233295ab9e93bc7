// The decode -> pass -> encode pipeline behind tintwell-cli.
#include "JobPipeline.h"

#include "FileIO.h"
#include "ImageLimits.h"
#include "WriteGuard.h"

#include <QImage>
#include <QMutex>
#include <QThreadPool>
#include <QWaitCondition>

#include <algorithm>
#include <vector>

namespace tintwell::cli {

namespace {

// Queued encodes run before queued decodes and reads: they finish pictures
// and free their memory.
constexpr int decodePriority = 0;
constexpr int encodePriority = 1;

struct JobState {
    enum class Stage { Waiting, Reading, Read, Decoding, Decoded, Encoding, Done };
    Stage stage = Stage::Waiting;
    bool inFlight = false; // read started, not yet done
    QByteArray bytes;      // the encoded file, from its read to its decode
    QSize size;            // the picture's size from its header; invalid when unknown
    qint64 need = 0;       // memory the job takes once decoded (see memoryNeed)
    qint64 charged = 0;    // memory counted against the budget now
    QImage image;          // decoded, then filtered, until the encoder takes it
    PictureMetadata metadata; // of the input file, written with the result
    QString failure;       // the line to report once done; empty when written
};

// Memory a picture takes from its decode to the end of its encode: its
// encoded bytes, the decoded picture in the working layout, and as much again
// for a converted or packed copy. Pictures too large for the working layout
// are refused by the decoder from the same header, before any of it.
qint64 memoryNeed(qint64 encodedBytes, QSize size)
{
    if (!size.isValid() || !fitsWorkingLayout(size.width(), size.height()))
        return encodedBytes;
    return encodedBytes + 2 * qint64(size.width()) * size.height() * workingBytesPerPixel;
}

QString megabytes(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg((bytes + (1 << 20) - 1) >> 20);
}

// How an input is named in messages.
QString inputName(const QString &input)
{
    return input == QLatin1String("-") ? QStringLiteral("standard input") : input;
}

} // namespace

JobPipeline::JobPipeline(const QList<PassSettings> &steps, int workers, qint64 memoryLimit)
    : m_steps(steps)
    , m_workers(std::max(1, workers))
    , m_memoryLimit(std::max<qint64>(1, memoryLimit))
{
}

int JobPipeline::run(const QList<CliJob> &jobs, const QStringList &inputs,
                     const std::function<void(const QString &)> &report,
                     const std::function<void(qsizetype)> &starting)
{
    using Stage = JobState::Stage;
    const qsizetype count = jobs.size();
    const int maxInFlight = m_workers + 1;
    // No file larger than the budget can be decoded within it.
    const qint64 readLimit = std::min(maxEncodedBytes, m_memoryLimit);

    QThreadPool pool;
    pool.setMaxThreadCount(m_workers);
    QMutex mutex;
    QWaitCondition changed;
    std::vector<JobState> states(static_cast<size_t>(count));
    WriteGuard guard(inputs);

    qsizetype started = 0;  // jobs checked and, unless refused, handed to a reader
    qsizetype admitted = 0; // jobs whose decode was admitted to the budget (or that failed before)
    qsizetype passed = 0;   // jobs the pass is done with (or that needed none)
    qsizetype reported = 0; // jobs whose outcome went to `report`
    int inFlight = 0;       // jobs between the start of their read and the end of their encode
    int decoding = 0;       // jobs admitted and not yet done
    qint64 used = 0;        // memory charged to the jobs in flight
    int status = 0;

    const auto finish = [&](qsizetype index, const QString &failure) {
        // Called with the mutex held.
        JobState &state = states[size_t(index)];
        if (state.inFlight) {
            --inFlight;
            used -= state.charged;
            if (state.stage == Stage::Decoding || state.stage == Stage::Decoded || state.stage == Stage::Encoding)
                --decoding;
        }
        state.inFlight = false;
        state.charged = 0;
        state.stage = Stage::Done;
        state.failure = failure;
        state.bytes = QByteArray();
        state.image = QImage();
        state.metadata = PictureMetadata();
        changed.wakeAll();
    };

    const auto read = [&](qsizetype index) {
        const QString &input = jobs.at(index).input;
        QString error;
        QByteArray bytes = readFileBytes(input, readLimit, &error);
        const QSize size = error.isEmpty() ? imageSizeFromHeader(bytes) : QSize();
        QMutexLocker locker(&mutex);
        if (!error.isEmpty()) {
            finish(index, QStringLiteral("cannot read %1: %2").arg(inputName(input), error));
            return;
        }
        JobState &state = states[size_t(index)];
        state.need = memoryNeed(bytes.size(), size);
        state.size = size;
        state.charged = bytes.size();
        used += state.charged;
        state.bytes = std::move(bytes);
        state.stage = Stage::Read;
        changed.wakeAll();
    };

    const auto decode = [&](qsizetype index) {
        QByteArray bytes;
        {
            QMutexLocker locker(&mutex);
            bytes = std::move(states[size_t(index)].bytes);
            states[size_t(index)].bytes = QByteArray();
        }
        LoadResult loaded = loadImageData(bytes, inputName(jobs.at(index).input));
        bytes = QByteArray();
        QMutexLocker locker(&mutex);
        if (!loaded.error.isEmpty()) {
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
        finish(index, error);
    };

    QMutexLocker locker(&mutex);
    while (reported < count) {
        bool progressed = false;

        // Check and start reading jobs while the count allows. A job whose
        // checks depend on earlier writes waits until every earlier job is done.
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
            states[size_t(index)].inFlight = true;
            states[size_t(index)].stage = Stage::Reading;
            pool.start([&read, index] { read(index); }, decodePriority);
        }

        // Admit decodes in job order while their memory fits the budget. A
        // picture that fits the budget only on its own waits until it is
        // alone; one that never fits is refused.
        while (admitted < started) {
            JobState &state = states[size_t(admitted)];
            if (state.stage == Stage::Done) {
                ++admitted;
                continue;
            }
            if (state.stage != Stage::Read)
                break; // still reading
            if (state.need > m_memoryLimit) {
                const qsizetype index = admitted++;
                progressed = true;
                finish(index, QStringLiteral("cannot read %1: the picture of %2 x %3 pixels needs about %4, "
                                             "more than the memory limit of %5 (--memory-limit)")
                                  .arg(inputName(jobs.at(index).input))
                                  .arg(state.size.width())
                                  .arg(state.size.height())
                                  .arg(megabytes(state.need), megabytes(m_memoryLimit)));
                continue;
            }
            const qint64 extra = state.need - state.charged;
            if (decoding > 0 && used + extra > m_memoryLimit)
                break;
            const qsizetype index = admitted++;
            progressed = true;
            used += extra;
            state.charged = state.need;
            state.stage = Stage::Decoding;
            ++decoding;
            pool.start([&decode, index] { decode(index); }, decodePriority);
        }

        // The pass, on this thread, for the next job in order.
        if (passed < admitted
            && (states[size_t(passed)].stage == Stage::Decoded || states[size_t(passed)].stage == Stage::Done)) {
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
