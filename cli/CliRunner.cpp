// The run of tintwell-cli: the output folder check, then every job through the
// pipeline.
#include "CliRunner.h"

#include "CliJobs.h"
#include "FileIO.h"
#include "JobPipeline.h"
#include "MemoryLimit.h"
#include "ProgressLine.h"
#include "TerminalText.h"

#include <QCoreApplication>
#include <QThread>

#include <sys/stat.h>

namespace tintwell::cli {

int runCli(const CliOptions &options, QTextStream &errors, int columns)
{
    const QList<CliJob> jobs = planJobs(options);
    ProgressLine progress(errors, jobs.size() > 1 ? columns : 0, jobs.size());
    const auto report = [&progress](const QString &line) {
        progress.line(printableText(QCoreApplication::applicationName() + QStringLiteral(": ") + line));
    };

    if (options.batch) {
        struct stat status {};
        if (::stat(pathToBytes(options.outputDir).constData(), &status) != 0) {
            report(QStringLiteral("output directory %1 does not exist").arg(options.outputDir));
            return 1;
        }
        if (!S_ISDIR(status.st_mode)) {
            report(QStringLiteral("%1 is not a directory").arg(options.outputDir));
            return 1;
        }
    }

    const qint64 memoryLimit = options.memoryLimit > 0 ? options.memoryLimit : defaultMemoryLimit();
    JobPipeline pipeline(options.steps, QThread::idealThreadCount(), memoryLimit);
    return pipeline.run(jobs, options.inputs, report, [&](qsizetype index) {
        progress.show(index + 1, printableText(jobs.at(index).input));
    });
}

} // namespace tintwell::cli
