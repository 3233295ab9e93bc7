// Strict decimal parsing of integer option values: optional sign, digits,
// nothing else, and the value must fit the target width.
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tintwell::cli {

std::optional<qint64> parseInt64(const QString &text);
std::optional<qint32> parseInt32(const QString &text);

} // namespace tintwell::cli
