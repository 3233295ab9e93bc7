// A line filter behind the C stream stderr (glibc's fopencookie), and a Qt
// message handler that keeps only critical messages.
#include "StderrFilter.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <unistd.h>

namespace tintwell::cli {

namespace {

constexpr std::string_view noisePrefixes[] = {"libpng error: ", "libpng warning: "};

bool isNoise(std::string_view line)
{
    for (const std::string_view prefix : noisePrefixes) {
        if (line.substr(0, prefix.size()) == prefix)
            return true;
    }
    return false;
}

// Whether more bytes could still make `start` a noise line.
bool mayBecomeNoise(std::string_view start)
{
    for (const std::string_view prefix : noisePrefixes) {
        const size_t common = std::min(start.size(), prefix.size());
        if (start.substr(0, common) == prefix.substr(0, common))
            return true;
    }
    return false;
}

void writeOut(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, bytes.data(), bytes.size());
        if (written <= 0)
            return; // nowhere to report that
        bytes.remove_prefix(size_t(written));
    }
}

// Where the current line stands. Plain data: the C library flushes stderr at
// exit, after static objects with destructors are gone.
enum class Mode { Undecided, Passing, Dropping };

struct LineState {
    Mode mode = Mode::Undecided;
    char start[32]; // the line's first bytes while undecided (prefixes are shorter)
    size_t size = 0;
};

LineState line;

ssize_t filterWrite(void *, const char *data, size_t size)
{
    std::string_view input(data, size);
    while (!input.empty()) {
        if (line.mode == Mode::Undecided) {
            const char c = input.front();
            input.remove_prefix(1);
            line.start[line.size++] = c;
            const std::string_view held(line.start, line.size);
            if (isNoise(held)) {
                line.mode = Mode::Dropping;
            } else if (!mayBecomeNoise(held) || c == '\n') {
                writeOut(held);
                line.mode = Mode::Passing;
            }
            if (c == '\n')
                line = LineState();
            continue;
        }
        const size_t newline = input.find('\n');
        const size_t take = newline == std::string_view::npos ? input.size() : newline + 1;
        if (line.mode == Mode::Passing)
            writeOut(input.substr(0, take));
        input.remove_prefix(take);
        if (newline != std::string_view::npos)
            line = LineState();
    }
    return ssize_t(size);
}

QtMessageHandler qtHandler = nullptr;

void dropNotes(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    if (qtHandler)
        qtHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

} // namespace

void dropQtNotes()
{
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        return;
    qtHandler = qInstallMessageHandler(dropNotes);
}

FILE *filterLibraryNoiseOnStderr()
{
    FILE *original = stderr;
    const cookie_io_functions_t functions{nullptr, filterWrite, nullptr, nullptr};
    FILE *filtered = fopencookie(nullptr, "w", functions);
    if (!filtered)
        return original;
    setvbuf(filtered, nullptr, _IOLBF, BUFSIZ);
    stderr = filtered;
    return original;
}

} // namespace tintwell::cli
