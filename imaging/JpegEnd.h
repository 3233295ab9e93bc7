// Whether JPEG data runs to its end-of-image marker: the check that tells a
// truncated file from a whole one (the decoder paints a missing part grey).
#pragma once

#include <QByteArrayView>

namespace tintwell {

// Walks the marker segments by their lengths and the entropy-coded data of
// each scan up to the end-of-image marker. False when the data stops first,
// or a segment runs past the end. Data that does not start like a JPEG file
// (no start-of-image marker) is not judged: true.
bool jpegReachesEndMarker(QByteArrayView data);

} // namespace tintwell
