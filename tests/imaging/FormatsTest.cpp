// The format table agrees with the MIME database, which the Open dialog
// builds its filters from, and with the desktop entry's list of types.
#include "Formats.h"

#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(Formats, EverySuffixIsKnownAsItsMimeType)
{
    const QMimeDatabase database;
    for (const tintwell::FileFormat &format : tintwell::fileFormats()) {
        for (const QString &suffix : format.suffixes) {
            const QMimeType type = database.mimeTypeForFile("picture." + suffix, QMimeDatabase::MatchExtension);
            EXPECT_EQ(type.name().toStdString(), format.mimeType.toStdString()) << suffix.toStdString();
        }
    }
}

TEST(Formats, DesktopEntryListsTheReadableMimeTypes)
{
    QFile entry(QStringLiteral(TINTWELL_DESKTOP_ENTRY));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QRegularExpressionMatch line =
        QRegularExpression(QStringLiteral("^MimeType=(.*);$"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(entry.readAll()));
    ASSERT_TRUE(line.hasMatch());
    EXPECT_EQ(line.captured(1).toStdString(), tintwell::readableMimeTypes().join(QLatin1Char(';')).toStdString());
}
