// Strict decimal parsing of integer option values: optional sign, digits,
// nothing else, and the value must fit the target width.
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tintwell::cli {

std::optional<qint64> parseInt64(const QString &text);
std::optional<qint32> parseInt32(const QString &text);

// A byte count: digits, optionally followed by K, M or G (any case, powers of
// 1024). Empty when malformed or beyond 64 bits.
std::optional<qint64> parseByteCount(const QString &text);

} // namespace tintwell::cli
