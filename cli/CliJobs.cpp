// Output paths of a run and same-file detection.
#include "CliJobs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

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
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    const QString canonicalB = QFileInfo(b).canonicalFilePath();
    if (canonicalA.isEmpty() || canonicalB.isEmpty())
        return false; // one of them does not exist
    if (canonicalA == canonicalB)
        return true;
    std::error_code error;
    const bool same = std::filesystem::equivalent(std::filesystem::path(QFile::encodeName(a).toStdString()),
                                                  std::filesystem::path(QFile::encodeName(b).toStdString()),
                                                  error);
    return !error && same;
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
