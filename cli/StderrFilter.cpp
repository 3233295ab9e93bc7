// A line filter behind the C stream stderr (glibc's fopencookie).
#include "StderrFilter.h"

#include <algorithm>
#include <string>
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

ssize_t filterWrite(void *cookie, const char *data, size_t size)
{
    auto &pending = *static_cast<std::string *>(cookie);
    pending.append(data, size);
    size_t start = 0;
    for (size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(pending.data() + start, end + 1 - start);
        if (!isNoise(line))
            writeOut(line);
    }
    pending.erase(0, start);
    if (!pending.empty() && !mayBecomeNoise(pending)) {
        writeOut(pending);
        pending.clear();
    }
    return ssize_t(size);
}

int filterClose(void *cookie)
{
    auto *pending = static_cast<std::string *>(cookie);
    if (!isNoise(*pending))
        writeOut(*pending);
    delete pending;
    return 0;
}

} // namespace

FILE *filterLibraryNoiseOnStderr()
{
    FILE *original = stderr;
    const cookie_io_functions_t functions{nullptr, filterWrite, nullptr, filterClose};
    FILE *filtered = fopencookie(new std::string, "w", functions);
    if (!filtered)
        return original;
    setvbuf(filtered, nullptr, _IOLBF, BUFSIZ);
    stderr = filtered;
    return original;
}

} // namespace tintwell::cli
