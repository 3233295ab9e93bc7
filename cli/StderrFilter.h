// Keeps the libraries' notes ("libpng error: ...", Qt's warnings) off stderr:
// tintwell-cli reports each bad file itself, in one line of its own.
#pragma once

#include <cstdio>

namespace tintwell::cli {

// Points the C stream `stderr` (glibc lets it be reassigned) at a filter that
// drops whole lines starting with "libpng error: " or "libpng warning: " and
// passes every other byte on to file descriptor 2. Returns the original
// stream, for the tool's own messages. Call once, before any thread starts.
// File descriptor 2 itself is untouched, so crash and sanitizer reports still
// get through.
FILE *filterLibraryNoiseOnStderr();

// Qt's debug, info and warning messages (the image plug-ins' "libpng
// warning: ...", "qt.gui.icc: ..." and the like) are dropped; critical and
// fatal ones still print. Setting QT_LOGGING_RULES keeps Qt's own handling.
void dropQtNotes();

} // namespace tintwell::cli
