// The translation context of the reasons the image path gives ("cannot read
// <file>: the file is empty"): Reasons::tr translates in context "tintwell".
// Without an installed translation (tintwell-cli) the texts stay English.
#pragma once

#include <QCoreApplication>

namespace tintwell {

class Reasons
{
    Q_DECLARE_TR_FUNCTIONS(tintwell)

public:
    // A text marked where it is written with QT_TRANSLATE_NOOP("tintwell",
    // ...); a library's own message stays as it is.
    static QString marked(const char *text) { return QCoreApplication::translate("tintwell", text); }
};

} // namespace tintwell
