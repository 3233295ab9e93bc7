// The translations as installTranslations loads them for a locale: German
// reaches the window (code and Designer form), the reasons of the image path
// and Qt's standard buttons.
#include "AppDelegate.h"
#include "ImagePath.h"
#include "Translations.h"

#include <QComboBox>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Translations, GermanReachesWindowReasonsAndQtButtons)
{
    ASSERT_TRUE(installTranslations(QLocale(QLocale::German, QLocale::Germany)));
    // The window's first menu (made in code) and the first filter's name (from the form).
    AppDelegate delegate;
    ASSERT_FALSE(delegate.window()->menuBar()->actions().isEmpty());
    EXPECT_EQ(delegate.window()->menuBar()->actions().first()->text(), QStringLiteral("&Datei"));
    const auto *filters = delegate.window()->findChild<QComboBox *>(QStringLiteral("filter_selector"));
    ASSERT_TRUE(filters);
    EXPECT_EQ(filters->itemText(0), QStringLiteral("Helligkeit"));

    // A reason from the image path.
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.png"));
    EXPECT_EQ(tintwell::loadImage(missing).error,
              missing + QStringLiteral(" kann nicht gelesen werden: Datei nicht gefunden"));

    // Qt's own translation (Debian package qt6-translations-l10n).
    QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Save);
    EXPECT_EQ(box.button(QMessageBox::Save)->text(), QStringLiteral("Speichern"));
}

} // namespace
