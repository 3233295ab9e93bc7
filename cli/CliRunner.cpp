// The run of tintwell-cli: the output folder check, then every job through the
// pipeline.
#include "CliRunner.h"

#include "CliJobs.h"
#include "JobPipeline.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

namespace tintwell::cli {

int runCli(const CliOptions &options, QTextStream &errors)
{
    const auto report = [&errors](const QString &line) {
        errors << QCoreApplication::applicationName() << ": " << line << '\n';
        errors.flush();
    };

    if (options.batch && !QFileInfo(options.outputDir).isDir()) {
        report(QStringLiteral("output directory %1 does not exist").arg(options.outputDir));
        return 1;
    }

    JobPipeline pipeline(options.settings, QThread::idealThreadCount());
    return pipeline.run(planJobs(options), options.inputs, report);
}

} // namespace tintwell::cli
