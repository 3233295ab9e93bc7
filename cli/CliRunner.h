// Carries out a parsed tintwell-cli run: load, render and save every job,
// reporting each failure as one line.
#pragma once

#include "CliOptions.h"

#include <QTextStream>

namespace tintwell::cli {

// Processes every input; a failed file does not stop the others. Returns the
// exit status: 0 when every file was written, else 1.
int runCli(const CliOptions &options, QTextStream &errors);

} // namespace tintwell::cli
