// tintwell-cli: filters picture files from the command line.
#include "CliOptions.h"
#include "CliRunner.h"
#include "ProgressLine.h"
#include "StderrFilter.h"

#include <QCoreApplication>
#include <QLoggingCategory>
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

    // Each failure is reported as one line of our own; the decoders' notes
    // about the same file ("Corrupt JPEG data: ...", "libpng error: ...")
    // would add lines of theirs. QT_LOGGING_RULES can bring Qt's back.
    FILE *const reportStream = tintwell::cli::filterLibraryNoiseOnStderr();
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*.warning=false"));

    QTextStream out(stdout);
    QTextStream errors(reportStream);
    using tintwell::cli::ParseResult;
    const ParseResult parsed = tintwell::cli::parseCommandLine(QCoreApplication::arguments());
    switch (parsed.kind) {
    case ParseResult::Kind::Help:
    case ParseResult::Kind::Version:
        out << parsed.text;
        return 0;
    case ParseResult::Kind::UsageError:
        errors << QCoreApplication::applicationName() << ": " << parsed.text << '\n'
               << parsed.usageLine << "\nRun '" << QCoreApplication::applicationName()
               << " --help' for the options.\n";
        return 2;
    case ParseResult::Kind::Run:
        break;
    }
    return tintwell::cli::runCli(parsed.options, errors,
                                 tintwell::cli::terminalColumns(reportStream));
}
