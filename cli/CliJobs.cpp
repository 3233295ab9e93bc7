// Output paths of a run and same-file detection.
#include "CliJobs.h"

#include "FileIO.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace tintwell::cli {

QList<CliJob> planJobs(const CliOptions &options)
{
    QList<CliJob> jobs;
    if (!options.batch) {
        jobs.append({options.inputs.value(0), options.output, options.format});
        return jobs;
    }
    const QDir dir(options.outputDir);
    for (const QString &input : options.inputs) {
        const QString name = QFileInfo(input).completeBaseName() + QLatin1Char('.') + options.formatSuffix;
        jobs.append({input, dir.filePath(name), options.format});
    }
    return jobs;
}

bool isSameFile(const QString &a, const QString &b)
{
    // Standard input and output are no file of the run.
    if (a == QLatin1String("-") || b == QLatin1String("-"))
        return false;
    struct stat statusA {};
    struct stat statusB {};
    if (::stat(pathToBytes(a).constData(), &statusA) != 0 || ::stat(pathToBytes(b).constData(), &statusB) != 0)
        return false; // one of them does not exist
    return statusA.st_dev == statusB.st_dev && statusA.st_ino == statusB.st_ino;
}

QString writeTarget(const QString &path)
{
    QFileInfo info(path);
    // QSaveFile's own bound on a chain of links.
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    const QString folder = info.absoluteDir().canonicalPath();
    if (folder.isEmpty())
        return info.absoluteFilePath();
    return QDir(folder).filePath(info.fileName());
}

} // namespace tintwell::cli
