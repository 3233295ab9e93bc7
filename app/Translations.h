// The program's texts in the user's language: Tintwell's own translation
// (built into the program) and Qt's, for the standard dialogs and buttons.
#pragma once

#include <QLocale>

// Installs, on the running application, the translations for `locale`'s
// languages: Tintwell's from the built-in ":/i18n" resources and Qt's base
// translation from Qt's translations folder. A language with no translation
// keeps the English texts. Returns whether Tintwell's own translation was
// found.
bool installTranslations(const QLocale &locale = QLocale());
