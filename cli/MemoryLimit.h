// How much memory the pictures of one tintwell-cli run may take at once, when
// --memory-limit does not say.
#pragma once

#include <QtGlobal>

namespace tintwell::cli {

// Half of MemAvailable in /proc/meminfo at the time of the call; 2 GiB where
// that cannot be read.
qint64 defaultMemoryLimit();

} // namespace tintwell::cli
