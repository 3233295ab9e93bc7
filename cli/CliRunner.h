// Carries out a parsed tintwell-cli run: load, render and save every job,
// reporting each failure as one line.
#pragma once

#include "CliOptions.h"

#include <QTextStream>

namespace tintwell::cli {

// Processes every input; a failed file does not stop the others. A batch of
// more than one file shows a progress line on `errors` when `columns` (the
// terminal's width) is not 0. Returns the exit status: 0 when every file was
// written, else 1.
int runCli(const CliOptions &options, QTextStream &errors, int columns = 0);

} // namespace tintwell::cli
