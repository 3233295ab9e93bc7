// The run of tintwell-cli: the output folder check, then every job through the
// pipeline.
#include "CliRunner.h"

#include "CliJobs.h"
#include "JobPipeline.h"
#include "ProgressLine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

namespace tintwell::cli {

int runCli(const CliOptions &options, QTextStream &errors, int columns)
{
    const QList<CliJob> jobs = planJobs(options);
    ProgressLine progress(errors, jobs.size() > 1 ? columns : 0, jobs.size());
    const auto report = [&progress](const QString &line) {
        progress.line(QCoreApplication::applicationName() + QStringLiteral(": ") + line);
    };

    if (options.batch && !QFileInfo(options.outputDir).isDir()) {
        report(QStringLiteral("output directory %1 does not exist").arg(options.outputDir));
        return 1;
    }

    JobPipeline pipeline(options.steps, QThread::idealThreadCount());
    return pipeline.run(jobs, options.inputs, report, [&](qsizetype index) {
        progress.show(index + 1, jobs.at(index).input);
    });
}

} // namespace tintwell::cli
