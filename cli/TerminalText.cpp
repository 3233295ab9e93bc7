// Escaping for report lines: an escape sequence in a file name must not drive
// the terminal.
#include "TerminalText.h"

namespace tintwell::cli {

QString printableText(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const bool control = unit < 0x20 || (unit >= 0x7f && unit <= 0x9f);
        // A lone low surrogate U+DC80..U+DCFF stands for a raw byte.
        const bool rawByte = unit >= 0xdc80 && unit <= 0xdcff
                             && !(i > 0 && QChar::isHighSurrogate(text.at(i - 1).unicode()));
        if (!control && !rawByte) {
            shown.append(QChar(unit));
            continue;
        }
        const unsigned byte = rawByte ? unit - 0xdc00 : unit;
        shown.append(QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0')));
    }
    return shown;
}

} // namespace tintwell::cli
