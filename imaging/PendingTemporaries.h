// The named temporary files a save has open right now, so that a signal that
// ends the process (Ctrl+C, kill) can remove them before it does.
#pragma once

namespace tintwell {

// Remembers `path` (a file system path as bytes) until forgetTemporary() gets
// the returned slot. Returns -1 when every slot is taken or the path is too
// long; the file is then only removed by its own save.
int rememberTemporary(const char *path);

// Stops remembering the temporary of `slot` (-1 does nothing).
void forgetTemporary(int slot);

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT that unlink every
// remembered temporary and then end the process by the same signal with its
// default action. Signals set to be ignored stay ignored. For programs that
// save from the main flow (the command-line tool); call once, early.
void removeTemporariesOnSignals();

} // namespace tintwell
