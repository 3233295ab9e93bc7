// Output checks of a run: no input overwritten, no output written twice.
#include "WriteGuard.h"

#include <QFileInfo>

namespace tintwell::cli {

namespace {

// Both the string the written-set compares and the file a save lands on.
QStringList keysOf(const QString &path)
{
    return {QFileInfo(path).absoluteFilePath(), writeTarget(path)};
}

} // namespace

WriteGuard::WriteGuard(const QStringList &inputs)
    : m_inputs(inputs)
{
    for (const QString &input : inputs) {
        for (const QString &key : keysOf(input))
            m_inputTargets.insert(key);
    }
}

bool WriteGuard::dependsOnPlannedWrites(const CliJob &job) const
{
    if (m_plannedOverInput)
        return true;
    for (const QString &key : keysOf(job.output)) {
        if (m_plannedTargets.contains(key))
            return true;
    }
    return false;
}

QString WriteGuard::refusal(const CliJob &job) const
{
    for (const QString &input : m_inputs) {
        if (isSameFile(job.output, input))
            return QStringLiteral("refusing to write %1: it is the input file %2").arg(job.output, input);
    }
    if (m_written.contains(QFileInfo(job.output).absoluteFilePath()))
        return QStringLiteral("refusing to write %1 for %2: an earlier input was already written there")
            .arg(job.output, job.input);
    return QString();
}

void WriteGuard::planned(const CliJob &job)
{
    for (const QString &key : keysOf(job.output)) {
        m_plannedTargets.insert(key);
        if (m_inputTargets.contains(key))
            m_plannedOverInput = true;
    }
}

void WriteGuard::written(const CliJob &job)
{
    m_written.insert(QFileInfo(job.output).absoluteFilePath());
}

} // namespace tintwell::cli
