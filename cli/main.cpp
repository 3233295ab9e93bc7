// tintwell-cli: filters picture files from the command line.
#include "CliOptions.h"
#include "CliRunner.h"
#include "FileIO.h"
#include "PendingTemporaries.h"
#include "ProgressLine.h"
#include "StderrFilter.h"
#include "TerminalText.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

#include <malloc.h>

int main(int argc, char *argv[])
{
    // Pictures come and go at the same sizes: keep their memory in the heap
    // for the next one instead of mapping fresh (zero-filled, page-faulting)
    // memory for every file.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tintwell-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TINTWELL_VERSION));

    // Each failure is reported as one line of our own; the libraries' notes
    // about the same file ("Corrupt JPEG data: ...", "libpng warning: ...",
    // "qt.gui.icc: ...") would add lines of theirs, even on success. Qt's
    // messages below critical go; QT_LOGGING_RULES can bring them back.
    FILE *const reportStream = tintwell::cli::filterLibraryNoiseOnStderr();
    tintwell::cli::dropQtNotes();

    // An interrupted save removes its named temporary before the tool ends.
    tintwell::removeTemporariesOnSignals();

    // File names exactly as given, also when they are not UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(tintwell::pathFromBytes(argv[i]));

    QTextStream out(stdout);
    QTextStream errors(reportStream);
    using tintwell::cli::ParseResult;
    const ParseResult parsed = tintwell::cli::parseCommandLine(arguments);
    switch (parsed.kind) {
    case ParseResult::Kind::Help:
    case ParseResult::Kind::Version:
        out << parsed.text;
        return 0;
    case ParseResult::Kind::UsageError:
        errors << QCoreApplication::applicationName() << ": " << tintwell::cli::printableText(parsed.text) << '\n'
               << parsed.usageLine << "\nRun '" << QCoreApplication::applicationName()
               << " --help' for the options.\n";
        return 2;
    case ParseResult::Kind::Run:
        break;
    }
    return tintwell::cli::runCli(parsed.options, errors,
                                 tintwell::cli::terminalColumns(reportStream));
}
