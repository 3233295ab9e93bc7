// The files of one run: which input goes to which output, and the check that
// an output never overwrites an input.
#pragma once

#include "CliOptions.h"

#include <QList>

namespace tintwell::cli {

struct CliJob {
    QString input;
    QString output;
    QByteArray format; // "jpg" or "png"
};

// One job per input. In batch mode the output is
// DIR/<completeBaseName of input>.<format suffix>.
QList<CliJob> planJobs(const CliOptions &options);

// Whether two paths name the same existing file (after symbolic links, and
// hard links where the file system tells).
bool isSameFile(const QString &a, const QString &b);

// Where a save to `path` lands: symbolic links of the last component followed
// (as QSaveFile does), the folder made canonical where it exists, else the
// absolute path. Two paths with equal targets write the same file.
QString writeTarget(const QString &path);

} // namespace tintwell::cli
