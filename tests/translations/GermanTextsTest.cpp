// The translations as installTranslations loads them for a locale: German
// reaches the window (code and Designer form), the reasons of the image path
// and Qt's standard buttons.
#include "AppDelegate.h"
#include "ImagePath.h"
#include "Translations.h"

#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The title of the window's first menu and the first filter's name.
QStringList windowTexts()
{
    AppDelegate delegate;
    const QList<QAction *> menus = delegate.window()->menuBar()->actions();
    const auto *filters = delegate.window()->findChild<QComboBox *>(QStringLiteral("filter_selector"));
    return {menus.value(0) ? menus.value(0)->text() : QString(), filters ? filters->itemText(0) : QString()};
}

// The reason for a missing input and for a write into a missing folder.
QStringList reasons(const QString &folder)
{
    const QString missing = folder + QStringLiteral("/missing.png");
    const QString unwritable = folder + QStringLiteral("/no-folder/out.png");
    return {tintwell::loadImage(missing).error,
            tintwell::saveImage(QImage(4, 4, QImage::Format_RGB32), unwritable, "png", {})};
}

QString saveButtonText()
{
    QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Save);
    return box.button(QMessageBox::Save)->text();
}

TEST(Translations, GermanReachesWindowReasonsAndQtButtons)
{
    ASSERT_TRUE(installTranslations(QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_EQ(windowTexts(), (QStringList{QStringLiteral("&Datei"), QStringLiteral("Helligkeit")}));

    QTemporaryDir dir;
    const QString folder = dir.path();
    EXPECT_EQ(reasons(folder),
              (QStringList{folder + QStringLiteral("/missing.png kann nicht gelesen werden: Datei nicht gefunden"),
                           folder + QStringLiteral("/no-folder/out.png kann nicht geschrieben werden: "
                                                   "Datei oder Ordner nicht gefunden")}));
    // Qt's own translation (Debian package qt6-translations-l10n).
    EXPECT_EQ(saveButtonText(), QStringLiteral("Speichern"));
}

} // namespace
