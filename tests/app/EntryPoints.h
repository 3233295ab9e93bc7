// One picture file through either entry point, the editor or tintwell-cli,
// so that a behaviour of the file path is checked on both with one table.
#pragma once

#include "AppFixture.h"

#include <QString>

#include <ostream>
#include <string>

enum class Entry { App, Cli };

inline std::string entryName(Entry entry)
{
    return entry == Entry::App ? "App" : "Cli";
}

inline void PrintTo(Entry entry, std::ostream *out)
{
    *out << entryName(entry);
}

// What became of one run: written, or refused with the messages shown.
struct Outcome {
    bool ok = false;
    QString error; // the message box texts or the CLI's standard error
};

class EntryPointFixture : public AppFixture
{
protected:
    // Opens `input` with `filter` and `value` and writes the result to
    // `output`: in the editor through Save (or Export for a .png name), or
    // as `tintwell-cli --filter F --value V INPUT OUTPUT`.
    Outcome filterFile(Entry entry, const QString &input, const QString &output, int filter = 0,
                       int value = 0);
};
