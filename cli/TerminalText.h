// Text from file names made safe to print on a terminal: control characters
// and bytes that are not UTF-8 are shown as \xHH instead of being sent raw.
#pragma once

#include <QString>

namespace tintwell::cli {

// `text` with every C0 and C1 control character (and DEL), and
// every byte kept from a non-UTF-8 file name (see pathFromBytes), written as
// \xHH. Everything else, including a backslash, stays as it is.
QString printableText(const QString &text);

} // namespace tintwell::cli
