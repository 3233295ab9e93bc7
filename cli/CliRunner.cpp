// The run loop of tintwell-cli.
#include "CliRunner.h"

#include "CliJobs.h"
#include "ImagePath.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

namespace tintwell::cli {

namespace {

// Why this job's output must not be written, or an empty string.
QString collision(const CliJob &job, const QStringList &inputs, const QSet<QString> &written)
{
    for (const QString &input : inputs) {
        if (isSameFile(job.output, input))
            return QStringLiteral("refusing to write %1: it is the input file %2").arg(job.output, input);
    }
    if (written.contains(QFileInfo(job.output).absoluteFilePath()))
        return QStringLiteral("refusing to write %1 for %2: an earlier input was already written there")
            .arg(job.output, job.input);
    return QString();
}

} // namespace

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

    int status = 0;
    QSet<QString> written;
    for (const CliJob &job : planJobs(options)) {
        if (const QString refused = collision(job, options.inputs, written); !refused.isEmpty()) {
            report(refused);
            status = 1;
            continue;
        }
        const LoadResult loaded = loadImage(job.input);
        if (!loaded.error.isEmpty()) {
            report(loaded.error);
            status = 1;
            continue;
        }
        const QImage result = renderImage(loaded.image, options.settings);
        if (const QString error = saveImage(result, job.output, job.format); !error.isEmpty()) {
            report(error);
            status = 1;
            continue;
        }
        written.insert(QFileInfo(job.output).absoluteFilePath());
    }
    return status;
}

} // namespace tintwell::cli
