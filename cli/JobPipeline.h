// Runs the jobs of one tintwell-cli invocation as a pipeline: files decode and
// encode on worker threads while the filter passes run one at a time.
#pragma once

#include "CliJobs.h"
#include "ImagePath.h"

#include <QList>
#include <QString>

#include <functional>

namespace tintwell::cli {

// Decoding and encoding run on a private thread pool. The pass runs on the
// calling thread only, in job order, so two passes never overlap and the
// process-wide pass context is written by one thread. At most workers + 1
// files are in memory at once, and a picture is decoded only when the memory
// it needs (known from its header) fits what the budget has left; one that
// fits only the whole budget runs alone, one that never fits is refused.
// Failures are reported in job order, one line each, exactly as a job-by-job
// run would report them.
class JobPipeline
{
public:
    // `steps` run one after the other on each picture, in place.
    // `memoryLimit` is the budget in bytes for the pictures in flight.
    JobPipeline(const QList<PassSettings> &steps, int workers, qint64 memoryLimit);

    // Carries out every job; `report` gets each failure line. `starting`,
    // when set, gets each job's index in order as the job reaches the passes
    // (or is found failed before them). Both are called on this thread.
    // Returns 0 when every output was written, else 1.
    int run(const QList<CliJob> &jobs, const QStringList &inputs,
            const std::function<void(const QString &)> &report,
            const std::function<void(qsizetype)> &starting = {});

private:
    QList<PassSettings> m_steps;
    int m_workers;
    qint64 m_memoryLimit;
};

} // namespace tintwell::cli
