// The steps that turn an opened file into the displayed picture, and the
// tintwell-cli command line that repeats them.
#pragma once

#include "ImagePath.h"

#include <QList>
#include <QString>

// One source picture and the passes already folded into it by "Use result as
// source". A picture that came from the clipboard or a drop has no file, so
// no command can reproduce it.
struct Recipe {
    QString inputPath;                    // empty: the picture came from outside
    QList<tintwell::PassSettings> steps;  // adopted passes, oldest first

    bool hasFile() const { return !inputPath.isEmpty(); }
};

// Quotes one word for a POSIX shell: single quotes, each embedded quote
// written as '\''.
QString shellQuote(const QString &word);

// The options of one step: --filter and --value always, the offsets and the
// two flags only when they differ from their defaults.
QStringList stepArguments(const tintwell::PassSettings &step);

// Where the copied command writes its result: "<dir>/<base>-tintwell.png"
// beside the input.
QString commandOutputPath(const QString &inputPath);

// The whole command: each step's options, "--then" between steps, then the
// quoted input and output. `steps` must not be empty.
QString commandLine(const QString &inputPath, const QList<tintwell::PassSettings> &steps);
