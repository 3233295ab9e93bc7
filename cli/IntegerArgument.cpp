// Strict decimal integer parsing for option values.
#include "IntegerArgument.h"

#include <limits>

namespace tintwell::cli {

std::optional<qint64> parseInt64(const QString &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate the magnitude unsigned, so that -2^63 fits.
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    quint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c - u'0';
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (negative)
        return static_cast<qint64>(0 - magnitude); // wraps to -2^63 for the limit
    return static_cast<qint64>(magnitude);
}

std::optional<qint32> parseInt32(const QString &text)
{
    const std::optional<qint64> wide = parseInt64(text);
    if (!wide || *wide < std::numeric_limits<qint32>::min() || *wide > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(*wide);
}

std::optional<qint64> parseByteCount(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    int shift = 0;
    QString digits = text;
    switch (text.back().toUpper().unicode()) {
    case u'K':
        shift = 10;
        break;
    case u'M':
        shift = 20;
        break;
    case u'G':
        shift = 30;
        break;
    default:
        break;
    }
    if (shift != 0)
        digits.chop(1);
    if (digits.isEmpty() || digits.front() == QLatin1Char('-') || digits.front() == QLatin1Char('+'))
        return std::nullopt;
    const std::optional<qint64> number = parseInt64(digits);
    if (!number || *number > (std::numeric_limits<qint64>::max() >> shift))
        return std::nullopt;
    return *number << shift;
}

} // namespace tintwell::cli
