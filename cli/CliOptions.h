// Command-line parsing for tintwell-cli: argv to the files and the steps of
// one run, or a usage error.
#pragma once

#include "ImagePath.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tintwell::cli {

// What one run does: the passes, in order, and either one INPUT -> OUTPUT pair
// or a batch of inputs written into a directory.
struct CliOptions {
    QList<PassSettings> steps; // never empty; "--then" starts the next one
    QStringList inputs;
    QString output;       // single-file mode: the output path
    QString outputDir;    // batch mode: the directory the results go to
    QByteArray format;    // "jpg" or "png" (batch: --format; single: from OUTPUT)
    QString formatSuffix; // batch mode: suffix of the results ("jpg", "jpeg" or "png")
    bool batch = false;
    qint64 memoryLimit = 0; // bytes the pictures may take at once; 0: the default
};

struct ParseResult {
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::UsageError;
    CliOptions options; // valid for Kind::Run
    QString text;       // help or version text, or the error message
    QString usageLine;  // the "Usage: ..." line, shown with errors
};

// Parses the whole argument list (arguments[0] is the program name).
ParseResult parseCommandLine(const QStringList &arguments);

} // namespace tintwell::cli
