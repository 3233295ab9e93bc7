// The checks that keep a run from writing over an input or writing one output
// twice, and which jobs must wait for earlier writes before they are checked.
#pragma once

#include "CliJobs.h"

#include <QSet>
#include <QStringList>

namespace tintwell::cli {

// Jobs are checked in order. A job whose checks could come out differently
// once the earlier jobs' writes have happened (it targets the same file as an
// earlier job, or an earlier job may create one of the inputs) is checked only
// after those writes, so that a run gives the same answers as one that does
// every job to the end before the next.
class WriteGuard
{
public:
    explicit WriteGuard(const QStringList &inputs);

    // Whether the planned writes could change the checks for `job`.
    bool dependsOnPlannedWrites(const CliJob &job) const;

    // Why `job` must not be written, or an empty string.
    QString refusal(const CliJob &job) const;

    // `job` passed its checks and will write its output.
    void planned(const CliJob &job);

    // `job`'s output was written.
    void written(const CliJob &job);

private:
    QStringList m_inputs;
    QSet<QString> m_inputTargets;
    QSet<QString> m_plannedTargets;
    QSet<QString> m_written;
    bool m_plannedOverInput = false;
};

} // namespace tintwell::cli
