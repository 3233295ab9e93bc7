// Where an encoder puts a file it makes piece by piece: memory, or a file
// being written.
#pragma once

#include <QByteArrayView>

#include <functional>

namespace tintwell {

// Takes one piece of the file, in order, in full; false when it could not
// (a failed write), after which the producer stops.
using ByteSink = std::function<bool(QByteArrayView)>;

} // namespace tintwell
